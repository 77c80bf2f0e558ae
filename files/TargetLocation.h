#pragma once

#include <filesystem>

namespace korvel {

// Where a run's result goes. A target that is a symbolic link is followed to the file it points
// to, which is replaced while the link stays a link, as careful editors do.
struct TargetLocation {
    std::filesystem::path file;    // the file that is written or replaced
    std::filesystem::path folder;  // the folder holding it, where the temporary file is made
    std::filesystem::path name;    // its name in that folder

    // Fails, naming `target`, when the file to replace is a folder, is not a regular file (a FIFO,
    // a device, a socket), or may not be written by the user who started the program.
    // seenAbsent: nothing was at the path a moment ago, not even a link; it is not looked at again.
    static TargetLocation Of(const std::filesystem::path& target, bool seenAbsent = false);
};

}  // namespace korvel
