#pragma once

#include "FormatCheck.h"

namespace korvel {

// Git's pack files (objects, each a typed header and a zlib stream) and their index files.
class GitPackCheck : public FormatCheck {
public:
    QString TypeName() const override;
    bool Claims(const HeadBytes& head) const override;
    QString FindFault(const FormatContext& context) const override;
    bool ChecksEveryPosition() const override { return true; }
};

}  // namespace korvel
