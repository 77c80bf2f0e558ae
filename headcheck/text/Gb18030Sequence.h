#pragma once

#include <QByteArrayView>
#include <cstdint>

namespace korvel {

// The byte structure of GB18030, which GBK and GB2312 are subsets of. Checked here rather than
// through a decoder because Qt decodes GB18030 only where it is built with ICU. Inline: it runs
// for every byte of a head that is not ASCII.
class Gb18030Sequence {
public:
    // The length of the well-formed character that starts at offset (1, 2 or 4), 0 when none
    // starts there, or -1 when one may start there but the bytes end first.
    static int LengthAt(QByteArrayView bytes, qsizetype offset) {
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data()) + offset;
        const qsizetype available = bytes.size() - offset;
        if (data[0] < 0x80) {
            return 1;
        }
        if (!IsLead(data[0])) {
            return 0;
        }
        if (available < 2) {
            return -1;
        }
        if (IsTrail(data[1])) {
            return 2;
        }
        if (!IsDigit(data[1])) {
            return 0;
        }
        if (available < 4) {
            return -1;
        }
        return IsLead(data[2]) && IsDigit(data[3]) ? 4 : 0;
    }

private:
    static bool IsLead(std::uint8_t byte) { return byte >= 0x81 && byte <= 0xFE; }
    static bool IsDigit(std::uint8_t byte) { return byte >= 0x30 && byte <= 0x39; }
    static bool IsTrail(std::uint8_t byte) {
        return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFE);
    }
};

}  // namespace korvel
