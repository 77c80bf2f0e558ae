#pragma once

#include <QByteArrayView>
#include <cstdint>
#include <optional>
#include <vector>

#include "ResidueTally.h"

namespace korvel {

// Looks for one residue class of positions modulo the password's length (or two neighbouring
// ones) where UTF-8 text holds far more rare characters than elsewhere. A password character one
// code off XORs the bytes it is used at with a few low bits, which in Chinese text mostly keeps
// them well-formed: the text does not break, but its characters there become others near them,
// most of them rare. A character that a garbled byte does break counts as a rare one.
class RareCharacterSearch {
public:
    RareCharacterSearch(QByteArrayView head, int period);

    // The window of garbled classes, if one stands out.
    std::optional<ResidueTally::Window> Find() const;

private:
    // A rare character of three bytes, or a broken one.
    struct Character {
        qsizetype offset;
        std::uint32_t code;
    };

    void Read();
    void ReadUpTo(qsizetype end);
    qsizetype BrokenSpan(qsizetype offset) const;
    std::uint32_t BrokenCode(qsizetype offset, qsizetype span) const;
    void Add(qsizetype offset, std::uint32_t code, bool rare);
    bool IsCjkText() const;
    std::optional<ResidueTally::Window> Measure(int firstClass, int width) const;
    bool Touches(const ResidueTally::Window& window, qsizetype offset) const;
    bool EveryStartShowsIt(const ResidueTally::Window& window) const;
    bool Varied(const ResidueTally::Window& window) const;

    QByteArrayView head_;
    int period_;
    qsizetype read_ = 0;
    qsizetype characterEnd_ = -1;  // of the last character of three bytes
    qsizetype beyondAscii_ = 0;    // bytes
    qsizetype threeByteCharacters_ = 0;
    std::vector<Character> rare_;
    // Characters and rare ones, by the class of their first byte.
    std::vector<qsizetype> charactersByStart_;
    std::vector<qsizetype> rareByStart_;
};

}  // namespace korvel
