#pragma once

namespace korvel {

// Texts of the window that works a set of several files or folders.
inline constexpr const char* kEncryptSetCaption = "加密多个文件";
inline constexpr const char* kDecryptSetCaption = "解密多个文件";
inline constexpr const char* kFileColumn = "文件";
inline constexpr const char* kStateColumn = "状态";
inline constexpr const char* kTargetFolderLabel = "目标文件夹：";
inline constexpr const char* kBrowseButton = "浏览…";
inline constexpr const char* kFormatLabel = "格式：";
inline constexpr const char* kSeedFormatChoice = "兼容格式";
inline constexpr const char* kAgeFormatChoice = "age 格式（防篡改，每个文件独立密钥）";
inline constexpr const char* kFormatChoiceName = "加密格式";
inline constexpr const char* kFormatChoiceTip =
    "兼容格式：以前加密的文件和旧版本都能打开。\n"
    "age 格式：文件被改动时能发现，每个文件用独立的密钥；文件名后加上 .age，其他 age "
    "程序也能打开。";
inline constexpr const char* kPasswordLabel = "密码：";
inline constexpr const char* kRepeatLabel = "确认密码：";
inline constexpr const char* kStartButton = "开始";
inline constexpr const char* kCancelButton = "取消";
inline constexpr const char* kCloseButton = "关闭";

inline constexpr const char* kWaiting = "等待";
inline constexpr const char* kWorking = "正在处理";
inline constexpr const char* kDone = "完成";
inline constexpr const char* kDoneDoubted = "完成（解密结果看起来不对）";
inline constexpr const char* kSkipped = "跳过：";
inline constexpr const char* kFailed = "失败：";

inline constexpr const char* kChooseTargetFolder = "请先选择一个已有的目标文件夹";
inline constexpr const char* kNothingToDo = "没有可处理的文件";
inline constexpr const char* kSetBusy = "正在处理另一组文件，请等它完成或取消后再试";
// %1: how many targets exist already.
inline constexpr const char* kExistingTargets =
    "目标文件夹中已有 %1 个同名文件。\n要全部替换，还是跳过已有的文件？";
// %1: the file; %2: the key file's fingerprint.
inline constexpr const char* kDoubtfulSetResult =
    "文件“%1”的解密结果看起来不对：密码或密钥文件很可能有误。这个文件还没有写入。\n\n"
    "本机密钥文件 uae 的指纹：%2\n"
    "选择“仍然解密”将解密所有文件，并在最后列出看起来不对的文件。";
// %1 done, %2 skipped, %3 failed.
inline constexpr const char* kSummary = "完成 %1 个文件，跳过 %2 个，失败 %3 个。";
inline constexpr const char* kSummaryCancelled = "已取消：已完成的文件都保留着。";
inline constexpr const char* kSummaryStoppedForDoubt =
    "密码或密钥文件很可能有误：从那个文件起没有写入任何文件。";
inline constexpr const char* kSummaryFailures = "失败的文件：";
inline constexpr const char* kSummaryDoubted = "解密结果看起来不对的文件：";
// %1: how many more lines are left out.
inline constexpr const char* kSummaryMore = "……另有 %1 个";
// %1 done, %2 of all, %3 a second, %4 the time left.
inline constexpr const char* kPace = "已处理 %1 / %2　速度 %3/秒　剩余约 %4";
inline constexpr const char* kMinutesSeconds = "%1 分 %2 秒";
inline constexpr const char* kSeconds = "%1 秒";

}  // namespace korvel
