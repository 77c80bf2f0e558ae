#include "KeyExport.h"

#include <iostream>

#include "CliMessages.h"
#include "ExitStatus.h"
#include "IdentityFile.h"
#include "files/FileError.h"
#include "run/RunMessages.h"

namespace korvel {

std::optional<age::X25519Identity> KeyExport::Identity(ConsoleKeys& keys) {
    KeyIntake::ShowFingerprintOnTerminal(keys);
    try {
        return keys.ageKeys->Identities().front();
    } catch (const FileError& error) {
        std::cerr << FailureMessage(error) << "\n";
        return std::nullopt;
    }
}

int KeyExport::PrintRecipient(ConsoleKeys& keys) {
    const auto identity = Identity(keys);
    if (!identity) return kSomeFailed;
    std::cout << identity->Recipient().Text() << "\n" << std::flush;
    return kAllDone;
}

int KeyExport::WriteIdentity(const CliOptions& options, ConsoleKeys& keys) {
    const auto identity = Identity(keys);
    if (!identity) return kSomeFailed;
    if (const auto problem = IdentityFile::Write(options.to, *identity)) {
        std::cerr << *problem << "\n";
        return kSomeFailed;
    }
    std::cerr << kIdentityFileWarning << "\n";
    return kAllDone;
}

}  // namespace korvel
