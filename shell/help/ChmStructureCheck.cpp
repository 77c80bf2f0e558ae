#include "ChmStructureCheck.h"

#include <QFile>
#include <QtEndian>
#include <optional>

namespace korvel {

namespace {

constexpr qsizetype kFileHeaderV2Size = 0x58;
constexpr qsizetype kFileHeaderV3Size = 0x60;
constexpr qsizetype kDirectoryHeaderSize = 0x54;
constexpr qsizetype kListingHeaderSize = 0x14;
constexpr qsizetype kIndexHeaderSize = 0x08;
constexpr qsizetype kLargestPage = qsizetype{1} << 20;
constexpr quint64 kLargestDirectory = quint64{16} << 20;
constexpr quint64 kLongestPath = 512;  // chmlib's CHM_MAX_PATHLEN
constexpr quint64 kResetTableSize = 0x28;
constexpr quint64 kControlDataSize = 0x18;
constexpr quint64 kLzxFrameSize = 0x8000;
constexpr quint64 kSmallestWindow = quint64{1} << 15;
constexpr quint64 kLargestWindow = quint64{1} << 21;
constexpr quint64 kLargestUnsigned32 = 0xFFFFFFFF;

constexpr QByteArrayView kResetTablePath =
    "::DataSpace/Storage/MSCompressed/Transform/{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}/"
    "InstanceData/ResetTable";
constexpr QByteArrayView kControlDataPath = "::DataSpace/Storage/MSCompressed/ControlData";

template <typename T>
std::optional<T> LittleEndianAt(QByteArrayView bytes, qsizetype at) {
    if (at < 0 || at > bytes.size() - qsizetype{sizeof(T)}) return std::nullopt;
    return qFromLittleEndian<T>(bytes.data() + at);
}

// chmlib's variable-length integer: 7 bits a byte, most significant first, the top bit set on
// every byte but the last. More than 9 bytes (63 bits) is not a sound value.
std::optional<quint64> EncodedInteger(QByteArrayView bytes, qsizetype& at) {
    quint64 value = 0;
    for (int i = 0; i < 9 && at < bytes.size(); ++i) {
        const auto byte = static_cast<quint8>(bytes[at++]);
        value = value << 7 | (byte & 0x7F);
        if (byte < 0x80) return value;
    }
    return std::nullopt;
}

bool IsPowerOfTwo(quint64 value) { return value != 0 && (value & (value - 1)) == 0; }

}  // namespace

bool ChmStructureCheck::IsSound(const QString& filePath) {
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) return false;
    ChmStructureCheck check(file);
    return check.ReadHeaders() && check.WalkListing() && check.WalkIndex(check.indexRoot_);
}

bool ChmStructureCheck::ReadHeaders() {
    const QByteArray header = file_.read(kFileHeaderV3Size);
    const auto version = LittleEndianAt<quint32>(header, 4);
    const auto directoryOffset = LittleEndianAt<quint64>(header, 0x48);
    const auto directoryLength = LittleEndianAt<quint64>(header, 0x50);
    if (!header.startsWith("ITSF") || !version || (*version != 2 && *version != 3) ||
        header.size() < kFileHeaderV2Size) {
        return false;
    }
    const auto fileSize = static_cast<quint64>(file_.size());
    if (*directoryOffset > fileSize || *directoryLength > fileSize - *directoryOffset ||
        *directoryLength > kLargestDirectory || *directoryLength < kDirectoryHeaderSize) {
        return false;
    }
    const auto dataOffset = *version == 3 ? LittleEndianAt<quint64>(header, 0x58)
                                          : std::optional(*directoryOffset + *directoryLength);
    if (!dataOffset || *dataOffset > fileSize || !file_.seek(*directoryOffset)) return false;
    dataOffset_ = *dataOffset;
    directory_ = file_.read(*directoryLength);
    const auto pageSize = LittleEndianAt<quint32>(directory_, 0x10);
    if (!directory_.startsWith("ITSP") || LittleEndianAt<quint32>(directory_, 4) != 1u ||
        LittleEndianAt<quint32>(directory_, 8) != quint32{kDirectoryHeaderSize} || !pageSize ||
        *pageSize <= kListingHeaderSize || *pageSize > kLargestPage) {
        return false;
    }
    pageSize_ = *pageSize;
    indexRoot_ = *LittleEndianAt<qint32>(directory_, 0x1C);
    firstListingPage_ = *LittleEndianAt<qint32>(directory_, 0x20);
    directory_.remove(0, kDirectoryHeaderSize);
    if (indexRoot_ < 0) indexRoot_ = firstListingPage_;  // as chmlib: no index, one listing page
    return true;
}

QByteArrayView ChmStructureCheck::Page(qint32 number) const {
    if (number < 0 || number >= directory_.size() / pageSize_) return {};
    return QByteArrayView(directory_).sliced(number * pageSize_, pageSize_);
}

bool ChmStructureCheck::WalkListing() {
    for (qint32 number = firstListingPage_; number != -1;) {
        const QByteArrayView page = Page(number);
        if (page.isEmpty() || listed_.contains(number) || !ListingPageSound(page)) return false;
        listed_.insert(number);
        number = *LittleEndianAt<qint32>(page, 0x10);
    }
    return !listed_.isEmpty();
}

