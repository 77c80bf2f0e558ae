#pragma once

#include "FormatCheck.h"

namespace korvel {

// Unix ar archives: static libraries and Debian packages.
class ArCheck : public FormatCheck {
public:
    QString TypeName() const override;
    bool Claims(const HeadBytes& head) const override;
    QString FindFault(const FormatContext& context) const override;
};

}  // namespace korvel
