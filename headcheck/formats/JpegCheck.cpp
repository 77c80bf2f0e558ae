#include "JpegCheck.h"

namespace korvel {
namespace {

constexpr std::uint8_t kMarker = 0xFF;
constexpr std::uint8_t kStartOfScan = 0xDA;
constexpr std::uint8_t kEndOfImage = 0xD9;
constexpr std::uint8_t kQuantizationTables = 0xDB;
constexpr std::uint8_t kHuffmanTables = 0xC4;
constexpr std::uint8_t kFirstRestart = 0xD0;
constexpr std::uint8_t kLastRestart = 0xD7;

// Markers that open a segment with a length: frames, tables, restart interval, application data,
// comments and the extensions.
bool IsSegmentMarker(std::uint8_t marker) {
    return (marker >= 0xC0 && marker <= 0xCF) || (marker >= 0xDA && marker <= 0xDF) ||
           marker >= 0xE0;
}

bool IsRestart(std::uint8_t byte) { return byte >= kFirstRestart && byte <= kLastRestart; }

// Each table: precision and number, then 64 entries of one or two bytes, none zero.
QString QuantizationFault(const HeadBytes& head, qsizetype offset, qsizetype end) {
    while (offset < end) {
        const std::uint8_t info = head.At(offset);
        const qsizetype entrySize = (info >> 4) == 0 ? 1 : 2;
        if ((info >> 4) > 1 || (info & 0x0F) > 3 || offset + 1 + 64 * entrySize > end) {
            return "JPEG quantization table broken";
        }
        offset += 1 + 64 * entrySize;
    }
    return QString();
}

// Each table: class and number, sixteen code counts, and as many symbols as they add up to.
QString HuffmanFault(const HeadBytes& head, qsizetype offset, qsizetype end) {
    while (offset < end) {
        const std::uint8_t info = head.At(offset);
        if ((info >> 4) > 1 || (info & 0x0F) > 3 || offset + 17 > end) {
            return "JPEG Huffman table broken";
        }
        qsizetype symbols = 0;
        for (qsizetype i = 1; i <= 16; ++i) {
            symbols += head.At(offset + i);
        }
        if (symbols > 256 || offset + 17 + symbols > end) {
            return "JPEG Huffman table broken";
        }
        offset += 17 + symbols;
    }
    return QString();
}

// In entropy-coded data a marker byte is followed by a stuffed zero, the next restart marker in
// turn, or the marker of what comes next.
QString EntropyFault(const HeadBytes& head, qsizetype offset, qsizetype& next) {
    int expectedRestart = 0;
    for (; offset + 1 < head.Size(); ++offset) {
        if (head.At(offset) != kMarker) {
            continue;
        }
        const std::uint8_t following = head.At(offset + 1);
        if (following == kMarker) {
            continue;  // fill byte before a marker
        }
        if (following == 0) {
            ++offset;
            continue;
        }
        if (IsRestart(following)) {
            if (following - kFirstRestart != expectedRestart) {
                return "JPEG restart markers out of turn";
            }
            expectedRestart = (expectedRestart + 1) % 8;
            ++offset;
            continue;
        }
        if (following != kEndOfImage && !IsSegmentMarker(following)) {
            return "JPEG entropy-coded data broken";
        }
        next = offset;
        return QString();
    }
    next = head.Size();
    return QString();
}

QString SegmentFault(const HeadBytes& head, std::uint8_t marker, qsizetype offset, qsizetype end) {
    if (marker == kQuantizationTables) {
        return QuantizationFault(head, offset, end);
    }
    if (marker == kHuffmanTables) {
        return HuffmanFault(head, offset, end);
    }
    if (marker == kStartOfScan) {
        if (end <= offset) {
            return "JPEG scan header broken";
        }
        const std::uint8_t components = head.At(offset);
        if (components < 1 || components > 4 || end - offset != 4 + 2 * qsizetype(components)) {
            return "JPEG scan header broken";
        }
    }
    return QString();
}

}  // namespace

QString JpegCheck::TypeName() const { return "image/jpeg"; }

bool JpegCheck::Claims(const HeadBytes& head) const { return head.Matches(0, "\xFF\xD8"); }

// Walks the segments: markers, lengths, the tables' own structure, and the marker rules of the
// entropy-coded data after each scan header.
QString JpegCheck::FindFault(const FormatContext& context) const {
    const HeadBytes& head = context.head;
    qsizetype offset = 2;
    bool scanned = false;
    while (head.Has(offset, 2)) {
        if (head.At(offset) != kMarker) {
            return "JPEG marker expected";
        }
        const std::uint8_t marker = head.At(offset + 1);
        if (marker == kMarker) {
            ++offset;  // fill byte
            continue;
        }
        if (marker == kEndOfImage) {
            return QString();
        }
        if (!IsSegmentMarker(marker)) {
            return "JPEG marker unknown";
        }
        const auto length = head.U16Be(offset + 2);
        if (length && *length < 2) {
            return "JPEG segment length broken";
        }
        if (!length || !head.Has(offset + 2, *length)) {
            // Files cut short, or with stray markers in their scans, are common enough; a whole
            // file whose headers reach past its end before the first scan is not.
            return context.wholeFile && !scanned ? "JPEG header segment reaches past the end"
                                                 : QString();
        }
        const qsizetype end = offset + 2 + *length;
        QString fault = SegmentFault(head, marker, offset + 4, end);
        if (!fault.isEmpty()) {
            return fault;
        }
        offset = end;
        if (marker == kStartOfScan) {
            scanned = true;
            QString entropyFault = EntropyFault(head, offset, offset);
            if (!entropyFault.isEmpty()) {
                return entropyFault;
            }
        }
    }
    return QString();  // files cut short without their end marker are common enough
}

}  // namespace korvel
