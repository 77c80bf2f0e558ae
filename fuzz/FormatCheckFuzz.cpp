// Each format check on its own: the first input byte picks the check, the second the password
// length and whether the head is the whole file; the rest is the head. As in the judge, a check
// looks for faults only in a head it claims.
#include <array>
#include <cstddef>
#include <cstdint>

#include "FuzzInput.h"
#include "headcheck/HeadJudge.h"
#include "headcheck/formats/ArCheck.h"
#include "headcheck/formats/ElfCheck.h"
#include "headcheck/formats/GettextCheck.h"
#include "headcheck/formats/GitPackCheck.h"
#include "headcheck/formats/GzipCheck.h"
#include "headcheck/formats/JpegCheck.h"
#include "headcheck/formats/PngCheck.h"
#include "headcheck/formats/PycCheck.h"
#include "headcheck/formats/SfntFontCheck.h"
#include "headcheck/formats/SqliteCheck.h"
#include "headcheck/formats/TerminfoCheck.h"
#include "headcheck/formats/TzifCheck.h"
#include "headcheck/formats/XzCheck.h"
#include "headcheck/formats/ZipCheck.h"
#include "headcheck/formats/ZlibCheck.h"

namespace {

const korvel::ArCheck ar;
const korvel::ElfCheck elf;
const korvel::GettextCheck gettext;
const korvel::GitPackCheck git;
const korvel::GzipCheck gzip;
const korvel::JpegCheck jpeg;
const korvel::PngCheck png;
const korvel::PycCheck pyc;
const korvel::SfntFontCheck font;
const korvel::SqliteCheck sqlite;
const korvel::TerminfoCheck terminfo;
const korvel::TzifCheck tzif;
const korvel::XzCheck xz;
const korvel::ZipCheck zip;
const korvel::ZlibCheck zlib;
// In the order of the corpus files' first byte (fuzz/corpus/format_check/).
const std::array<const korvel::FormatCheck*, 15> kChecks = {
    &ar,   &elf,    &gettext,  &git,  &gzip, &jpeg, &png, &pyc,
    &font, &sqlite, &terminfo, &tzif, &xz,   &zip,  &zlib};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    korvel::FuzzInput input(data, size);
    const korvel::FormatCheck& check = *kChecks[input.TakeIndex(kChecks.size())];
    const std::uint8_t settings = input.TakeByte();
    const auto rest = input.Rest();
    if (rest.size() > static_cast<std::size_t>(korvel::HeadJudge::kHeadSize)) return -1;

    const korvel::HeadBytes head(QByteArrayView(rest.data(), static_cast<qsizetype>(rest.size())));
    if (!check.Claims(head)) return 0;
    const korvel::FormatContext context{head, (settings & 0x80) != 0, 5 + settings % 16};
    check.FindFault(context);
    return 0;
}
