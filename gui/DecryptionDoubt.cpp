#include "DecryptionDoubt.h"

#include "WindowTexts.h"
#include "cipher/KeyFingerprint.h"
#include "files/FileError.h"
#include "headcheck/HeadJudge.h"
#include "run/HeadDecryption.h"

namespace korvel {

namespace {

QString FileNameOf(const std::filesystem::path& path) {
    const std::u8string name = path.filename().u8string();
    return QString::fromUtf8(reinterpret_cast<const char*>(name.data()),
                             static_cast<qsizetype>(name.size()));
}

std::optional<std::string> FingerprintOf(const RunRequest& request) {
    if (!request.keyReader) return KeyFileFingerprint(request.keyFile);
    try {
        return KeyFileFingerprint(*request.keyReader);
    } catch (const FileError&) {
        return std::nullopt;
    }
}

QString TextOf(const std::optional<std::string>& fingerprint) {
    return fingerprint ? QString::fromStdString(*fingerprint)
                       : QString::fromUtf8(kNoKeyFingerprint);
}

}  // namespace

bool DecryptionDoubt::LooksWrong(const RunRequest& request) {
    const auto head = HeadDecryption::Decrypt(request, HeadJudge::kHeadSize);
    if (!head) return false;
    const QByteArrayView bytes(head->bytes.data(), static_cast<qsizetype>(head->bytes.size()));
    return HeadJudge()
               .Judge(bytes, head->wholeFile, FileNameOf(request.target),
                      static_cast<int>(request.password.size()))
               .verdict == HeadVerdict::Implausible;
}

QString DecryptionDoubt::FingerprintText(const std::filesystem::path& keyFile) {
    return TextOf(KeyFileFingerprint(keyFile));
}

QString DecryptionDoubt::FingerprintText(const RunRequest& request) {
    return TextOf(FingerprintOf(request));
}

}  // namespace korvel
