#include <termios.h>
#include <unistd.h>

#include <iostream>

#include "Terminal.h"

namespace korvel {

bool Terminal::InputIsTerminal() { return isatty(STDIN_FILENO) == 1; }

bool Terminal::ErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

std::optional<std::string> Terminal::ReadHiddenLine(const std::string& prompt) {
    std::cerr << prompt << std::flush;
    termios saved{};
    const bool hidden = tcgetattr(STDIN_FILENO, &saved) == 0;
    if (hidden) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::string line;
    const bool read = static_cast<bool>(std::getline(std::cin, line));
    if (hidden) tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    std::cerr << '\n';
    if (!read) return std::nullopt;
    return line;
}

void Terminal::UseUtf8() {}

}  // namespace korvel
