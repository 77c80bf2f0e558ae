#pragma once

#include <string>

#include "cipher/Direction.h"
#include "cipher/PasswordRule.h"
#include "files/FileMessages.h"

namespace korvel {

// The texts a run shows, which differ between the two directions.
struct DirectionTexts {
    const char* emptySource;
    const char* emptyTarget;
    const char* samePaths;
    const char* missingSource;
    const char* cancelQuestion;
    const char* cancelTitle;
    const char* completed;
};

const DirectionTexts& TextsFor(Direction direction);

class FileError;
// What the user is told when a file fails: which file, whether it was being read or written, and
// the reason.
std::string FailureMessage(const FileError& error);

inline constexpr const char* kMissingKeyFile = "找不到密钥文件 uae，请把它放在程序所在的文件夹中";
inline constexpr const char* kTargetIsKeyFile = "不能把密钥文件作为目标文件";
inline constexpr const char* kCannotReadFile = "无法读取文件：";
inline constexpr const char* kCannotWriteFile = "无法写入文件：";

}  // namespace korvel
