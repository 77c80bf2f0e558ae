#include "ArCheck.h"

#include <algorithm>

namespace korvel {
namespace {

constexpr qsizetype kSignatureSize = 8;
constexpr qsizetype kHeaderSize = 60;
constexpr int kMembersChecked = 256;
// A member the head cuts within its first bytes may be cut within its signature.
constexpr qsizetype kShortestCutMember = 16;

struct Field {
    qsizetype offset;
    qsizetype width;
    char highestDigit;
};

// mtime, uid, gid, mode (octal) and size: digits from the left, padded with spaces.
constexpr Field kNumberFields[] = {
    {16, 12, '9'}, {28, 6, '9'}, {34, 6, '9'}, {40, 8, '7'}, {48, 10, '9'}};

bool IsNumberField(const HeadBytes& head, qsizetype offset, const Field& field) {
    bool padding = false;
    for (qsizetype i = 0; i < field.width; ++i) {
        const std::uint8_t byte = head.At(offset + field.offset + i);
        if (byte == ' ') {
            padding = true;
        } else if (padding || byte < '0' || byte > field.highestDigit) {
            return false;
        }
    }
    return true;
}

bool IsName(const HeadBytes& head, qsizetype offset) {
    for (qsizetype i = 0; i < 16; ++i) {
        const std::uint8_t byte = head.At(offset + i);
        if (byte < 0x20 || byte > 0x7E) {
            return false;
        }
    }
    return true;
}

qsizetype SizeOf(const HeadBytes& head, qsizetype offset) {
    qsizetype size = 0;
    for (qsizetype i = 48; i < 58 && head.At(offset + i) != ' '; ++i) {
        size = size * 10 + (head.At(offset + i) - '0');
    }
    return size;
}

QString HeaderFault(const HeadBytes& head, qsizetype offset) {
    if (!IsName(head, offset) || !head.Matches(offset + 58, "`\n")) {
        return "ar member header broken";
    }
    for (const Field& field : kNumberFields) {
        if (!IsNumberField(head, offset, field)) {
            return "ar member header field is not a number";
        }
    }
    return QString();
}

// A member whose data starts like a format the judge knows is checked as that format.
QString MemberFault(const FormatContext& context, qsizetype start, qsizetype size) {
    const qsizetype available = std::min(size, context.head.Size() - start);
    const HeadBytes member(context.head.Slice(start, available));
    const FormatCheck* check = context.claiming ? context.claiming(member) : nullptr;
    if (!check || (available < size && available < kShortestCutMember)) {
        return QString();
    }
    const QString fault =
        check->FindFault({member, available == size, context.period, context.claiming});
    return fault.isEmpty() ? QString() : "ar member: " + fault;
}

}  // namespace

QString ArCheck::TypeName() const { return "application/x-archive"; }

bool ArCheck::Claims(const HeadBytes& head) const { return head.Matches(0, "!<"); }

// The member headers the head holds, the padding between members, and each member's data
// through the check of its own format where there is one.
QString ArCheck::FindFault(const FormatContext& context) const {
    const HeadBytes& head = context.head;
    if (!head.Matches(0, "!<arch>\n")) {
        return "ar signature broken";
    }
    qsizetype offset = kSignatureSize;
    for (int member = 0; member < kMembersChecked && head.Has(offset, kHeaderSize); ++member) {
        QString fault = HeaderFault(head, offset);
        if (fault.isEmpty()) {
            fault = MemberFault(context, offset + kHeaderSize, SizeOf(head, offset));
        }
        if (!fault.isEmpty()) {
            return fault;
        }
        offset += kHeaderSize + SizeOf(head, offset);
        if (offset % 2 == 1) {
            if (head.Has(offset, 1) && head.At(offset) != '\n') {
                return "ar padding broken";
            }
            ++offset;
        }
    }
    if (context.wholeFile && offset != head.Size()) {
        return "ar members do not end with the file";
    }
    return QString();
}

}  // namespace korvel
