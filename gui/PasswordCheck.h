#pragma once

#include <QString>
#include <optional>

namespace korvel {

// The core's password rule, then what only the window adds: the repetition must match.
// Returns the message for the first check that fails, or nothing when the password is accepted.
std::optional<QString> PasswordRefusal(const QString& password, const QString& repeat);

}  // namespace korvel
