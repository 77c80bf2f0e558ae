#pragma once

namespace korvel {

// Texts that only the windows show; the run's own texts are in RunMessages.h.
inline constexpr const char* kNoticeTitle = "提示信息";
inline constexpr const char* kPasswordMismatch = "两次输入的密码不一样";

}  // namespace korvel
