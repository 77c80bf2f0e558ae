#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QSet>
#include <QString>
#include <QtGlobal>

class QFile;

namespace korvel {

// Whether a .chm file's directory is sound enough to hand to chmlib, read before chm_open.
// Debian's chmlib 0.40a-8 trusts the directory: an entry of the reset table in a section other
// than 0 or 1 makes chm_open divide by zero, and listing pages that link in a circle make
// chm_enumerate loop for ever. So the headers are read here, the listing chain and the index
// walked with each page at most once, every entry's section checked, and the reset table and the
// LZX control data that chm_open reads checked for the values it divides by.
class ChmStructureCheck {
public:
    static bool IsSound(const QString& filePath);

private:
    explicit ChmStructureCheck(QFile& file) : file_(file) {}
    bool ReadHeaders();
    bool WalkListing();
    bool WalkIndex(qint32 root) const;
    bool ListingPageSound(QByteArrayView page);
    bool IndexPageSound(QByteArrayView page, QList<qint32>& children) const;
    bool EntrySound(QByteArrayView name, quint64 section, quint64 offset, quint64 length);
    bool ResetTableSound(quint64 offset, quint64 length);
    bool ControlDataSound(quint64 offset, quint64 length);
    QByteArrayView Page(qint32 number) const;
    QByteArray ReadData(quint64 offset, quint64 length);

    QFile& file_;
    QByteArray directory_;  // the directory's pages
    quint64 dataOffset_ = 0;
    qsizetype pageSize_ = 0;
    qint32 firstListingPage_ = -1;
    qint32 indexRoot_ = -1;
    QSet<qint32> listed_;
};

}  // namespace korvel
