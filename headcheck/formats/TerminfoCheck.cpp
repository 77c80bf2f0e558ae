#include "TerminfoCheck.h"

namespace korvel {
namespace {

constexpr qsizetype kHeaderSize = 12;
constexpr std::uint16_t kMostNamesBytes = 4096;
constexpr std::uint16_t kMostCapabilities = 4096;
constexpr std::int16_t kCancelled = -2;

std::int16_t Signed(std::uint16_t value) { return static_cast<std::int16_t>(value); }

struct Layout {
    std::uint16_t namesBytes;
    std::uint16_t booleans;
    std::uint16_t numbers;
    std::uint16_t strings;
    std::uint16_t tableBytes;
    qsizetype numberWidth;  // 2, or 4 in the format with 32-bit numbers
};

// The terminal's names: printable, ending in a zero byte.
QString NamesFault(const HeadBytes& head, const Layout& layout) {
    for (qsizetype i = 0; i + 1 < layout.namesBytes; ++i) {
        const std::uint8_t byte = head.At(kHeaderSize + i);
        if (byte < 0x20 || byte > 0x7E) {
            return "terminfo names are not text";
        }
    }
    return head.At(kHeaderSize + layout.namesBytes - 1) == 0 ? QString()
                                                             : "terminfo names not ended";
}

QString CapabilitiesFault(const HeadBytes& head, const Layout& layout) {
    qsizetype offset = kHeaderSize + layout.namesBytes;
    for (qsizetype i = 0; i < layout.booleans; ++i, ++offset) {
        if (head.At(offset) > 1 && Signed(head.At(offset)) != kCancelled &&
            head.At(offset) != 0xFE) {
            return "terminfo flag out of range";
        }
    }
    offset += offset % 2;
    for (qsizetype i = 0; i < layout.numbers; ++i, offset += layout.numberWidth) {
        const std::int32_t value = layout.numberWidth == 2
                                       ? Signed(*head.U16Le(offset))
                                       : static_cast<std::int32_t>(*head.U32Le(offset));
        if (value < kCancelled) {
            return "terminfo number out of range";
        }
    }
    for (qsizetype i = 0; i < layout.strings; ++i, offset += 2) {
        const std::int16_t stringOffset = Signed(*head.U16Le(offset));
        if (stringOffset < kCancelled || stringOffset >= layout.tableBytes) {
            return "terminfo string offset out of range";
        }
        const qsizetype table = kHeaderSize + layout.namesBytes + layout.booleans +
                                ((layout.namesBytes + layout.booleans) % 2) +
                                layout.numbers * layout.numberWidth + qsizetype{layout.strings} * 2;
        if (stringOffset > 0 && head.Has(table + stringOffset, 1) &&
            head.At(table + stringOffset - 1) != 0) {
            return "terminfo string offset inside a string";
        }
    }
    return QString();
}

}  // namespace

QString TerminfoCheck::TypeName() const { return "application/x-terminfo"; }

// The magic numbers 0432 and 01036 (octal), little-endian.
bool TerminfoCheck::Claims(const HeadBytes& head) const {
    return head.Matches(0, "\x1A\x01") || head.Matches(0, "\x1E\x02");
}

QString TerminfoCheck::FindFault(const FormatContext& context) const {
    const HeadBytes& head = context.head;
    if (!head.Has(0, kHeaderSize)) {
        return context.wholeFile ? "terminfo header cut short" : QString();
    }
    const Layout layout{*head.U16Le(2),  *head.U16Le(4),
                        *head.U16Le(6),  *head.U16Le(8),
                        *head.U16Le(10), head.Matches(0, "\x1E\x02") ? qsizetype(4) : qsizetype(2)};
    if (layout.namesBytes == 0 || layout.namesBytes > kMostNamesBytes ||
        layout.booleans > kMostCapabilities || layout.numbers > kMostCapabilities ||
        layout.strings > kMostCapabilities || Signed(layout.tableBytes) < 0) {
        return "terminfo header out of range";
    }
    const qsizetype tableEnd = kHeaderSize + layout.namesBytes + layout.booleans +
                               ((layout.namesBytes + layout.booleans) % 2) +
                               layout.numbers * layout.numberWidth + qsizetype{layout.strings} * 2 +
                               layout.tableBytes;
    if (!head.Has(0, tableEnd)) {
        return context.wholeFile ? "terminfo entry reaches past the end" : QString();
    }
    const QString fault = NamesFault(head, layout);
    return fault.isEmpty() ? CapabilitiesFault(head, layout) : fault;
}

}  // namespace korvel
