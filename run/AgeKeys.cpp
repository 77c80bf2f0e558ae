#include "AgeKeys.h"

#include "cipher/age/PasswordIdentity.h"
#include "files/BinaryFile.h"

namespace korvel {

AgeKeys::AgeKeys(std::string password, std::filesystem::path keyFile)
    : password_(std::move(password)), keyFile_(std::move(keyFile)) {}

AgeKeys::AgeKeys(std::vector<age::X25519Identity> identities)
    : identities_(std::move(identities)) {}

const std::vector<age::X25519Identity>& AgeKeys::Identities() {
    const std::lock_guard lock(mutex_);
    if (identities_.empty()) {
        BinaryFile keyFile = BinaryFile::OpenForReading(keyFile_);
        identities_.push_back(age::PasswordIdentity::Derive(password_, keyFile));
    }
    return identities_;
}

std::optional<age::X25519Recipient> AgeKeys::Recipient() {
    if (FromIdentityFile()) return std::nullopt;
    return Identities().front().Recipient();
}

}  // namespace korvel
