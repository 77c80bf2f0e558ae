#include "Primitives.h"

#include <openssl/core_names.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/kdf.h>
#include <openssl/params.h>
#include <openssl/rand.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "AeadContext.h"
#include "LargeBlocks.h"

namespace korvel::age::primitives {
namespace {

// As the program starts, before libcrypto has allocated anything.
[[maybe_unused]] const bool kLargeBlocksInstalled = InstallLargeBlocks();

[[noreturn]] void LibraryFailed(const char* what) {
    throw std::runtime_error(std::string("libcrypto failed: ") + what);
}

void Require(int result, const char* what) {
    if (result <= 0) LibraryFailed(what);
}

using PkeyPtr = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using PkeyContextPtr = std::unique_ptr<EVP_PKEY_CTX, decltype(&EVP_PKEY_CTX_free)>;

PkeyPtr X25519Private(const Key32& secret) {
    PkeyPtr key(
        EVP_PKEY_new_raw_private_key(EVP_PKEY_X25519, nullptr, secret.data(), secret.size()),
        &EVP_PKEY_free);
    if (!key) LibraryFailed("X25519 private key");
    return key;
}

// Given both halves, libcrypto takes the public key as it is rather than computing it again.
PkeyPtr X25519Pair(const Key32& secret, const Key32& publicKey) {
    const PkeyContextPtr context(EVP_PKEY_CTX_new_id(EVP_PKEY_X25519, nullptr), &EVP_PKEY_CTX_free);
    if (!context) LibraryFailed("X25519 key context");
    Require(EVP_PKEY_fromdata_init(context.get()), "X25519 key init");
    OSSL_PARAM parameters[] = {
        OSSL_PARAM_construct_octet_string(OSSL_PKEY_PARAM_PRIV_KEY,
                                          const_cast<std::uint8_t*>(secret.data()), secret.size()),
        OSSL_PARAM_construct_octet_string(
            OSSL_PKEY_PARAM_PUB_KEY, const_cast<std::uint8_t*>(publicKey.data()), publicKey.size()),
        OSSL_PARAM_construct_end()};
    EVP_PKEY* key = nullptr;
    Require(EVP_PKEY_fromdata(context.get(), &key, EVP_PKEY_KEYPAIR, parameters), "X25519 key");
    return PkeyPtr(key, &EVP_PKEY_free);
}

}  // namespace

ByteView View(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

Key32 Hkdf(ByteView ikm, ByteView salt, std::string_view info) {
    static const Key32 kZeroSalt{};
    if (salt.empty()) salt = kZeroSalt;
    // Fetched once: looking the algorithm up again for every derivation cost more than the
    // derivation itself, several times a file.
    static EVP_KDF* const kdf = EVP_KDF_fetch(nullptr, "HKDF", nullptr);
    if (!kdf) LibraryFailed("HKDF fetch");
    const std::unique_ptr<EVP_KDF_CTX, decltype(&EVP_KDF_CTX_free)> context(EVP_KDF_CTX_new(kdf),
                                                                            &EVP_KDF_CTX_free);
    if (!context) LibraryFailed("HKDF context");
    char digest[] = "SHA256";
    const OSSL_PARAM parameters[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_KDF_PARAM_DIGEST, digest, 0),
        OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_KEY, const_cast<std::uint8_t*>(ikm.data()),
                                          ikm.size()),
        OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_SALT,
                                          const_cast<std::uint8_t*>(salt.data()), salt.size()),
        OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_INFO, const_cast<char*>(info.data()),
                                          info.size()),
        OSSL_PARAM_construct_end()};
    Key32 out;
    Require(EVP_KDF_derive(context.get(), out.data(), out.size(), parameters), "HKDF derive");
    return out;
}

