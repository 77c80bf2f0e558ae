#include "CipherRun.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

#include "BinaryFile.h"
#include "BlockBuffer.h"
#include "FileError.h"
#include "KeyFileReader.h"
#include "Keystream.h"
#include "PasswordRule.h"
#include "PathIdentity.h"
#include "RandomInRange.h"
#include "RunMessages.h"
#include "TemporaryTarget.h"
#include "TransformingReader.h"

namespace korvel {

namespace {

constexpr std::uint64_t kHeaderSize = 10;
constexpr std::uint64_t kBytesPerUpdate = 1000;

int PercentAt(std::uint64_t nextSourcePosition, std::uint64_t sourceLength) {
    // nearbyint rounds an exact half to the even neighbour.
    const double ratio =
        static_cast<double>(nextSourcePosition) / static_cast<double>(sourceLength);
    return static_cast<int>(std::nearbyint(ratio * 100.0));
}

class Run {
public:
    Run(const RunRequest& request, RunObserver& observer,
        const std::function<void()>& beforeTargetWrite)
        : request_(request),
          observer_(observer),
          beforeTargetWrite_(beforeTargetWrite),
          texts_(TextsFor(request.direction)) {}

    RunResult Execute();

private:
    enum class Interruption { None, Cancelled, Abandoned };

    bool Encrypting() const { return request_.direction == Direction::Encrypt; }
    std::optional<const char*> Refusal() const;
    RunResult Process();
    void WriteHeader(TemporaryTarget& target);
    void BeforeTargetWrite() const {
        if (beforeTargetWrite_) beforeTargetWrite_();
    }
    Interruption ReportProgress(std::uint64_t firstByte, std::uint64_t lastByte,
                                std::uint64_t dataCount);
    void LeaveProgressMode(LeaveReason reason);
    RunResult Notify(RunOutcome outcome, const std::string& text, NoticeKind kind);

