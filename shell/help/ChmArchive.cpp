#include "ChmArchive.h"

#include "ChmStructureCheck.h"

#include <chm_lib.h>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace korvel {

namespace {

// Record codes of the "#SYSTEM" file of a .chm.
constexpr quint16 kContentsFileRecord = 0;
constexpr quint16 kDefaultTopicRecord = 2;
constexpr int kSystemHeaderSize = 4;
constexpr int kRecordHeaderSize = 4;
// No page or picture of a help file comes near this; a damaged directory may claim any length.
constexpr LONGUINT64 kLongestFileRead = LONGUINT64{64} << 20;

QString RecordText(const QByteArray& data) {
    const qsizetype end = data.indexOf('\0');
    return QString::fromLatin1(end < 0 ? data : data.left(end));
}

struct PathListing {
    QStringList paths;
    QSet<QString> seen;
};

// chmlib follows the listing from page to page by the link each page holds, so a damaged file
// whose pages link back to one already listed would list forever: the listing ends where a path
// comes round again.
int CollectPath(chmFile*, chmUnitInfo* unit, void* context) {
    PathListing& listing = *static_cast<PathListing*>(context);
    const QString path = QString::fromUtf8(unit->path);
    if (listing.seen.contains(path)) return CHM_ENUMERATOR_SUCCESS;
    listing.seen.insert(path);
    listing.paths.append(path);
    return CHM_ENUMERATOR_CONTINUE;
}

}  // namespace

std::unique_ptr<ChmArchive> ChmArchive::Open(const QString& filePath) {
    if (!QFileInfo(filePath).isFile()) return nullptr;
    // chmlib crashes or hangs on some damaged directories: those never reach it.
    if (!ChmStructureCheck::IsSound(filePath)) return nullptr;
    chmFile* handle = chm_open(QFile::encodeName(filePath).constData());
    if (handle == nullptr) return nullptr;
    std::unique_ptr<ChmArchive> archive(new ChmArchive(handle));
    archive->ReadSystemRecords();
    if (archive->contentsFile_.isEmpty())
        archive->contentsFile_ = archive->FirstFileWithSuffix(".hhc");
    return archive;
}

ChmArchive::ChmArchive(chmFile* handle) : handle_(handle) {}

ChmArchive::~ChmArchive() { chm_close(handle_); }

QString ChmArchive::NormalisedPath(const QString& pathInArchive) {
    QString path = pathInArchive;
    path.replace('\\', '/');
    if (!path.startsWith('/')) path.prepend('/');
    return path;
}

std::optional<QByteArray> ChmArchive::Read(const QString& pathInArchive) const {
    chmUnitInfo unit{};
    const QByteArray path = NormalisedPath(pathInArchive).toUtf8();
    if (chm_resolve_object(handle_, path.constData(), &unit) != CHM_RESOLVE_SUCCESS) {
        return std::nullopt;
    }
    if (unit.length > kLongestFileRead) return std::nullopt;
    QByteArray content(static_cast<qsizetype>(unit.length), Qt::Uninitialized);
    if (unit.length == 0) return content;
    const LONGINT64 read = chm_retrieve_object(
        handle_, &unit, reinterpret_cast<unsigned char*>(content.data()), 0, unit.length);
    if (read != static_cast<LONGINT64>(unit.length)) return std::nullopt;
    return content;
}

QStringList ChmArchive::FilePaths() const {
    PathListing listing;
    chm_enumerate(handle_, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, CollectPath, &listing);
    return listing.paths;
}

// Byte by byte: the compiler cannot prove a block read from the array stays within it.
quint16 ChmArchive::LittleEndianWordAt(const QByteArray& data, qsizetype offset) {
    return static_cast<quint16>(static_cast<quint8>(data[offset]) |
                                static_cast<quint8>(data[offset + 1]) << 8);
}

void ChmArchive::ReadSystemRecords() {
    const std::optional<QByteArray> system = Read("/#SYSTEM");
    if (!system) return;
    const QByteArray& data = *system;
    qsizetype offset = kSystemHeaderSize;
    while (offset + kRecordHeaderSize <= data.size()) {
        const quint16 code = LittleEndianWordAt(data, offset);
        const quint16 length = LittleEndianWordAt(data, offset + 2);
        offset += kRecordHeaderSize;
        if (offset + length > data.size()) break;
        const QByteArray value = data.mid(offset, length);
        offset += length;
        if (code == kContentsFileRecord) contentsFile_ = NormalisedPath(RecordText(value));
        if (code == kDefaultTopicRecord) defaultTopic_ = NormalisedPath(RecordText(value));
    }
}

QString ChmArchive::FirstFileWithSuffix(const QString& suffix) const {
    for (const QString& path : FilePaths()) {
        if (path.endsWith(suffix, Qt::CaseInsensitive)) return path;
    }
    return {};
}

}  // namespace korvel
