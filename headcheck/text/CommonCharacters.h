#pragma once

#include <cstdint>

namespace korvel {

// The characters that Chinese text, simplified or traditional, is almost wholly made of: the
// first-level hanzi of GB2312 and Big5 (6,722 of the 20,992 in U+4E00 to U+9FFF), punctuation,
// symbols, kana and full-width forms. A garbled byte in a hanzi's UTF-8 makes another character
// near it, or from another block, which is most often none of these.
class CommonCharacters {
public:
    static bool Contains(std::uint32_t code);
};

}  // namespace korvel
