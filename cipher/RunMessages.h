#pragma once

#include <string>

#include "Direction.h"

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
inline constexpr const char* kPasswordCharacters = "密码不能包含汉字等字符";
inline constexpr const char* kPasswordLength = "密码的长度应当在5-20之间";
inline constexpr const char* kCannotReadFile = "无法读取文件：";
inline constexpr const char* kCannotWriteFile = "无法写入文件：";
// Reasons of the program's own, beside those the system gives.
inline constexpr const char* kNotRegularFile = "不是普通文件";
inline constexpr const char* kSourceChanged = "文件在读取过程中发生了变化";

}  // namespace korvel
