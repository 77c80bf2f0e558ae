#pragma once

#include <QStringList>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "cipher/Direction.h"
#include "queue/FileQueue.h"

namespace korvel {

// What korvel-cli is asked to do:
//   korvel-cli encrypt|decrypt [--key FILE] --to FOLDER [--password-stdin]
//              [--overwrite skip|replace] [--force] PATH...
struct CliOptions {
    Direction direction = Direction::Encrypt;
    std::optional<std::filesystem::path> keyFile;  // nothing: the uae beside the program
    std::filesystem::path targetFolder;
    bool passwordFromStdin = false;
    ExistingTargets existing = ExistingTargets::Refuse;
    bool force = false;  // decrypt even when the decrypted head does not look right
    std::vector<std::filesystem::path> paths;
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
    "                 [--overwrite skip|replace] [--force] 文件或文件夹...\n";

}  // namespace korvel
