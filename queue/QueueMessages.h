#pragma once

namespace korvel {

inline constexpr const char* kTargetFolderIsSource = "目标文件夹不能是源文件夹";
inline constexpr const char* kTargetFolderInSource = "目标文件夹不能位于源文件夹之内";
inline constexpr const char* kTargetFolderHoldsSource =
    "目标文件夹不能是源文件所在的文件夹：文件名不变，会和源文件重名";
inline constexpr const char* kTargetExists = "目标文件已存在";
inline constexpr const char* kNotFileOrFolder = "不是普通文件或文件夹";
inline constexpr const char* kFolderLinkNotFollowed = "指向文件夹的链接，未跟随";
inline constexpr const char* kFolderUnreadable = "无法读取文件夹：";
inline constexpr const char* kCannotCreateFolder = "无法创建文件夹：";
inline constexpr const char* kLinkLeadsNowhere = "链接指向的位置不存在，或链接绕成了环";
inline constexpr const char* kTargetNameTooLong =
    "目标的文件名或路径太长，目标位置存放不下，请改短名称或换一个层级较浅的目标文件夹";
inline constexpr const char* kSkippedExisting = "目标文件已存在，已跳过";
inline constexpr const char* kCancelledBeforeRun = "已取消";
inline constexpr const char* kTooLargeForFat32 = "目标位于 FAT32 卷上，无法存放 4 GB 或更大的文件";

}  // namespace korvel
