#pragma once

#include "CommandLine.h"
#include "KeyIntake.h"

namespace korvel {

// What others need to exchange age files with a password and key file:
//   recipient: the recipient "age1..." on standard output, which anyone can encrypt for with
//              `age -r`;
//   identity:  the identity in a new age identity file, private to the user, for `age -i` or
//              `korvel-cli decrypt --identity`.
class KeyExport {
public:
    static int PrintRecipient(ConsoleKeys& keys);
    static int WriteIdentity(const CliOptions& options, ConsoleKeys& keys);

private:
    // The identity of the password and key file, derived here; nothing when the key file
    // cannot be read, the reason written to standard error.
    static std::optional<age::X25519Identity> Identity(ConsoleKeys& keys);
};

}  // namespace korvel
