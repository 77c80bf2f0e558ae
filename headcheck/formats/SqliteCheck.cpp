#include "SqliteCheck.h"

namespace korvel {
namespace {

constexpr qsizetype kHeaderSize = 100;
constexpr std::uint32_t kMinPageSize = 512;
constexpr std::uint32_t kMaxPageSize = 65536;
constexpr std::uint32_t kFirstVersion = 3000000;
constexpr std::uint32_t kLastVersion = 3999999;
constexpr qsizetype kPagesChecked = 64;

bool IsBTreePage(std::uint8_t type) { return type == 2 || type == 5 || type == 10 || type == 13; }

bool IsInteriorPage(std::uint8_t type) { return type == 2 || type == 5; }

std::uint32_t PageSize(const HeadBytes& head) {
    const std::uint16_t stored = *head.U16Be(16);
    return stored == 1 ? kMaxPageSize : stored;
}

QString HeaderFault(const FormatContext& context) {
    const HeadBytes& head = context.head;
    const std::uint32_t pageSize = PageSize(head);
    const std::uint32_t changeCounter = *head.U32Be(24);
    const std::uint32_t pageCount = *head.U32Be(28);
    const bool pageCountValid = *head.U32Be(92) == changeCounter && pageCount != 0;
    if (pageSize < kMinPageSize || pageSize > kMaxPageSize || (pageSize & (pageSize - 1)) ||
        head.At(18) < 1 || head.At(18) > 2 || head.At(19) < 1 || head.At(19) > 2 ||
        head.At(20) > 64 || !head.Matches(21, "\x40\x20\x20")) {
        return "SQLite header fields out of range";
    }
    const std::uint32_t schemaFormat = *head.U32Be(44);
    const std::uint32_t encoding = *head.U32Be(56);
    const std::uint32_t version = *head.U32Be(96);
    if (schemaFormat > 4 || encoding > 3 || *head.U32Be(64) > 1 ||
        (version != 0 && (version < kFirstVersion || version > kLastVersion))) {
        return "SQLite header fields out of range";
    }
    for (qsizetype offset = 72; offset < 92; ++offset) {
        if (head.At(offset) != 0) {
            return "SQLite reserved header bytes not zero";
        }
    }
    const std::uint32_t pages = pageCountValid ? pageCount : 0xFFFFFFFF;
    if (*head.U32Be(32) > pages || *head.U32Be(36) > pages || *head.U32Be(52) > pages) {
        return "SQLite page numbers past the last page";
    }
    if (context.wholeFile && pageCountValid &&
        std::uint64_t{pageCount} * pageSize != std::uint64_t(head.Size())) {
        return "SQLite page count does not fit the file";
    }
    return QString();
}

// A b-tree page's header and cell pointers: the cells lie in the page's content area.
QString BTreePageFault(const HeadBytes& head, qsizetype pageStart, qsizetype headerStart,
                       std::uint32_t usableSize) {
    const std::uint8_t type = head.At(headerStart);
    const std::uint16_t firstFreeBlock = *head.U16Be(headerStart + 1);
    const std::uint16_t cellCount = *head.U16Be(headerStart + 3);
    const std::uint32_t contentStart =
        *head.U16Be(headerStart + 5) == 0 ? kMaxPageSize : *head.U16Be(headerStart + 5);
    const qsizetype pointers = headerStart + (IsInteriorPage(type) ? 12 : 8);
    const std::uint32_t pointersEnd = std::uint32_t(pointers - pageStart) + 2u * cellCount;
    if (head.At(headerStart + 7) > 60 || contentStart > usableSize || pointersEnd > contentStart ||
        (firstFreeBlock != 0 && (firstFreeBlock < contentStart || firstFreeBlock >= usableSize))) {
        return "SQLite b-tree page header inconsistent";
    }
    for (std::uint16_t cell = 0; cell < cellCount; ++cell) {
        const auto pointer = head.U16Be(pointers + 2 * qsizetype{cell});
        if (!pointer) {
            break;
        }
        if (*pointer < contentStart || *pointer >= usableSize) {
            return "SQLite cell pointer outside the page's content";
        }
    }
    return QString();
}

}  // namespace

QString SqliteCheck::TypeName() const { return "application/vnd.sqlite3"; }

// "SQLite format 3\0", or most of it and two of the fixed payload fractions after it, so that
// text starting "SQLite" is not taken.
bool SqliteCheck::Claims(const HeadBytes& head) const {
    static constexpr char kSignature[] = "SQLite format 3";
    if (!head.Has(0, kHeaderSize) || !head.Matches(0, "SQ")) {
        return false;
    }
    if (head.Matches(0, QByteArrayView(kSignature, sizeof kSignature))) {
        return true;
    }
    int matching = 0;
    for (qsizetype i = 0; i < qsizetype(sizeof kSignature); ++i) {
        matching += head.At(i) == static_cast<std::uint8_t>(kSignature[i]);
    }
    const int fractions = (head.At(21) == 64) + (head.At(22) == 32) + (head.At(23) == 32);
    return matching >= 10 && fractions >= 2;
}

// The database header and the b-tree pages that the head holds.
QString SqliteCheck::FindFault(const FormatContext& context) const {
    const HeadBytes& head = context.head;
    if (!head.Matches(0, QByteArrayView("SQLite format 3\0", 16))) {
        return "SQLite signature broken";
    }
    if (!head.Has(0, kHeaderSize)) {
        return context.wholeFile ? "SQLite header cut short" : QString();
    }
    QString fault = HeaderFault(context);
    if (!fault.isEmpty()) {
        return fault;
    }
    const std::uint32_t pageSize = PageSize(head);
    const std::uint32_t usableSize = pageSize - head.At(20);
    for (qsizetype page = 0; page < kPagesChecked; ++page) {
        const qsizetype pageStart = page * pageSize;
        const qsizetype headerStart = page == 0 ? kHeaderSize : pageStart;
        if (!head.Has(pageStart, pageSize)) {
            break;
        }
        if (IsBTreePage(head.At(headerStart))) {
            fault = BTreePageFault(head, pageStart, headerStart, usableSize);
        } else if (page == 0) {
            fault = "SQLite first page is not a b-tree page";
        }
        if (!fault.isEmpty()) {
            return fault;
        }
    }
    return QString();
}

}  // namespace korvel
