#pragma once

#include "FormatCheck.h"

namespace korvel {

class JpegCheck : public FormatCheck {
public:
    QString TypeName() const override;
    bool Claims(const HeadBytes& head) const override;
    QString FindFault(const FormatContext& context) const override;
};

}  // namespace korvel
