#pragma once

#include <QByteArrayView>
#include <QString>
#include <optional>

#include "TextShape.h"

namespace korvel {

// Looks for one residue class of positions (or two neighbouring ones) modulo the password's
// length that breaks what the rest of the head is: text whose bytes break the text there, or
// whose characters there are rare ones, runs of one byte value or of printable characters with a
// foreign byte at those positions. That is what a wrong password character after the first two
// does.
class GarbledClassSearch {
public:
    // Why the head looks garbled at one password position, if it does.
    static std::optional<QString> Find(QByteArrayView head, const TextShape& text, int period);

private:
    static std::optional<QString> InText(QByteArrayView head, const TextShape& text, int period);
    static std::optional<QString> InCharacters(QByteArrayView head, int period);
    static std::optional<QString> InRuns(QByteArrayView head, int period);
};

}  // namespace korvel
