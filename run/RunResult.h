#pragma once

#include <filesystem>
#include <string>

namespace korvel {

enum class RunOutcome {
    Completed,  // the target holds the run's bytes, or a commit group does (RunRequest)
    Cancelled,  // the user answered Yes to the cancel question; nothing was written
    Refused,    // a check failed before any file was opened
    Failed,     // a file could not be read, written or renamed, or an age file is changed or
                // damaged; nothing was written
    NotOpened,  // no stanza of an age file opens with these keys: the password or key file is
                // wrong (an exact answer, unlike the head check's doubt); nothing was written
    Abandoned   // the program ended during the run; nothing was written
};

struct RunResult {
    RunOutcome outcome = RunOutcome::Refused;
    std::string message;               // the text shown to the user, empty when none was shown
    std::filesystem::path failedFile;  // Failed only: the file the failure concerns
    std::string reason;                // Failed only: the system's reason
};

}  // namespace korvel
