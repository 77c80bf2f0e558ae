#include "RunMessages.h"

#include "files/FileError.h"

namespace korvel {

const DirectionTexts& TextsFor(Direction direction) {
    static constexpr DirectionTexts kEncrypt{"请输入源文件路径和文件名",
                                             "请输入密文路径和文件名",
                                             "密文和源文件同名时不能位于同一路径",
                                             "源文件不存在",
                                             "确认取消加密",
                                             "取消加密",
                                             "密文已经生成"};
    static constexpr DirectionTexts kDecrypt{"请输入密文件路径和文件名",
                                             "请输入欲生成的明文存放路径和文件名",
                                             "明文和密文同名时不能位于同一路径",
                                             "密文件不存在",
                                             "确认取消解密",
                                             "取消解密",
                                             "密文已经解密，明文已经生成"};
    return direction == Direction::Encrypt ? kEncrypt : kDecrypt;
}

std::string FailureMessage(const FileError& error) {
    const char* lead = error.Access() == FileAccess::Read ? kCannotReadFile : kCannotWriteFile;
    return lead + PathText(error.File()) + "\n" + error.Reason();
}

std::string AgeNotOpenedMessage(const std::string& fingerprint) {
    std::string message = kAgeNotOpened;
    if (fingerprint.empty()) return message;
    const std::string stop = "。";
    message.resize(message.size() - stop.size());
    return message + "（密钥文件指纹：" + fingerprint + "）" + stop;
}

std::string AgeFailureMessage(age::AgeErrorKind kind) {
    using age::AgeErrorKind;
    switch (kind) {
        case AgeErrorKind::UnsupportedVersion:
            return kAgeUnsupportedVersion;
        case AgeErrorKind::OtherRecipientKind:
            return kAgeOtherRecipientKind;
        case AgeErrorKind::NoIdentityMatches:
            return kAgeNotOpened;
        case AgeErrorKind::HeaderMacWrong:
            return std::string(kAgeChanged) + kAgeHeaderMacWrong + kAgeNothingWritten;
        case AgeErrorKind::PayloadDamaged:
            return std::string(kAgeChanged) + kAgeChunkDamaged + kAgeNothingWritten;
        case AgeErrorKind::Truncated:
            return std::string(kAgeChanged) + kAgeTruncated + kAgeNothingWritten;
        case AgeErrorKind::TrailingData:
            return std::string(kAgeChanged) + kAgeTrailingData + kAgeNothingWritten;
        case AgeErrorKind::HeaderTooLarge:
            return std::string(kAgeChanged) + kAgeHeaderTooLarge + kAgeNothingWritten;
        case AgeErrorKind::NotAgeFile:
        case AgeErrorKind::MalformedHeader:
            break;
    }
    return std::string(kAgeChanged) + kAgeMalformedHeader + kAgeNothingWritten;
}

}  // namespace korvel
