#include "MarshalWalk.h"

#include "headcheck/text/Utf8Sequence.h"

namespace korvel {
namespace {

constexpr std::uint8_t kReferenceFlag = 0x80;
constexpr int kDeepest = 64;
constexpr std::uint32_t kLongestLength = 1u << 26;
constexpr std::uint32_t kMostItems = 1u << 20;
constexpr std::uint32_t kLargestCodeInteger = 1u << 28;
constexpr std::uint32_t kLargestDigit = 0x7FFF;  // longs are stored in 15-bit digits

}  // namespace

MarshalWalk::MarshalWalk(const HeadBytes& head, int codeIntegers, int codeObjectsAfterLine)
    : head_(head), codeIntegers_(codeIntegers), codeObjectsAfterLine_(codeObjectsAfterLine) {}

QString MarshalWalk::Walk(qsizetype offset, qsizetype& end) {
    offset_ = offset;
    Object(0);
    end = offset_;
    return ranOut_ ? QString() : fault_;
}

bool MarshalWalk::Fail(const char* reason) {
    if (fault_.isEmpty()) {
        fault_ = reason;
    }
    return false;
}

bool MarshalWalk::Skip(qsizetype count) {
    if (!head_.Has(offset_, count)) {
        ranOut_ = true;
        return false;
    }
    offset_ += count;
    return true;
}

bool MarshalWalk::Byte(std::uint8_t& value) {
    if (!head_.Has(offset_, 1)) {
        ranOut_ = true;
        return false;
    }
    value = head_.At(offset_++);
    return true;
}

bool MarshalWalk::Int32(std::uint32_t& value) {
    const auto read = head_.U32Le(offset_);
    if (!read) {
        ranOut_ = true;
        return false;
    }
    value = *read;
    offset_ += 4;
    return true;
}

// The walk's objects: constants, strings, containers, code objects and references.
bool MarshalWalk::Object(int depth) {
    std::uint8_t type = 0;
    if (depth > kDeepest) {
        return Fail("pyc nested too deeply");
    }
    if (!Byte(type)) {
        return false;
    }
    if (type & kReferenceFlag) {
        ++references_;
        type &= ~kReferenceFlag;
    }
    std::uint32_t value = 0;
    std::uint8_t shortLength = 0;
    switch (type) {
        case 'N':
        case 'F':
        case 'T':
        case 'S':
        case '.':
            return true;
        case 'i':
            return Skip(4);
        case 'g':
            return Skip(8);
        case 'y':
            return Skip(16);
        case 'l':
            return Long();
        case 's':
            return Int32(value) && (value <= kLongestLength || Fail("pyc length out of range")) &&
                   Skip(value);
        case 'a':
        case 'A':
            return Int32(value) && (value <= kLongestLength || Fail("pyc length out of range")) &&
                   Text(value, true);
        case 't':
        case 'u':
            return Int32(value) && (value <= kLongestLength || Fail("pyc length out of range")) &&
                   Text(value, false);
        case 'z':
        case 'Z':
            return Byte(shortLength) && Text(shortLength, true);
        case ')':
            return Byte(shortLength) && Sequence(shortLength, depth);
        case '(':
        case '[':
        case '<':
        case '>':
            return Int32(value) && (value <= kMostItems || Fail("pyc item count out of range")) &&
                   Sequence(value, depth);
        case '{':
            return Dictionary(depth);
        case 'c':
            return CodeObject(depth);
        case 'r':
            return Int32(value) &&
                   (qsizetype(value) < references_ || Fail("pyc reference to nothing yet"));
        default:
            return Fail("pyc object type unknown");
    }
}

bool MarshalWalk::Sequence(qsizetype count, int depth) {
    for (qsizetype item = 0; item < count; ++item) {
        if (!Object(depth + 1)) {
            return false;
        }
    }
    return true;
}

// Keys and values until a null key.
bool MarshalWalk::Dictionary(int depth) {
    for (;;) {
        if (!head_.Has(offset_, 1)) {
            ranOut_ = true;
            return false;
        }
        if (head_.At(offset_) == '0') {
            ++offset_;
            return true;
        }
        if (!Object(depth + 1) || !Object(depth + 1)) {
            return false;
        }
    }
}

bool MarshalWalk::CodeObject(int depth) {
    std::uint32_t value = 0;
    for (int field = 0; field < codeIntegers_; ++field) {
        if (!Int32(value)) {
            return false;
        }
        if (value > kLargestCodeInteger) {
            return Fail("pyc code object field out of range");
        }
    }
    if (!Sequence(8, depth) || !Int32(value)) {
        return false;
    }
    if (value > kLargestCodeInteger) {
        return Fail("pyc line number out of range");
    }
    return Sequence(codeObjectsAfterLine_, depth);
}

bool MarshalWalk::Text(qsizetype length, bool ascii) {
    if (!head_.Has(offset_, length)) {
        ranOut_ = true;
        return false;
    }
    const QByteArrayView text = head_.Slice(offset_, length);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<std::uint8_t>(text[i]);
        if (byte < 0x80) {
            continue;
        }
        // Python writes strings with lone surrogates as they are (ED A0..BF xx).
        const bool surrogate = byte == 0xED && i + 2 < text.size() &&
                               (static_cast<std::uint8_t>(text[i + 1]) & 0xE0) == 0xA0;
        const int sequence = ascii ? 0 : surrogate ? 3 : Utf8Sequence::LengthAt(text, i);
        if (sequence <= 0) {
            return Fail(ascii ? "pyc ASCII string holds other bytes" : "pyc string is not UTF-8");
        }
        i += sequence - 1;
    }
    offset_ += length;
    return true;
}

bool MarshalWalk::Long() {
    std::uint32_t digits = 0;
    if (!Int32(digits)) {
        return false;
    }
    const std::uint32_t count = std::int32_t(digits) < 0 ? -digits : digits;
    if (count > kMostItems) {
        return Fail("pyc long out of range");
    }
    for (std::uint32_t digit = 0; digit < count; ++digit) {
        const auto value = head_.U16Le(offset_);
        if (!value) {
            ranOut_ = true;
            return false;
        }
        if (*value > kLargestDigit) {
            return Fail("pyc long digit out of range");
        }
        offset_ += 2;
    }
    return true;
}

}  // namespace korvel
