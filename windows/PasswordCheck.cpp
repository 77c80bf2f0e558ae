#include "PasswordCheck.h"

#include <algorithm>

namespace korvel {

namespace {

// Only printable ASCII, space included, feeds the keystream; every other character, double-byte
// ones included, is refused.
bool IsPrintableAscii(QChar c) { return c.unicode() >= 32 && c.unicode() <= 126; }

}  // namespace

std::optional<QString> PasswordRefusal(const QString& password, const QString& repeat) {
    if (!std::all_of(password.begin(), password.end(), IsPrintableAscii)) {
        return QStringLiteral("密码不能包含汉字等字符");
    }
    if (password.size() < kShortestPassword || password.size() > kLongestPassword) {
        return QStringLiteral("密码的长度应当在5-20之间");
    }
    if (password != repeat) return QStringLiteral("两次输入的密码不一样");
    return std::nullopt;
}

}  // namespace korvel
