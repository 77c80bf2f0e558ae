#include "HeadBytes.h"

namespace korvel {

bool HeadBytes::Has(qsizetype offset, qsizetype count) const {
    return offset >= 0 && count >= 0 && offset <= bytes_.size() && count <= bytes_.size() - offset;
}

std::optional<std::uint64_t> HeadBytes::Read(qsizetype offset, int width, bool bigEndian) const {
    if (!Has(offset, width)) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (int i = 0; i < width; ++i) {
        const int index = bigEndian ? i : width - 1 - i;
        value = (value << 8) | At(offset + index);
    }
    return value;
}

std::optional<std::uint8_t> HeadBytes::U8(qsizetype offset) const { return Read(offset, 1, true); }

std::optional<std::uint16_t> HeadBytes::U16Be(qsizetype offset) const {
    return Read(offset, 2, true);
}

std::optional<std::uint32_t> HeadBytes::U32Be(qsizetype offset) const {
    return Read(offset, 4, true);
}

std::optional<std::uint64_t> HeadBytes::U64Be(qsizetype offset) const {
    return Read(offset, 8, true);
}

std::optional<std::uint16_t> HeadBytes::U16Le(qsizetype offset) const {
    return Read(offset, 2, false);
}

std::optional<std::uint32_t> HeadBytes::U32Le(qsizetype offset) const {
    return Read(offset, 4, false);
}

std::optional<std::uint64_t> HeadBytes::U64Le(qsizetype offset) const {
    return Read(offset, 8, false);
}

bool HeadBytes::Matches(qsizetype offset, QByteArrayView text) const {
    return Has(offset, text.size()) && bytes_.sliced(offset, text.size()) == text;
}

QByteArrayView HeadBytes::Slice(qsizetype offset, qsizetype count) const {
    return Has(offset, count) ? bytes_.sliced(offset, count) : QByteArrayView();
}

}  // namespace korvel
