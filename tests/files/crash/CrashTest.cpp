#include <gtest/gtest.h>
#include <sys/stat.h>
#include <algorithm>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "CallRecorder.h"
#include "DiskModel.h"
#include "cipher/CiphertextHeader.h"
#include "cipher/age/AgeDecryptor.h"
#include "cipher/age/AgeEncryptor.h"
#include "files/FileError.h"
#include "files/TemporaryTarget.h"
#include "queue/FileQueue.h"
#include "run/AgeKeys.h"
#include "run/CipherRun.h"
#include "run/RunMessages.h"
#include "tests/support/CipherTestSupport.h"

// A power cut after every call of a run and of a set, in every state the disk may then be in, and
// every call failing in turn: each target stays the old file or becomes the complete new one.
namespace korvel::test {
namespace {

namespace fs = std::filesystem;

const std::string kPassword = "Secret 1";

struct Member {
    const char* target;     // under out/
    std::size_t length;     // of the plaintext
    std::size_t oldLength;  // of the target there before; 0: none
};

struct Scenario {
    const char* label;
    bool set;  // a FileQueue with grouped commits; otherwise one CipherRun per member
    Direction direction;
    bool unnamed;  // unnamed temporary files, where the file system has them
    std::vector<Member> members;
    CipherFormat format = CipherFormat::Seed;
};

const Scenario kScenarios[] = {
    {"encrypt to a new target", false, Direction::Encrypt, true, {{"new.kvl", 300000, 0}}},
    {"encrypt over a target", false, Direction::Encrypt, true, {{"old.kvl", 300000, 5000}}},
    {"encrypt a small file over a target, named",
     false,
     Direction::Encrypt,
     false,
     {{"old.kvl", 100, 9000}}},
    {"decrypt to a new target", false, Direction::Decrypt, true, {{"new.txt", 140000, 0}}},
    {"decrypt over a target", false, Direction::Decrypt, true, {{"old.txt", 140000, 300}}},
    {"decrypt over a target, named", false, Direction::Decrypt, false, {{"old.txt", 9000, 70000}}},
    {"encrypt a set",
     true,
     Direction::Encrypt,
     true,
     {{"a.kvl", 5000, 0}, {"b.kvl", 100, 8000}, {"sub/c.kvl", 9000, 0}, {"sub/d.kvl", 20, 20}}},
    {"decrypt a set",
     true,
     Direction::Decrypt,
     true,
     {{"a.txt", 5000, 3000}, {"sub/b.txt", 100, 0}, {"sub/c.txt", 4096, 4096}}},
    {"encrypt a set, named",
     true,
     Direction::Encrypt,
     false,
     {{"a.kvl", 5000, 7}, {"b.kvl", 4200, 0}}},
    {"age: encrypt to a new target",
     false,
     Direction::Encrypt,
     true,
     {{"new.age", 300000, 0}},
     CipherFormat::Age},
    {"age: encrypt over a target",
     false,
     Direction::Encrypt,
     true,
     {{"old.age", 300000, 5000}},
     CipherFormat::Age},
    {"age: decrypt to a new target",
     false,
     Direction::Decrypt,
     true,
     {{"new.txt", 140000, 0}},
     CipherFormat::Age},
    {"age: decrypt over a target, named",
     false,
     Direction::Decrypt,
     false,
     {{"old.txt", 9000, 70000}},
     CipherFormat::Age},
    {"age: encrypt a set",
     true,
     Direction::Encrypt,
     true,
     {{"a.age", 5000, 0}, {"sub/b.age", 100, 8000}},
     CipherFormat::Age},
    {"age: decrypt a set",
     true,
     Direction::Decrypt,
     true,
     {{"a.txt", 5000, 3000}, {"sub/b.txt", 100, 0}},
     CipherFormat::Age},
};

// The keys of the age scenarios: an identity's, so that no trial waits for scrypt.
std::shared_ptr<AgeKeys> AgeKeysOfTheTest() {
    static const age::X25519Identity identity = age::X25519Identity::Generate();
    return std::make_shared<AgeKeys>(std::vector{identity});
}

bool Aged(const Scenario& scenario) { return scenario.format == CipherFormat::Age; }

Bytes AgeFileOf(const Bytes& plain) {
    const age::X25519Recipient recipient = AgeKeysOfTheTest()->Identities().front().Recipient();
    age::AgeEncryptor encryptor(std::span(&recipient, 1));
    Bytes file;
    encryptor.Write(plain, file);
    encryptor.Finish(file);
    return file;
}

std::optional<Bytes> AgePlaintextOf(const Bytes& file) {
    try {
        age::AgeDecryptor reader(AgeKeysOfTheTest()->Identities());
        Bytes plain;
        reader.Write(file, plain);
        reader.Finish(plain);
        return plain;
    } catch (const age::AgeError&) {
        return std::nullopt;
    }
}

DiskState Snapshot(const fs::path& root) {
    DiskState state;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        struct stat status {};
        stat(entry.path().c_str(), &status);
        state[entry.path().string()] = {ReadBytes(entry.path()), status.st_mode & 0777u};
    }
    return state;
}

// The folder of one try: the key file, the sources under in/, the old targets and a file no run
// touches under out/.
class Trial {
public:
    explicit Trial(const Scenario& scenario)
        : scenario_(scenario), root_(fs::canonical(folder_.Path())) {
        key_ = PatternBytes(130000, 1);
        WriteBytes(root_ / "uae", key_);
        fs::create_directories(root_ / "in");
        fs::create_directories(root_ / "out" / "sub");
        WriteBytes(root_ / "out" / "other.txt", PatternBytes(50, 2));
        for (std::size_t index = 0; index < scenario.members.size(); ++index) {
            const Member& member = scenario.members[index];
            const Bytes plain = PatternBytes(member.length, 10 + index);
            Bytes cipher(kHeaderSize, 0x5a);
            const Bytes transformed = ReferenceTransform(plain, kPassword, key_);
            cipher.insert(cipher.end(), transformed.begin(), transformed.end());
            const bool encrypting = scenario.direction == Direction::Encrypt;
            const fs::path source = Source(index);
            if (Aged(scenario)) cipher = encrypting ? plain : AgeFileOf(plain);
            WriteBytes(source, encrypting ? plain : cipher);
            fs::permissions(source, fs::perms(0644));
            expected_[Target(index).string()] = encrypting ? cipher : plain;
            if (member.oldLength > 0) {
                WriteBytes(Target(index), PatternBytes(member.oldLength, 30 + index));
                fs::permissions(Target(index), fs::perms(0640));
            }
        }
        before = Snapshot(root_);
    }

