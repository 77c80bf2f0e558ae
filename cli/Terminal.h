#pragma once

#include <optional>
#include <string>

namespace korvel {

// The console the program was started from.
class Terminal {
public:
    static bool InputIsTerminal();
    static bool ErrorIsTerminal();
    // Writes the prompt to standard error and reads one line from the terminal without echo.
    // Nothing at the end of input.
    static std::optional<std::string> ReadHiddenLine(const std::string& prompt);
    // Makes the console show UTF-8 (Windows); nothing to do elsewhere.
    static void UseUtf8();
};

}  // namespace korvel