bool ChmStructureCheck::ListingPageSound(QByteArrayView page) {
    const auto freeSpace = LittleEndianAt<quint32>(page, 4);
    if (!page.startsWith("PMGL") || *freeSpace > page.size() - kListingHeaderSize) return false;
    const QByteArrayView entries = page.first(page.size() - *freeSpace);
    for (qsizetype at = kListingHeaderSize; at < entries.size();) {
        const auto nameLength = EncodedInteger(entries, at);
        if (!nameLength || *nameLength > kLongestPath ||
            *nameLength > static_cast<quint64>(entries.size() - at)) {
            return false;
        }
        const QByteArrayView name = entries.sliced(at, static_cast<qsizetype>(*nameLength));
        at += name.size();
        const auto section = EncodedInteger(entries, at);
        const auto offset = EncodedInteger(entries, at);
        const auto length = EncodedInteger(entries, at);
        if (!section || !offset || !length || !EntrySound(name, *section, *offset, *length)) {
            return false;
        }
    }
    return true;
}

bool ChmStructureCheck::EntrySound(QByteArrayView name, quint64 section, quint64 offset,
                                   quint64 length) {
    if (section > 1) return false;
    // chmlib reads these two itself, in chm_open, when they are stored (section 0).
    if (section != 0) return true;
    if (name.compare(kResetTablePath, Qt::CaseInsensitive) == 0) {
        return ResetTableSound(offset, length);
    }
    if (name.compare(kControlDataPath, Qt::CaseInsensitive) == 0) {
        return ControlDataSound(offset, length);
    }
    return true;
}

QByteArray ChmStructureCheck::ReadData(quint64 offset, quint64 length) {
    const auto fileSize = static_cast<quint64>(file_.size());
    if (offset > fileSize - dataOffset_ || length > fileSize - dataOffset_ - offset) return {};
    if (!file_.seek(static_cast<qint64>(dataOffset_ + offset))) return {};
    return file_.read(static_cast<qint64>(length));
}

bool ChmStructureCheck::ResetTableSound(quint64 offset, quint64 length) {
    if (length < kResetTableSize) return false;
    const QByteArray table = ReadData(offset, kResetTableSize);
    // chmlib divides each position in the compressed section by the block length, and allocates
    // its buffers by it; an LZX frame is always 32 KiB.
    return LittleEndianAt<quint32>(table, 0) == 2u &&
           LittleEndianAt<quint64>(table, 0x20) == kLzxFrameSize;
}

bool ChmStructureCheck::ControlDataSound(quint64 offset, quint64 length) {
    if (length < kControlDataSize) return false;
    const QByteArray data = ReadData(offset, kControlDataSize);
    if (data.size() != qsizetype{kControlDataSize}) return false;
    const auto version = LittleEndianAt<quint32>(data, 8);
    if (data.sliced(4, 4) != "LZXC" || (version != 1u && version != 2u)) return false;
    const quint64 scale = version == 2u ? 0x8000 : 1;
    const quint64 resetInterval = *LittleEndianAt<quint32>(data, 0x0C) * scale;
    const quint64 window = *LittleEndianAt<quint32>(data, 0x10) * scale;
    const quint64 windowsPerReset = *LittleEndianAt<quint32>(data, 0x14);
    if (!IsPowerOfTwo(window) || window < kSmallestWindow || window > kLargestWindow ||
        resetInterval == 0 || resetInterval > kLargestUnsigned32 ||
        resetInterval % (window / 2) != 0) {
        return false;
    }
    // chmlib takes block numbers modulo the blocks between resets, in 32 bits.
    const quint64 blocksPerReset = resetInterval / (window / 2) * windowsPerReset;
    return blocksPerReset > 0 && blocksPerReset <= kLargestUnsigned32;
}

bool ChmStructureCheck::WalkIndex(qint32 root) const {
    QSet<qint32> walked;
    QList<qint32> pending = {root};
    while (!pending.isEmpty()) {
        const qint32 number = pending.takeLast();
        const QByteArrayView page = Page(number);
        if (page.isEmpty() || walked.contains(number)) return false;
        walked.insert(number);
        if (page.startsWith("PMGL")) {
            if (!listed_.contains(number)) return false;
        } else if (!IndexPageSound(page, pending)) {
            return false;
        }
    }
    return true;
}

bool ChmStructureCheck::IndexPageSound(QByteArrayView page, QList<qint32>& children) const {
    const auto freeSpace = LittleEndianAt<quint32>(page, 4);
    if (!page.startsWith("PMGI") || *freeSpace > page.size() - kIndexHeaderSize) return false;
    const QByteArrayView entries = page.first(page.size() - *freeSpace);
    for (qsizetype at = kIndexHeaderSize; at < entries.size();) {
        const auto nameLength = EncodedInteger(entries, at);
        if (!nameLength || *nameLength > kLongestPath ||
            *nameLength > static_cast<quint64>(entries.size() - at)) {
            return false;
        }
        at += static_cast<qsizetype>(*nameLength);
        const auto child = EncodedInteger(entries, at);
        if (!child || *child >= static_cast<quint64>(directory_.size() / pageSize_)) return false;
        children.append(static_cast<qint32>(*child));
    }
    return true;
}

}  // namespace korvel
