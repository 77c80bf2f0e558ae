#pragma once

namespace korvel {

// The two formats a file is encrypted in: the seed format (10 random bytes, then the data XORed
// with the keystream of the password and key file), which existing files rely on, and age v1
// (authenticated, a fresh key per file), which any age implementation also opens.
enum class CipherFormat { Seed, Age };

}  // namespace korvel
