#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "CallRecorder.h"

namespace korvel::test {

// What a file holds on the disk, or would after a power cut.
struct FileState {
    std::vector<std::uint8_t> bytes;
    unsigned mode = 0;
    bool operator==(const FileState&) const = default;
};
using DiskState = std::map<std::string, FileState>;  // absolute path -> file

// The disk beneath a record of calls (CallRecorder), with the rules a journalling file system
// such as ext4 (data=ordered) keeps, taken no stronger than the file layer relies on:
// - A file's bytes and mode reach the disk only through its fsync or its file system's syncfs.
//   Until then a power cut leaves what did reach it followed by a part of the later bytes that
//   ends on a 4 KiB block or where the writing ended; the part may also be empty.
// - A failed fsync or syncfs may have dropped the unwritten bytes: no later sync brings them.
// - A name made, linked, renamed or removed in a folder reaches the disk only through that
//   folder's fsync (not through a file's fsync or syncfs, which on ext4 would commit it too).
//   Until then a power cut keeps, of each folder's changes since its last fsync, those up to some
//   point in the order they were made (the journal writes them in order); folders independently.
// - Names and bytes are independent: a name may reach the disk before the bytes of its file.
class DiskModel {
public:
    explicit DiskModel(const DiskState& initial);

    void Apply(const RecordedCall& call);
    // Every state a power cut now may leave, given to `visit` one at a time.
    void EachCrashState(const std::function<void(const DiskState&)>& visit) const;
    // The files as the process sees them now.
    DiskState Visible() const;

private:
    struct Inode {
        std::vector<std::uint8_t> bytes, durable;
        unsigned mode = 0, durableMode = 0;
        bool poisoned = false;  // a sync failed: what it did not write is lost
    };
    enum class Change { Add, Remove, Move };
    struct NameChange {
        Change change;
        std::string folder, path, newPath;
        std::size_t inode;
    };
    using Names = std::map<std::string, std::size_t>;

    std::size_t NewInode(unsigned mode);
    void ChangeName(Change change, const std::string& path, const std::string& newPath,
                    std::size_t inode);
    static void ApplyTo(Names& names, const NameChange& change);
    void Sync(Inode& inode) const;
    std::vector<FileState> Candidates(const Inode& inode) const;
    void EachContent(const Names& names, const std::function<void(const DiskState&)>& visit) const;

    std::vector<Inode> inodes_;
    Names names_, durableNames_;
    std::vector<NameChange> pending_;
    std::map<int, std::size_t> open_;
};

}  // namespace korvel::test
