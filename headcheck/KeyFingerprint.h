#pragma once

#include <QString>
#include <optional>

namespace korvel {

// A short, readable digest of a whole key file, so that two people can compare theirs by phone:
// the first 8 bytes of its SHA-256 in four groups, as "3F2A-91C0-5D7E-B204". Nothing when the file
// cannot be read.
std::optional<QString> KeyFileFingerprint(const QString& keyFilePath);

}  // namespace korvel
