#pragma once

#include <QStringList>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "cipher/CipherFormat.h"
#include "cipher/Direction.h"
#include "queue/FileQueue.h"

namespace korvel {

enum class CliCommand { Encrypt, Decrypt, Verify, Recipient, Identity };

// What korvel-cli is asked to do:
//   korvel-cli encrypt|decrypt [--key FILE] --to FOLDER [--password-stdin]
//              [--overwrite skip|replace] [--force] [--format legacy|age] [--identity FILE] PATH...
//   korvel-cli verify [--key FILE] [--password-stdin | --identity FILE] PATH...
//   korvel-cli recipient [--key FILE] [--password-stdin]
//   korvel-cli identity [--key FILE] [--password-stdin] --to FILE
struct CliOptions {
    CliCommand command = CliCommand::Encrypt;
    std::optional<std::filesystem::path> keyFile;  // nothing: the uae beside the program
    // encrypt, decrypt: the target folder; identity: the identity file to make.
    std::filesystem::path to;
    bool passwordFromStdin = false;
    ExistingTargets existing = ExistingTargets::Refuse;
    bool force = false;  // decrypt even when the decrypted head does not look right
    CipherFormat format = CipherFormat::Seed;  // encrypt
    // decrypt, verify: the X25519 identities of this age identity file instead of the password
    // and key file.
    std::optional<std::filesystem::path> identityFile;
    std::vector<std::filesystem::path> paths;

    Direction SetDirection() const {
        return command == CliCommand::Encrypt ? Direction::Encrypt : Direction::Decrypt;
    }
};

// -h, --help or --version: the text goes to standard output, and the program ends with status 0.
struct ShownText {
    std::string text;
};

struct UsageError {
    std::string message;
};

// The arguments after the program's name, as NativeArguments takes them.
std::variant<CliOptions, ShownText, UsageError> ParseCommandLine(const QStringList& arguments);

inline constexpr const char* kCliUsage =
    "用法：korvel-cli encrypt|decrypt [--key 密钥文件] --to 目标文件夹 [--password-stdin]\n"
    "                 [--overwrite skip|replace] [--force] 文件或文件夹...\n"
    "      korvel-cli encrypt ... [--format legacy|age] 文件或文件夹...\n"
    "      korvel-cli decrypt ... [--identity 身份文件] 文件或文件夹...\n"
    "      korvel-cli verify [--key 密钥文件] [--password-stdin | --identity 身份文件]\n"
    "                 文件或文件夹...\n"
    "      korvel-cli recipient [--key 密钥文件] [--password-stdin]\n"
    "      korvel-cli identity [--key 密钥文件] [--password-stdin] --to 身份文件\n";

}  // namespace korvel
