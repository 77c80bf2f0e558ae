// korvel-cli: encrypts, decrypts and verifies files and folders from a console, through the same
// run as the windows, and gives the age recipient and identity of a password and key file.
// Exit status: 0 done; 1 some files failed; 2 a usage error; 3 a wrong password or key file, and
// nothing of that file was written.
#include <QCoreApplication>
#include <iostream>

#include "CommandLine.h"
#include "ExitStatus.h"
#include "IdentityFile.h"
#include "KeyExport.h"
#include "KeyIntake.h"
#include "NativeArguments.h"
#include "SetCommand.h"
#include "Terminal.h"
#include "VerifyCommand.h"

namespace {

using namespace korvel;

int Run(const CliOptions& options) {
    // Before the password is asked for nothing.
    if (options.command == CliCommand::Identity) {
        if (const auto refusal = IdentityFile::Refusal(options.to)) {
            std::cerr << *refusal << "\n";
            return kSomeFailed;
        }
    }
    auto taken = KeyIntake::Take(options);
    if (const int* status = std::get_if<int>(&taken)) return *status;
    ConsoleKeys& keys = std::get<ConsoleKeys>(taken);
    switch (options.command) {
        case CliCommand::Encrypt:
        case CliCommand::Decrypt:
            return SetCommand::Run(options, keys);
        case CliCommand::Verify:
            return VerifyCommand::Run(options, keys);
        case CliCommand::Recipient:
            return KeyExport::PrintRecipient(keys);
        case CliCommand::Identity:
            return KeyExport::WriteIdentity(options, keys);
    }
    return kUsageError;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    Terminal::UseUtf8();
    const auto parsed = ParseCommandLine(NativeArguments::Of(argc, argv));
    if (const auto* error = std::get_if<UsageError>(&parsed)) return ShowUsageError(error->message);
    if (const auto* shown = std::get_if<ShownText>(&parsed)) {
        std::cout << shown->text << std::flush;
        return kAllDone;
    }
    return Run(std::get<CliOptions>(parsed));
}
