#pragma once

#include <QByteArrayView>
#include <cstdint>

namespace korvel {

// The byte structure of UTF-8. Inline: it runs for every byte of a head that is not ASCII.
class Utf8Sequence {
public:
    // The length of the well-formed character that starts at offset, 0 when none starts there,
    // or -1 when one may start there but the bytes end first.
    static int LengthAt(QByteArrayView bytes, qsizetype offset) {
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
        const LeadRule rule = RuleFor(data[offset]);
        for (int i = 1; i < rule.length; ++i) {
            if (offset + i >= bytes.size()) {
                return -1;
            }
            const std::uint8_t next = data[offset + i];
            const std::uint8_t low = i == 1 ? rule.secondLow : 0x80;
            const std::uint8_t high = i == 1 ? rule.secondHigh : 0xBF;
            if (next < low || next > high) {
                return 0;
            }
        }
        return rule.length;
    }

private:
    struct LeadRule {
        int length;
        std::uint8_t secondLow;  // the second byte's range narrows after some leads
        std::uint8_t secondHigh;
    };

    static LeadRule RuleFor(std::uint8_t lead) {
        if (lead < 0x80) return {1, 0, 0};
        if (lead < 0xC2) return {0, 0, 0};
        if (lead < 0xE0) return {2, 0x80, 0xBF};
        if (lead == 0xE0) return {3, 0xA0, 0xBF};  // no overlong forms
        if (lead == 0xED) return {3, 0x80, 0x9F};  // no surrogates
        if (lead < 0xF0) return {3, 0x80, 0xBF};
        if (lead == 0xF0) return {4, 0x90, 0xBF};
        if (lead < 0xF4) return {4, 0x80, 0xBF};
        if (lead == 0xF4) return {4, 0x80, 0x8F};  // nothing past U+10FFFF
        return {0, 0, 0};
    }
};

}  // namespace korvel
