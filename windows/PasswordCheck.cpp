#include "PasswordCheck.h"

#include <algorithm>

#include "RunMessages.h"

namespace korvel {

namespace {

// Only printable ASCII, space included, feeds the keystream; every other character, double-byte
// ones included, is refused.
bool IsPrintableAscii(QChar c) { return c.unicode() >= 32 && c.unicode() <= 126; }

}  // namespace

std::optional<QString> PasswordRefusal(const QString& password, const QString& repeat) {
    if (!std::all_of(password.begin(), password.end(), IsPrintableAscii)) {
        return QString::fromUtf8(kPasswordCharacters);
    }
    if (password.size() < kShortestPassword || password.size() > kLongestPassword) {
        return QString::fromUtf8(kPasswordLength);
    }
    if (password != repeat) return QString::fromUtf8(kPasswordMismatch);
    return std::nullopt;
}

}  // namespace korvel
