#pragma once

#include <optional>
#include <string_view>

namespace korvel {

inline constexpr std::size_t kShortestPassword = 5;
inline constexpr std::size_t kLongestPassword = 20;

inline constexpr const char* kPasswordCharacters = "密码不能包含汉字等字符";
inline constexpr const char* kPasswordLength = "密码的长度应当在5-20之间";

// The rule every password obeys: only printable ASCII (codes 32 to 126, space included), then 5 to
// 20 characters, checked in that order. Takes the password as UTF-8, so any other character shows
// up as a byte outside that range. Returns the message for the first check that fails.
std::optional<const char*> PasswordProblem(std::string_view password);

}  // namespace korvel
