#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <limits>

#include "PageCacheProbe.h"

namespace korvel {

namespace {

constexpr std::uint64_t kStretchCount = 8;
constexpr std::uint64_t kStretchPages = 16;

// Linux reports every page of a file as in memory to a process that neither owns the file nor
// may write it, so that one user cannot watch which files another reads. A file of another user's
// is left to reading ahead, even one this user may write.
bool SystemWillTell(int descriptor) {
    struct stat status {};
    return fstat(descriptor, &status) == 0 && (status.st_uid == geteuid() || geteuid() == 0);
}

bool PagesInMemory(std::uint8_t* first, std::uint64_t pageCount, std::size_t pageSize) {
    std::array<unsigned char, kStretchPages> pages{};
    if (mincore(first, static_cast<std::size_t>(pageCount) * pageSize, pages.data()) != 0) {
        return false;
    }
    return std::all_of(pages.begin(), pages.begin() + static_cast<std::ptrdiff_t>(pageCount),
                       [](unsigned char page) { return (page & 1) != 0; });
}

}  // namespace

bool LooksInMemory(int descriptor, std::uint64_t length) {
    if (length == 0 || length > std::numeric_limits<std::size_t>::max()) return false;
    if (!SystemWillTell(descriptor)) return false;
    const auto size = static_cast<std::size_t>(length);
    // Mapped without being touched: no page is read in, and unmapping costs next to nothing.
    void* mapping = mmap(nullptr, size, PROT_READ, MAP_SHARED, descriptor, 0);
    if (mapping == MAP_FAILED) return false;
    const auto pageSize = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::uint64_t filePages = (length + pageSize - 1) / pageSize;
    const std::uint64_t stretchPages = std::min(kStretchPages, filePages);
    bool inMemory = true;
    for (std::uint64_t i = 0; i < kStretchCount && inMemory; ++i) {
        const std::uint64_t firstPage = (filePages - stretchPages) * i / (kStretchCount - 1);
        inMemory = PagesInMemory(static_cast<std::uint8_t*>(mapping) + firstPage * pageSize,
                                 stretchPages, pageSize);
    }
    munmap(mapping, size);
    return inMemory;
}

}  // namespace korvel
