#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::age {

// The base64 of age headers: the standard alphabet without '=' padding. Only the canonical
// encoding decodes: padding, characters outside the alphabet, a length that leaves a single
// character, and unused trailing bits that are not zero are all refused.
class Base64 {
public:
    static std::string Encode(std::span<const std::uint8_t> bytes);
    static std::optional<std::vector<std::uint8_t>> Decode(std::string_view text);
};

}  // namespace korvel::age
