#include <sched.h>

#include <algorithm>
#include <thread>

#include "ProcessorCount.h"

namespace korvel {

int ProcessorsOfThisProcess() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof(set), &set) == 0) return std::max(1, CPU_COUNT(&set));
    return std::max(1u, std::thread::hardware_concurrency());
}

}  // namespace korvel
