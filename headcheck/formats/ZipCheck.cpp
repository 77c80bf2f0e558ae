#include "ZipCheck.h"

#include <zlib.h>

#include "InflateProbe.h"
#include "headcheck/text/Utf8Sequence.h"

namespace korvel {
namespace {

constexpr qsizetype kLocalHeaderSize = 30;
constexpr std::uint16_t kEncrypted = 0x0001;
constexpr std::uint16_t kDataDescriptor = 0x0008;
constexpr std::uint16_t kUtf8Names = 0x0800;
constexpr std::uint16_t kUnusedFlags = 0x5780;
constexpr std::uint16_t kStored = 0;
constexpr std::uint16_t kDeflated = 8;
constexpr std::uint32_t kZip64Size = 0xFFFFFFFF;
constexpr int kMembersChecked = 64;
// Longer names are allowed but not made by any archiver in use.
constexpr std::uint16_t kLongestName = 4096;

struct Member {
    std::uint16_t flags;
    std::uint16_t method;
    std::uint32_t crc;
    std::uint32_t compressedSize;
    std::uint32_t size;
    qsizetype dataStart;
};

bool IsKnownMethod(std::uint16_t method) {
    switch (method) {
        case 0:
        case 1:
        case 2:
        case 3:
        case 4:
        case 5:
        case 6:
        case 8:
        case 9:
        case 10:
        case 12:
        case 14:
        case 18:
        case 19:
        case 93:
        case 94:
        case 95:
        case 96:
        case 97:
        case 98:
        case 99:
            return true;
        default:
            return false;
    }
}

bool IsValidDosTime(std::uint16_t time, std::uint16_t date) {
    if (time == 0 && date == 0) {
        return true;
    }
    const int month = (date >> 5) & 0x0F;
    const int day = date & 0x1F;
    return (time >> 11) <= 23 && ((time >> 5) & 0x3F) <= 59 && (time & 0x1F) <= 29 && month >= 1 &&
           month <= 12 && day >= 1;
}

bool IsValidName(QByteArrayView name, bool utf8) {
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (static_cast<std::uint8_t>(name[i]) < 0x20) {
            return false;
        }
        if (utf8 && static_cast<std::uint8_t>(name[i]) >= 0x80) {
            const int length = Utf8Sequence::LengthAt(name, i);
            if (length <= 0) {
                return false;
            }
            i += length - 1;
        }
    }
    return !name.isEmpty();
}

// Extra fields are tagged blocks that must fill their area exactly.
bool ExtraFieldsFit(const HeadBytes& head, qsizetype offset, qsizetype length) {
    const qsizetype end = offset + length;
    while (offset + 4 <= end) {
        offset += 4 + *head.U16Le(offset + 2);
    }
    return offset == end;
}

QString LocalHeaderFault(const HeadBytes& head, qsizetype offset, Member& member) {
    const std::uint16_t version = *head.U16Le(offset + 4);
    member.flags = *head.U16Le(offset + 6);
    member.method = *head.U16Le(offset + 8);
    member.crc = *head.U32Le(offset + 14);
    member.compressedSize = *head.U32Le(offset + 18);
    member.size = *head.U32Le(offset + 22);
    const std::uint16_t nameLength = *head.U16Le(offset + 26);
    const std::uint16_t extraLength = *head.U16Le(offset + 28);
    member.dataStart = offset + kLocalHeaderSize + nameLength + extraLength;
    if (version > 100 || (member.flags & kUnusedFlags) || !IsKnownMethod(member.method) ||
        nameLength == 0 || nameLength > kLongestName ||
        !IsValidDosTime(*head.U16Le(offset + 10), *head.U16Le(offset + 12))) {
        return "zip member header fields out of range";
    }
    const QByteArrayView name = head.Slice(offset + kLocalHeaderSize, nameLength);
    if (name.size() == nameLength && !IsValidName(name, member.flags & kUtf8Names)) {
        return "zip member name is not a name";
    }
    if (head.Has(offset + kLocalHeaderSize + nameLength, extraLength) &&
        !ExtraFieldsFit(head, offset + kLocalHeaderSize + nameLength, extraLength)) {
        return "zip member extra fields do not fit";
    }
    return QString();
}

// Where the member's data ends, or nothing when the head ends first or it cannot be told.
std::optional<qsizetype> DataFault(const HeadBytes& head, const Member& member, QString& fault) {
    const bool sizesKnown = !(member.flags & kDataDescriptor) &&
                            member.compressedSize != kZip64Size && member.size != kZip64Size;
    const QByteArrayView rest = head.View().sliced(std::min(member.dataStart, head.Size()));
    if (member.flags & kEncrypted) {
        return sizesKnown ? std::optional<qsizetype>(member.dataStart + member.compressedSize)
                          : std::nullopt;
    }
    if (member.method == kStored) {
        if (!sizesKnown) {
            return std::nullopt;
        }
        if (member.compressedSize != member.size) {
            fault = "zip stored member sizes differ";
        } else if (rest.size() >= member.size) {
            const auto crc = crc32(0, reinterpret_cast<const Bytef*>(rest.data()), member.size);
            if (crc != member.crc) {
                fault = "zip member CRC mismatch";
            }
        }
        return member.dataStart + member.compressedSize;
    }
    if (member.method != kDeflated) {
        return sizesKnown ? std::optional<qsizetype>(member.dataStart + member.compressedSize)
                          : std::nullopt;
    }
    const InflateProbe::Result inflated = InflateProbe::Inflate(
        sizesKnown ? rest.first(std::min<qsizetype>(rest.size(), member.compressedSize)) : rest);
    if (inflated.outcome == InflateProbe::Outcome::Broken) {
        fault = "zip member data does not inflate";
    } else if (inflated.outcome == InflateProbe::Outcome::Ended && sizesKnown &&
               (inflated.crc != member.crc || inflated.size != member.size ||
                inflated.consumed != member.compressedSize)) {
        fault = "zip member CRC or length mismatch";
    }
    if (inflated.outcome != InflateProbe::Outcome::Ended) {
        return std::nullopt;
    }
    qsizetype end = member.dataStart + inflated.consumed;
    if (member.flags & kDataDescriptor) {
        const bool signature = head.Matches(end, "PK\x07\x08");
        const auto crc = head.U32Le(end + (signature ? 4 : 0));
        if (crc && *crc != inflated.crc) {
            fault = "zip member CRC mismatch";
        }
        end += signature ? 16 : 12;
    }
    return end;
}

bool IsRecordSignature(const HeadBytes& head, qsizetype offset) {
    return head.Matches(offset, "PK\x03\x04") || head.Matches(offset, "PK\x01\x02") ||
           head.Matches(offset, "PK\x05\x06") || head.Matches(offset, "PK\x06\x06") ||
           head.Matches(offset, "PK\x06\x08");
}

QString EmptyArchiveFault(const FormatContext& context) {
    const HeadBytes& head = context.head;
    const auto entries = head.U16Le(10);
    const auto directorySize = head.U32Le(12);
    const auto commentLength = head.U16Le(20);
    if (!commentLength) {
        return context.wholeFile ? "zip end record cut short" : QString();
    }
    if (*entries != 0 || *directorySize != 0 || *head.U32Le(4) != 0) {
        return "zip end record fields out of range";
    }
    if (context.wholeFile && head.Size() != 22 + *commentLength) {
        return "zip end record does not end the file";
    }
    return QString();
}

}  // namespace

