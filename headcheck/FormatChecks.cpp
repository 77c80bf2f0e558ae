#include "FormatChecks.h"

#include <array>

#include "ArCheck.h"
#include "ElfCheck.h"
#include "GettextCheck.h"
#include "GzipCheck.h"
#include "JpegCheck.h"
#include "PngCheck.h"
#include "PycCheck.h"
#include "SfntFontCheck.h"
#include "SqliteCheck.h"
#include "TzifCheck.h"
#include "XzCheck.h"
#include "ZipCheck.h"

namespace korvel {

const FormatCheck* FormatChecks::Claiming(const HeadBytes& head) {
    static const ArCheck ar;
    static const ElfCheck elf;
    static const GettextCheck gettext;
    static const GzipCheck gzip;
    static const JpegCheck jpeg;
    static const PngCheck png;
    static const PycCheck pyc;
    static const SfntFontCheck font;
    static const SqliteCheck sqlite;
    static const TzifCheck tzif;
    static const XzCheck xz;
    static const ZipCheck zip;
    static const std::array<const FormatCheck*, 12> kChecks = {
        &ar, &elf, &gettext, &gzip, &jpeg, &png, &pyc, &font, &sqlite, &tzif, &xz, &zip};
    for (const FormatCheck* check : kChecks) {
        if (check->Claims(head)) {
            return check;
        }
    }
    return nullptr;
}

}  // namespace korvel
