#pragma once

#include <string>

#include "cipher/Direction.h"
#include "cipher/PasswordRule.h"
#include "cipher/age/AgeError.h"
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
// What the user is told of an age file that cannot be read, for every kind but NoIdentityMatches
// (AgeNotOpenedMessage).
std::string AgeFailureMessage(age::AgeErrorKind kind);

inline constexpr const char* kMissingKeyFile = "找不到密钥文件 uae，请把它放在程序所在的文件夹中";
inline constexpr const char* kTargetIsKeyFile = "不能把密钥文件作为目标文件";
inline constexpr const char* kCannotReadFile = "无法读取文件：";
inline constexpr const char* kCannotWriteFile = "无法写入文件：";

// The age format's messages. The wrong-keys one ends with the key file's fingerprint, where the
// keys come from a password and key file (AgeNotOpenedMessage).
inline constexpr const char* kAgeNotOpened =
    "密码或密钥文件不对：这个 age 文件没有能用它们打开的接收者，没有写入任何文件。";
// A changed or damaged age file: kAgeChanged, what was found, then kAgeNothingWritten.
// The seed format has no identities: an identity file cannot open or write it.
inline constexpr const char* kSeedNeedsPassword =
    "兼容格式的文件只能用密码和密钥文件解密，身份文件打不开它";
inline constexpr const char* kAgeChanged = "文件已被改动或损坏";
inline constexpr const char* kAgeNothingWritten = "，没有写入任何文件。";
inline constexpr const char* kAgeHeaderMacWrong = "（头部校验失败）";
inline constexpr const char* kAgeChunkDamaged = "（数据块校验失败）";
inline constexpr const char* kAgeTruncated = "（文件在最后一块之前结束）";
inline constexpr const char* kAgeTrailingData = "（最后一块之后还有数据）";
inline constexpr const char* kAgeMalformedHeader = "（文件头格式不对）";
inline constexpr const char* kAgeHeaderTooLarge = "（文件头过大）";
inline constexpr const char* kAgeOtherRecipientKind =
    "这个 age 文件是为其他类型的接收者（口令或硬件密钥等）加密的，不能用密码和密钥文件打开。";
inline constexpr const char* kAgeUnsupportedVersion =
    "这个 age 文件的版本不受支持，没有写入任何文件。";

// The wrong-keys message, with "（密钥文件指纹：…）" before its final stop when a fingerprint is
// given.
std::string AgeNotOpenedMessage(const std::string& fingerprint);

}  // namespace korvel
