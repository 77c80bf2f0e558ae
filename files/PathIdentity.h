#pragma once

#include <filesystem>

namespace korvel {

// True when two paths name one file, even through different texts: letter case on a
// case-insensitive file system, "." and ".." parts, links, hard links, short names.
bool NameSameFile(const std::filesystem::path& first, const std::filesystem::path& second);

// A path and what one look at it found, for several comparisons that would each look again.
struct SeenPath {
    explicit SeenPath(const std::filesystem::path& path);
    // A path known to exist without a look: a file held open, for one.
    static SeenPath Existing(const std::filesystem::path& path) { return SeenPath(path, true); }
    // A path just found to lead nowhere.
    static SeenPath Absent(const std::filesystem::path& path) { return SeenPath(path, false); }
    const std::filesystem::path& path;
    bool exists = false;
    bool unknown = false;  // the look failed

private:
    SeenPath(const std::filesystem::path& known, bool present) : path(known), exists(present) {}
};

bool NameSameFile(const SeenPath& first, const SeenPath& second);

}  // namespace korvel