Key32 HmacSha256(ByteView key, ByteView data) {
    static EVP_MAC* const mac = EVP_MAC_fetch(nullptr, "HMAC", nullptr);
    if (!mac) LibraryFailed("HMAC fetch");
    const std::unique_ptr<EVP_MAC_CTX, decltype(&EVP_MAC_CTX_free)> context(EVP_MAC_CTX_new(mac),
                                                                            &EVP_MAC_CTX_free);
    if (!context) LibraryFailed("HMAC context");
    char digest[] = "SHA256";
    const OSSL_PARAM parameters[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0),
        OSSL_PARAM_construct_end()};
    Require(EVP_MAC_init(context.get(), key.data(), key.size(), parameters), "HMAC init");
    Require(EVP_MAC_update(context.get(), data.data(), data.size()), "HMAC update");
    Key32 out;
    std::size_t length = 0;
    Require(EVP_MAC_final(context.get(), out.data(), &length, out.size()), "HMAC final");
    return out;
}

Key32 Sha256(ByteView data) {
    Key32 out;
    Require(EVP_Digest(data.data(), data.size(), out.data(), nullptr, EVP_sha256(), nullptr),
            "SHA-256");
    return out;
}

Key32 Scrypt(std::string_view password, ByteView salt, std::uint64_t n, std::uint32_t r,
             std::uint32_t p) {
    // scrypt needs 128 * r * n bytes, above OpenSSL's default limit of 32 MiB; allow twice that.
    const std::uint64_t maxMemory = std::uint64_t{2} * 128 * r * n;
    Key32 out;
    Require(EVP_PBE_scrypt(password.data(), password.size(), salt.data(), salt.size(), n, r, p,
                           maxMemory, out.data(), out.size()),
            "scrypt");
    return out;
}

void RandomBytes(std::span<std::uint8_t> out) {
    Require(RAND_bytes(out.data(), static_cast<int>(out.size())), "random bytes");
}

Key32 X25519PublicKey(const Key32& secret) {
    PkeyPtr key = X25519Private(secret);
    Key32 out;
    std::size_t length = out.size();
    Require(EVP_PKEY_get_raw_public_key(key.get(), out.data(), &length), "X25519 public key");
    return out;
}

std::optional<Key32> X25519SharedSecret(const Key32& secret, const Key32& ownPublic,
                                        const Key32& peerPublic) {
    const PkeyPtr own = X25519Pair(secret, ownPublic);
    const PkeyPtr peer(
        EVP_PKEY_new_raw_public_key(EVP_PKEY_X25519, nullptr, peerPublic.data(), peerPublic.size()),
        &EVP_PKEY_free);
    if (!peer) LibraryFailed("X25519 public key");
    const PkeyContextPtr context(EVP_PKEY_CTX_new(own.get(), nullptr), &EVP_PKEY_CTX_free);
    if (!context) LibraryFailed("X25519 context");
    Require(EVP_PKEY_derive_init(context.get()), "X25519 init");
    Require(EVP_PKEY_derive_set_peer(context.get(), peer.get()), "X25519 peer");
    Key32 shared;
    std::size_t length = shared.size();
    // libcrypto refuses to derive an all-zero secret; the check below holds either way.
    if (EVP_PKEY_derive(context.get(), shared.data(), &length) <= 0) return std::nullopt;
    static const Key32 kZero{};
    if (CRYPTO_memcmp(shared.data(), kZero.data(), shared.size()) == 0) return std::nullopt;
    return shared;
}

Bytes Seal(const Key32& key, std::span<const std::uint8_t, 12> nonce, ByteView plaintext) {
    Bytes out(plaintext.size() + kTagSize);
    AeadContext context;
    context.Seal(key, nonce, plaintext, out);
    return out;
}

std::optional<Bytes> Open(const Key32& key, std::span<const std::uint8_t, 12> nonce,
                          ByteView sealed) {
    if (sealed.size() < kTagSize) return std::nullopt;
    Bytes out(sealed.size() - kTagSize);
    AeadContext context;
    if (!context.Open(key, nonce, sealed, out)) return std::nullopt;
    return out;
}

bool ConstantTimeEqual(ByteView a, ByteView b) {
    return a.size() == b.size() && CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace korvel::age::primitives
