#include "Bech32.h"

#include <algorithm>
#include <cctype>

namespace korvel::age {
namespace {

constexpr std::string_view kCharset = "qpzry9x8gf2tvdw0s3jn54khce6mua7l";
constexpr std::size_t kChecksumLength = 6;

std::uint32_t PolyMod(const std::vector<std::uint8_t>& values) {
    constexpr std::uint32_t kGenerator[5] = {0x3b6a57b2, 0x26508e6d, 0x1ea119fa, 0x3d4233dd,
                                             0x2a1462b3};
    std::uint32_t checksum = 1;
    for (std::uint8_t value : values) {
        const std::uint32_t top = checksum >> 25;
        checksum = ((checksum & 0x1ffffff) << 5) ^ value;
        for (int i = 0; i < 5; ++i) {
            if ((top >> i) & 1) checksum ^= kGenerator[i];
        }
    }
    return checksum;
}

std::vector<std::uint8_t> ExpandedHumanPart(std::string_view humanPart) {
    std::vector<std::uint8_t> expanded;
    for (char c : humanPart) expanded.push_back(static_cast<std::uint8_t>(c) >> 5);
    expanded.push_back(0);
    for (char c : humanPart) expanded.push_back(static_cast<std::uint8_t>(c) & 31);
    return expanded;
}

bool ChecksumHolds(std::string_view humanPart, const std::vector<std::uint8_t>& values) {
    std::vector<std::uint8_t> all = ExpandedHumanPart(humanPart);
    all.insert(all.end(), values.begin(), values.end());
    return PolyMod(all) == 1;
}

std::vector<std::uint8_t> Checksum(std::string_view humanPart,
                                   const std::vector<std::uint8_t>& values) {
    std::vector<std::uint8_t> all = ExpandedHumanPart(humanPart);
    all.insert(all.end(), values.begin(), values.end());
    all.insert(all.end(), kChecksumLength, 0);
    const std::uint32_t mod = PolyMod(all) ^ 1;
    std::vector<std::uint8_t> checksum(kChecksumLength);
    for (std::size_t i = 0; i < kChecksumLength; ++i) {
        checksum[i] = (mod >> (5 * (5 - i))) & 31;
    }
    return checksum;
}

std::vector<std::uint8_t> ToFiveBitGroups(std::span<const std::uint8_t> bytes) {
    std::vector<std::uint8_t> groups;
    std::uint32_t bits = 0;
    int bitCount = 0;
    for (std::uint8_t byte : bytes) {
        bits = (bits << 8) | byte;
        bitCount += 8;
        while (bitCount >= 5) {
            bitCount -= 5;
            groups.push_back((bits >> bitCount) & 31);
        }
    }
    if (bitCount > 0) groups.push_back((bits << (5 - bitCount)) & 31);
    return groups;
}

std::optional<std::vector<std::uint8_t>> FromFiveBitGroups(
    const std::vector<std::uint8_t>& groups) {
    std::vector<std::uint8_t> bytes;
    std::uint32_t bits = 0;
    int bitCount = 0;
    for (std::uint8_t group : groups) {
        bits = (bits << 5) | group;
        bitCount += 5;
        if (bitCount >= 8) {
            bitCount -= 8;
            bytes.push_back(static_cast<std::uint8_t>(bits >> bitCount));
        }
    }
    if (bitCount >= 5 || (bits & ((1u << bitCount) - 1)) != 0) return std::nullopt;
    return bytes;
}

bool HasMixedCase(std::string_view text) {
    const bool lower =
        std::any_of(text.begin(), text.end(), [](char c) { return c >= 'a' && c <= 'z'; });
    const bool upper =
        std::any_of(text.begin(), text.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
    return lower && upper;
}

}  // namespace

std::string Bech32::Encode(std::string_view humanPart, std::span<const std::uint8_t> bytes,
                           bool upperCase) {
    return EncodeValues(humanPart, ToFiveBitGroups(bytes), upperCase);
}

std::string Bech32::EncodeValues(std::string_view humanPart, std::vector<std::uint8_t> values,
                                 bool upperCase) {
    std::string lowerHuman(humanPart);
    for (char& c : lowerHuman) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::vector<std::uint8_t> checksum = Checksum(lowerHuman, values);
    values.insert(values.end(), checksum.begin(), checksum.end());
    std::string text = lowerHuman + '1';
    for (std::uint8_t value : values) text += kCharset[value];
    if (upperCase) {
        for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

std::optional<Bech32::Values> Bech32::DecodeValues(std::string_view text, std::size_t maxLength) {
    if (text.size() > maxLength) return std::nullopt;
    if (std::any_of(text.begin(), text.end(), [](char c) { return c < 33 || c > 126; })) {
        return std::nullopt;
    }
    if (HasMixedCase(text)) return std::nullopt;
    const std::size_t separator = text.rfind('1');
    if (separator == std::string_view::npos || separator == 0 ||
        text.size() - separator - 1 < kChecksumLength) {
        return std::nullopt;
    }
    Values decoded;
    for (char c : text.substr(0, separator)) {
        decoded.humanPart += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    for (char c : text.substr(separator + 1)) {
        const std::size_t value =
            kCharset.find(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
        if (value == std::string_view::npos) return std::nullopt;
        decoded.values.push_back(static_cast<std::uint8_t>(value));
    }
    if (!ChecksumHolds(decoded.humanPart, decoded.values)) return std::nullopt;
    decoded.values.resize(decoded.values.size() - kChecksumLength);
    return decoded;
}

std::optional<Bech32::Decoded> Bech32::Decode(std::string_view text, std::size_t maxLength) {
    std::optional<Values> values = DecodeValues(text, maxLength);
    if (!values) return std::nullopt;
    std::optional<std::vector<std::uint8_t>> bytes = FromFiveBitGroups(values->values);
    if (!bytes) return std::nullopt;
    return Decoded{std::move(values->humanPart), std::move(*bytes)};
}

}  // namespace korvel::age
