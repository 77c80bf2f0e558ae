// The help viewer's CHM reader on any file: opened from a file as the viewer opens help.chm, then
// what the viewer reads of it: the contents, the default topic and the pages, each decoded.
#include <cstddef>
#include <cstdint>

#include "ScratchFile.h"
#include "shell/help/ChmArchive.h"
#include "shell/help/ChmContentsParser.h"
#include "shell/help/HtmlTextDecoder.h"

namespace {

// Enough pages for every kind of entry, few enough that a file of thousands stays quick.
constexpr qsizetype kMostPagesRead = 32;

void ReadPage(const korvel::ChmArchive& archive, const QString& path) {
    if (const auto page = archive.Read(path)) korvel::HtmlTextDecoder::Decode(*page);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const korvel::ScratchFile file("fuzz-help.chm");
    file.Write({data, size});
    const auto archive = korvel::ChmArchive::Open(QString::fromStdString(file.Path().string()));
    if (!archive) return 0;

    if (const auto sitemap = archive->Read(archive->ContentsFile())) {
        korvel::ChmContentsParser::Parse(korvel::HtmlTextDecoder::Decode(*sitemap));
    }
    ReadPage(*archive, archive->DefaultTopic());
    const QStringList paths = archive->FilePaths();
    for (qsizetype i = 0; i < paths.size() && i < kMostPagesRead; ++i) ReadPage(*archive, paths[i]);
    return 0;
}
