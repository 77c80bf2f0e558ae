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

}  // namespace korvel
