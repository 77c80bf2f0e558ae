#pragma once

#include <QString>

#include "HeadBytes.h"

namespace korvel {

// Walks Python's marshal format as far as a head holds it: every type code known, every length
// within reason, ASCII strings ASCII and other strings UTF-8, references to objects already read.
class MarshalWalk {
public:
    // codeIntegers: how many 32-bit fields open a code object (6 up to Python 3.10, 5 after);
    // codeObjectsAfterLine: how many objects follow its first line number (1, then 2).
    MarshalWalk(const HeadBytes& head, int codeIntegers, int codeObjectsAfterLine);

    // Walks one object from offset; why it is malformed, or an empty string when it is sound as
    // far as the head goes. end is where the object ends.
    QString Walk(qsizetype offset, qsizetype& end);
    bool RanOut() const { return ranOut_; }

private:
    bool Object(int depth);
    bool Sequence(qsizetype count, int depth);
    bool Dictionary(int depth);
    bool CodeObject(int depth);
    bool Text(qsizetype length, bool ascii);
    bool Long();
    bool Skip(qsizetype count);
    bool Int32(std::uint32_t& value);
    bool Byte(std::uint8_t& value);
    bool Fail(const char* reason);

    const HeadBytes& head_;
    int codeIntegers_;
    int codeObjectsAfterLine_;
    qsizetype offset_ = 0;
    qsizetype references_ = 0;
    bool ranOut_ = false;
    QString fault_;
};

}  // namespace korvel
