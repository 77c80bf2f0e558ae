#pragma once

namespace korvel {

// Texts that only the windows show; the run's own texts are in RunMessages.h.
inline constexpr const char* kNoticeTitle = "提示信息";
inline constexpr const char* kPasswordMismatch = "两次输入的密码不一样";
// The question before a decryption whose result does not look right; %1 is the key file's
// fingerprint.
inline constexpr const char* kDoubtfulResult =
    "解密结果看起来不对：密码或密钥文件很可能有误。\n\n"
    "本机密钥文件 uae 的指纹：%1\n"
    "可以与对方核对指纹。要重新输入密码，还是仍然解密？";
inline constexpr const char* kNoKeyFingerprint = "（无法读取）";
// The password boxes' tooltip; %1 is the key file's fingerprint.
inline constexpr const char* kKeyFingerprintTip = "密钥文件 uae 的指纹：%1";
// The encrypt window's target box: the target's name chooses the format.
inline constexpr const char* kTargetFormatTip =
    "目标文件名以 .age 结尾时用 age 格式（防篡改，每个文件独立密钥）加密，否则用兼容格式";

}  // namespace korvel
