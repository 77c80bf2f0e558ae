#include "TemporaryTarget.h"

#include <cerrno>
#include <random>
#include <string>
#include <system_error>

#include "FileError.h"

namespace korvel {

namespace {

std::string RandomSuffix() {
    static std::mt19937 engine{std::random_device{}()};
    static constexpr char kHex[] = "0123456789abcdef";
    std::string suffix(6, '0');
    for (char& c : suffix) c = kHex[engine() % 16];
    return suffix;
}

// A replaced file keeps its access rights: a private plaintext must not become readable to others.
void KeepPermissionsOf(const std::filesystem::path& original,
                       const std::filesystem::path& replacement) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(original, error);
    if (error || !std::filesystem::is_regular_file(status)) return;
    std::filesystem::permissions(replacement, status.permissions(), error);
}

}  // namespace

TemporaryTarget::TemporaryTarget(std::filesystem::path target)
    : target_(std::move(target)), file_(CreateBeside(target_, path_)) {}

TemporaryTarget::~TemporaryTarget() { Discard(); }

BinaryFile TemporaryTarget::CreateBeside(const std::filesystem::path& target,
                                         std::filesystem::path& createdPath) {
    std::error_code ignored;
    if (std::filesystem::is_directory(target, ignored)) {
        throw FileError(FileAccess::Write, target, SystemReason(EISDIR));
    }
    constexpr int kAttempts = 16;
    for (int attempt = 1;; ++attempt) {
        std::filesystem::path candidate = target;
        candidate += std::filesystem::path(std::string(kNameMark) + RandomSuffix() + ".part");
        try {
            BinaryFile file = BinaryFile::CreateNew(candidate);
            createdPath = candidate;
            return file;
        } catch (const FileError& error) {
            std::error_code existsError;
            const bool nameTaken = std::filesystem::exists(candidate, existsError);
            if (!nameTaken) throw FileError(FileAccess::Write, target, error.Reason());
            if (attempt == kAttempts)
                throw FileError(FileAccess::Write, target, SystemReason(EEXIST));
        }
    }
}

void TemporaryTarget::Write(const std::uint8_t* buffer, std::size_t count) {
    try {
        file_.Write(buffer, count);
    } catch (const FileError& error) {
        throw FileError(FileAccess::Write, target_, error.Reason());
    }
}

void TemporaryTarget::CommitOver() {
    try {
        file_.FlushToDisk();
        file_.Close();
    } catch (const FileError& error) {
        throw FileError(FileAccess::Write, target_, error.Reason());
    }
    KeepPermissionsOf(target_, path_);
    std::error_code error;
    std::filesystem::rename(path_, target_, error);
    if (error) throw FileError(FileAccess::Write, target_, error.message());
    finished_ = true;
}

void TemporaryTarget::Discard() noexcept {
    if (finished_) return;
    finished_ = true;
    try {
        file_.Close();
    } catch (const FileError&) {
        // The file is being thrown away; a failed final write does not matter.
    }
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
}

}  // namespace korvel
