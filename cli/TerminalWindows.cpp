#include <io.h>
#include <windows.h>

#include <cstdio>
#include <iostream>

#include "Terminal.h"

namespace korvel {

bool Terminal::InputIsTerminal() { return _isatty(_fileno(stdin)) != 0; }

bool Terminal::ErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

std::optional<std::string> Terminal::ReadHiddenLine(const std::string& prompt) {
    std::cerr << prompt << std::flush;
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD saved = 0;
    const bool hidden = GetConsoleMode(input, &saved) != 0;
    if (hidden) SetConsoleMode(input, saved & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    std::string line;
    const bool read = static_cast<bool>(std::getline(std::cin, line));
    if (hidden) SetConsoleMode(input, saved);
    std::cerr << '\n';
    if (!read) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

void Terminal::UseUtf8() {
    SetConsoleOutputCP(CP_UTF8);
    SetConsoleCP(CP_UTF8);
}

}  // namespace korvel
