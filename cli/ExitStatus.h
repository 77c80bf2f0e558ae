#pragma once

#include <string>

namespace korvel {

// korvel-cli's exit statuses.
inline constexpr int kAllDone = 0;
inline constexpr int kSomeFailed = 1;
inline constexpr int kUsageError = 2;
// The password or key file is wrong: the head check's doubt, or no age stanza opens.
inline constexpr int kWrongKeys = 3;

// Writes the message and the usage to standard error; gives kUsageError.
int ShowUsageError(const std::string& message);

}  // namespace korvel
