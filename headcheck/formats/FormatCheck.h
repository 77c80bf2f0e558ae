#pragma once

#include <QString>

#include "HeadBytes.h"

namespace korvel {

class FormatCheck;

// The check that claims a head, or none: how a container's check finds its members' checks.
using FormatClaim = const FormatCheck* (*)(const HeadBytes& head);

// What a format check is given: the head, whether it is the whole file, the tried password's
// length (the period of the positions a wrong character garbles), and the checks a container's
// members are checked with (none: members are not looked into).
struct FormatContext {
    const HeadBytes& head;
    bool wholeFile;
    int period;
    FormatClaim claiming = nullptr;
};

// The structure of one file format, checked from a head's start. A check claims a head by its
// first two bytes, which only a wrong key file or wrong first password characters change; the
// rest of the signature is then part of what is checked.
class FormatCheck {
public:
    virtual ~FormatCheck() = default;

    // The format's MIME type name.
    virtual QString TypeName() const = 0;
    virtual bool Claims(const HeadBytes& head) const = 0;
    // Why the head cannot be the start of a file of this format, or an empty string when its
    // structure holds as far as the head shows it.
    virtual QString FindFault(const FormatContext& context) const = 0;
    // Whether a head whose structure holds has had every password position checked: a wrong
    // character at any position would have broken the structure (checksums over all of it, a
    // header that fixes its first twenty bytes, compressed data that fails to inflate).
    virtual bool ChecksEveryPosition() const { return false; }
};

}  // namespace korvel
