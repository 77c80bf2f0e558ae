#include "TzifCheck.h"

namespace korvel {
namespace {

constexpr qsizetype kHeaderSize = 44;
constexpr qsizetype kTimeTypeSize = 6;
constexpr std::int32_t kLowestOffset = -89999;  // UT offsets stay within a day or so
constexpr std::int32_t kHighestOffset = 93599;
constexpr std::uint32_t kMostEntries = 1u << 16;

struct Counts {
    std::uint32_t utIndicators;
    std::uint32_t standardIndicators;
    std::uint32_t leapSeconds;
    std::uint32_t transitions;
    std::uint32_t types;
    std::uint32_t designationBytes;

    // The size of the data block that follows the header, with times of timeSize bytes.
    qsizetype BlockSize(qsizetype timeSize) const {
        return qsizetype(transitions) * (timeSize + 1) + qsizetype(types) * kTimeTypeSize +
               designationBytes + qsizetype(leapSeconds) * (timeSize + 4) + standardIndicators +
               utIndicators;
    }
};

QString HeaderFault(const HeadBytes& head, qsizetype offset, Counts& counts) {
    const std::uint8_t version = head.At(offset + 4);
    if (!head.Matches(offset, "TZif") ||
        (version != 0 && version != '2' && version != '3' && version != '4')) {
        return "TZif signature broken";
    }
    for (qsizetype i = 5; i < 20; ++i) {
        if (head.At(offset + i) != 0) {
            return "TZif reserved header bytes not zero";
        }
    }
    counts = {*head.U32Be(offset + 20), *head.U32Be(offset + 24), *head.U32Be(offset + 28),
              *head.U32Be(offset + 32), *head.U32Be(offset + 36), *head.U32Be(offset + 40)};
    if (counts.types == 0 || counts.designationBytes == 0 ||
        (counts.utIndicators != 0 && counts.utIndicators != counts.types) ||
        (counts.standardIndicators != 0 && counts.standardIndicators != counts.types) ||
        counts.transitions > kMostEntries || counts.types > 256 ||
        counts.leapSeconds > kMostEntries || counts.designationBytes > 256 * 6) {
        return "TZif counts inconsistent";
    }
    return QString();
}

std::int64_t TimeAt(const HeadBytes& head, qsizetype offset, qsizetype timeSize) {
    return timeSize == 8 ? std::int64_t(*head.U64Be(offset)) : std::int32_t(*head.U32Be(offset));
}

QString TransitionsFault(const HeadBytes& head, qsizetype offset, qsizetype timeSize,
                         const Counts& counts) {
    const qsizetype indices = offset + qsizetype(counts.transitions) * timeSize;
    for (std::uint32_t i = 0; i < counts.transitions; ++i) {
        if (i > 0 && TimeAt(head, offset + i * timeSize, timeSize) <=
                         TimeAt(head, offset + (i - 1) * timeSize, timeSize)) {
            return "TZif transition times out of order";
        }
        if (head.At(indices + i) >= counts.types) {
            return "TZif transition type out of range";
        }
    }
    return QString();
}

QString TypesFault(const HeadBytes& head, qsizetype offset, const Counts& counts) {
    const qsizetype designations = offset + qsizetype(counts.types) * kTimeTypeSize;
    for (std::uint32_t i = 0; i < counts.types; ++i) {
        const qsizetype type = offset + i * kTimeTypeSize;
        const std::int32_t utOffset = std::int32_t(*head.U32Be(type));
        if (utOffset < kLowestOffset || utOffset > kHighestOffset || head.At(type + 4) > 1 ||
            head.At(type + 5) >= counts.designationBytes) {
            return "TZif local time type out of range";
        }
    }
    for (std::uint32_t i = 0; i < counts.designationBytes; ++i) {
        const std::uint8_t byte = head.At(designations + i);
        if ((byte != 0 && (byte < 0x20 || byte > 0x7E)) ||
            (i + 1 == counts.designationBytes && byte != 0)) {
            return "TZif time zone designations are not text";
        }
    }
    return QString();
}

QString IndicatorsFault(const HeadBytes& head, qsizetype offset, qsizetype count) {
    for (qsizetype i = 0; i < count; ++i) {
        if (head.At(offset + i) > 1) {
            return "TZif indicators out of range";
        }
    }
    return QString();
}

// One header and its data block; offset moves past them. A block the head does not hold
// wholly is not checked.
QString BlockFault(const HeadBytes& head, qsizetype& offset, qsizetype timeSize, bool& complete) {
    Counts counts{};
    if (!head.Has(offset, kHeaderSize)) {
        complete = false;
        return QString();
    }
    QString fault = HeaderFault(head, offset, counts);
    const qsizetype data = offset + kHeaderSize;
    complete = head.Has(data, counts.BlockSize(timeSize));
    if (!fault.isEmpty() || !complete) {
        return fault;
    }
    const qsizetype types = data + qsizetype(counts.transitions) * (timeSize + 1);
    const qsizetype indicators = types + qsizetype(counts.types) * kTimeTypeSize +
                                 counts.designationBytes +
                                 qsizetype(counts.leapSeconds) * (timeSize + 4);
    fault = TransitionsFault(head, data, timeSize, counts);
    if (fault.isEmpty()) {
        fault = TypesFault(head, types, counts);
    }
    if (fault.isEmpty()) {
        fault = IndicatorsFault(head, indicators, counts.standardIndicators + counts.utIndicators);
    }
    offset = data + counts.BlockSize(timeSize);
    return fault;
}

// The footer: a POSIX TZ string between two newlines.
QString FooterFault(const HeadBytes& head, qsizetype offset, bool wholeFile) {
    if (!head.Has(offset, 1)) {
        return wholeFile ? "TZif footer missing" : QString();
    }
    if (head.At(offset) != '\n') {
        return "TZif footer broken";
    }
    for (qsizetype i = offset + 1; i < head.Size(); ++i) {
        if (head.At(i) == '\n') {
            return wholeFile && i + 1 != head.Size() ? "TZif data after the footer" : QString();
        }
        if (head.At(i) < 0x20 || head.At(i) > 0x7E) {
            return "TZif footer is not text";
        }
    }
    return wholeFile ? "TZif footer not ended" : QString();
}

}  // namespace

QString TzifCheck::TypeName() const { return "application/vnd.tzif"; }

// The whole signature, or most of the zero bytes after the version, so that text starting "TZ"
// is not taken.
bool TzifCheck::Claims(const HeadBytes& head) const {
    if (head.Matches(0, "TZif")) {
        return true;
    }
    if (!head.Matches(0, "TZ") || !head.Has(0, 20)) {
        return false;
    }
    int zeros = 0;
    for (qsizetype i = 5; i < 20; ++i) {
        zeros += head.At(i) == 0;
    }
    return zeros >= 8;
}

// The version 1 block, and for later versions the 64-bit block and the footer after it.
QString TzifCheck::FindFault(const FormatContext& context) const {
    const HeadBytes& head = context.head;
    qsizetype offset = 0;
    bool complete = true;
    QString fault = BlockFault(head, offset, 4, complete);
    if (!fault.isEmpty() || !complete) {
        return !fault.isEmpty() ? fault : context.wholeFile ? "TZif cut short" : QString();
    }
    if (head.At(4) == 0) {
        return context.wholeFile && offset != head.Size() ? "TZif data after its block" : QString();
    }
    fault = BlockFault(head, offset, 8, complete);
    if (!fault.isEmpty() || !complete) {
        return !fault.isEmpty() ? fault : context.wholeFile ? "TZif cut short" : QString();
    }
    return FooterFault(head, offset, context.wholeFile);
}

}  // namespace korvel
