#include "CipherRun.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>

#include "AgeKeys.h"
#include "AgeTransform.h"
#include "BlockBuffer.h"
#include "RunMessages.h"
#include "TransformingReader.h"
#include "cipher/CiphertextHeader.h"
#include "cipher/KeyFileReader.h"
#include "cipher/KeyFingerprint.h"
#include "cipher/Keystream.h"
#include "cipher/PasswordRule.h"
#include "files/BinaryFile.h"
#include "files/CommitGroup.h"
#include "files/FileError.h"
#include "files/FileSystemCalls.h"
#include "files/PathIdentity.h"
#include "files/TemporaryTarget.h"
#include "files/VolumeLimits.h"

namespace korvel {

namespace {

constexpr std::uint64_t kBytesPerUpdate = 1000;

int PercentAt(std::uint64_t nextSourcePosition, std::uint64_t sourceLength) {
    // nearbyint rounds an exact half to the even neighbour.
    const double ratio =
        static_cast<double>(nextSourcePosition) / static_cast<double>(sourceLength);
    return static_cast<int>(std::nearbyint(ratio * 100.0));
}

class Run {
public:
    Run(const RunRequest& request, RunNotifications& notifications,
        const std::function<void()>& beforeTargetWrite)
        : request_(request),
          flags_(*request.flags),
          notifications_(notifications),
          beforeTargetWrite_(beforeTargetWrite),
          texts_(TextsFor(request.direction)) {}

    RunResult Execute();

private:
    enum class Interruption { None, Cancelled, Abandoned };

    bool Encrypting() const { return request_.direction == Direction::Encrypt; }
    RunResult Process();
    bool UsesAge(BinaryFile& source) const;
    RunResult ProcessAge(BinaryFile& source);
    void EnterProgressModeIfLong();
    std::unique_ptr<TemporaryTarget> MakeTarget(const BinaryFile& source) const;
    RunResult AgeFailure(const age::AgeError& error);
    void WriteHeader(TemporaryTarget& target);
    void WriteBlock(TemporaryTarget& target, const TransformingReader::Block& block, bool last);
    void BeforeTargetWrite() const {
        if (beforeTargetWrite_) beforeTargetWrite_();
    }
    Interruption ReportProgress(std::uint64_t firstByte, std::uint64_t lastByte,
                                std::uint64_t dataCount);
    void LeaveProgressMode(LeaveReason reason);
    RunResult Notify(RunOutcome outcome, const std::string& text, NoticeKind kind);

    void RefuseWhatTheVolumeCannotHold() const;
    bool InterruptedBetweenBlocks() const;
    // key: the seed format's, which the age format does not read.
    RunResult Cancel(TemporaryTarget& target, BinaryFile& source, KeyFileReader* key);
    RunResult Commit(std::unique_ptr<TemporaryTarget> target, BinaryFile& source,
                     KeyFileReader* key);
    std::uint64_t SeedTargetLength() const;
    std::uint64_t TargetLength() const { return targetLength_; }
    // A set's key file stays open for its next run.
    void CloseKey(KeyFileReader* key) const {
        if (key && !request_.keyReader) key->Close();
    }

