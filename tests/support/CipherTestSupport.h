#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "run/RunNotifications.h"

namespace korvel::test {

using Bytes = std::vector<std::uint8_t>;

// A fresh folder under the system's temp folder, removed with everything in it afterwards.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path& name) const {
        return path_ / name;
    }
    // Names of everything in the folder, sorted.
    std::vector<std::string> Listing() const;

private:
    std::filesystem::path path_;
};

void WriteBytes(const std::filesystem::path& path, const Bytes& bytes);
Bytes ReadBytes(const std::filesystem::path& path);
// Deterministic pseudo-random bytes.
Bytes PatternBytes(std::size_t count, std::uint32_t seed);
// Two hex digits a byte; throws std::invalid_argument for an odd length.
Bytes FromHex(const std::string& hex);

// The keystream written straight from its definition, one byte at a time, as the oracle.
Bytes ReferenceKeystream(const std::string& password, const Bytes& key, std::size_t count);
Bytes ReferenceTransform(const Bytes& data, const std::string& password, const Bytes& key);

// Records every notification as a line of text and answers the cancel question from a script.
class RecordingObserver : public RunNotifications {
public:
    void ShowNotice(const std::string& text, NoticeKind kind) override;
    void EnterProgressMode() override;
    void ShowPercent(int percent) override;
    CancelAnswer AskCancel(const std::string& title, const std::string& text) override;
    void PumpEvents() override;
    void LeaveProgressMode(LeaveStep step, LeaveReason reason) override;

    std::vector<std::string> events;
    std::vector<int> percents;
    std::vector<CancelAnswer> answers;  // used front to back; No when exhausted
    // Called at each PumpEvents with its 1-based count.
    std::function<void(int)> onPump;
    int pumps = 0;
};

#ifndef _WIN32
// Runs body in a forked child and returns its exit status, or 128 + the signal that ended it.
int InChild(const std::function<int()>& body);
// Makes a process of the superuser an ordinary user's ("nobody"); true when it now is one.
bool DropRights();
// Whether files in the folder can be created without a name (O_TMPFILE).
bool FolderHoldsUnnamedFiles(const std::filesystem::path& folder);
#endif

}  // namespace korvel::test
