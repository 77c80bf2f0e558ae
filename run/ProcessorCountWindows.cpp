#include <windows.h>

#include <algorithm>
#include <bitset>
#include <thread>

#include "ProcessorCount.h"

namespace korvel {

int ProcessorsOfThisProcess() {
    DWORD_PTR process = 0;
    DWORD_PTR system = 0;
    if (GetProcessAffinityMask(GetCurrentProcess(), &process, &system)) {
        return std::max(1, static_cast<int>(std::bitset<sizeof(process) * 8>(process).count()));
    }
    return std::max(1u, std::thread::hardware_concurrency());
}

}  // namespace korvel
