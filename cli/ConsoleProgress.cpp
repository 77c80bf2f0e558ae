#include "ConsoleProgress.h"

#include <cmath>
#include <cstdio>
#include <iostream>

#include "files/FileError.h"

namespace korvel {

namespace {

constexpr std::chrono::milliseconds kProgressInterval{200};

std::string Duration(double seconds) {
    const long long whole = std::llround(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    return text;
}

}  // namespace

ConsoleProgress::ConsoleProgress(bool onTerminal, bool force)
    : onTerminal_(onTerminal),
      answerToDoubt_(force ? DoubtDecision::DecryptAll : DoubtDecision::StopHere) {}

void ConsoleProgress::EntryChanged(std::size_t, const QueueEntry& entry) {
    if (entry.state == EntryState::Failed) {
        ClearProgressLine();
        std::cerr << "失败：" << PathText(entry.source) << "\n  " << entry.reason << "\n";
    } else if (entry.state == EntryState::Skipped && onTerminal_) {
        ClearProgressLine();
        std::cerr << "跳过：" << PathText(entry.source) << "（" << entry.reason << "）\n";
    } else if (entry.state == EntryState::Done && entry.doubted) {
        ClearProgressLine();
        std::cerr << "已解密，但结果看起来不对：" << PathText(entry.target) << "\n";
    }
}

void ConsoleProgress::BytesDone(std::uint64_t done, std::uint64_t total) {
    if (!onTerminal_ || total == 0) return;
    const auto now = std::chrono::steady_clock::now();
    if (progressShown_ && now - lastShown_ < kProgressInterval && done < total) return;
    lastShown_ = now;
    pace_.Update(done, total, now);
    char line[128];
    std::snprintf(line, sizeof line, "\r已处理 %3.0f%%  %.1f MB/s  剩余 %s   ",
                  100.0 * pace_.Fraction(), pace_.BytesPerSecond() / 1e6,
                  Duration(pace_.SecondsLeft().value_or(0)).c_str());
    std::cerr << line << std::flush;
    progressShown_ = true;
}

DoubtDecision ConsoleProgress::AskAboutDoubtfulResult(const QueueEntry& entry) {
    ClearProgressLine();
    std::cerr << "解密结果看起来不对：" << PathText(entry.source) << "\n";
    return answerToDoubt_;
}

void ConsoleProgress::Finish() { ClearProgressLine(); }

void ConsoleProgress::ClearProgressLine() {
    if (!progressShown_) return;
    std::cerr << "\r" << std::string(40, ' ') << "\r" << std::flush;
    progressShown_ = false;
}

}  // namespace korvel
