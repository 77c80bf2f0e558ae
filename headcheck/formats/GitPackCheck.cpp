#include "GitPackCheck.h"

#include "InflateProbe.h"

namespace korvel {
namespace {

constexpr qsizetype kPackHeaderSize = 12;
constexpr qsizetype kIndexHeaderSize = 8;
constexpr int kFanoutEntries = 256;
constexpr std::uint8_t kOffsetDelta = 6;
constexpr std::uint8_t kReferenceDelta = 7;
constexpr qsizetype kObjectNameSize = 20;

// The index's fan-out table counts objects by their name's first byte, cumulatively.
QString IndexFault(const HeadBytes& head) {
    if (!head.Matches(0, "\xFFtOc") || head.U32Be(4) != std::uint32_t{2}) {
        return "git pack index header broken";
    }
    std::uint32_t previous = 0;
    for (int entry = 0; entry < kFanoutEntries; ++entry) {
        const auto count = head.U32Be(kIndexHeaderSize + 4 * qsizetype{entry});
        if (!count) {
            break;
        }
        if (*count < previous) {
            return "git pack index fan-out decreases";
        }
        previous = *count;
    }
    return QString();
}

// An object's header: its type and inflated size, in 7-bit groups after the first four bits.
bool ReadObjectHeader(const HeadBytes& head, qsizetype& offset, std::uint8_t& type,
                      std::uint64_t& size) {
    auto byte = head.U8(offset++);
    if (!byte) {
        return false;
    }
    type = (*byte >> 4) & 0x07;
    size = *byte & 0x0F;
    for (int shift = 4; *byte & 0x80; shift += 7) {
        byte = head.U8(offset++);
        if (!byte || shift > 56) {
            return false;
        }
        size |= std::uint64_t(*byte & 0x7F) << shift;
    }
    return true;
}

// A delta's base as an offset back: 7-bit groups, each continuation adding one.
bool SkipBaseOffset(const HeadBytes& head, qsizetype& offset) {
    for (int groups = 0; groups < 10; ++groups) {
        const auto byte = head.U8(offset++);
        if (!byte) {
            return false;
        }
        if (!(*byte & 0x80)) {
            return true;
        }
    }
    return false;
}

// The objects the head holds: known types, zlib streams that inflate to the size the header says.
QString PackFault(const FormatContext& context) {
    const HeadBytes& head = context.head;
    const auto version = head.U32Be(4);
    const auto objects = head.U32Be(8);
    if (!head.Matches(0, "PACK") || !version || (*version != 2 && *version != 3)) {
        return "git pack header broken";
    }
    if (!objects) {
        return context.wholeFile ? "git pack header cut short" : QString();
    }
    qsizetype offset = kPackHeaderSize;
    for (std::uint32_t object = 0; object < *objects; ++object) {
        std::uint8_t type = 0;
        std::uint64_t size = 0;
        if (!ReadObjectHeader(head, offset, type, size)) {
            return QString();
        }
        if (type == 0 || type == 5) {
            return "git pack object type unknown";
        }
        if ((type == kOffsetDelta && !SkipBaseOffset(head, offset)) ||
            (type == kReferenceDelta && !head.Has(offset += kObjectNameSize, 0))) {
            return QString();
        }
        const InflateProbe::Result inflated =
            InflateProbe::InflateZlib(head.View().sliced(std::min(offset, head.Size())));
        if (inflated.outcome == InflateProbe::Outcome::Broken ||
            (inflated.outcome == InflateProbe::Outcome::Ended && inflated.size != size)) {
            return "git pack object does not inflate to its size";
        }
        if (inflated.outcome != InflateProbe::Outcome::Ended) {
            return QString();
        }
        offset += inflated.consumed;
    }
    return QString();
}

}  // namespace

QString GitPackCheck::TypeName() const { return "application/x-git"; }

// An index by its signature's first two bytes; a pack by them and a version number after it, so
// that text starting "PACK" is not taken.
bool GitPackCheck::Claims(const HeadBytes& head) const {
    const auto version = head.U32Be(4);
    return head.Matches(0, "\xFFt") ||
           (version && head.Matches(0, "PA") && (*version == 2 || *version == 3));
}

QString GitPackCheck::FindFault(const FormatContext& context) const {
    return context.head.Matches(0, "\xFFt") ? IndexFault(context.head) : PackFault(context);
}

}  // namespace korvel
