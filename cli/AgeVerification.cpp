#include "AgeVerification.h"

#include "CliMessages.h"
#include "cipher/age/AgeDecryptor.h"
#include "cipher/age/AgeError.h"
#include "files/BinaryFile.h"
#include "files/FileError.h"
#include "run/RunMessages.h"

namespace korvel {

namespace {

using age::AgeErrorKind;

VerifyResult Changed(const char* detail, bool keysOpened) {
    return {VerifyVerdict::Damaged, std::string(kVerifyChanged) + detail, keysOpened};
}

}  // namespace

AgeVerification::AgeVerification(std::vector<age::X25519Identity> identities,
                                 std::string notOpenedReason, bool fromIdentityFile)
    : identities_(std::move(identities)),
      notOpenedReason_(std::move(notOpenedReason)),
      fromIdentityFile_(fromIdentityFile) {}

VerifyResult AgeVerification::Check(const std::filesystem::path& file) const {
    try {
        return Authenticate(file);
    } catch (const FileError& error) {
        return {VerifyVerdict::Unreadable, FailureMessage(error)};
    } catch (const age::AgeError& error) {
        switch (error.Kind()) {
            case AgeErrorKind::NotAgeFile:
                return {VerifyVerdict::NotVerifiable, kNotVerifiable};
            case AgeErrorKind::UnsupportedVersion:
                return {VerifyVerdict::NotVerifiable, kVerifyUnsupportedVersion};
            case AgeErrorKind::OtherRecipientKind:
                return {VerifyVerdict::NotVerifiable, fromIdentityFile_
                                                          ? kVerifyIdentityOtherRecipients
                                                          : kVerifyOtherRecipients};
            case AgeErrorKind::NoIdentityMatches:
                return {VerifyVerdict::NotOpened, notOpenedReason_};
            case AgeErrorKind::MalformedHeader:
                return Changed("（文件头格式不对）", false);
            case AgeErrorKind::HeaderTooLarge:
                return Changed("（文件头过大）", false);
            case AgeErrorKind::HeaderMacWrong:
                return Changed("（头部校验失败）", true);
            case AgeErrorKind::PayloadDamaged:
                return Changed("（数据块校验失败）", true);
            case AgeErrorKind::Truncated:
                return Changed("（文件在最后一块之前结束）", true);
            case AgeErrorKind::TrailingData:
                return Changed("（最后一块之后还有数据）", true);
        }
        return Changed("", false);
    }
}

VerifyResult AgeVerification::Authenticate(const std::filesystem::path& file) const {
    BinaryFile source = BinaryFile::OpenForReading(file);
    if (source.Size() == 0) return {VerifyVerdict::NotVerifiable, kEmptyNotVerifiable};
    age::AgeDecryptor decryptor(identities_);
    age::Bytes block(kBlockSize);
    age::Bytes plaintext;
    plaintext.reserve(kBlockSize + age::PayloadCipher::kChunkSize);
    for (;;) {
        const std::size_t count = source.Read(block.data(), block.size());
        if (count == 0) break;
        decryptor.Write(age::ByteView(block.data(), count), plaintext);
        plaintext.clear();
    }
    // A file changed while it was read was not the file authenticated.
    source.ExpectEnd();
    decryptor.Finish(plaintext);
    return {VerifyVerdict::Intact, {}, true};
}

}  // namespace korvel
