#include "CallRecorder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

namespace korvel::test {

CallRecorder::CallRecorder(long failAt, int failWith) : failAt_(failAt), failWith_(failWith) {
    FileCallHook::Install(this);
}

CallRecorder::~CallRecorder() { FileCallHook::Install(nullptr); }

std::string CallRecorder::PathIn(int folder, const char* name) {
    std::filesystem::path base;
    if (folder >= 0) {
        base = std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(folder));
    } else {
        base = std::filesystem::current_path();
    }
    return (name[0] == '\0' ? base : base / name).lexically_normal().string();
}

// Holds the lock until After, so that the record's order is the order the disk saw.
int CallRecorder::Before(const FileCall& call) {
    oneAtATime_.lock();
    const int savedError = errno;
    current_ = RecordedCall{.op = call.op, .file = call.file};
    if (call.name) current_.path = PathIn(call.folder, call.name);
    if (call.newName) current_.newPath = PathIn(call.folder, call.newName);
    if (call.op == FileOp::SyncFolder || call.op == FileOp::SyncFileSystem) {
        current_.path = PathIn(call.folder, "");
    }
    current_.unnamed = call.unnamed;
    if (call.op == FileOp::Write) current_.value = lseek(call.file, 0, SEEK_CUR);
    if (call.op == FileOp::ChangeMode) current_.value = call.offset;
    errno = savedError;
    const long index = static_cast<long>(calls.size());
    return index == failAt_ ? failWith_ : 0;
}

void CallRecorder::After(const FileCall& call, long long result, int error) {
    current_.error = error;
    if (call.op == FileOp::Open && result >= 0) {
        current_.file = static_cast<int>(result);
        struct stat status {};
        fstat(current_.file, &status);
        current_.onFolder = S_ISDIR(status.st_mode);
        current_.value = status.st_mode & 0777;
    }
    if (call.op == FileOp::Write && result > 0) {
        const auto written = static_cast<std::size_t>(result);
        current_.bytes.assign(call.bytes, call.bytes + std::min(written, call.count));
        if (written > call.count) {
            current_.bytes.insert(current_.bytes.end(), call.moreBytes,
                                  call.moreBytes + (written - call.count));
        }
    }
    calls.push_back(std::move(current_));
    oneAtATime_.unlock();
}

}  // namespace korvel::test
