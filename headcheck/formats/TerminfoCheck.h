#pragma once

#include "FormatCheck.h"

namespace korvel {

// Compiled terminfo entries: the header, the names, the capabilities and the string table.
class TerminfoCheck : public FormatCheck {
public:
    QString TypeName() const override;
    bool Claims(const HeadBytes& head) const override;
    QString FindFault(const FormatContext& context) const override;
};

}  // namespace korvel
