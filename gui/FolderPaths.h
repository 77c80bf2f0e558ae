#pragma once

#include <QString>

namespace korvel {

// The path of a file in a folder with exactly one separator between them: a folder that already
// ends in a separator (a drive's or the file system's root) gets none added.
QString PathInFolder(const QString& folder, const QString& fileName);

}  // namespace korvel
