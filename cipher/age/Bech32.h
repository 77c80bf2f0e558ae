#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::age {

// Bech32 (BIP173) as age uses it for "age1..." recipients and "AGE-SECRET-KEY-1..." identities:
// no length limit unless one is asked for, all upper or all lower case, the checksum always over
// the lower case form.
class Bech32 {
public:
    struct Values {
        std::string humanPart;             // in lower case
        std::vector<std::uint8_t> values;  // 5-bit groups, checksum removed
    };
    struct Decoded {
        std::string humanPart;  // in lower case
        std::vector<std::uint8_t> bytes;
    };

    static std::string Encode(std::string_view humanPart, std::span<const std::uint8_t> bytes,
                              bool upperCase = false);
    static std::string EncodeValues(std::string_view humanPart, std::vector<std::uint8_t> values,
                                    bool upperCase = false);
    // The 5-bit groups of a well-formed string with a valid checksum.
    static std::optional<Values> DecodeValues(
        std::string_view text, std::size_t maxLength = std::numeric_limits<std::size_t>::max());
    // The same, its groups read back into bytes: the padding must be under 5 bits, all zero.
    static std::optional<Decoded> Decode(
        std::string_view text, std::size_t maxLength = std::numeric_limits<std::size_t>::max());
};

}  // namespace korvel::age
