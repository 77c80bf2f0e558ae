#pragma once

#include "FormatCheck.h"

namespace korvel {

// Compiled Python modules (3.8 to 3.13): the header and the marshalled code object after it.
class PycCheck : public FormatCheck {
public:
    QString TypeName() const override;
    bool Claims(const HeadBytes& head) const override;
    QString FindFault(const FormatContext& context) const override;
    bool ChecksEveryPosition() const override { return true; }
};

}  // namespace korvel
