#include "KeyIntake.h"

#include <QCoreApplication>
#include <QDir>
#include <iostream>

#include "ExitStatus.h"
#include "IdentityFile.h"
#include "PasswordPrompt.h"
#include "Terminal.h"
#include "cipher/KeyFingerprint.h"
#include "cipher/PasswordRule.h"
#include "files/FileError.h"
#include "run/RunMessages.h"

namespace korvel {

std::variant<ConsoleKeys, int> KeyIntake::Take(const CliOptions& options) {
    if (options.identityFile) return FromIdentityFile(*options.identityFile);
    return FromPassword(options);
}

void KeyIntake::ShowFingerprintOnTerminal(const ConsoleKeys& keys) {
    if (keys.FromIdentityFile() || !Terminal::ErrorIsTerminal()) return;
    std::cerr << "密钥文件指纹：" << keys.fingerprint << "\n";
}

std::variant<ConsoleKeys, int> KeyIntake::FromPassword(const CliOptions& options) {
    std::string problem;
    const std::optional<std::string> password =
        PasswordPrompt::Read(options.passwordFromStdin, problem);
    if (!password) return ShowUsageError(problem.empty() ? "没有读到密码" : problem);
    if (const auto rule = PasswordProblem(*password)) return ShowUsageError(*rule);
    const std::filesystem::path keyFile = KeyFileOf(options);
    const auto fingerprint = KeyFileFingerprint(keyFile);
    if (!fingerprint) {
        std::cerr << kMissingKeyFile << "\n" << PathText(keyFile) << "\n";
        return kSomeFailed;
    }
    return ConsoleKeys{*password, keyFile, *fingerprint,
                       std::make_shared<AgeKeys>(*password, keyFile)};
}

std::variant<ConsoleKeys, int> KeyIntake::FromIdentityFile(const std::filesystem::path& path) {
    auto identities = IdentityFile::Read(path);
    if (const auto* problem = std::get_if<std::string>(&identities)) {
        std::cerr << *problem << "\n";
        return kSomeFailed;
    }
    auto& read = std::get<std::vector<age::X25519Identity>>(identities);
    return ConsoleKeys{{}, {}, {}, std::make_shared<AgeKeys>(std::move(read))};
}

std::filesystem::path KeyIntake::KeyFileOf(const CliOptions& options) {
    if (options.keyFile) return *options.keyFile;
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath("uae");
    const QByteArray utf8 = beside.toUtf8();
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace korvel
