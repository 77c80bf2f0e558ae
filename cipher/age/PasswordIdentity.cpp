#include "PasswordIdentity.h"

#include <openssl/evp.h>

#include <memory>
#include <stdexcept>

namespace korvel::age {

Key32 PasswordIdentity::KeyFileDigest(BinaryFile& keyFile) {
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> digest(EVP_MD_CTX_new(),
                                                                   &EVP_MD_CTX_free);
    if (!digest || EVP_DigestInit_ex(digest.get(), EVP_sha256(), nullptr) <= 0) {
        throw std::runtime_error("libcrypto failed: SHA-256");
    }
    keyFile.Seek(0);
    Bytes block(kReadBlockSize);
    while (const std::size_t count = keyFile.Read(block.data(), block.size())) {
        EVP_DigestUpdate(digest.get(), block.data(), count);
    }
    Key32 out;
    if (EVP_DigestFinal_ex(digest.get(), out.data(), nullptr) <= 0) {
        throw std::runtime_error("libcrypto failed: SHA-256");
    }
    return out;
}

X25519Identity PasswordIdentity::Derive(std::string_view password, const Key32& keyFileDigest) {
    Bytes salt(kLabel.begin(), kLabel.end());
    salt.insert(salt.end(), keyFileDigest.begin(), keyFileDigest.end());
    const Key32 stretched = primitives::Scrypt(password, salt, kScryptN, kScryptR, kScryptP);
    Bytes ikm(stretched.begin(), stretched.end());
    ikm.insert(ikm.end(), keyFileDigest.begin(), keyFileDigest.end());
    return X25519Identity(primitives::Hkdf(ikm, {}, kLabel));
}

X25519Identity PasswordIdentity::Derive(std::string_view password, BinaryFile& keyFile) {
    return Derive(password, KeyFileDigest(keyFile));
}

}  // namespace korvel::age
