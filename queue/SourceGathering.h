#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "QueueEntry.h"

namespace korvel {

// What a set does to its targets' file names: encrypting in the age format appends ".age";
// decrypting drops a final ".age" (in any case), so that "report.pdf.age" gives "report.pdf".
enum class AgeSuffix { None, Append, Drop };

// Turns the files and folders a user hands over into the set of files to run, each with its
// target under one target folder: a file keeps its name, a folder is mirrored under the target
// folder by its own name, as `cp -r` into an existing folder does. Links to folders are not
// followed, so a link loop cannot trap the walk; what is neither a file nor a folder (a FIFO, a
// device, a socket) and a folder that cannot be read are listed as failed, with the reason.
class SourceGathering {
public:
    // A target folder that is one of the sources, or lies inside one, would be walked while it is
    // written: the message that refuses it, if so.
    static std::optional<std::string> Refusal(const std::vector<std::filesystem::path>& sources,
                                              const std::filesystem::path& targetFolder);

    static std::vector<QueueEntry> Gather(const std::vector<std::filesystem::path>& sources,
                                          const std::filesystem::path& targetFolder,
                                          AgeSuffix ageSuffix = AgeSuffix::None);
    // The target of a file: its name in the target folder, with the suffix applied.
    static std::filesystem::path TargetName(const std::filesystem::path& target,
                                            AgeSuffix ageSuffix);

private:
    static void AddFolder(const std::filesystem::path& folder, const std::filesystem::path& mirror,
                          AgeSuffix ageSuffix, std::vector<QueueEntry>& entries);
    static void AddFile(const std::filesystem::path& file, const std::filesystem::path& target,
                        AgeSuffix ageSuffix, std::vector<QueueEntry>& entries);
};

}  // namespace korvel
