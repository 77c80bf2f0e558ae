#pragma once

namespace korvel {

// Reasons of the program's own for a file that fails, beside those the system gives.
inline constexpr const char* kNotRegularFile = "不是普通文件";
inline constexpr const char* kSourceChanged = "文件在读取过程中发生了变化";

}  // namespace korvel
