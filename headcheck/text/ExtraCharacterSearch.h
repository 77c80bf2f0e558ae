#pragma once

#include <QByteArrayView>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "TextShape.h"

namespace korvel {

// Looks for what a password with one character too many leaves: its first Len − 1 characters are
// the right password, so the right keystream returns wherever both passwords use the same
// character, at the positions m < Len − 1 of each cycle of (Len − 1) × Len bytes. Those windows
// read as the data does; the bytes between them are garbled.
class ExtraCharacterSearch {
public:
    ExtraCharacterSearch(QByteArrayView head, const TextShape& text, int period);

    // Why the head looks so, judged by where its text breaks.
    std::optional<QString> InText() const;
    // Why the head looks so, judged by where its most frequent byte value occurs; for data that
    // is not text.
    std::optional<QString> InValues() const;
    // Why the head looks so, judged by text that breaks right after the first Len − 1 bytes; for
    // heads too short to hold two cycles, and not when the data carries a known signature.
    std::optional<QString> InShortText() const;

private:
    struct WindowCounts {
        qsizetype bytes = 0;
        qsizetype bad = 0;
        std::array<std::uint32_t, 256> values{};

        double BadRate() const { return bytes == 0 ? 0.0 : double(bad) / double(bytes); }
        double Rate(std::size_t value) const {
            return double(values[value] + 1) / double(bytes + 1);
        }
    };

    static std::vector<WindowCounts> CountWindows(QByteArrayView head,
                                                  const std::vector<std::uint8_t>& bad, int period);
    bool HasTwoCycles() const;

    QByteArrayView head_;
    int period_;
    const std::vector<std::uint8_t>& bad_;
    std::vector<WindowCounts> windows_;
};

}  // namespace korvel
