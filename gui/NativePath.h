#pragma once

#include <QString>
#include <filesystem>

namespace korvel {

// A path typed or chosen in a window as the run opens it.
std::filesystem::path ToFilesystemPath(const QString& text);

}  // namespace korvel