    const RunRequest& request_;
    RunFlags& flags_;
    RunNotifications& notifications_;
    const std::function<void()>& beforeTargetWrite_;
    const DirectionTexts& texts_;
    bool inProgressMode_ = false;
    std::uint64_t sourceLength_ = 0;
    std::uint64_t targetLength_ = 0;
    // Progress counts bytes of the data (the seed format) or of the source (age) from here.
    std::uint64_t firstSourcePosition_ = 1;
    std::shared_ptr<AgeKeys> ageKeys_;
};

RunResult Run::Execute() {
    if (flags_.StopRequested()) return {RunOutcome::Abandoned, {}, {}, {}};
    if (const auto refusal = RunRefusal(request_)) {
        return Notify(RunOutcome::Refused, *refusal, NoticeKind::Information);
    }
    try {
        return Process();
    } catch (const FileError& error) {
        // Every file of the run is closed and the temporary target removed by now.
        if (inProgressMode_) LeaveProgressMode(LeaveReason::Completed);
        RunResult result = Notify(RunOutcome::Failed, FailureMessage(error), NoticeKind::Warning);
        result.failedFile = error.File();
        result.reason = error.Reason();
        return result;
    } catch (const age::AgeError& error) {
        return AgeFailure(error);
    }
}

// The temporary target is removed by now, and an existing target untouched.
RunResult Run::AgeFailure(const age::AgeError& error) {
    if (inProgressMode_) LeaveProgressMode(LeaveReason::Completed);
    if (error.Kind() != age::AgeErrorKind::NoIdentityMatches) {
        RunResult result =
            Notify(RunOutcome::Failed, AgeFailureMessage(error.Kind()), NoticeKind::Warning);
        result.failedFile = request_.source;
        return result;
    }
    std::string fingerprint;
    if (!ageKeys_ || !ageKeys_->FromIdentityFile()) {
        fingerprint = KeyFileFingerprint(request_.keyFile).value_or("");
    }
    return Notify(RunOutcome::NotOpened, AgeNotOpenedMessage(fingerprint), NoticeKind::Warning);
}

RunResult Run::Process() {
    BinaryFile source = BinaryFile::OpenForReading(request_.source);
    sourceLength_ = source.Size();
    if (UsesAge(source)) return ProcessAge(source);
    if (request_.password.empty()) {
        return Notify(RunOutcome::Refused, kSeedNeedsPassword, NoticeKind::Information);
    }
    targetLength_ = SeedTargetLength();
    firstSourcePosition_ = Encrypting() ? 1 : kHeaderSize + 1;
    RefuseWhatTheVolumeCannotHold();
    EnterProgressModeIfLong();
    std::unique_ptr<TemporaryTarget> target = MakeTarget(source);
    if (Encrypting()) WriteHeader(*target);

    std::optional<KeyFileReader> ownKey;
    KeyFileReader& key = request_.keyReader
                             ? *request_.keyReader
                             : ownKey.emplace(BinaryFile::OpenForReading(request_.keyFile));
    Keystream keystream;
    keystream.Start(request_.password, key);

    const std::uint64_t dataCount = Encrypting() ? sourceLength_ : PlaintextLengthOf(sourceLength_);
    if (!Encrypting()) source.Seek(std::min(sourceLength_, kHeaderSize));

    TransformingReader blocks(source, keystream, dataCount, BlockBuffer::kRunBlockSize,
                              TransformingReader::WorthReadingAhead(source, dataCount));
    for (std::uint64_t done = 0; done < dataCount;) {
        if (InterruptedBetweenBlocks()) {
            if (flags_.StopRequested()) return {RunOutcome::Abandoned, {}, {}, {}};
            blocks.Stop();
            return Cancel(*target, source, &key);
        }
        const TransformingReader::Block block = blocks.Next();
        BeforeTargetWrite();
        WriteBlock(*target, block, done + block.count >= dataCount);

        const Interruption interruption =
            inProgressMode_ ? ReportProgress(done + 1, done + block.count, dataCount)
                            : Interruption::None;
        if (interruption == Interruption::Cancelled) {
            blocks.Stop();
            return Cancel(*target, source, &key);
        }
        if (interruption == Interruption::Abandoned) return {RunOutcome::Abandoned, {}, {}, {}};
        done += block.count;
    }
    blocks.Stop();
    return Commit(std::move(target), source, &key);
}

bool Run::UsesAge(BinaryFile& source) const {
    return Encrypting() ? request_.format == CipherFormat::Age
                        : AgeTransform::StartsAgeFile(source);
}

// A decryption reads and opens the header before anything else: wrong keys or a malformed
// header are told at once, and no temporary target is made for them.
RunResult Run::ProcessAge(BinaryFile& source) {
    // Kept by the run, not this function: a failure reported after it returns still asks them
    // where they came from.
    ageKeys_ = request_.ageKeys ? request_.ageKeys
                                : std::make_shared<AgeKeys>(request_.password, request_.keyFile);
    AgeKeys& keys = *ageKeys_;
    const std::unique_ptr<AgeTransform> transform = Encrypting()
                                                        ? AgeTransform::Encryption(source, keys)
                                                        : AgeTransform::Decryption(source, keys);
    targetLength_ = transform->TargetLength();
    firstSourcePosition_ = 0;
    RefuseWhatTheVolumeCannotHold();
    EnterProgressModeIfLong();
    std::unique_ptr<TemporaryTarget> target = MakeTarget(source);
    for (std::uint64_t done = transform->SourceStart(); !transform->Finished();) {
        if (InterruptedBetweenBlocks()) {
            if (flags_.StopRequested()) return {RunOutcome::Abandoned, {}, {}, {}};
            return Cancel(*target, source, nullptr);
        }
        const AgeTransform::Block block = transform->Next();
        BeforeTargetWrite();
        target->Write(block.data, block.count);
        const Interruption interruption =
            inProgressMode_ ? ReportProgress(done + 1, block.sourceEnd, sourceLength_)
                            : Interruption::None;
        if (interruption == Interruption::Cancelled) return Cancel(*target, source, nullptr);
        if (interruption == Interruption::Abandoned) return {RunOutcome::Abandoned, {}, {}, {}};
        done = block.sourceEnd;
    }
    return Commit(std::move(target), source, nullptr);
}

void Run::EnterProgressModeIfLong() {
    if (sourceLength_ <= static_cast<std::uint64_t>(kQuietRunLimit)) return;
    flags_.ClearCancel();
    inProgressMode_ = true;
    notifications_.EnterProgressMode();
}

// On the heap, so that a commit group can take it over.
std::unique_ptr<TemporaryTarget> Run::MakeTarget(const BinaryFile& source) const {
    const unsigned mask =
        request_.creationMask ? *request_.creationMask : FileSystemCalls::CreationMask();
    return std::make_unique<TemporaryTarget>(request_.target, source.Permissions() & ~mask,
                                             request_.leftoverNames, request_.targetSeenAbsent);
}

// A target of 4 GiB or more on a FAT32 volume would fail only once that much is written.
void Run::RefuseWhatTheVolumeCannotHold() const {
    const std::filesystem::path folder = request_.target.parent_path();
    if (!VolumeLimits::Holds(folder.empty() ? "." : folder, TargetLength())) {
        throw FileError(FileAccess::Write, request_.target, kTooLargeForFat);
    }
}

// A stop, in any run; a cancel in a quiet run, which has no question to ask (in progress mode the
// cancel is asked about at the progress updates).
bool Run::InterruptedBetweenBlocks() const {
    return flags_.StopRequested() || (!inProgressMode_ && flags_.CancelRequested());
}

RunResult Run::Cancel(TemporaryTarget& target, BinaryFile& source, KeyFileReader* key) {
    if (inProgressMode_)
        notifications_.LeaveProgressMode(LeaveStep::FilesOpen, LeaveReason::Cancelled);
    target.Discard();
    source.Close();
    CloseKey(key);
    if (inProgressMode_) {
        inProgressMode_ = false;
        notifications_.LeaveProgressMode(LeaveStep::FilesClosed, LeaveReason::Cancelled);
    }
    return {RunOutcome::Cancelled, {}, {}, {}};
}

std::uint64_t Run::SeedTargetLength() const {
    return Encrypting() ? sourceLength_ + kHeaderSize : PlaintextLengthOf(sourceLength_);
}

// The target is flushed to disk first, which can take long; a stop that comes before the target is
// replaced leaves it as it was, one that comes after lets the run complete. A target the commit
// group takes is flushed and replaced by the group, with the others it holds.
RunResult Run::Commit(std::unique_ptr<TemporaryTarget> target, BinaryFile& source,
                      KeyFileReader* key) {
    CloseKey(key);
    const bool grouped = request_.commitGroup && CommitGroup::Takes(TargetLength());
    if (!grouped) {
        // The length at the start decided the progress display and the data count; a source that
        // has more to give changed during the run, or never told its length (as files under
        // /proc). A group makes the same check when it commits.
        source.ExpectEnd();
        source.Close();
        target->PrepareCommit();
    }
    if (!flags_.BeginReplacing()) {
        target->Discard();
        return {RunOutcome::Abandoned, {}, {}, {}};
    }
    if (grouped) {
        request_.commitGroup->Add(std::move(target), TargetLength(), std::move(source));
    } else {
        target->CommitOver();
    }
    RunResult result = Notify(RunOutcome::Completed, texts_.completed, NoticeKind::Information);
    if (inProgressMode_) LeaveProgressMode(LeaveReason::Completed);
    return result;
}

// The header shifts a ciphertext by ten bytes against its plaintext. Each block but the last goes
// out without its last ten bytes, behind the ten held back from the block before (the header, for
// the first): so every read of the plaintext and every write of the ciphertext starts on a block
// boundary of its file, where the system's copies run aligned with the file's pages. A write that
// starts ten bytes into a page costs the system half as much again.
void Run::WriteBlock(TemporaryTarget& target, const TransformingReader::Block& block, bool last) {
    if (!Encrypting() || last) {
        target.Write(block.data, block.count);
        return;
    }
    const std::size_t now = block.count - kHeaderSize;
    target.Write(block.data, now);
    target.HoldForNextWrite(block.data + now, kHeaderSize);
}

void Run::WriteHeader(TemporaryTarget& target) {
    const CiphertextHeader header = MakeCiphertextHeader();
    BeforeTargetWrite();
    target.Write(header.data(), header.size());
}

// Progress updates come after data bytes 1001, 2001, 3001, ... of the run, never after its last.
Run::Interruption Run::ReportProgress(std::uint64_t firstByte, std::uint64_t lastByte,
                                      std::uint64_t dataCount) {
    std::uint64_t update = firstByte <= kBytesPerUpdate + 1
                               ? kBytesPerUpdate + 1
                               : ((firstByte - 2) / kBytesPerUpdate + 1) * kBytesPerUpdate + 1;
    for (; update <= lastByte && update < dataCount; update += kBytesPerUpdate) {
        if (flags_.StopRequested()) return Interruption::Abandoned;
        notifications_.ShowPercent(PercentAt(firstSourcePosition_ + update, sourceLength_));
        if (flags_.CancelRequested()) {
            if (notifications_.AskCancel(texts_.cancelTitle, texts_.cancelQuestion) ==
                CancelAnswer::Yes) {
                return Interruption::Cancelled;
            }
            flags_.ClearCancel();
        }
        notifications_.PumpEvents();
    }
    return Interruption::None;
}

void Run::LeaveProgressMode(LeaveReason reason) {
    inProgressMode_ = false;
    notifications_.LeaveProgressMode(LeaveStep::FilesOpen, reason);
    notifications_.LeaveProgressMode(LeaveStep::FilesClosed, reason);
}

RunResult Run::Notify(RunOutcome outcome, const std::string& text, NoticeKind kind) {
    notifications_.ShowNotice(text, kind);
    return {outcome, text, {}, {}};
}

}  // namespace

std::optional<const char*> RunRefusal(const RunRequest& request) {
    const DirectionTexts& texts = TextsFor(request.direction);
    if (request.source.empty()) return texts.emptySource;
    if (request.target.empty()) return texts.emptyTarget;
    if (request.source.native() == request.target.native()) return texts.samePaths;
    // The identities of an identity file open age files without a password or key file.
    const bool keyFileUsed =
        !(request.ageKeys && request.ageKeys->FromIdentityFile() && request.password.empty());
    if (keyFileUsed) {
        if (const auto problem = PasswordProblem(request.password)) return problem;
    }
    const SeenPath source(request.source);
    const SeenPath target =
        request.targetSeenAbsent ? SeenPath::Absent(request.target) : SeenPath(request.target);
    if (!keyFileUsed) {
        if (NameSameFile(source, target)) return texts.samePaths;
        if (!BinaryFile::MayBeOpened(source)) return texts.missingSource;
        return std::nullopt;
    }
    // A set's key file is open: it is there, and a target that is not there is not it.
    const SeenPath key =
        request.keyReader ? SeenPath::Existing(request.keyFile) : SeenPath(request.keyFile);
    if (NameSameFile(source, target)) return texts.samePaths;
    if (NameSameFile(target, key)) return kTargetIsKeyFile;
    if (!BinaryFile::MayBeOpened(source)) return texts.missingSource;
    if (!BinaryFile::MayBeOpened(key)) return kMissingKeyFile;
    return std::nullopt;
}

RunResult CipherRun(const RunRequest& request, RunNotifications& notifications) {
    return CipherRun(request, notifications, {});
}

RunResult CipherRun(const RunRequest& request, RunNotifications& notifications,
                    const std::function<void()>& beforeTargetWrite) {
    return Run(request, notifications, beforeTargetWrite).Execute();
}

}  // namespace korvel
