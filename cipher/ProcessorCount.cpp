#include "ProcessorCount.h"

#include <algorithm>
#include <bitset>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <sched.h>
#endif

namespace korvel {

int ProcessorsOfThisProcess() {
#ifdef _WIN32
    DWORD_PTR process = 0;
    DWORD_PTR system = 0;
    if (GetProcessAffinityMask(GetCurrentProcess(), &process, &system)) {
        return std::max(1, static_cast<int>(std::bitset<sizeof(process) * 8>(process).count()));
    }
#else
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof(set), &set) == 0) return std::max(1, CPU_COUNT(&set));
#endif
    return std::max(1u, std::thread::hardware_concurrency());
}

}  // namespace korvel
