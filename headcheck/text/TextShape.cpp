#include "TextShape.h"

#include <array>
#include <cstdint>

#include "Gb18030Sequence.h"
#include "Utf8Sequence.h"

namespace korvel {
namespace {

// Backspace (overstrike in formatted manuals), tab, line feed, form feed, carriage return and
// escape (terminal colours) occur in text files; every other control character does not.
constexpr std::uint32_t kTextControls =
    1u << 0x08 | 1u << 0x09 | 1u << 0x0A | 1u << 0x0C | 1u << 0x0D | 1u << 0x1B;

bool BreaksText(std::uint32_t code) {
    return (code < 0x20 && !((kTextControls >> code) & 1)) || code == 0x7F;
}

// Above this share of control characters a head is no text in any encoding, so the second
// reading is skipped.
constexpr double kMostControlShare = 0.05;
// Text that neither reading takes is read as 8-bit text when at most this share of its bytes are
// control characters.
constexpr double kMostSingleByteControlShare = 0.005;

qsizetype CountControls(QByteArrayView bytes) {
    qsizetype count = 0;
    for (const char byte : bytes) {
        count += BreaksText(static_cast<std::uint8_t>(byte));
    }
    return count;
}

bool IsSurrogate(std::uint32_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

bool IsHighSurrogate(std::uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

}  // namespace

TextShape::TextShape(QByteArrayView bytes, bool cut)
    : bytes_(bytes), cut_(cut), bad_(static_cast<std::size_t>(bytes.size())) {
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const bool bigEndian = bytes.startsWith("\xFE\xFF");
        encodingName_ = bigEndian ? "UTF-16BE" : "UTF-16LE";
        badCount_ = MarkInUtf16(bigEndian, bad_);
        return;
    }
    encodingName_ = "UTF-8";
    badCount_ = MarkInUtf8(bad_);
    if (badCount_ == 0) {
        return;
    }
    const qsizetype controls = CountControls(bytes);
    if (double(controls) > kMostControlShare * double(bytes.size())) {
        return;
    }
    std::vector<std::uint8_t> gb18030(bad_.size());
    const qsizetype gb18030Count = MarkInGb18030(gb18030);
    if (gb18030Count < badCount_) {
        encodingName_ = "GB18030";
        bad_ = std::move(gb18030);
        badCount_ = gb18030Count;
        MarkUnusualGb18030();
    }
    if (double(badCount_) > kMostSingleByteControlShare * double(bytes.size()) &&
        double(controls) <= kMostSingleByteControlShare * double(bytes.size())) {
        ReadAsSingleByte();
    }
}

// Text in one of the 8-bit encodings (ISO 8859, Windows and Mac code pages) reads as neither
// UTF-8 nor GB18030, but has hardly any control characters; read so, only those break it, and
// the bytes that broke the other readings are flagged as unusual.
void TextShape::ReadAsSingleByte() {
    encodingName_ = "an 8-bit encoding";
    badCount_ = 0;
    for (qsizetype offset = 0; offset < bytes_.size(); ++offset) {
        auto& flag = bad_[static_cast<std::size_t>(offset)];
        if (BreaksText(static_cast<std::uint8_t>(bytes_[offset]))) {
            flag = kBreaks;
            ++badCount_;
        } else if (flag != 0) {
            flag = kUnusual;
        }
    }
}

// Chinese text in GBK keeps almost wholly to GB2312's rows (both bytes 0xA1 to 0xFE), while a
// garbled byte often makes a character from GBK's extensions; in text that is not Chinese, such
// characters are mostly garbled bytes read together with the next one. They are flagged except in
// text that uses those extensions in earnest.
void TextShape::MarkUnusualGb18030() {
    constexpr double kLeastCommonShare = 0.97;
    constexpr double kMostIncidentalShare = 0.5;
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes_.data());
    const auto isCommon = [](std::uint8_t byte) { return byte >= 0xA1 && byte <= 0xFE; };
    std::vector<qsizetype> unusual;
    qsizetype pairs = 0;
    for (qsizetype offset = 0; offset < bytes_.size();) {
        const int length = Gb18030Sequence::LengthAt(bytes_, offset);
        if (length == 2) {
            ++pairs;
            if (!isCommon(data[offset]) || !isCommon(data[offset + 1])) {
                unusual.push_back(isCommon(data[offset]) ? offset + 1 : offset);
            }
        }
        offset += length > 0 ? length : 1;
    }
    const double commonShare = double(pairs - qsizetype(unusual.size())) / double(pairs);
    if (commonShare < kLeastCommonShare && commonShare > kMostIncidentalShare) {
        return;
    }
    for (const qsizetype offset : unusual) {
        bad_[static_cast<std::size_t>(offset)] = kUnusual;
    }
}

double TextShape::BadShare() const {
    return bytes_.isEmpty() ? 0.0 : double(badCount_) / double(bytes_.size());
}

template <typename Sequence>
qsizetype TextShape::MarkBy(std::vector<std::uint8_t>& bad) const {
    qsizetype count = 0;
    qsizetype offset = 0;
    const auto mark = [&](qsizetype position) {
        bad[static_cast<std::size_t>(position)] = kBreaks;
        ++count;
    };
    while (offset < bytes_.size()) {
        const auto byte = static_cast<std::uint8_t>(bytes_[offset]);
        if (byte < 0x80) {  // the common case, without a call
            if (BreaksText(byte)) {
                mark(offset);
            }
            ++offset;
            continue;
        }
        const int length = Sequence::LengthAt(bytes_, offset);
        if (length < 0) {
            if (!cut_) {
                mark(offset);
            }
            break;
        }
        if (length == 0) {
            mark(offset);
        }
        offset += length == 0 ? 1 : length;
    }
    return count;
}

qsizetype TextShape::MarkInUtf8(std::vector<std::uint8_t>& bad) const {
    return MarkBy<Utf8Sequence>(bad);
}

qsizetype TextShape::MarkInGb18030(std::vector<std::uint8_t>& bad) const {
    return MarkBy<Gb18030Sequence>(bad);
}

// A unit breaks UTF-16 text when it is a control character, half a surrogate pair, or from a
// block of 256 code points that the head hardly uses: text keeps to a few scripts, while a wrong
// byte throws its unit into a random block.
qsizetype TextShape::MarkInUtf16(bool bigEndian, std::vector<std::uint8_t>& bad) const {
    const qsizetype unitCount = (bytes_.size() - 2) / 2;
    const auto highOffset = [&](qsizetype unit) { return 2 + unit * 2 + (bigEndian ? 0 : 1); };
    const auto lowOffset = [&](qsizetype unit) { return 2 + unit * 2 + (bigEndian ? 1 : 0); };
    const auto unitAt = [&](qsizetype unit) -> std::uint32_t {
        return static_cast<std::uint8_t>(bytes_[highOffset(unit)]) << 8 |
               static_cast<std::uint8_t>(bytes_[lowOffset(unit)]);
    };
    std::array<qsizetype, 256> blockUse{};
    for (qsizetype unit = 0; unit < unitCount; ++unit) {
        ++blockUse[unitAt(unit) >> 8];
    }
    qsizetype count = 0;
    for (qsizetype unit = 0; unit < unitCount; ++unit) {
        const std::uint32_t code = unitAt(unit);
        const bool pairedHigh = IsHighSurrogate(code) && unit + 1 < unitCount &&
                                IsSurrogate(unitAt(unit + 1)) && !IsHighSurrogate(unitAt(unit + 1));
        const bool pairedLow = !IsHighSurrogate(code) && IsSurrogate(code) && unit > 0 &&
                               IsHighSurrogate(unitAt(unit - 1));
        if (IsSurrogate(code) ? !(pairedHigh || pairedLow) : blockUse[code >> 8] * 20 < unitCount) {
            bad[static_cast<std::size_t>(highOffset(unit))] = kBreaks;
            ++count;
        } else if (BreaksText(code) || (code >= 0x80 && code < 0xA0) || code >= 0xFFFE) {
            bad[static_cast<std::size_t>(lowOffset(unit))] = kBreaks;
            ++count;
        }
    }
    return count;
}

}  // namespace korvel
