#include "XzCheck.h"

#include <zlib.h>

namespace korvel {
namespace {

constexpr qsizetype kStreamHeaderSize = 12;
constexpr std::uint8_t kReservedBlockFlags = 0x3C;

bool Crc32Holds(const HeadBytes& head, qsizetype offset, qsizetype length) {
    const QByteArrayView covered = head.Slice(offset, length);
    const auto crc =
        crc32(0, reinterpret_cast<const Bytef*>(covered.data()), static_cast<uInt>(covered.size()));
    return crc == *head.U32Le(offset + length);
}

bool IsKnownCheck(std::uint8_t check) {
    return check == 0x00 || check == 0x01 || check == 0x04 || check == 0x0A;
}

}  // namespace

QString XzCheck::TypeName() const { return "application/x-xz"; }

bool XzCheck::Claims(const HeadBytes& head) const {
    return head.Matches(0,
                        "\xFD"
                        "7");
}

// The stream header and the first block header, each under its CRC-32.
QString XzCheck::FindFault(const FormatContext& context) const {
    const HeadBytes& head = context.head;
    if (!head.Matches(0, QByteArrayView("\xFD"
                                        "7zXZ\0",
                                        6))) {
        return "xz signature broken";
    }
    if (!head.Has(0, kStreamHeaderSize + 1)) {
        return context.wholeFile ? "xz header cut short" : QString();
    }
    if (head.At(6) != 0 || !IsKnownCheck(head.At(7)) || !Crc32Holds(head, 6, 2)) {
        return "xz stream header broken";
    }
    const std::uint8_t sizeCode = head.At(kStreamHeaderSize);
    if (sizeCode == 0) {
        return QString();  // an empty stream's index follows at once
    }
    const qsizetype blockHeaderSize = (qsizetype(sizeCode) + 1) * 4;
    if (!head.Has(kStreamHeaderSize, blockHeaderSize)) {
        return context.wholeFile ? "xz block header cut short" : QString();
    }
    if ((head.At(kStreamHeaderSize + 1) & kReservedBlockFlags) ||
        !Crc32Holds(head, kStreamHeaderSize, blockHeaderSize - 4)) {
        return "xz block header broken";
    }
    return QString();
}

}  // namespace korvel
