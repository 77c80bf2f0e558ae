#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "files/FileCallHook.h"

namespace korvel::test {

// One call of the file layer as the disk sees it: paths made absolute, descriptors as the process
// had them, a write's position and bytes.
struct RecordedCall {
    FileOp op = FileOp::Open;
    int error = 0;            // the call failed with this, made up or real
    int file = -1;            // Open: the new descriptor; otherwise the one acted on
    bool onFolder = false;    // Open of a folder, which the disk model does not need
    bool unnamed = false;     // Open: O_TMPFILE
    std::string path{};       // opened, linked, unlinked, renamed from; a folder's sync: the folder
    std::string newPath{};    // renamed to
    std::uint64_t value = 0;  // Write: the position; ChangeMode and Open: the mode
    std::vector<std::uint8_t> bytes{};  // Write: what reached the file
};

// Installs itself as the file call hook for its lifetime, records every call in the order they
// happen (one at a time: a call on one thread waits for one on another), and makes the call with
// index failAt (0-based, counting every call) fail with failWith.
class CallRecorder : public FileCallHook {
public:
    explicit CallRecorder(long failAt = -1, int failWith = 0);
    ~CallRecorder() override;

    int Before(const FileCall& call) override;
    void After(const FileCall& call, long long result, int error) override;

    std::vector<RecordedCall> calls;

private:
    static std::string PathIn(int folder, const char* name);

    std::mutex oneAtATime_;
    long failAt_;
    int failWith_;
    RecordedCall current_;
};

}  // namespace korvel::test
