#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <iostream>

#include "Terminal.h"

namespace korvel {

namespace {

// What a signal handler may read: set before the handlers are installed, cleared after they go.
termios savedMode{};
volatile std::sig_atomic_t modeSaved = 0;

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// Only async-signal-safe calls: the echo back, a new line after the prompt, and the signal again
// with its default action (SA_RESETHAND), once this handler returns.
void RestoreAndEnd(int signal) {
    if (modeSaved) tcsetattr(STDIN_FILENO, TCSANOW, &savedMode);
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, "\n", 1);
    raise(signal);
}

// The terminal without echo while it lives; echo comes back on every way out, a signal included.
class HiddenInput {
public:
    HiddenInput() {
        if (tcgetattr(STDIN_FILENO, &savedMode) != 0) return;
        modeSaved = 1;
        struct sigaction restore {};
        restore.sa_handler = RestoreAndEnd;
        restore.sa_flags = SA_RESETHAND;
        sigemptyset(&restore.sa_mask);
        for (std::size_t index = 0; index < std::size(kEndingSignals); ++index) {
            sigaction(kEndingSignals[index], nullptr, &previous_[index]);
            // An ignored signal (nohup, a background job) stays ignored.
            if (previous_[index].sa_handler == SIG_IGN) continue;
            sigaction(kEndingSignals[index], &restore, nullptr);
        }
        termios quiet = savedMode;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }

    ~HiddenInput() {
        if (!modeSaved) return;
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedMode);
        for (std::size_t index = 0; index < std::size(kEndingSignals); ++index) {
            sigaction(kEndingSignals[index], &previous_[index], nullptr);
        }
        modeSaved = 0;
    }

    HiddenInput(const HiddenInput&) = delete;
    HiddenInput& operator=(const HiddenInput&) = delete;

private:
    struct sigaction previous_[std::size(kEndingSignals)]{};
};

}  // namespace

bool Terminal::InputIsTerminal() { return isatty(STDIN_FILENO) == 1; }

bool Terminal::ErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

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
    return line;
}

void Terminal::UseUtf8() {}

}  // namespace korvel
