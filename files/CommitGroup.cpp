#include "CommitGroup.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace korvel {

void CommitGroup::Add(std::unique_ptr<TemporaryTarget> target, std::uint64_t length,
                      BinaryFile source) {
    members_.push_back({std::move(target), std::move(source)});
    bytes_ += length;
}

std::vector<std::optional<FileError>> CommitGroup::Commit() {
    Failures failures(members_.size());
    Finish(failures);
    const std::vector<Indices> folders = MembersByFolder();
    for (const Indices& folder : folders) Flush(folder, failures);
    PutInPlace(failures);
    for (const Indices& folder : folders) MakeLasting(folder, failures);
    members_.clear();  // discards the members that failed
    bytes_ = 0;
    return failures;
}

std::vector<CommitGroup::Indices> CommitGroup::MembersByFolder() const {
    std::vector<Indices> folders;
    for (std::size_t index = 0; index < members_.size(); ++index) {
        const std::filesystem::path& folder = members_[index].target->Folder();
        auto known = folders.begin();
        while (known != folders.end() &&
               members_[known->front()].target->Folder().native() != folder.native())
            ++known;
        if (known == folders.end()) {
            folders.push_back({index});
        } else {
            known->push_back(index);
        }
    }
    return folders;
}

// Before the flush, so that each file's access reaches the disk with its bytes.
void CommitGroup::Finish(Failures& failures) {
    for (std::size_t index = 0; index < members_.size(); ++index) {
        try {
            members_[index].source.ExpectEnd();
            members_[index].source.Close();
            members_[index].target->GiveFinalAccess();
        } catch (const FileError& error) {
            failures[index] = error;
        }
    }
}

void CommitGroup::Flush(const Indices& folder, Failures& failures) {
    const auto ready = std::find_if(folder.begin(), folder.end(),
                                    [&failures](std::size_t index) { return !failures[index]; });
    if (ready == folder.end()) return;
    try {
        if (members_[*ready].target->FlushFileSystem()) return;
    } catch (const FileError& error) {
        // The lost bytes may be any file's of the file system, and a later syncfs that succeeds
        // does not bring them back: no member of the group is on disk for sure.
        Indices everyone(members_.size());
        std::iota(everyone.begin(), everyone.end(), std::size_t{0});
        FailAll(everyone, error, failures);
        return;
    }
    for (const std::size_t index : folder) {
        if (failures[index]) continue;
        try {
            members_[index].target->PrepareCommit();
        } catch (const FileError& error) {
            failures[index] = error;
        }
    }
}

void CommitGroup::PutInPlace(Failures& failures) {
    for (std::size_t index = 0; index < members_.size(); ++index) {
        if (failures[index]) continue;
        try {
            members_[index].target->PutInPlace();
        } catch (const FileError& error) {
            failures[index] = error;
        }
    }
}

void CommitGroup::MakeLasting(const Indices& folder, Failures& failures) {
    const auto placed = [&failures](std::size_t index) { return !failures[index]; };
    if (std::none_of(folder.begin(), folder.end(), placed)) return;
    try {
        members_[folder.front()].target->MakeFolderLasting();
    } catch (const FileError& error) {
        FailAll(folder, error, failures);
    }
}

// Each failure names its own member's target, with the reason of the one that failed.
void CommitGroup::FailAll(const Indices& folder, const FileError& error, Failures& failures) const {
    for (const std::size_t index : folder) {
        if (failures[index]) continue;
        failures[index] =
            FileError(error.Access(), members_[index].target->Target(), error.Reason());
    }
}

}  // namespace korvel
