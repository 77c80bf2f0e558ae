#include "TemporaryTarget.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <functional>
#include <random>
#include <string>
#include <utility>

#include "FileError.h"

namespace korvel {

namespace fs = std::filesystem;

namespace {

constexpr int kNamingAttempts = 16;
constexpr std::size_t kSuffixDigits = 6;
constexpr const char* kNameEnd = ".part";
std::atomic<bool> preferUnnamed{true};

std::string RandomSuffix() {
    thread_local std::mt19937 engine{
        std::random_device{}()};  // a set commits on a thread of its own
    static constexpr char kHex[] = "0123456789abcdef";
    std::string suffix(kSuffixDigits, '0');
    for (char& c : suffix) c = kHex[engine() % 16];
    return suffix;
}

// "<name>.korvel-XXXXXX.part", or ".korvel-XXXXXX.part" where that would be too long a name for
// the folder, so that a file with a name near the limit can still be replaced.
fs::path::string_type NamePrefixFor(const fs::path& target, std::size_t nameLimit) {
    const fs::path::string_type mark = fs::path(LeftoverNames::kNameMark).native();
    const std::size_t rest = kSuffixDigits + fs::path(kNameEnd).native().size();
    const fs::path::string_type full = target.native() + mark;
    return full.size() + rest <= nameLimit ? full : mark;
}

bool IsHexDigits(const fs::path::string_type& text) {
    for (const auto c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

}  // namespace

void TemporaryTarget::PreferUnnamedFiles(bool prefer) { preferUnnamed = prefer; }

bool TemporaryTarget::IsTemporaryNameFor(const fs::path& name, const fs::path& target,
                                         std::size_t nameLimit) {
    const fs::path::string_type end = fs::path(kNameEnd).native();
    const fs::path::string_type& text = name.native();
    // Most names of a folder fail here, before the prefix is made: a sweep asks about each.
    if (!text.ends_with(end)) return false;
    const fs::path::string_type prefix = NamePrefixFor(target, nameLimit);
    return text.size() == prefix.size() + kSuffixDigits + end.size() && text.starts_with(prefix) &&
           IsHexDigits(text.substr(prefix.size(), kSuffixDigits));
}

// Leftovers of runs that died are swept before the file is made, so each run to a target
// clears what earlier ones could not.
TemporaryTarget::TemporaryTarget(fs::path target, unsigned newFilePermissions,
                                 LeftoverNames* leftovers, bool seenAbsent)
    : target_(std::move(target)),
      location_(TargetLocation::Of(target_, seenAbsent)),
      newFilePermissions_(newFilePermissions),
      folder_(location_, target_) {
    try {
        SweepLeftovers(leftovers);
        if (!preferUnnamed || !folder_.CreateUnnamed(file_)) {
            ClaimNewName(
                [this](const fs::path& name) { return folder_.CreatePrivate(name, file_); });
        }
    } catch (...) {
        Discard();
        throw;
    }
}

TemporaryTarget::~TemporaryTarget() { Discard(); }

void TemporaryTarget::SweepLeftovers(LeftoverNames* leftovers) {
    // Asked for only when there is a name to judge: usually there is none.
    const auto isLeftover = [&](const fs::path& name) {
        return IsTemporaryNameFor(name, location_.name, folder_.NameLimit());
    };
    if (leftovers) {
        folder_.SweepLeftovers(leftovers->In(location_.folder), isLeftover);
    } else {
        folder_.SweepLeftovers(LeftoverNames::List(location_.folder), isLeftover);
    }
}

void TemporaryTarget::Fail(int errorNumber) const {
    throw FileError(FileAccess::Write, target_, SystemReason(errorNumber));
}

fs::path TemporaryTarget::NewTemporaryName() const {
    return NamePrefixFor(location_.name, folder_.NameLimit()) +
           fs::path(RandomSuffix() + kNameEnd).native();
}

// Tries fresh names until `claim` makes the file under one; `claim` returns false when the name
// is taken and throws on any other failure.
void TemporaryTarget::ClaimNewName(const std::function<bool(const fs::path&)>& claim) {
    for (int attempt = 0; attempt < kNamingAttempts; ++attempt) {
        const fs::path name = NewTemporaryName();
        if (claim(name)) {
            tempName_ = name;
            return;
        }
    }
    Fail(EEXIST);
}

// A first write as short as a ciphertext's header waits to go out with the next one: for a small
// file, one system call in a dozen.
void TemporaryTarget::Write(const std::uint8_t* buffer, std::size_t count) {
    if (heldCount_ > 0) {
        file_.WriteTwo(held_.data(), heldCount_, buffer, count);
        heldCount_ = 0;
    } else if (!written_ && count <= held_.size()) {
        std::copy_n(buffer, count, held_.begin());
        heldCount_ = count;
    } else {
        file_.Write(buffer, count);
    }
    written_ = true;
}

void TemporaryTarget::HoldForNextWrite(const std::uint8_t* buffer, std::size_t count) {
    std::copy_n(buffer, std::min(count, held_.size()), held_.begin());
    heldCount_ = std::min(count, held_.size());
}

void TemporaryTarget::WriteHeld() {
    if (heldCount_ == 0) return;
    file_.Write(held_.data(), heldCount_);
    heldCount_ = 0;
}

// The file is named or loses its removal mark only after its last byte is on disk, so a death
// before then leaves nothing, and one after it at most a named file that the next run sweeps.
void TemporaryTarget::PrepareCommit() {
    GiveFinalAccess();
    file_.FlushToDisk();
    prepared_ = true;
}

void TemporaryTarget::CommitOver() {
    if (!prepared_) PrepareCommit();
    PutInPlace();
    MakeFolderLasting();
}

void TemporaryTarget::GiveFinalAccess() {
    WriteHeld();
    if (accessGiven_) return;
    folder_.GiveFinalAccess(file_, newFilePermissions_);
    accessGiven_ = true;
}

bool TemporaryTarget::FlushFileSystem() {
    GiveFinalAccess();
    return folder_.SyncFileSystem();
}

void TemporaryTarget::PutInPlace() {
    if (tempName_.empty()) {
        if (folder_.NameAsTarget(file_)) {
            finished_ = true;
            return;
        }
        ClaimNewName([this](const fs::path& name) { return folder_.NameUnnamed(file_, name); });
    }
    folder_.Keep(file_);
    folder_.Replace(file_, tempName_);
    tempName_.clear();
    finished_ = true;
}

void TemporaryTarget::MakeFolderLasting() { folder_.MakeLasting(); }

void TemporaryTarget::Discard() noexcept {
    if (finished_) return;
    folder_.Remove(file_, tempName_);
    tempName_.clear();
    finished_ = true;
}

}  // namespace korvel
