#include "ZlibCheck.h"

#include "InflateProbe.h"

namespace korvel {

QString ZlibCheck::TypeName() const { return "application/zlib"; }

// Deflate with a 32 KiB window at the fastest, default or best level: the headers zlib writes.
// The headers of the other levels are printable ("x^"), so text would be taken for them.
bool ZlibCheck::Claims(const HeadBytes& head) const {
    return head.Matches(0, "\x78\x01") || head.Matches(0, "\x78\x9C") ||
           head.Matches(0, "\x78\xDA");
}

QString ZlibCheck::FindFault(const FormatContext& context) const {
    const InflateProbe::Result inflated = InflateProbe::InflateZlib(context.head.View());
    if (inflated.outcome == InflateProbe::Outcome::Broken) {
        return "zlib data does not inflate or its checksum does not match";
    }
    if (inflated.outcome == InflateProbe::Outcome::RanOut && context.wholeFile) {
        return "zlib data cut short";
    }
    return QString();
}

}  // namespace korvel
