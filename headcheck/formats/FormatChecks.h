#pragma once

#include "FormatCheck.h"

namespace korvel {

// The format checks the judge knows, picked by a head's first bytes.
class FormatChecks {
public:
    // The check that claims the head, or none.
    static const FormatCheck* Claiming(const HeadBytes& head);
};

}  // namespace korvel
