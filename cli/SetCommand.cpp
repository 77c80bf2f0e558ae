#include "SetCommand.h"

#include <iostream>

#include "ConsoleProgress.h"
#include "ExitStatus.h"
#include "Terminal.h"
#include "files/FileError.h"
#include "headcheck/HeadJudge.h"
#include "queue/SourceGathering.h"
#include "run/HeadDecryption.h"

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

}  // namespace

int SetCommand::Run(const CliOptions& options, ConsoleKeys& keys) {
    if (const auto refusal = SourceGathering::Refusal(options.paths, options.to)) {
        return ShowUsageError(*refusal);
    }
    KeyIntake::ShowFingerprintOnTerminal(keys);
    const bool onTerminal = Terminal::ErrorIsTerminal();

    QueueSettings settings{options.SetDirection(), keys.password, keys.keyFile, options.existing,
                           &LooksWrong};
    FileQueue queue(SourceGathering::Gather(options.paths, options.to), settings);
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
    return summary.failed > 0 ? kSomeFailed : kAllDone;
}

}  // namespace korvel
