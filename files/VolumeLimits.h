#pragma once

#include <cstdint>
#include <filesystem>

namespace korvel {

// What the volume a file is written to can hold.
class VolumeLimits {
public:
    // FAT32 (and the FAT before it) keeps a file's length in 32 bits.
    static constexpr std::uint64_t kFatLargestFile = (std::uint64_t{1} << 32) - 1;

    // Whether a file of `length` bytes fits in `folder`'s volume; true when the volume cannot be
    // told.
    static bool Holds(const std::filesystem::path& folder, std::uint64_t length) {
        return length <= kFatLargestFile || !IsFat(folder);
    }

private:
    static bool IsFat(const std::filesystem::path& folder);
};

}  // namespace korvel
