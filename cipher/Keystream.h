#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "KeyFileReader.h"

namespace korvel {

// The keystream of one run: each byte combines the next password code (cycled 1, 2, ... Len, 1,
// ...) with the next key byte (cycled through the key file from the start position on).
class Keystream {
public:
    // The 1-based key position where a password's keystream starts: code 1 × 1000 + code 2.
    static std::uint64_t StartPosition(std::string_view password);

    // The password has at least two characters.
    void Start(std::string_view password, KeyFileReader& key);
    std::uint8_t NextByte();
    // XORs the next count keystream bytes into data.
    void Apply(std::uint8_t* data, std::size_t count);

private:
    // Codes repeated so that any run of up to kPatternSpan codes can be read from one place;
    // small enough to stay in the first-level cache beside the data it is applied to.
    static constexpr std::size_t kPatternSpan = std::size_t{8} * 1024;

    std::vector<std::uint8_t> pattern_;
    std::size_t length_ = 0;
    std::size_t index_ = 0;  // 0-based password index of the next byte
    KeyFileReader* key_ = nullptr;
};

}  // namespace korvel
