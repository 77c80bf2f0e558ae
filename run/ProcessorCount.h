#pragma once

namespace korvel {

// The processors this process may run on: fewer than the machine has when it was started with
// an affinity (taskset, start /affinity). At least 1.
int ProcessorsOfThisProcess();

}  // namespace korvel
