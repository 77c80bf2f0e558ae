#include "FormatChecks.h"

#include <array>

#include "ArCheck.h"
#include "ElfCheck.h"
#include "GettextCheck.h"
#include "GitPackCheck.h"
#include "GzipCheck.h"
#include "JpegCheck.h"
#include "PngCheck.h"
#include "PycCheck.h"
#include "SfntFontCheck.h"
#include "SqliteCheck.h"
#include "TerminfoCheck.h"
#include "TzifCheck.h"
#include "XzCheck.h"
#include "ZipCheck.h"
#include "ZlibCheck.h"

namespace korvel {

const FormatCheck* FormatChecks::Claiming(const HeadBytes& head) {
    static const ArCheck ar;
    static const ElfCheck elf;
    static const GettextCheck gettext;
    static const GitPackCheck git;
    static const GzipCheck gzip;
    static const JpegCheck jpeg;
    static const PngCheck png;
    static const PycCheck pyc;
    static const SfntFontCheck font;
    static const SqliteCheck sqlite;
    static const TerminfoCheck terminfo;
    static const TzifCheck tzif;
    static const XzCheck xz;
    static const ZipCheck zip;
    static const ZlibCheck zlib;
    static const std::array<const FormatCheck*, 15> kChecks = {
        &ar,   &elf,    &gettext,  &git,  &gzip, &jpeg, &png, &pyc,
        &font, &sqlite, &terminfo, &tzif, &xz,   &zip,  &zlib};
    for (const FormatCheck* check : kChecks) {
        if (check->Claims(head)) {
            return check;
        }
    }
    return nullptr;
}

}  // namespace korvel