    const RunRequest& request_;
    RunObserver& observer_;
    const std::function<void()>& beforeTargetWrite_;
    const DirectionTexts& texts_;
    bool inProgressMode_ = false;
    std::uint64_t sourceLength_ = 0;
};

RunResult Run::Execute() {
    if (const auto refusal = Refusal()) {
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
    }
}

std::optional<const char*> Run::Refusal() const {
    if (request_.source.empty()) return texts_.emptySource;
    if (request_.target.empty()) return texts_.emptyTarget;
    if (request_.source.native() == request_.target.native()) return texts_.samePaths;
    if (const auto problem = PasswordProblem(request_.password)) return problem;
    if (NameSameFile(request_.source, request_.target)) return texts_.samePaths;
    if (NameSameFile(request_.target, request_.keyFile)) return kTargetIsKeyFile;
    if (!BinaryFile::MayBeOpened(request_.source)) return texts_.missingSource;
    if (!BinaryFile::MayBeOpened(request_.keyFile)) return kMissingKeyFile;
    return std::nullopt;
}

RunResult Run::Process() {
    BinaryFile source = BinaryFile::OpenForReading(request_.source);
    sourceLength_ = source.Size();
    if (sourceLength_ > static_cast<std::uint64_t>(kQuietRunLimit)) {
        observer_.CancelRequested = false;
        inProgressMode_ = true;
        observer_.EnterProgressMode();
    }
    TemporaryTarget target(request_.target, source.Permissions());
    if (Encrypting()) WriteHeader(target);

    KeyFileReader key(BinaryFile::OpenForReading(request_.keyFile));
    Keystream keystream;
    keystream.Start(request_.password, key);

    const std::uint64_t dataCount =
        Encrypting() ? sourceLength_
                     : (sourceLength_ > kHeaderSize ? sourceLength_ - kHeaderSize : 0);
    if (!Encrypting()) source.Seek(std::min(sourceLength_, kHeaderSize));

    // The header shifts a ciphertext by ten bytes. A first block that much shorter puts every later
    // write on a block boundary of the target, where the system's copy into the file's pages runs
    // aligned; otherwise each write starts ten bytes into a page.
    const std::size_t firstCount = Encrypting() && dataCount > BlockBuffer::kRunBlockSize
                                       ? BlockBuffer::kRunBlockSize - kHeaderSize
                                       : BlockBuffer::kRunBlockSize;
    TransformingReader blocks(source, keystream, dataCount, firstCount,
                              TransformingReader::WorthReadingAhead(dataCount));
    for (std::uint64_t done = 0; done < dataCount;) {
        const TransformingReader::Block block = blocks.Next();
        BeforeTargetWrite();
        target.Write(block.data, block.count);

        const Interruption interruption =
            inProgressMode_ ? ReportProgress(done + 1, done + block.count, dataCount)
                            : Interruption::None;
        if (interruption == Interruption::Cancelled) {
            observer_.LeaveProgressMode(LeaveHalf::RestoreControls, LeaveReason::Cancelled);
            blocks.Stop();
            target.Discard();
            source.Close();
            key.Close();
            inProgressMode_ = false;
            observer_.LeaveProgressMode(LeaveHalf::HideProgress, LeaveReason::Cancelled);
            return {RunOutcome::Cancelled, {}, {}, {}};
        }
        if (interruption == Interruption::Abandoned) return {RunOutcome::Abandoned, {}, {}, {}};
        if (inProgressMode_) observer_.EndOfBlock();
        done += block.count;
    }
    blocks.Stop();

    // The length at the start decided the progress display and the data count; a source that
    // has more to give changed during the run, or never told its length (as files under /proc).
    source.ExpectEnd();
    key.Close();
    source.Close();
    target.CommitOver();
    RunResult result = Notify(RunOutcome::Completed, texts_.completed, NoticeKind::Information);
    if (inProgressMode_) LeaveProgressMode(LeaveReason::Completed);
    return result;
}

void Run::WriteHeader(TemporaryTarget& target) {
    std::uint8_t header[kHeaderSize];
    for (std::uint8_t& byte : header) byte = static_cast<std::uint8_t>(RandomInRange(0, 255));
    BeforeTargetWrite();
    target.Write(header, kHeaderSize);
}

// Progress updates come after data bytes 1001, 2001, 3001, ... of the run, never after its last.
Run::Interruption Run::ReportProgress(std::uint64_t firstByte, std::uint64_t lastByte,
                                      std::uint64_t dataCount) {
    const std::uint64_t firstSourcePosition = Encrypting() ? 1 : kHeaderSize + 1;
    std::uint64_t update = firstByte <= kBytesPerUpdate + 1
                               ? kBytesPerUpdate + 1
                               : ((firstByte - 2) / kBytesPerUpdate + 1) * kBytesPerUpdate + 1;
    for (; update <= lastByte && update < dataCount; update += kBytesPerUpdate) {
        observer_.ShowPercent(PercentAt(firstSourcePosition + update, sourceLength_));
        if (observer_.CancelRequested) {
            if (observer_.AskCancel(texts_.cancelTitle, texts_.cancelQuestion) ==
                CancelAnswer::Yes) {
                return Interruption::Cancelled;
            }
            observer_.CancelRequested = false;
        }
        if (!observer_.PumpEvents()) return Interruption::Abandoned;
    }
    return Interruption::None;
}

void Run::LeaveProgressMode(LeaveReason reason) {
    inProgressMode_ = false;
    observer_.LeaveProgressMode(LeaveHalf::RestoreControls, reason);
    observer_.LeaveProgressMode(LeaveHalf::HideProgress, reason);
}

RunResult Run::Notify(RunOutcome outcome, const std::string& text, NoticeKind kind) {
    observer_.ShowNotice(text, kind);
    return {outcome, text, {}, {}};
}

}  // namespace

RunResult CipherRun(const RunRequest& request, RunObserver& observer) {
    return CipherRun(request, observer, {});
}

RunResult CipherRun(const RunRequest& request, RunObserver& observer,
                    const std::function<void()>& beforeTargetWrite) {
    return Run(request, observer, beforeTargetWrite).Execute();
}

}  // namespace korvel
