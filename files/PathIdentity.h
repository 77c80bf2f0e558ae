#pragma once

#include <filesystem>

namespace korvel {

// True when two paths name one file, even through different texts: letter case on a
// case-insensitive file system, "." and ".." parts, links, hard links, short names.
bool NameSameFile(const std::filesystem::path& first, const std::filesystem::path& second);

}  // namespace korvel
