#pragma once

#include <ostream>
#include <string>

#include "cipher/age/AgeDecryptor.h"
#include "cipher/age/AgeEncryptor.h"
#include "cipher/age/AgeError.h"

namespace korvel::age {
// Error kinds by name in the failures of a test.
inline void PrintTo(AgeErrorKind kind, std::ostream* out) { *out << AgeErrorKindName(kind); }
}  // namespace korvel::age

namespace korvel::test {

using age::Bytes;

// A whole age file written for one recipient, the plaintext given in blocks of blockSize.
Bytes AgeEncrypt(const age::X25519Recipient& recipient, const Bytes& plaintext,
                 std::size_t blockSize);
// A whole age file read with one identity, given in blocks of blockSize; throws AgeError.
Bytes AgeDecrypt(const age::X25519Identity& identity, const Bytes& file, std::size_t blockSize);
// The kind of AgeError that reading the file throws, or nullopt when it reads.
std::optional<age::AgeErrorKind> AgeFault(const age::X25519Identity& identity, const Bytes& file,
                                          std::size_t blockSize = 65536);

Bytes AsBytes(const std::string& text);
std::string AsText(const Bytes& bytes);

}  // namespace korvel::test
