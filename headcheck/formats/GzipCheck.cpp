#include "GzipCheck.h"

#include <zlib.h>

#include "InflateProbe.h"

namespace korvel {
namespace {

constexpr std::uint8_t kHeaderCrc = 0x02;
constexpr std::uint8_t kExtra = 0x04;
constexpr std::uint8_t kName = 0x08;
constexpr std::uint8_t kComment = 0x10;
constexpr std::uint8_t kReservedFlags = 0xE0;
constexpr std::uint8_t kUnknownSystem = 255;
constexpr std::uint8_t kLastKnownSystem = 13;

// The offset past a zero-terminated field, or nothing when the head ends first.
std::optional<qsizetype> SkipZeroTerminated(const HeadBytes& head, qsizetype offset) {
    while (head.Has(offset, 1)) {
        if (head.At(offset++) == 0) {
            return offset;
        }
    }
    return std::nullopt;
}

// The offset where the compressed data starts, or nothing when the head ends first.
std::optional<qsizetype> SkipHeader(const HeadBytes& head, std::uint8_t flags) {
    std::optional<qsizetype> offset = 10;
    if (flags & kExtra) {
        const auto extraLength = head.U16Le(*offset);
        offset = extraLength ? std::optional<qsizetype>(*offset + 2 + *extraLength) : std::nullopt;
    }
    if (offset && (flags & kName)) {
        offset = SkipZeroTerminated(head, *offset);
    }
    if (offset && (flags & kComment)) {
        offset = SkipZeroTerminated(head, *offset);
    }
    if (offset && (flags & kHeaderCrc)) {
        *offset += 2;
    }
    return offset && head.Has(*offset, 0) ? offset : std::nullopt;
}

}  // namespace

QString GzipCheck::TypeName() const { return "application/gzip"; }

bool GzipCheck::Claims(const HeadBytes& head) const { return head.Matches(0, "\x1F\x8B"); }

QString GzipCheck::FindFault(const FormatContext& context) const {
    const HeadBytes& head = context.head;
    if (!head.Has(0, 10)) {
        return context.wholeFile ? "gzip header cut short" : QString();
    }
    const std::uint8_t flags = head.At(3);
    const std::uint8_t system = head.At(9);
    if (head.At(2) != Z_DEFLATED || (flags & kReservedFlags) ||
        (system > kLastKnownSystem && system != kUnknownSystem)) {
        return "gzip header fields out of range";
    }
    const std::optional<qsizetype> dataStart = SkipHeader(head, flags);
    if (!dataStart) {
        return context.wholeFile ? "gzip header cut short" : QString();
    }
    if (flags & kHeaderCrc) {
        const QByteArrayView header = head.Slice(0, *dataStart - 2);
        const auto crc = crc32(0, reinterpret_cast<const Bytef*>(header.data()),
                               static_cast<uInt>(header.size()));
        if ((crc & 0xFFFF) != *head.U16Le(*dataStart - 2)) {
            return "gzip header CRC mismatch";
        }
    }
    const QByteArrayView data = head.View().sliced(*dataStart);
    const InflateProbe::Result inflated = InflateProbe::Inflate(data);
    if (inflated.outcome == InflateProbe::Outcome::Broken) {
        return "gzip data does not inflate";
    }
    if (inflated.outcome == InflateProbe::Outcome::Capped) {
        return QString();
    }
    if (inflated.outcome == InflateProbe::Outcome::RanOut) {
        return context.wholeFile ? "gzip data cut short" : QString();
    }
    const qsizetype trailer = *dataStart + inflated.consumed;
    const auto storedCrc = head.U32Le(trailer);
    const auto storedSize = head.U32Le(trailer + 4);
    if (!storedCrc || !storedSize) {
        return context.wholeFile ? "gzip trailer missing" : QString();
    }
    if (*storedCrc != inflated.crc || *storedSize != (inflated.size & 0xFFFFFFFFu)) {
        return "gzip member CRC or length mismatch";
    }
    return QString();
}

}  // namespace korvel
