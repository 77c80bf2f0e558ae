#include "PngCheck.h"

#include <zlib.h>

namespace korvel {
namespace {

constexpr qsizetype kSignatureSize = 8;

bool IsChunkTypeLetter(std::uint8_t byte) {
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
}

}  // namespace

QString PngCheck::TypeName() const { return "image/png"; }

bool PngCheck::Claims(const HeadBytes& head) const { return head.Matches(0, "\x89P"); }

// Every chunk that lies wholly in the head must carry its CRC; the first must be the header.
QString PngCheck::FindFault(const FormatContext& context) const {
    const HeadBytes& head = context.head;
    if (!head.Matches(0, "\x89PNG\r\n\x1A\n")) {
        return "PNG signature broken";
    }
    qsizetype offset = kSignatureSize;
    for (int chunk = 0;; ++chunk) {
        const auto length = head.U32Be(offset);
        if (!length || !head.Has(offset + 4, 4)) {
            return context.wholeFile ? "PNG ends inside a chunk header" : QString();
        }
        if (*length > 0x7FFFFFFFu) {
            return "PNG chunk length out of range";
        }
        for (int i = 0; i < 4; ++i) {
            if (!IsChunkTypeLetter(head.At(offset + 4 + i))) {
                return "PNG chunk type is not letters";
            }
        }
        if (chunk == 0 && (!head.Matches(offset + 4, "IHDR") || *length != 13)) {
            return "PNG does not start with its header chunk";
        }
        const auto storedCrc = head.U32Be(offset + 8 + *length);
        if (!storedCrc) {
            return context.wholeFile ? "PNG ends inside a chunk" : QString();
        }
        const QByteArrayView typeAndData = head.Slice(offset + 4, 4 + *length);
        const auto crc = crc32(0, reinterpret_cast<const Bytef*>(typeAndData.data()),
                               static_cast<uInt>(typeAndData.size()));
        if (crc != *storedCrc) {
            return "PNG chunk CRC mismatch";
        }
        if (head.Matches(offset + 4, "IEND")) {
            return QString();
        }
        offset += 12 + *length;
    }
}

}  // namespace korvel
