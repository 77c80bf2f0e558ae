#include "shell/help/ChmStructureCheck.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include "shell/help/ChmArchive.h"

namespace korvel {
namespace {

// Damaged help files the fuzzer found, on which Debian's chmlib 0.40a-8 crashes or hangs.
const QString kRegressions = KORVEL_CHM_REGRESSIONS;

QByteArray BuiltHelpFile() {
    QFile built(KORVEL_BUILT_HELP_FILE);
    return built.open(QIODevice::ReadOnly) ? built.readAll() : QByteArray();
}

// The built help file with the 64-bit or 32-bit value at a stored entry's offset changed. The
// entry's place is read from the one listing page the way chmlib reads it: after the path, the
// section, then the offset, as variable-length integers; data starts at the header's offset 0x58.
template <typename T>
QByteArray BuiltWithStoredValue(QByteArrayView path, qsizetype fieldOffset, T value) {
    QByteArray bytes = BuiltHelpFile();
    qsizetype at = bytes.indexOf(path) + path.size();
    if (at < path.size() || bytes[at++] != 0) return {};
    quint64 entryOffset = 0;
    for (quint8 byte = 0x80; byte & 0x80; entryOffset = entryOffset << 7 | (byte & 0x7F)) {
        byte = static_cast<quint8>(bytes[at++]);
    }
    const auto data = qFromLittleEndian<quint64>(bytes.constData() + 0x58);
    qToLittleEndian<T>(value, bytes.data() + data + entryOffset + fieldOffset);
    return bytes;
}

QString WriteFile(const QTemporaryDir& folder, const QString& name, const QByteArray& bytes) {
    QFile file(folder.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) return {};
    return file.fileName();
}

constexpr QByteArrayView kResetTable =
    "::DataSpace/Storage/MSCompressed/Transform/{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}/"
    "InstanceData/ResetTable";
constexpr QByteArrayView kControlData = "::DataSpace/Storage/MSCompressed/ControlData";

TEST(ChmStructureCheckTest, PassesTheBuiltHelpFileAndRefusesDamagedOnesBeforeChmlibSeesThem) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const struct {
        QString name;
        QString path;
        bool sound;
    } rows[] = {
        {"built help.chm", KORVEL_BUILT_HELP_FILE, true},
        {"reset table in section 3840 (chm_open divides by zero)",
         kRegressions + "/chm_open-division-by-zero", false},
        {"listing page linking to itself (chm_enumerate loops)",
         kRegressions + "/chm_enumerate-endless-loop-1", false},
        {"listing page linking to itself, entries garbled",
         kRegressions + "/chm_enumerate-endless-loop-2", false},
        {"listing pages in a circle", kRegressions + "/listing-pages-in-a-circle", false},
        {"reset table's block length 0",
         WriteFile(folder, "block-0.chm", BuiltWithStoredValue<quint64>(kResetTable, 0x20, 0)),
         false},
        {"reset table's block length of 3 GB (chmlib copies from a buffer it could not get)",
         kRegressions + "/chm_retrieve_object-block-of-3GB", false},
        {"reset table's block length 64 KiB",
         WriteFile(folder, "block-64k.chm",
                   BuiltWithStoredValue<quint64>(kResetTable, 0x20, 0x10000)),
         false},
        {"LZX window of 0",
         WriteFile(folder, "window-0.chm", BuiltWithStoredValue<quint32>(kControlData, 0x10, 0)),
         false},
        {"no blocks between resets",
         WriteFile(folder, "resets-0.chm", BuiltWithStoredValue<quint32>(kControlData, 0x14, 0)),
         false},
        {"4096 bytes of x", WriteFile(folder, "garbage.chm", QByteArray(4096, 'x')), false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name.toStdString());
        ASSERT_FALSE(row.path.isEmpty());
        EXPECT_EQ(ChmStructureCheck::IsSound(row.path), row.sound);
        EXPECT_EQ(ChmArchive::Open(row.path) != nullptr, row.sound);
    }
}

}  // namespace
}  // namespace korvel
