// korvel-cli: encrypts or decrypts files and folders from a console, through the same run as the
// windows. Exit status: 0 every file done; 1 some failed; 2 a usage error; 3 the decrypted head
// showed a wrong password or key file, and nothing of that file was written.
#include <QCoreApplication>
#include <QDir>
#include <iostream>

#include "CommandLine.h"
#include "ConsoleProgress.h"
#include "NativeArguments.h"
#include "Terminal.h"
#include "cipher/KeyFingerprint.h"
#include "cipher/PasswordRule.h"
#include "files/FileError.h"
#include "headcheck/HeadJudge.h"
#include "queue/SourceGathering.h"
#include "run/HeadDecryption.h"
#include "run/RunMessages.h"

namespace {

using namespace korvel;

constexpr int kAllDone = 0;
constexpr int kSomeFailed = 1;
constexpr int kUsageError = 2;
constexpr int kLooksWrong = 3;

int Usage(const std::string& message) {
    std::cerr << message << "\n" << kCliUsage;
    return kUsageError;
}

std::optional<std::string> ReadPassword(const CliOptions& options, std::string& problem) {
    if (options.passwordFromStdin) {
        std::string line;
        if (!std::getline(std::cin, line)) return std::nullopt;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return line;
    }
    if (!Terminal::InputIsTerminal()) {
        problem = "标准输入不是终端：请用 --password-stdin 从标准输入读入密码";
        return std::nullopt;
    }
    auto first = Terminal::ReadHiddenLine("密码：");
    const auto second = first ? Terminal::ReadHiddenLine("再次输入密码：") : std::nullopt;
    if (!second) return std::nullopt;
    if (*first != *second) {
        problem = "两次输入的密码不一样";
        return std::nullopt;
    }
    return first;
}

std::filesystem::path KeyFileOf(const CliOptions& options) {
    if (options.keyFile) return *options.keyFile;
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath("uae");
    const QByteArray utf8 = beside.toUtf8();
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

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

int Run(const CliOptions& options) {
    std::string problem;
    const std::optional<std::string> password = ReadPassword(options, problem);
    if (!password) return Usage(problem.empty() ? "没有读到密码" : problem);
    if (const auto rule = PasswordProblem(*password)) return Usage(*rule);
    const std::filesystem::path keyFile = KeyFileOf(options);
    const auto fingerprint = KeyFileFingerprint(keyFile);
    if (!fingerprint) {
        std::cerr << kMissingKeyFile << "\n" << PathText(keyFile) << "\n";
        return kSomeFailed;
    }
    if (const auto refusal = SourceGathering::Refusal(options.paths, options.targetFolder)) {
        return Usage(*refusal);
    }
    const bool onTerminal = Terminal::ErrorIsTerminal();
    if (onTerminal) std::cerr << "密钥文件指纹：" << *fingerprint << "\n";

    QueueSettings settings{options.direction, *password, keyFile, options.existing, &LooksWrong};
    FileQueue queue(SourceGathering::Gather(options.paths, options.targetFolder), settings);
    ConsoleProgress progress(onTerminal, options.force);
    const QueueSummary summary = queue.Run(progress);
    progress.Finish();
    if (onTerminal || summary.failed > 0) {
        std::cerr << "完成 " << summary.done << "，跳过 " << summary.skipped << "，失败 "
                  << summary.failed << "\n";
    }
    if (summary.stoppedForDoubt) {
        std::cerr << "密码或密钥文件很可能有误，没有写入任何文件（密钥文件指纹：" << *fingerprint
                  << "）。确认无误时可加 --force 仍然解密。\n";
        return kLooksWrong;
    }
    return summary.failed > 0 ? kSomeFailed : kAllDone;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    Terminal::UseUtf8();
    const auto parsed = ParseCommandLine(NativeArguments::Of(argc, argv));
    if (const auto* error = std::get_if<UsageError>(&parsed)) return Usage(error->message);
    if (const auto* shown = std::get_if<ShownText>(&parsed)) {
        std::cout << shown->text << std::flush;
        return kAllDone;
    }
    return Run(std::get<CliOptions>(parsed));
}
