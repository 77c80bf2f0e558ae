#pragma once

#include <string_view>

#include "Primitives.h"
#include "X25519Identity.h"
#include "files/BinaryFile.h"

namespace korvel::age {

// The X25519 identity of a password and key file, the same on every machine:
//   k        = SHA-256(the whole key file)
//   s        = scrypt(password, salt = "korvel.age/identity/v1" || k, N = 2^17, r = 8, p = 1)
//   identity = HKDF-SHA-256(ikm = s || k, salt = empty, info = "korvel.age/identity/v1")
// scrypt makes a guess cost about a second and 128 MiB, so compute it once per password and key
// file, not once per file.
class PasswordIdentity {
public:
    static constexpr std::string_view kLabel = "korvel.age/identity/v1";
    static constexpr std::uint64_t kScryptN = std::uint64_t{1} << 17;
    static constexpr std::uint32_t kScryptR = 8;
    static constexpr std::uint32_t kScryptP = 1;
    static constexpr std::size_t kReadBlockSize = std::size_t{1} << 20;

    // k, the key file read from its start in blocks; throws FileError when it cannot be read.
    static Key32 KeyFileDigest(BinaryFile& keyFile);
    static X25519Identity Derive(std::string_view password, const Key32& keyFileDigest);
    static X25519Identity Derive(std::string_view password, BinaryFile& keyFile);
};

}  // namespace korvel::age
