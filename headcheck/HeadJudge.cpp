#include "HeadJudge.h"

#include <algorithm>

#include "MimeEvidence.h"
#include "headcheck/formats/FormatChecks.h"
#include "headcheck/text/ByteStatistics.h"
#include "headcheck/text/ExtraCharacterSearch.h"
#include "headcheck/text/GarbledClassSearch.h"
#include "headcheck/text/TextShape.h"

namespace korvel {
namespace {

// A head is taken as text when hardly any byte breaks it.
constexpr double kMostBadTextShare = 0.01;
constexpr double kMostGarbledZeroShare = 0.05;
// Binary data shorter than this has too few bytes to tell random ones from others.
constexpr qsizetype kShortestToTell = 64;

HeadJudgement Plausible(const QString& type, const QString& reason) {
    return {HeadVerdict::Plausible, type, reason};
}

HeadJudgement Implausible(const QString& type, const QString& reason) {
    return {HeadVerdict::Implausible, type, reason};
}

// Random bytes spread evenly over the byte values and hardly ever repeat a 4-byte sequence.
bool LooksRandom(const ByteStatistics& statistics, qsizetype size) {
    constexpr double kMostRandomZ = 8;
    constexpr double kMostRandomRepeats = 0.002;
    constexpr qsizetype kRepeatsTellFrom = 2048;
    return statistics.UniformityZ() < kMostRandomZ ||
           (size >= kRepeatsTellFrom && statistics.RepeatShare() < kMostRandomRepeats);
}

// The database's type where the data carries a signature it knows (it tells a library from an
// executable, a JAR from a zip), else the format check's.
QString TypeFor(const MimeEvidence& mime, const FormatCheck* format) {
    if (!format || mime.DataHasMagic() || mime.TypeInherits(format->TypeName())) {
        return mime.TypeName();
    }
    return format->TypeName();
}

HeadJudgement JudgeUnknownBinary(QByteArrayView head, const MimeEvidence& mime,
                                 const ExtraCharacterSearch& extra, const QString& type) {
    if (const auto reason = extra.InValues()) {
        return Implausible(type, *reason);
    }
    if (head.size() < kShortestToTell) {
        return {HeadVerdict::CannotTell, type, "too short to tell"};
    }
    const ByteStatistics statistics(head);
    if (LooksRandom(statistics, head.size())) {
        if (mime.DataHasMagic() && mime.NameAgreesWithMagic()) {
            return Plausible(
                type, "signature of " + mime.DataTypeName() + "; the content looks compressed");
        }
        return Implausible(type, "random-looking bytes without a known signature");
    }
    if (mime.DataHasMagic()) {
        return Plausible(type, "signature of " + mime.DataTypeName());
    }
    if (const auto reason = extra.InShortText()) {
        return Implausible(type, *reason);
    }
    // Text in UTF-16 or UTF-32 without a byte-order mark is half zero bytes or more; garbled
    // text has hardly any.
    if (mime.NameSaysText() && statistics.ZeroShare() < kMostGarbledZeroShare) {
        return Implausible(type, "named as text, but the bytes are not text");
    }
    return Plausible(type, QString("structured binary data (uniformity z %1, repeats %2%)")
                               .arg(statistics.UniformityZ(), 0, 'f', 1)
                               .arg(statistics.RepeatShare() * 100, 0, 'f', 2));
}

}  // namespace

HeadJudgement HeadJudge::Judge(QByteArrayView head, bool wholeFile, const QString& targetName,
                               int passwordLength) const {
    const int period = std::max(passwordLength, 1);  // positions are counted modulo it
    const MimeEvidence mime(head, targetName);
    if (head.isEmpty()) {
        return {HeadVerdict::CannotTell, mime.TypeName(), "nothing to judge"};
    }
    // Right data under such a name looks random, and so does any data with a wrong key: no
    // signature a random head happens to start with, and no statistic it happens to trip, tells.
    if (mime.NameSaysHeaderless() && LooksRandom(ByteStatistics(head), head.size())) {
        return {HeadVerdict::CannotTell, mime.TypeName(),
                "random-looking bytes, named as raw data"};
    }
    const HeadBytes bytes(head);
    const FormatCheck* format = FormatChecks::Claiming(bytes);
    const QString type = TypeFor(mime, format);
    if (format) {
        const QString fault =
            format->FindFault({bytes, wholeFile, period, &FormatChecks::Claiming});
        if (!fault.isEmpty()) {
            return Implausible(type, fault);
        }
        if (format->ChecksEveryPosition()) {
            return Plausible(type, "structure holds");
        }
    }
    const TextShape text(head, !wholeFile);
    if (const auto garbled = GarbledClassSearch::Find(head, text, period)) {
        return Implausible(type, *garbled);
    }
    const ExtraCharacterSearch extra(head, text, period);
    if (const auto reason = extra.InText()) {
        return Implausible(type, *reason);
    }
    if (format) {
        return Plausible(type, "structure holds");
    }
    if (text.BadShare() <= kMostBadTextShare) {
        return Plausible(type, "text in " + text.EncodingName());
    }
    return JudgeUnknownBinary(head, mime, extra, type);
}

}  // namespace korvel
