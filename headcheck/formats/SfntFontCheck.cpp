#include "SfntFontCheck.h"

#include <array>

namespace korvel {
namespace {

constexpr qsizetype kDirectoryHeaderSize = 12;
constexpr qsizetype kTableRecordSize = 16;
constexpr std::uint16_t kMostTables = 64;
constexpr std::uint32_t kLargestFont = 1u << 28;
constexpr qsizetype kHeadAdjustmentOffset = 8;
constexpr std::uint32_t kHeadMagic = 0x5F0F3CF5;
constexpr qsizetype kHeadMagicOffset = 12;
constexpr std::array<QByteArrayView, 3> kVersions = {QByteArrayView("\0\1\0\0", 4), "OTTO", "true"};

// The search fields that follow the table count are derived from it.
bool SearchFieldsFit(const HeadBytes& head, qsizetype directory) {
    const auto tableCount = head.U16Be(directory + 4);
    if (!tableCount || !head.Has(directory, kDirectoryHeaderSize) || *tableCount == 0 ||
        *tableCount > kMostTables) {
        return false;
    }
    int selector = 0;
    while ((2 << selector) <= *tableCount) {
        ++selector;
    }
    const int searchRange = 16 << selector;
    return *head.U16Be(directory + 6) == searchRange && *head.U16Be(directory + 8) == selector &&
           *head.U16Be(directory + 10) == *tableCount * 16 - searchRange;
}

bool IsVersion(const HeadBytes& head, qsizetype offset) {
    for (const QByteArrayView version : kVersions) {
        if (head.Matches(offset, version)) {
            return true;
        }
    }
    return false;
}

bool StartsLikeVersion(const HeadBytes& head) {
    for (const QByteArrayView version : kVersions) {
        if (head.Matches(0, version.first(2))) {
            return true;
        }
    }
    return head.Matches(0, "tt");
}

// The sum of the table's big-endian words, the last one padded with zeros; the head table's
// checksum leaves out its own adjustment field.
std::uint32_t TableChecksum(const HeadBytes& head, qsizetype offset, qsizetype length,
                            bool isHead) {
    std::uint32_t sum = 0;
    for (qsizetype word = 0; word < length; word += 4) {
        if (isHead && word == kHeadAdjustmentOffset) {
            continue;
        }
        std::uint32_t value = 0;
        for (qsizetype i = 0; i < 4; ++i) {
            value = value << 8 | (word + i < length ? head.At(offset + word + i) : 0);
        }
        sum += value;
    }
    return sum;
}

QString TableFault(const HeadBytes& head, qsizetype record, std::uint64_t fontSize,
                   std::uint32_t previousTag) {
    const std::uint32_t tag = *head.U32Be(record);
    const std::uint32_t checksum = *head.U32Be(record + 4);
    const std::uint32_t offset = *head.U32Be(record + 8);
    const std::uint32_t length = *head.U32Be(record + 12);
    for (qsizetype i = 0; i < 4; ++i) {
        if (head.At(record + i) < 0x20 || head.At(record + i) > 0x7E) {
            return "font table tag is not printable";
        }
    }
    if (tag <= previousTag) {
        return "font table tags out of order";
    }
    if (offset % 4 != 0 || std::uint64_t{offset} + length > fontSize) {
        return "font table outside the font";
    }
    const bool isHead = head.Matches(record, "head");
    if (isHead && head.Has(offset, kHeadMagicOffset + 4) &&
        *head.U32Be(offset + kHeadMagicOffset) != kHeadMagic) {
        return "font head table magic broken";
    }
    if (head.Has(offset, length) && TableChecksum(head, offset, length, isHead) != checksum) {
        return "font table checksum mismatch";
    }
    return QString();
}

}  // namespace

QString SfntFontCheck::TypeName() const { return "font/sfnt"; }

// TrueType's version (0x00010000) starts other formats too (databases follow it with text), so
// the search fields or a table count after it must agree; a collection's "tt" is followed by its
// version; the other versions are words of their own.
bool SfntFontCheck::Claims(const HeadBytes& head) const {
    const auto tableCount = head.U16Be(4);
    const auto searchRange = head.U16Be(6);
    const auto entrySelector = head.U16Be(8);
    const auto collectionVersion = head.U32Be(4);
    return head.Matches(0, "OTTO") || head.Matches(0, "true") || head.Matches(0, "ttcf") ||
           (head.Matches(0, "tt") && collectionVersion &&
            (*collectionVersion == 0x10000 || *collectionVersion == 0x20000)) ||
           (head.Matches(0, kVersions[0]) && entrySelector &&
            ((*tableCount > 0 && *tableCount <= kMostTables) ||
             (*entrySelector <= 6 && *searchRange == 16 << *entrySelector))) ||
           (StartsLikeVersion(head) && SearchFieldsFit(head, 0));
}

// The table directory (of the first font, in a collection) and the checksum of every table that
// lies wholly in the head.
QString SfntFontCheck::FindFault(const FormatContext& context) const {
    const HeadBytes& head = context.head;
    qsizetype directory = 0;
    if (head.Matches(0, "tt")) {
        const auto version = head.U32Be(4);
        const auto fontCount = head.U32Be(8);
        const auto firstFont = head.U32Be(12);
        // The first font's directory follows the collection's table of offsets.
        if (!head.Matches(0, "ttcf") || (version && *version != 0x10000 && *version != 0x20000) ||
            (firstFont &&
             (*fontCount == 0 || *fontCount > kLargestFont / 4 ||
              *firstFont < 12 + std::uint64_t{*fontCount} * 4 || *firstFont > kLargestFont))) {
            return "font collection header broken";
        }
        if (!firstFont) {
            return context.wholeFile ? "font collection header cut short" : QString();
        }
        directory = *firstFont;
    }
    if (!head.Has(directory, kDirectoryHeaderSize)) {
        return context.wholeFile ? "font directory cut short" : QString();
    }
    if (!IsVersion(head, directory) || !SearchFieldsFit(head, directory)) {
        return "font directory header broken";
    }
    const std::uint64_t fontSize = context.wholeFile ? std::uint64_t(head.Size()) : kLargestFont;
    const std::uint16_t tableCount = *head.U16Be(directory + 4);
    std::uint32_t previousTag = 0;
    for (std::uint16_t table = 0; table < tableCount; ++table) {
        const qsizetype record = directory + kDirectoryHeaderSize + table * kTableRecordSize;
        if (!head.Has(record, kTableRecordSize)) {
            break;
        }
        QString fault = TableFault(head, record, fontSize, previousTag);
        if (!fault.isEmpty()) {
            return fault;
        }
        previousTag = *head.U32Be(record);
    }
    return QString();
}

}  // namespace korvel
