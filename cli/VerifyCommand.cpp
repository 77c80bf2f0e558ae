#include "VerifyCommand.h"

#include <iostream>

#include "AgeVerification.h"
#include "CliMessages.h"
#include "ExitStatus.h"
#include "Terminal.h"
#include "files/FileError.h"
#include "queue/SourceGathering.h"
#include "run/RunMessages.h"

namespace korvel {

namespace {

struct Tally {
    std::size_t intact = 0;
    std::size_t failed = 0;
    std::size_t notOpened = 0;
    bool keysOpenedAny = false;
};

std::string NotOpenedReason(const ConsoleKeys& keys) {
    if (keys.FromIdentityFile()) return kVerifyNoIdentityOpens;
    return std::string(kVerifyWrongKeys) + "（密钥文件指纹：" + keys.fingerprint + "）";
}

void Report(const QueueEntry& entry, const VerifyResult& result, bool onTerminal, Tally& tally) {
    tally.keysOpenedAny = tally.keysOpenedAny || result.keysOpened;
    if (result.verdict == VerifyVerdict::Intact) {
        ++tally.intact;
        if (onTerminal) std::cerr << "完好：" << PathText(entry.source) << "\n";
        return;
    }
    ++tally.failed;
    if (result.verdict == VerifyVerdict::NotOpened) ++tally.notOpened;
    std::cerr << "未通过验证：" << PathText(entry.source) << "\n  " << result.reason << "\n";
}

}  // namespace

int VerifyCommand::Run(const CliOptions& options, ConsoleKeys& keys) {
    KeyIntake::ShowFingerprintOnTerminal(keys);
    const bool onTerminal = Terminal::ErrorIsTerminal();
    std::vector<age::X25519Identity> identities;
    try {
        identities = keys.ageKeys->Identities();
    } catch (const FileError& error) {
        std::cerr << FailureMessage(error) << "\n";
        return kSomeFailed;
    }
    const AgeVerification verification(std::move(identities), NotOpenedReason(keys),
                                       keys.FromIdentityFile());
    Tally tally;
    for (const QueueEntry& entry : SourceGathering::Gather(options.paths, {})) {
        if (entry.state == EntryState::Waiting) {
            Report(entry, verification.Check(entry.source), onTerminal, tally);
        } else if (entry.state == EntryState::Failed) {
            Report(entry, {VerifyVerdict::Unreadable, entry.reason}, onTerminal, tally);
        } else if (onTerminal) {
            std::cerr << "跳过：" << PathText(entry.source) << "（" << entry.reason << "）\n";
        }
    }
    if (onTerminal || tally.failed > 0) {
        std::cerr << "完好 " << tally.intact << "，未通过 " << tally.failed << "\n";
    }
    if (tally.notOpened > 0 && !tally.keysOpenedAny) return kWrongKeys;
    return tally.failed > 0 ? kSomeFailed : kAllDone;
}

}  // namespace korvel
