#include "IdentityFile.h"

#include <stdexcept>
#include <system_error>

#include "CliMessages.h"
#include "files/BinaryFile.h"
#include "files/FileError.h"
#include "files/TemporaryTarget.h"
#include "run/RunMessages.h"

namespace korvel {

namespace fs = std::filesystem;

namespace {

constexpr unsigned kOwnerOnly = 0600;

}  // namespace

std::variant<std::vector<age::X25519Identity>, std::string> IdentityFile::Read(
    const fs::path& path) {
    std::string text;
    try {
        BinaryFile file = BinaryFile::OpenForReading(path);
        if (file.Size() > kMostBytes) return std::string(kIdentityFileTooLarge);
        text.resize(file.Size());
        file.ReadExactly(reinterpret_cast<std::uint8_t*>(text.data()), text.size());
        file.ExpectEnd();
    } catch (const FileError& error) {
        return FailureMessage(error);
    }
    try {
        std::vector<age::X25519Identity> identities = age::X25519Identity::FromIdentityFile(text);
        if (identities.empty()) return std::string(kIdentityFileEmpty);
        return identities;
    } catch (const std::invalid_argument&) {
        return std::string(kIdentityFileMalformed);
    }
}

std::optional<std::string> IdentityFile::Refusal(const fs::path& path) {
    std::error_code error;
    if (fs::symlink_status(path, error).type() == fs::file_type::not_found) return std::nullopt;
    return kIdentityFileExists + PathText(path);
}

std::optional<std::string> IdentityFile::Write(const fs::path& path,
                                               const age::X25519Identity& identity) {
    if (auto refusal = Refusal(path)) return refusal;
    const std::string text = identity.IdentityFileText();
    try {
        TemporaryTarget target(path, kOwnerOnly, nullptr, true);
        target.Write(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
        target.CommitOver();
    } catch (const FileError& failure) {
        return FailureMessage(failure);
    }
    return std::nullopt;
}

}  // namespace korvel
