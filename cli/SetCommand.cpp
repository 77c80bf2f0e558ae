#include "SetCommand.h"

#include <array>
#include <iostream>

#include "CliMessages.h"
#include "ConsoleProgress.h"
#include "ExitStatus.h"
#include "Terminal.h"
#include "cipher/age/AgeHeader.h"
#include "files/BinaryFile.h"
#include "files/FileError.h"
#include "headcheck/HeadJudge.h"
#include "queue/SourceGathering.h"
#include "run/HeadDecryption.h"
#include "run/RunMessages.h"

namespace korvel {

namespace {

QString QtPath(const std::filesystem::path& path) { return QString::fromStdString(PathText(path)); }

// The head, decrypted in memory with the set's open key file, does not look right.
bool LooksWrong(const RunRequest& request) {
    const auto head = HeadDecryption::Decrypt(request, HeadJudge::kHeadSize);
    if (!head) return false;
    const QByteArrayView bytes(head->bytes.data(), static_cast<qsizetype>(head->bytes.size()));
    const QString name = QtPath(request.target.filename());
    return HeadJudge()
               .Judge(bytes, head->wholeFile, name, static_cast<int>(request.password.size()))
               .verdict == HeadVerdict::Implausible;
}

// With an identity file there is no password for the seed format: such a source fails at once.
void FailSeedSources(std::vector<QueueEntry>& entries) {
    for (QueueEntry& entry : entries) {
        if (entry.state != EntryState::Waiting) continue;
        std::array<std::uint8_t, age::AgeHeader::kVersionPrefix.size()> head{};
        std::size_t count = 0;
        try {
            count = BinaryFile::OpenForReading(entry.source).Read(head.data(), head.size());
        } catch (const FileError&) {
            continue;  // its run says why it cannot be read
        }
        if (!age::AgeHeader::StartsAgeFile(age::ByteView(head.data(), count))) {
            entry.state = EntryState::Failed;
            entry.reason = kSeedNeedsPassword;
        }
    }
}

AgeSuffix SuffixFor(const CliOptions& options) {
    if (options.command == CliCommand::Decrypt) return AgeSuffix::Drop;
    return options.format == CipherFormat::Age ? AgeSuffix::Append : AgeSuffix::None;
}

}  // namespace

int SetCommand::Run(const CliOptions& options, ConsoleKeys& keys) {
    if (const auto refusal = SourceGathering::Refusal(options.paths, options.to)) {
        return ShowUsageError(*refusal);
    }
    KeyIntake::ShowFingerprintOnTerminal(keys);
    const bool onTerminal = Terminal::ErrorIsTerminal();

    // An identity file's keys open age files only, which the head check has nothing to judge of.
    QueueSettings settings{options.SetDirection(), keys.password, keys.keyFile, options.existing,
                           keys.FromIdentityFile() ? nullptr : &LooksWrong};
    settings.format = options.format;
    settings.ageKeys = keys.ageKeys;
    std::vector<QueueEntry> entries =
        SourceGathering::Gather(options.paths, options.to, SuffixFor(options));
    if (keys.FromIdentityFile()) FailSeedSources(entries);
    FileQueue queue(std::move(entries), settings);
    ConsoleProgress progress(onTerminal, options.force);
    const QueueSummary summary = queue.Run(progress);
    progress.Finish();
    if (onTerminal || summary.failed > 0) {
        std::cerr << "完成 " << summary.done << "，跳过 " << summary.skipped << "，失败 "
                  << summary.failed << "\n";
    }
    if (summary.stoppedForDoubt) {
        std::cerr << "密码或密钥文件很可能有误，没有写入任何文件（密钥文件指纹："
                  << keys.fingerprint << "）。确认无误时可加 --force 仍然解密。\n";
        return kWrongKeys;
    }
    // The run's message named each such file, and the key file's fingerprint.
    if (summary.notOpened > 0) return kWrongKeys;
    return summary.failed > 0 ? kSomeFailed : kAllDone;
}

}  // namespace korvel
