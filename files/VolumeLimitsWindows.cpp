#include <windows.h>

#include <string>

#include "VolumeLimits.h"

namespace korvel {

bool VolumeLimits::IsFat(const std::filesystem::path& folder) {
    wchar_t volume[MAX_PATH + 1] = {};
    if (!GetVolumePathNameW(folder.c_str(), volume, MAX_PATH + 1)) return false;
    wchar_t fileSystem[MAX_PATH + 1] = {};
    if (!GetVolumeInformationW(volume, nullptr, 0, nullptr, nullptr, nullptr, fileSystem,
                               MAX_PATH + 1)) {
        return false;
    }
    const std::wstring name = fileSystem;
    return name == L"FAT32" || name == L"FAT";
}

}  // namespace korvel
