#pragma once

#include "CommandLine.h"
#include "KeyIntake.h"

namespace korvel {

// korvel-cli verify: authenticates every age file among the paths, folders walked as for a
// decryption, and writes nothing. Each file that is not intact is named on standard error with
// its reason; on a terminal also each intact one, and a summary.
// Exit status: 0 every file intact; 3 the keys open none of them; 1 otherwise (some damaged,
// unreadable, of the seed format, or not opened while others were).
class VerifyCommand {
public:
    static int Run(const CliOptions& options, ConsoleKeys& keys);
};

}  // namespace korvel
