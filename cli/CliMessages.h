#pragma once

namespace korvel {

// The texts of korvel-cli's age commands that the run does not show.
inline constexpr const char* kNotVerifiable = "兼容格式没有校验，无法验证";
inline constexpr const char* kEmptyNotVerifiable = "文件是空的，无法验证";
inline constexpr const char* kVerifyChanged = "文件已被改动或损坏";
inline constexpr const char* kVerifyWrongKeys =
    "密码或密钥文件不对：这个 age 文件没有能用它们打开的接收者";
inline constexpr const char* kVerifyNoIdentityOpens = "身份文件中没有能打开这个 age 文件的身份";
inline constexpr const char* kVerifyOtherRecipients =
    "这个 age 文件是为其他类型的接收者（口令或硬件密钥等）加密的，不能用密码和密钥文件打开。";
inline constexpr const char* kVerifyIdentityOtherRecipients =
    "这个 age 文件是为其他类型的接收者（口令或硬件密钥等）加密的，不能用 X25519 身份打开。";
inline constexpr const char* kVerifyUnsupportedVersion = "这个 age 文件的版本不受支持";

inline constexpr const char* kIdentityFileMalformed =
    "身份文件格式不对：每一行应是一个 AGE-SECRET-KEY-1… 形式的身份、空行或以 # 开头的注释";
inline constexpr const char* kIdentityFileEmpty = "身份文件中没有身份";
inline constexpr const char* kIdentityFileTooLarge = "身份文件过大，不像 age 身份文件";
inline constexpr const char* kIdentityFileExists = "身份文件已存在，没有改动它：";
inline constexpr const char* kIdentityFileWarning =
    "注意：这个身份文件能打开用这个密码和密钥文件加密的每一个 age 文件。"
    "请像密码一样保管它，不要交给别人。";

}  // namespace korvel
