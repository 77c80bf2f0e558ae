#pragma once

#include "HeadJudgement.h"
#include "run/RunRequest.h"

namespace korvel {

// Looks at what a decryption would write before it writes anything: decrypts the first
// HeadJudge::kHeadSize bytes of the ciphertext's data in memory and judges them under the target's
// name. A source or key file that cannot be read gives "cannot tell": the run reports it.
class DecryptionCheck {
public:
    static HeadJudgement Check(const RunRequest& request);
};

}  // namespace korvel
