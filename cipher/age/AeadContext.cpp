#include "AeadContext.h"

#include <openssl/evp.h>

#include <limits>
#include <stdexcept>

namespace korvel::age {
namespace {

void Require(int result, const char* what) {
    if (result <= 0) throw std::runtime_error(std::string("libcrypto failed: ") + what);
}

int Length(std::size_t size) {
    if (size > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        throw std::length_error("AEAD message too long");
    }
    return static_cast<int>(size);
}

}  // namespace

AeadContext::AeadContext() : context_(EVP_CIPHER_CTX_new()) {
    if (!context_) throw std::runtime_error("libcrypto failed: cipher context");
}

AeadContext::~AeadContext() { EVP_CIPHER_CTX_free(context_); }

void AeadContext::Start(const Key32& key, std::span<const std::uint8_t, 12> nonce, int direction) {
    // The cipher is set once per direction; later chunks only give their key and nonce.
    if (direction_ != direction) {
        // Fetched once: the implicit fetch of EVP_chacha20_poly1305() is a look-up every time.
        static EVP_CIPHER* const cipher = EVP_CIPHER_fetch(nullptr, "ChaCha20-Poly1305", nullptr);
        if (!cipher) Require(0, "cipher fetch");
        Require(EVP_CipherInit_ex(context_, cipher, nullptr, nullptr, nullptr, direction),
                "cipher init");
        direction_ = direction;
    }
    Require(EVP_CipherInit_ex(context_, nullptr, nullptr, key.data(), nonce.data(), direction),
            "key and nonce");
}

void AeadContext::Seal(const Key32& key, std::span<const std::uint8_t, 12> nonce,
                       ByteView plaintext, std::span<std::uint8_t> out) {
    if (out.size() != plaintext.size() + kTagSize) throw std::length_error("AEAD output size");
    Start(key, nonce, kSealing);
    int written = 0;
    Require(EVP_EncryptUpdate(context_, out.data(), &written, plaintext.data(),
                              Length(plaintext.size())),
            "seal");
    int finalWritten = 0;
    Require(EVP_EncryptFinal_ex(context_, out.data() + written, &finalWritten), "seal final");
    Require(EVP_CIPHER_CTX_ctrl(context_, EVP_CTRL_AEAD_GET_TAG, kTagSize,
                                out.data() + plaintext.size()),
            "seal tag");
}

bool AeadContext::Open(const Key32& key, std::span<const std::uint8_t, 12> nonce, ByteView sealed,
                       std::span<std::uint8_t> out) {
    if (sealed.size() < kTagSize || out.size() != sealed.size() - kTagSize) {
        throw std::length_error("AEAD output size");
    }
    const std::size_t length = sealed.size() - kTagSize;
    Start(key, nonce, kOpening);
    int written = 0;
    Require(EVP_DecryptUpdate(context_, out.data(), &written, sealed.data(), Length(length)),
            "open");
    Require(EVP_CIPHER_CTX_ctrl(context_, EVP_CTRL_AEAD_SET_TAG, kTagSize,
                                const_cast<std::uint8_t*>(sealed.data() + length)),
            "open tag");
    int finalWritten = 0;
    return EVP_DecryptFinal_ex(context_, out.data() + written, &finalWritten) > 0;
}

}  // namespace korvel::age
