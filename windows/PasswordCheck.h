#pragma once

#include <QString>
#include <optional>

namespace korvel {

inline constexpr int kShortestPassword = 5;
inline constexpr int kLongestPassword = 20;

// Checks a non-empty password and its repetition in the fixed order: characters, length, match.
// Returns the message for the first check that fails, or nothing when the password is accepted.
std::optional<QString> PasswordRefusal(const QString& password, const QString& repeat);

}  // namespace korvel
