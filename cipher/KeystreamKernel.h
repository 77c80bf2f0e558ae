#pragma once

#include <cstddef>
#include <cstdint>

namespace korvel {

// The keystream byte of one password code and one key byte: their 8-bit sum with end-around
// carry (a sum of 256 or more has 255 taken off). Never 0.
constexpr std::uint8_t KeystreamByte(std::uint8_t code, std::uint8_t key) {
    const unsigned sum = static_cast<unsigned>(code) + key;
    return static_cast<std::uint8_t>(sum >= 256 ? sum - 255 : sum);
}

// data[i] ^= KeystreamByte(codes[i], keys[i]) for i < count. The three ranges may not overlap.
void XorKeystream(std::uint8_t* data, const std::uint8_t* codes, const std::uint8_t* keys,
                  std::size_t count);

// The forms behind XorKeystream, exposed so they can be checked against each other. XorKeystream
// takes the widest one the processor runs.
void XorKeystreamPortable(std::uint8_t* data, const std::uint8_t* codes, const std::uint8_t* keys,
                          std::size_t count);
bool HasVectorKernel();
// Only when HasVectorKernel() is true.
void XorKeystreamVector(std::uint8_t* data, const std::uint8_t* codes, const std::uint8_t* keys,
                        std::size_t count);
bool HasWideVectorKernel();
// Only when HasWideVectorKernel() is true.
void XorKeystreamWideVector(std::uint8_t* data, const std::uint8_t* codes, const std::uint8_t* keys,
                            std::size_t count);

}  // namespace korvel