QString ZipCheck::TypeName() const { return "application/zip"; }

bool ZipCheck::Claims(const HeadBytes& head) const {
    return head.Matches(0, "PK") && head.Has(0, 4) &&
           (head.At(2) == 3 || head.At(3) == 4 || head.Matches(2, "\x05\x06") ||
            head.Matches(2, "\x07\x08"));
}

// The local members that the head holds: their header fields, names and extra fields, and their
// data (stored data by its CRC, deflated data by inflating it).
QString ZipCheck::FindFault(const FormatContext& context) const {
    const HeadBytes& head = context.head;
    if (head.Matches(0, "PK\x05\x06")) {
        return EmptyArchiveFault(context);
    }
    qsizetype offset = head.Matches(0, "PK\x07\x08PK\x03\x04") ? 4 : 0;
    if (!head.Matches(offset, "PK\x03\x04")) {
        return "zip signature broken";
    }
    for (int index = 0; index < kMembersChecked; ++index) {
        if (!head.Has(offset, kLocalHeaderSize)) {
            return QString();
        }
        Member member{};
        QString fault = LocalHeaderFault(head, offset, member);
        if (!fault.isEmpty()) {
            return fault;
        }
        const std::optional<qsizetype> end = DataFault(head, member, fault);
        if (fault.isEmpty() && context.wholeFile && end && *end > head.Size()) {
            fault = "zip member reaches past the end";
        }
        if (!fault.isEmpty() || !end || !head.Has(*end, 4)) {
            return fault;
        }
        if (!IsRecordSignature(head, *end)) {
            return "zip member not followed by a record";
        }
        if (!head.Matches(*end, "PK\x03\x04")) {
            return QString();
        }
        offset = *end;
    }
    return QString();
}

}  // namespace korvel