    const fs::path& Root() const { return root_; }
    fs::path Source(std::size_t index) const {
        return root_ / "in" / (std::to_string(index) + ".source");
    }
    fs::path Target(std::size_t index) const {
        return root_ / "out" / scenario_.members[index].target;
    }

    // Runs every member; for each, its message when it failed, "" when it is done.
    std::vector<std::optional<std::string>> Run() {
        TemporaryTarget::PreferUnnamedFiles(scenario_.unnamed);
        std::vector<std::optional<std::string>> failures;
        if (scenario_.set) {
            std::vector<QueueEntry> entries;
            for (std::size_t index = 0; index < scenario_.members.size(); ++index) {
                QueueEntry& entry = entries.emplace_back();
                entry.source = Source(index);
                entry.target = Target(index);
                entry.size = fs::file_size(Source(index));
            }
            QueueSettings settings{
                scenario_.direction, kPassword, root_ / "uae", ExistingTargets::Replace, {}};
            settings.format = scenario_.format;
            settings.ageKeys = AgeKeysOfTheTest();
            FileQueue queue(std::move(entries), settings);
            SilentQueue observer;
            queue.Run(observer);
            for (const QueueEntry& entry : queue.Entries()) {
                EXPECT_TRUE(entry.state == EntryState::Done || entry.state == EntryState::Failed)
                    << entry.reason;
                failures.push_back(entry.state == EntryState::Done ? std::nullopt
                                                                   : std::optional(entry.reason));
            }
        } else {
            for (std::size_t index = 0; index < scenario_.members.size(); ++index) {
                RecordingObserver observer;
                RunRequest request{scenario_.direction, Source(index), Target(index), kPassword,
                                   root_ / "uae"};
                request.format = scenario_.format;
                request.ageKeys = AgeKeysOfTheTest();
                const RunResult result = CipherRun(request, observer);
                EXPECT_TRUE(result.outcome == RunOutcome::Completed ||
                            result.outcome == RunOutcome::Failed)
                    << result.message;
                failures.push_back(result.outcome == RunOutcome::Completed
                                       ? std::nullopt
                                       : std::optional(result.message));
            }
        }
        TemporaryTarget::PreferUnnamedFiles(true);
        return failures;
    }

