#include <sys/vfs.h>

#include "VolumeLimits.h"

namespace korvel {

bool VolumeLimits::IsFat(const std::filesystem::path& folder) {
    constexpr long kMsdosMagic = 0x4d44;  // vfat and msdos, not exFAT
    struct statfs facts {};
    return statfs(folder.c_str(), &facts) == 0 && static_cast<long>(facts.f_type) == kMsdosMagic;
}

}  // namespace korvel
