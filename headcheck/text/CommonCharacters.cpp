#include "CommonCharacters.h"

#include <array>

namespace korvel {
namespace {

constexpr std::uint32_t kFirstHanzi = 0x4E00;
constexpr std::uint32_t kLastHanzi = 0x9FFF;

constexpr std::array<std::uint64_t, (kLastHanzi - kFirstHanzi + 1) / 64> kCommonHanzi = {
#include "CommonHanziBits.inc"
};

struct Range {
    std::uint32_t first;
    std::uint32_t last;
};

// Punctuation, letterlike and technical symbols, arrows, box drawing, shapes; CJK punctuation and
// kana; vertical forms; full-width forms.
constexpr std::array<Range, 4> kCommonOthers = {
    {{0x2000, 0x2BFF}, {0x3000, 0x30FF}, {0xFE30, 0xFE4F}, {0xFF00, 0xFFEF}}};

}  // namespace

bool CommonCharacters::Contains(std::uint32_t code) {
    if (code >= kFirstHanzi && code <= kLastHanzi) {
        const std::uint32_t index = code - kFirstHanzi;
        return ((kCommonHanzi[index / 64] >> (index % 64)) & 1) != 0;
    }
    for (const Range& range : kCommonOthers) {
        if (code >= range.first && code <= range.last) {
            return true;
        }
    }
    return false;
}

}  // namespace korvel