    // What is wrong with `state`, "" when nothing: every target is absent where none was, the old
    // file or the complete new one (`done`: only the new one); every other file is as it was, but
    // for temporary names that the next run to a target sweeps.
    std::string Problem(const DiskState& state, const std::vector<bool>& done) const {
        std::map<std::string, bool> targets;
        for (std::size_t index = 0; index < scenario_.members.size(); ++index) {
            targets[Target(index).string()] = done[index];
        }
        for (const auto& [target, mustBeNew] : targets) {
            const auto now = state.find(target);
            const auto old = before.find(target);
            const bool isNew = now != state.end() && IsNew(target, now->second);
            const bool isOld = now == state.end()
                                   ? old == before.end()
                                   : old != before.end() && old->second == now->second;
            if (mustBeNew ? !isNew : !isNew && !isOld) {
                return target +
                       (now == state.end()
                            ? " is missing"
                            : " holds " + std::to_string(now->second.bytes.size()) + " bytes");
            }
        }
        for (const auto& [path, file] : state) {
            if (targets.contains(path) || IsLeftover(path)) continue;
            const auto old = before.find(path);
            if (old == before.end() || old->second != file) return path + " changed";
        }
        for (const auto& [path, file] : before) {
            if (!state.contains(path) && !targets.contains(path)) return path + " is gone";
        }
        return {};
    }

    DiskState before;

private:
    class SilentQueue : public QueueObserver {
        void EntryChanged(std::size_t, const QueueEntry&) override {}
        void BytesDone(std::uint64_t, std::uint64_t) override {}
        DoubtDecision AskAboutDoubtfulResult(const QueueEntry&) override {
            return DoubtDecision::DecryptAll;
        }
    };

    // The header of a ciphertext is drawn anew each run; an age file's keys too, so it is new
    // when it opens to the plaintext.
    bool IsNew(const std::string& target, const FileState& file) const {
        if (Aged(scenario_) && scenario_.direction == Direction::Encrypt) {
            return file.mode == ModeOfNew(target) &&
                   AgePlaintextOf(file.bytes) == expected_.at(target);
        }
        const Bytes& expected = expected_.at(target);
        const std::size_t from = scenario_.direction == Direction::Encrypt ? kHeaderSize : 0;
        return file.mode == ModeOfNew(target) && file.bytes.size() == expected.size() &&
               std::equal(expected.begin() + from, expected.end(), file.bytes.begin() + from);
    }

    unsigned ModeOfNew(const std::string& target) const {
        const auto old = before.find(target);
        return old != before.end() ? old->second.mode : 0644u & ~Umask();
    }

    static unsigned Umask() {
        const mode_t mask = umask(0);
        umask(mask);
        return mask;
    }

    bool IsLeftover(const std::string& path) const {
        for (std::size_t index = 0; index < scenario_.members.size(); ++index) {
            const fs::path target = Target(index);
            if (fs::path(path).parent_path() == target.parent_path() &&
                TemporaryTarget::IsTemporaryNameFor(fs::path(path).filename(), target.filename(),
                                                    255))
                return true;
        }
        return false;
    }

