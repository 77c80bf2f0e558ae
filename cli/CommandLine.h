#pragma once

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

struct UsageError {
    std::string message;
};

// The arguments after the program's name, as UTF-8 (or the system's encoding on POSIX).
std::variant<CliOptions, UsageError> ParseCommandLine(const std::vector<std::string>& arguments);

inline constexpr const char* kCliUsage =
    "用法：korvel-cli encrypt|decrypt [--key 密钥文件] --to 目标文件夹 [--password-stdin]\n"
    "                 [--overwrite skip|replace] [--force] 文件或文件夹...\n";

}  // namespace korvel
