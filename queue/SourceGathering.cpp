#include "SourceGathering.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <system_error>

#include "QueueMessages.h"
#include "files/FileError.h"
#include "files/PathIdentity.h"

namespace korvel {

namespace fs = std::filesystem;

namespace {

// Whether `inner` is `outer` or lies somewhere below it, by the files they name.
bool IsSameOrInside(const fs::path& inner, const fs::path& outer) {
    std::error_code error;
    for (fs::path at = fs::absolute(inner, error); !at.empty(); at = at.parent_path()) {
        if (NameSameFile(at, outer)) return true;
        if (at == at.parent_path()) break;
    }
    return false;
}

QueueEntry Entry(const fs::path& source, const fs::path& target,
                 EntryState state = EntryState::Waiting, std::string reason = {}) {
    QueueEntry entry;
    entry.source = source;
    entry.target = target;
    entry.state = state;
    entry.reason = std::move(reason);
    return entry;
}

QueueEntry Failed(const fs::path& source, const fs::path& target, std::string reason) {
    return Entry(source, target, EntryState::Failed, std::move(reason));
}

}  // namespace

std::optional<std::string> SourceGathering::Refusal(const std::vector<fs::path>& sources,
                                                    const fs::path& targetFolder) {
    for (const fs::path& source : sources) {
        std::error_code error;
        if (!fs::is_directory(fs::symlink_status(source, error))) {
            // A file would be written over itself, under its own name.
            const fs::path folder = fs::absolute(source, error).parent_path();
            if (NameSameFile(targetFolder, folder)) return kTargetFolderHoldsSource;
            continue;
        }
        if (NameSameFile(targetFolder, source)) return kTargetFolderIsSource;
        if (IsSameOrInside(targetFolder, source)) return kTargetFolderInSource;
    }
    return std::nullopt;
}

std::vector<QueueEntry> SourceGathering::Gather(const std::vector<fs::path>& sources,
                                                const fs::path& targetFolder, AgeSuffix ageSuffix) {
    std::vector<QueueEntry> entries;
    for (const fs::path& source : sources) {
        // "folder/" names the folder "folder", as cp does.
        const fs::path name =
            source.has_filename() ? source.filename() : source.parent_path().filename();
        std::error_code error;
        const fs::file_status status = fs::symlink_status(source, error);
        if (fs::is_directory(status)) {
            AddFolder(source, targetFolder / name, ageSuffix, entries);
        } else {
            AddFile(source, targetFolder / name, ageSuffix, entries);
        }
    }
    return entries;
}

fs::path SourceGathering::TargetName(const fs::path& target, AgeSuffix ageSuffix) {
    static constexpr std::string_view kSuffix = ".age";
    if (ageSuffix == AgeSuffix::Append) {
        fs::path named = target;
        named += kSuffix;
        return named;
    }
    if (ageSuffix == AgeSuffix::None) return target;
    const fs::path::string_type name = target.filename().native();
    // A name that is only ".age" keeps it: there would be nothing left.
    if (name.size() <= kSuffix.size()) return target;
    const auto end = name.substr(name.size() - kSuffix.size());
    const bool endsInAge = std::equal(end.begin(), end.end(), kSuffix.begin(), [](auto a, char b) {
        return a < 128 && std::tolower(static_cast<int>(a)) == b;
    });
    if (!endsInAge) return target;
    return target.parent_path() / name.substr(0, name.size() - kSuffix.size());
}

void SourceGathering::AddFolder(const fs::path& folder, const fs::path& mirror, AgeSuffix ageSuffix,
                                std::vector<QueueEntry>& entries) {
    std::error_code error;
    fs::directory_iterator it(folder, error);
    if (error) {
        entries.push_back(Failed(
            folder, mirror, kFolderUnreadable + PathText(folder) + "\n" + SystemReason(error)));
        return;
    }
    std::vector<fs::directory_entry> children(it, fs::directory_iterator());
    std::sort(children.begin(), children.end());
    for (const fs::directory_entry& child : children) {
        const fs::path target = mirror / child.path().filename();
        if (child.is_directory(error) && !child.is_symlink(error)) {
            AddFolder(child.path(), target, ageSuffix, entries);
        } else {
            AddFile(child.path(), target, ageSuffix, entries);
        }
    }
}

// A link to a file is read as the file; a link to a folder is not followed.
void SourceGathering::AddFile(const fs::path& file, const fs::path& mirrored, AgeSuffix ageSuffix,
                              std::vector<QueueEntry>& entries) {
    const fs::path target = TargetName(mirrored, ageSuffix);
    std::error_code error;
    // Only a regular file has a length: one look for the usual case.
    const std::uintmax_t size = fs::file_size(file, error);
    if (!error) {
        QueueEntry entry = Entry(file, target);
        entry.size = size;
        entries.push_back(std::move(entry));
        return;
    }
    const fs::file_status status = fs::status(file, error);
    if (error) {
        std::error_code ignored;
        const bool link = fs::is_symlink(fs::symlink_status(file, ignored));
        entries.push_back(Failed(file, target, link ? kLinkLeadsNowhere : SystemReason(error)));
        return;
    }
    if (fs::is_directory(status)) {
        entries.push_back(Entry(file, target, EntryState::Skipped, kFolderLinkNotFollowed));
        return;
    }
    if (!fs::is_regular_file(status)) {
        entries.push_back(Failed(file, target, kNotFileOrFolder));
        return;
    }
    // A regular file now that was something else a moment ago: its run says what it finds.
    entries.push_back(Entry(file, target));
}

}  // namespace korvel
