#include "KeyFingerprint.h"

#include <openssl/evp.h>

#include <algorithm>
#include <array>
#include <memory>
#include <stdexcept>

#include "files/FileError.h"

namespace korvel {

namespace {

constexpr std::size_t kFingerprintBytes = 8;
constexpr std::size_t kDigitsPerGroup = 4;

using DigestContext = std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)>;

void Require(int openSslResult) {
    if (openSslResult != 1) throw std::runtime_error("SHA-256 could not be computed");
}

std::array<unsigned char, EVP_MAX_MD_SIZE> Sha256Of(KeyFileReader& key) {
    const DigestContext context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    if (!context) throw std::bad_alloc();
    Require(EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr));
    key.StartAt(1);
    for (std::uint64_t left = key.Length(); left > 0;) {
        const std::span<const std::uint8_t> bytes = key.Next(
            static_cast<std::size_t>(std::min<std::uint64_t>(left, KeyFileReader::kBlockSize)));
        Require(EVP_DigestUpdate(context.get(), bytes.data(), bytes.size()));
        left -= bytes.size();
    }
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    Require(EVP_DigestFinal_ex(context.get(), digest.data(), nullptr));
    return digest;
}

}  // namespace

std::string KeyFileFingerprint(KeyFileReader& key) {
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    const auto digest = Sha256Of(key);
    std::string text;
    for (std::size_t i = 0; i < kFingerprintBytes; ++i) {
        if (i > 0 && i * 2 % kDigitsPerGroup == 0) text += '-';
        text += kHexDigits[digest[i] >> 4];
        text += kHexDigits[digest[i] & 0x0F];
    }
    return text;
}

std::optional<std::string> KeyFileFingerprint(const std::filesystem::path& keyFile) {
    try {
        KeyFileReader key(BinaryFile::OpenForReading(keyFile));
        return KeyFileFingerprint(key);
    } catch (const FileError&) {
        return std::nullopt;
    }
}

}  // namespace korvel
