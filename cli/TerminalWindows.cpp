#include <io.h>
#include <windows.h>

#include <cstdio>
#include <iostream>

#include "Terminal.h"

namespace korvel {

namespace {

// What the console's control handler, on a thread of its own, may read.
HANDLE hiddenInput = nullptr;
DWORD savedMode = 0;
volatile LONG modeSaved = 0;

// Ctrl-C, Ctrl-Break, the console closed: the echo back, then the default handler ends the
// program.
BOOL WINAPI RestoreConsoleMode(DWORD) {
    if (modeSaved) SetConsoleMode(hiddenInput, savedMode);
    return FALSE;
}

// The console without echo while it lives; echo comes back on every way out.
class HiddenInput {
public:
    HiddenInput() {
        hiddenInput = GetStdHandle(STD_INPUT_HANDLE);
        if (GetConsoleMode(hiddenInput, &savedMode) == 0) return;
        modeSaved = 1;
        SetConsoleCtrlHandler(RestoreConsoleMode, TRUE);
        SetConsoleMode(hiddenInput, savedMode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    }

    ~HiddenInput() {
        if (!modeSaved) return;
        SetConsoleMode(hiddenInput, savedMode);
        SetConsoleCtrlHandler(RestoreConsoleMode, FALSE);
        modeSaved = 0;
    }

    HiddenInput(const HiddenInput&) = delete;
    HiddenInput& operator=(const HiddenInput&) = delete;
};

}  // namespace

bool Terminal::InputIsTerminal() { return _isatty(_fileno(stdin)) != 0; }

bool Terminal::ErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

std::optional<std::string> Terminal::ReadHiddenLine(const std::string& prompt) {
    std::cerr << prompt << std::flush;
    std::string line;
    bool read = false;
    {
        const HiddenInput hidden;
        read = static_cast<bool>(std::getline(std::cin, line));
    }
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
