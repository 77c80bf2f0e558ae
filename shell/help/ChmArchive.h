#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

struct chmFile;

namespace korvel {

// Read-only access to the files inside a compiled HTML help (.chm) file.
// Paths inside the archive are absolute and case-insensitive: "/index.html".
class ChmArchive {
public:
    // Returns nullptr when the file is missing or is not a readable .chm file.
    static std::unique_ptr<ChmArchive> Open(const QString& filePath);

    ~ChmArchive();
    ChmArchive(const ChmArchive&) = delete;
    ChmArchive& operator=(const ChmArchive&) = delete;

    std::optional<QByteArray> Read(const QString& pathInArchive) const;
    QStringList FilePaths() const;

    // From the project settings compiled into the file; empty when not recorded.
    QString DefaultTopic() const { return defaultTopic_; }
    QString ContentsFile() const { return contentsFile_; }

    static QString NormalisedPath(const QString& pathInArchive);

private:
    explicit ChmArchive(chmFile* handle);
    void ReadSystemRecords();
    static quint16 LittleEndianWordAt(const QByteArray& data, qsizetype offset);
    QString FirstFileWithSuffix(const QString& suffix) const;

    chmFile* handle_;
    QString defaultTopic_;
    QString contentsFile_;
};

}  // namespace korvel
