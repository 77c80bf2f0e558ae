#pragma once

#include <optional>
#include <string>

namespace korvel {

// The password of a command: one line of standard input (--password-stdin), or asked twice
// without echo on the terminal.
class PasswordPrompt {
public:
    // Nothing when no password was read; problem then says why, or stays empty at the end of
    // input.
    static std::optional<std::string> Read(bool fromStdin, std::string& problem);
};

}  // namespace korvel
