#include "FileError.h"

#include <system_error>

#include "RunMessages.h"

namespace korvel {

namespace {

std::string Describe(FileAccess access, const std::filesystem::path& file,
                     const std::string& reason) {
    const char* lead = access == FileAccess::Read ? kCannotReadFile : kCannotWriteFile;
    return lead + PathText(file) + "\n" + reason;
}

}  // namespace

FileError::FileError(FileAccess access, std::filesystem::path file, std::string reason)
    : std::runtime_error(Describe(access, file, reason)),
      access_(access),
      file_(std::move(file)),
      reason_(std::move(reason)) {}

std::string SystemReason(int errorNumber) { return std::generic_category().message(errorNumber); }

std::string PathText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

}  // namespace korvel
