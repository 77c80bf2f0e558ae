#include "GettextCheck.h"

#include "headcheck/text/ResidueTally.h"
#include "headcheck/text/TextShape.h"

namespace korvel {
namespace {

constexpr qsizetype kHeaderSize = 28;
constexpr std::uint32_t kLargestCatalogue = 1u << 28;

// Reads the catalogue's words in the byte order its magic number shows.
class MoFields {
public:
    explicit MoFields(const HeadBytes& head)
        : head_(head), big_(head.Matches(0, "\x95\x04\x12\xDE")) {}

    std::optional<std::uint32_t> Word(qsizetype offset) const {
        return big_ ? head_.U32Be(offset) : head_.U32Le(offset);
    }

private:
    const HeadBytes& head_;
    bool big_;
};

struct Layout {
    std::uint32_t count;
    std::uint32_t originals;
    std::uint32_t translations;
    std::uint32_t hashSize;
    std::uint32_t hashOffset;
    std::uint64_t fileSize;
};

QString LayoutFault(const MoFields& mo, const Layout& layout) {
    const std::uint32_t revision = *mo.Word(4);
    const std::uint64_t tableBytes = std::uint64_t{layout.count} * 8;
    if ((revision >> 16) > 1 || (revision & 0xFFFF) > 1 || layout.originals < kHeaderSize ||
        layout.translations < kHeaderSize || (layout.originals % 4) || (layout.translations % 4) ||
        (layout.hashSize != 0 && layout.hashOffset < kHeaderSize)) {
        return "gettext catalogue header fields out of range";
    }
    if (layout.originals + tableBytes > layout.fileSize ||
        layout.translations + tableBytes > layout.fileSize ||
        layout.hashOffset + std::uint64_t{layout.hashSize} * 4 > layout.fileSize) {
        return "gettext catalogue tables reach past the end";
    }
    return QString();
}

// Each string the head holds ends in a zero byte, and its bytes are text; a byte that breaks
// the text is tallied by its position.
QString StringsFault(const HeadBytes& head, const MoFields& mo, const Layout& layout,
                     std::uint32_t table, ResidueTally& tally) {
    for (std::uint32_t index = 0; index < layout.count; ++index) {
        const auto length = mo.Word(table + 8 * qsizetype(index));
        const auto offset = mo.Word(table + 8 * qsizetype(index) + 4);
        if (!length || !offset) {
            break;
        }
        if (std::uint64_t{*offset} + *length >= layout.fileSize) {
            return "gettext string reaches past the end";
        }
        if (!head.Has(*offset, qsizetype(*length) + 1)) {
            continue;
        }
        if (head.At(*offset + qsizetype(*length)) != 0) {
            return "gettext string not ended by a zero byte";
        }
        const TextShape text(head.Slice(*offset, *length), false);
        for (qsizetype position = 0; position < qsizetype(*length); ++position) {
            tally.AddChance(*offset + position);
            if (text.BadFlags()[static_cast<std::size_t>(position)] == TextShape::kBreaks) {
                tally.AddEvent(*offset + position);
            }
        }
    }
    return QString();
}

// Hash table slots hold a string's index plus one, or zero.
QString HashFault(const MoFields& mo, const Layout& layout) {
    for (std::uint32_t slot = 0; slot < layout.hashSize; ++slot) {
        const auto entry = mo.Word(layout.hashOffset + 4 * qsizetype(slot));
        if (!entry) {
            break;
        }
        if (*entry > layout.count) {
            return "gettext hash table entry out of range";
        }
    }
    return QString();
}

}  // namespace

QString GettextCheck::TypeName() const { return "application/x-gettext-translation"; }

bool GettextCheck::Claims(const HeadBytes& head) const {
    return head.Matches(0, "\xDE\x12") || head.Matches(0, "\x95\x04");
}

QString GettextCheck::FindFault(const FormatContext& context) const {
    const HeadBytes& head = context.head;
    if (!head.Matches(0, "\xDE\x12\x04\x95") && !head.Matches(0, "\x95\x04\x12\xDE")) {
        return "gettext catalogue signature broken";
    }
    if (!head.Has(0, kHeaderSize)) {
        return context.wholeFile ? "gettext catalogue header cut short" : QString();
    }
    const MoFields mo(head);
    const Layout layout{
        *mo.Word(8),  *mo.Word(12),
        *mo.Word(16), *mo.Word(20),
        *mo.Word(24), context.wholeFile ? std::uint64_t(head.Size()) : kLargestCatalogue};
    QString fault = LayoutFault(mo, layout);
    if (fault.isEmpty()) {
        fault = HashFault(mo, layout);
    }
    ResidueTally tally(context.period);
    if (fault.isEmpty()) {
        fault = StringsFault(head, mo, layout, layout.originals, tally);
    }
    if (fault.isEmpty()) {
        fault = StringsFault(head, mo, layout, layout.translations, tally);
    }
    if (fault.isEmpty() &&
        tally.Concentration({.minEvents = 3, .minRate = 0.02, .maxRestRatio = 0.1})) {
        fault = "gettext strings broken at one password position";
    }
    return fault;
}

}  // namespace korvel
