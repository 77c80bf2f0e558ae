#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <variant>

#include "CommandLine.h"
#include "run/AgeKeys.h"

namespace korvel {

// The keys a command works with: a password and key file, or the identities of an age identity
// file (--identity).
struct ConsoleKeys {
    std::string password;  // empty with an identity file
    std::filesystem::path keyFile;
    std::string fingerprint;  // of the key file; empty with an identity file
    // Derived once, when first needed, for every file of the command.
    std::shared_ptr<AgeKeys> ageKeys;

    bool FromIdentityFile() const { return fingerprint.empty(); }
};

// Takes the keys the options name: reads the password (asked on the terminal or from standard
// input) and checks the key file, or reads the identity file.
class KeyIntake {
public:
    // The keys; or, when there are none, the exit status, the reason already written to standard
    // error.
    static std::variant<ConsoleKeys, int> Take(const CliOptions& options);
    // The key file's fingerprint, first on a terminal's standard error; nothing for an identity
    // file, or off a terminal.
    static void ShowFingerprintOnTerminal(const ConsoleKeys& keys);

private:
    static std::variant<ConsoleKeys, int> FromPassword(const CliOptions& options);
    static std::variant<ConsoleKeys, int> FromIdentityFile(const std::filesystem::path& path);
    static std::filesystem::path KeyFileOf(const CliOptions& options);
};

}  // namespace korvel
