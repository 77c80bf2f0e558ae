#pragma once

#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <vector>

namespace korvel {

// The head read as text: the encoding it fits best (UTF-16 when it starts with a byte-order mark,
// else UTF-8 or GB18030, whichever fewer bytes break, or an 8-bit encoding when neither fits) and
// the positions of the bytes that break it.
// A byte breaks text when it is a control character other than the few that text uses, or does
// not fit the encoding's byte structure.
class TextShape {
public:
    // cut: the bytes stop before the data does, so the last character may be cut short.
    TextShape(QByteArrayView bytes, bool cut);

    QString EncodingName() const { return encodingName_; }
    static constexpr std::uint8_t kBreaks = 1;
    // Well-formed but far from what the rest of the text uses: in GB18030 text that keeps to the
    // common GB2312 characters, a character from outside them.
    static constexpr std::uint8_t kUnusual = 2;

    // One flag a byte: 0 where it fits the text, else kBreaks or kUnusual.
    const std::vector<std::uint8_t>& BadFlags() const { return bad_; }
    qsizetype BadCount() const { return badCount_; }
    double BadShare() const;

private:
    // Flag the bytes that break the text in bad and return how many.
    qsizetype MarkInUtf8(std::vector<std::uint8_t>& bad) const;
    qsizetype MarkInGb18030(std::vector<std::uint8_t>& bad) const;
    qsizetype MarkInUtf16(bool bigEndian, std::vector<std::uint8_t>& bad) const;
    void MarkUnusualGb18030();
    void ReadAsSingleByte();
    template <typename Sequence>
    qsizetype MarkBy(std::vector<std::uint8_t>& bad) const;

    QByteArrayView bytes_;
    bool cut_;
    QString encodingName_;
    std::vector<std::uint8_t> bad_;
    qsizetype badCount_ = 0;
};

}  // namespace korvel
