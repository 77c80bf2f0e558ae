#include "FileError.h"

namespace korvel {

FileError::FileError(FileAccess access, std::filesystem::path file, std::string reason)
    : std::runtime_error(PathText(file) + ": " + reason),
      access_(access),
      file_(std::move(file)),
      reason_(std::move(reason)) {}

std::string PathText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

}  // namespace korvel
