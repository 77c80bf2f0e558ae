#include "PycCheck.h"

#include "MarshalWalk.h"

namespace korvel {
namespace {

constexpr qsizetype kHeaderSize = 16;
constexpr std::uint8_t kCodeWithReference = 'c' | 0x80;

// The magic numbers of the versions walked, and the shape of their code objects.
struct Version {
    std::uint16_t firstMagic;
    std::uint16_t lastMagic;
    int codeIntegers;
    int codeObjectsAfterLine;
};

constexpr Version kVersions[] = {
    {3400, 3439, 6, 1},  // 3.8 to 3.10
    {3450, 3599, 5, 2},  // 3.11 to 3.13
};

const Version* VersionOf(const HeadBytes& head) {
    const auto magic = head.U16Le(0);
    for (const Version& version : kVersions) {
        if (magic && *magic >= version.firstMagic && *magic <= version.lastMagic) {
            return &version;
        }
    }
    return nullptr;
}

}  // namespace

QString PycCheck::TypeName() const { return "application/x-python-bytecode"; }

// The version's magic number, and the line break after it or a code object where the marshalled
// data starts.
bool PycCheck::Claims(const HeadBytes& head) const {
    return VersionOf(head) && head.Has(0, kHeaderSize + 1) &&
           (head.Matches(2, "\r\n") || head.At(kHeaderSize) == kCodeWithReference);
}

QString PycCheck::FindFault(const FormatContext& context) const {
    const HeadBytes& head = context.head;
    const Version* version = VersionOf(head);
    const std::uint32_t flags = *head.U32Le(4);
    if (!head.Matches(2, "\r\n") || (flags != 0 && flags != 1 && flags != 3)) {
        return "pyc header broken";
    }
    if ((head.At(kHeaderSize) & 0x7F) != 'c') {
        return "pyc does not hold a code object";
    }
    MarshalWalk walk(head, version->codeIntegers, version->codeObjectsAfterLine);
    qsizetype end = 0;
    QString fault = walk.Walk(kHeaderSize, end);
    if (!fault.isEmpty()) {
        return fault;
    }
    if (context.wholeFile && (walk.RanOut() || end != head.Size())) {
        return "pyc code object does not end with the file";
    }
    return QString();
}

}  // namespace korvel
