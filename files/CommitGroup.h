#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "BinaryFile.h"
#include "FileError.h"
#include "TemporaryTarget.h"

namespace korvel {

// Temporary targets of complete runs, committed together. A file committed on its own waits for
// the disk twice (its bytes, then its folder), which for a small file is nearly all of its run; a
// group waits once for all: every member's bytes go to disk (one syncfs for each folder where the
// system has it), then every member takes its target's place, then each folder is made lasting.
// No member takes its target's place before every member's bytes are on disk, so each target is,
// after a power cut at any moment, the old file or the complete new one.
// Bounded in count, so that it holds few files open, and in bytes, so that little unwritten data
// waits; a large file gains nothing by waiting and commits on its own (Takes). Members left when
// the group is destroyed are discarded.
class CommitGroup {
public:
    static constexpr std::size_t kCountLimit = 64;
    static constexpr std::uint64_t kByteLimit = std::uint64_t{64} << 20;
    static constexpr std::uint64_t kLargestMember = std::uint64_t{8} << 20;

    // Whether a target of `length` bytes waits in a group rather than commits on its own.
    static bool Takes(std::uint64_t length) { return length <= kLargestMember; }

    // Keeps the target, and the source it was made from, until Commit(), which first checks that
    // the source has not changed since it was read (BinaryFile::ExpectEnd), closes it and gives
    // the target its final access: on the commit's thread rather than the run's.
    void Add(std::unique_ptr<TemporaryTarget> target, std::uint64_t length, BinaryFile source);
    std::size_t Count() const { return members_.size(); }
    // Whether the group is to be committed before another target joins it.
    bool Full() const { return members_.size() >= kCountLimit || bytes_ >= kByteLimit; }

    // Commits every member and empties the group. Returns for each member, in the order added, the
    // failure that kept it from its target's place or from lasting there, if any. A failed flush
    // fails every member of its folder, a failed syncfs every member of the group, and their
    // targets stay as they were.
    std::vector<std::optional<FileError>> Commit();

private:
    using Failures = std::vector<std::optional<FileError>>;
    using Indices = std::vector<std::size_t>;

    std::vector<Indices> MembersByFolder() const;
    void Finish(Failures& failures);
    void Flush(const Indices& folder, Failures& failures);
    void PutInPlace(Failures& failures);
    void MakeLasting(const Indices& folder, Failures& failures);
    void FailAll(const Indices& folder, const FileError& error, Failures& failures) const;

    struct Member {
        std::unique_ptr<TemporaryTarget> target;
        BinaryFile source;
    };
    std::vector<Member> members_;
    std::uint64_t bytes_ = 0;
};

}  // namespace korvel
