#include "AgeKeys.h"

#include "FileKeysAhead.h"

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

// An identity file's keys, which have no recipient to give, encrypt for its first identity.
age::X25519Recipient AgeKeys::EncryptingRecipient() { return Identities().front().Recipient(); }

std::optional<age::X25519Recipient> AgeKeys::EncryptingRecipientIfDerived() {
    const std::unique_lock lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock() || identities_.empty()) return std::nullopt;
    return identities_.front().Recipient();
}

age::AgeFileKeys AgeKeys::FileKeys() {
    std::shared_ptr<FileKeysAhead> ahead;
    {
        const std::lock_guard lock(aheadMutex_);
        ahead = ahead_;
    }
    if (ahead) {
        if (std::optional<age::AgeFileKeys> keys = ahead->Take()) return std::move(*keys);
        return ahead->MakeKeys(EncryptingRecipient());
    }
    const age::X25519Recipient recipient = EncryptingRecipient();
    return age::AgeFileKeys::Fresh(std::span(&recipient, 1));
}

void AgeKeys::PrepareFileKeysAhead(std::size_t files) {
    const std::lock_guard lock(aheadMutex_);
    if (ahead_) return;
    FileKeysAhead::Recipient recipient{[this] { return EncryptingRecipientIfDerived(); },
                                       [this] { return EncryptingRecipient(); }};
    ahead_ = std::make_shared<FileKeysAhead>(std::move(recipient), files);
}

void AgeKeys::StopPreparing() {
    std::shared_ptr<FileKeysAhead> ahead;
    {
        const std::lock_guard lock(aheadMutex_);
        ahead.swap(ahead_);
    }
    // The thread ends here, or with the last run still holding it.
}

}  // namespace korvel
