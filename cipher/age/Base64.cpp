#include "Base64.h"

#include <array>

namespace korvel::age {
namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::uint8_t kNotInAlphabet = 0xFF;

constexpr std::array<std::uint8_t, 256> MakeValues() {
    std::array<std::uint8_t, 256> values{};
    values.fill(kNotInAlphabet);
    for (std::size_t i = 0; i < kAlphabet.size(); ++i) {
        values[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::uint8_t>(i);
    }
    return values;
}
constexpr std::array<std::uint8_t, 256> kValues = MakeValues();

}  // namespace

std::string Base64::Encode(std::span<const std::uint8_t> bytes) {
    std::string text;
    text.reserve((bytes.size() * 4 + 2) / 3);
    std::uint32_t bits = 0;
    int bitCount = 0;
    for (std::uint8_t byte : bytes) {
        bits = (bits << 8) | byte;
        bitCount += 8;
        while (bitCount >= 6) {
            bitCount -= 6;
            text += kAlphabet[(bits >> bitCount) & 0x3F];
        }
    }
    if (bitCount > 0) text += kAlphabet[(bits << (6 - bitCount)) & 0x3F];
    return text;
}

std::optional<std::vector<std::uint8_t>> Base64::Decode(std::string_view text) {
    if (text.size() % 4 == 1) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() * 3 / 4);
    std::uint32_t bits = 0;
    int bitCount = 0;
    for (char c : text) {
        const std::uint8_t value = kValues[static_cast<unsigned char>(c)];
        if (value == kNotInAlphabet) return std::nullopt;
        bits = (bits << 6) | value;
        bitCount += 6;
        if (bitCount >= 8) {
            bitCount -= 8;
            bytes.push_back(static_cast<std::uint8_t>(bits >> bitCount));
        }
    }
    // Canonical: the bits left over after the last whole byte are all zero.
    if ((bits & ((1u << bitCount) - 1)) != 0) return std::nullopt;
    return bytes;
}

}  // namespace korvel::age
