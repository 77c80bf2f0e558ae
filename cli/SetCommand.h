#pragma once

#include "CommandLine.h"
#include "KeyIntake.h"

namespace korvel {

// korvel-cli encrypt and decrypt: a set of files through FileQueue, reported by ConsoleProgress.
// Exit status: 0 every file done or skipped as asked; 1 some failed; 3 a wrong password or key
// file (the head check's doubt, or an age file no stanza of opens).
class SetCommand {
public:
    static int Run(const CliOptions& options, ConsoleKeys& keys);
};

}  // namespace korvel
