#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "KeyFileReader.h"

namespace korvel {

// A short, readable digest of a whole key file, so that two people can compare theirs by phone:
// the first 8 bytes of its SHA-256 in four groups of upper-case hex digits, as
// "3F2A-91C0-5D7E-B204". Nothing when the file cannot be read.
std::optional<std::string> KeyFileFingerprint(const std::filesystem::path& keyFile);
// The same of a key file already open; a failed read throws FileError.
std::string KeyFileFingerprint(KeyFileReader& key);

}  // namespace korvel