    const Scenario& scenario_;
    TempFolder folder_;
    fs::path root_;
    Bytes key_;
    std::map<std::string, Bytes> expected_;
};

std::vector<bool> Done(const std::vector<std::optional<std::string>>& failures) {
    std::vector<bool> done(failures.size());
    std::transform(failures.begin(), failures.end(), done.begin(),
                   [](const std::optional<std::string>& failure) { return !failure; });
    return done;
}

// Cuts the power after every call of the record in every state the disk may be in; after the
// last one the targets reported done must be new. Returns the number of states checked.
std::size_t CheckEveryCrash(const Trial& trial, const std::vector<RecordedCall>& calls,
                            const std::vector<bool>& done, const std::string& label) {
    DiskModel disk(trial.before);
    const std::vector<bool> nothingDone(done.size(), false);
    std::size_t states = 0;
    for (std::size_t index = 0; index <= calls.size(); ++index) {
        const bool last = index == calls.size();
        if (!last) disk.Apply(calls[index]);
        const bool changesTheDisk =
            last || (calls[index].op != FileOp::Read && calls[index].op != FileOp::Seek);
        if (!changesTheDisk) continue;
        std::string problem;
        disk.EachCrashState([&](const DiskState& state) {
            ++states;
            if (problem.empty()) problem = trial.Problem(state, last ? done : nothingDone);
        });
        EXPECT_EQ(problem, "") << label << ", power cut after call " << index << " of "
                               << calls.size();
        if (!problem.empty()) break;
    }
    return states;
}

std::size_t totalStates = 0;

TEST(CrashTest, EveryPowerCutLeavesEachTargetOldOrCompleteNew) {
    for (const Scenario& scenario : kScenarios) {
        Trial trial(scenario);
        std::vector<std::optional<std::string>> failures;
        std::vector<RecordedCall> calls;
        {
            CallRecorder recorder;
            failures = trial.Run();
            calls = std::move(recorder.calls);
        }
        for (const auto& failure : failures)
            ASSERT_FALSE(failure) << scenario.label << ": " << *failure;
        // The model follows the disk: what it shows at the end is what is there.
        DiskModel disk(trial.before);
        for (const RecordedCall& call : calls) disk.Apply(call);
        EXPECT_TRUE(disk.Visible() == Snapshot(trial.Root())) << scenario.label;
        const std::size_t states = CheckEveryCrash(trial, calls, Done(failures), scenario.label);
        std::printf("%s: %zu calls, %zu crash states\n", scenario.label, calls.size(), states);
        totalStates += states;
    }
    std::printf("crash states checked: %zu\n", totalStates);
}

// Whether the record put something in the target's place before the call that failed.
bool ReplacedBefore(const std::vector<RecordedCall>& calls, std::size_t failed,
                    const std::string& target) {
    for (std::size_t index = 0; index < failed; ++index) {
        const RecordedCall& call = calls[index];
        if (call.error != 0) continue;
        if ((call.op == FileOp::Rename && call.newPath == target) ||
            (call.op == FileOp::Link && call.path == target))
            return true;
    }
    return false;
}

TEST(CrashTest, EveryCallFailingInTurnIsReportedAndLosesNothing) {
    std::map<FileOp, int> failedOps;
    std::size_t states = 0;
    for (const Scenario& scenario : kScenarios) {
        for (const int error : {EIO, ENOSPC}) {
            for (long failAt = 0;; ++failAt) {
                const std::string label = std::string(scenario.label) + ", call " +
                                          std::to_string(failAt) + " failing with " +
                                          std::strerror(error);
                Trial trial(scenario);
                std::vector<std::optional<std::string>> failures;
                std::vector<RecordedCall> calls;
                {
                    CallRecorder recorder(failAt, error);
                    failures = trial.Run();
                    calls = std::move(recorder.calls);
                }
                if (static_cast<std::size_t>(failAt) >= calls.size()) break;
                ++failedOps[calls[failAt].op];
                const std::vector<bool> done = Done(failures);
                for (const auto& failure : failures) {
                    if (!failure) continue;
                    EXPECT_NE(failure->find(SystemReason(error)), std::string::npos)
                        << label << ": " << *failure;
                    EXPECT_TRUE(failure->starts_with(kCannotWriteFile) ||
                                failure->starts_with(kCannotReadFile))
                        << label << ": " << *failure;
                }
                // On the disk now: what a failed member may have is the old file, or the new one
                // where it was in place before the failure (its folder's sync failed).
                std::vector<bool> replaced(done);
                for (std::size_t index = 0; index < done.size(); ++index) {
                    if (!done[index] &&
                        ReplacedBefore(calls, failAt, trial.Target(index).string())) {
                        replaced[index] = false;
                    } else if (!done[index]) {
                        const DiskState now = Snapshot(trial.Root());
                        const auto old = trial.before.find(trial.Target(index).string());
                        const auto there = now.find(trial.Target(index).string());
                        EXPECT_TRUE(old == trial.before.end()
                                        ? there == now.end()
                                        : there != now.end() && there->second == old->second)
                            << label << ": " << trial.Target(index) << " changed";
                    }
                }
                EXPECT_EQ(trial.Problem(Snapshot(trial.Root()), replaced), "") << label;
                states += CheckEveryCrash(trial, calls, done, label);
            }
        }
    }
    for (const FileOp op :
         {FileOp::Open, FileOp::Read, FileOp::Write, FileOp::Sync, FileOp::SyncFileSystem,
          FileOp::SyncFolder, FileOp::Link, FileOp::Rename, FileOp::Close}) {
        EXPECT_GT(failedOps[op], 0) << "no call of kind " << static_cast<int>(op) << " failed";
    }
    std::printf("crash states checked after a failing call: %zu\n", states);
}

}  // namespace
}  // namespace korvel::test
