#pragma once

namespace korvel {

// Reasons of the program's own for a file that fails, beside those the system gives.
inline constexpr const char* kNotRegularFile = "不是普通文件";
inline constexpr const char* kSourceChanged = "文件在读取过程中发生了变化";
inline constexpr const char* kTooLargeForFat =
    "目标所在的 FAT32 卷不能存放 4 GB 或更大的文件，请换一个 NTFS 或 exFAT 的位置";

}  // namespace korvel
