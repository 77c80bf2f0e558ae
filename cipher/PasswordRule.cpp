#include "PasswordRule.h"

#include <algorithm>

namespace korvel {

std::optional<const char*> PasswordProblem(std::string_view password) {
    const auto printable = [](char c) {
        const auto code = static_cast<unsigned char>(c);
        return code >= 32 && code <= 126;
    };
    if (!std::all_of(password.begin(), password.end(), printable)) return kPasswordCharacters;
    if (password.size() < kShortestPassword || password.size() > kLongestPassword) {
        return kPasswordLength;
    }
    return std::nullopt;
}

}  // namespace korvel
