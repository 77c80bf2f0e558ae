#include <openssl/crypto.h>
#include <sys/mman.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>

#include "LargeBlocks.h"

namespace korvel::age {
namespace {

constexpr std::size_t kLargeBlock = std::size_t{32} << 20;
constexpr std::size_t kHugePage = std::size_t{2} << 20;

struct Mapping {
    void* block = nullptr;  // what libcrypto was given
    void* start = nullptr;  // what was mapped
    std::size_t mapped = 0;
    std::size_t size = 0;
};

// Few at a time: one for each scrypt running. When all are taken, malloc serves.
std::mutex mappingsMutex;
std::array<Mapping, 8> mappings;
std::atomic<int> mappingsInUse{0};

void* MapLarge(std::size_t size) {
    // One huge page more, so that the block can start on a huge page's boundary.
    const std::size_t mapped = size + kHugePage;
    void* start = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (start == MAP_FAILED) return nullptr;
    const auto address = reinterpret_cast<std::uintptr_t>(start);
    const std::size_t skip = (kHugePage - address % kHugePage) % kHugePage;
    void* block = static_cast<char*>(start) + skip;
    madvise(block, size, MADV_HUGEPAGE);
    const std::lock_guard lock(mappingsMutex);
    for (Mapping& mapping : mappings) {
        if (mapping.block) continue;
        mapping = {block, start, mapped, size};
        mappingsInUse.fetch_add(1);
        return block;
    }
    munmap(start, mapped);
    return nullptr;
}

std::optional<Mapping> FindMapping(void* block, bool remove) {
    if (!block || mappingsInUse.load() == 0) return std::nullopt;
    const std::lock_guard lock(mappingsMutex);
    for (Mapping& mapping : mappings) {
        if (mapping.block != block) continue;
        const Mapping found = mapping;
        if (remove) {
            mapping = {};
            mappingsInUse.fetch_sub(1);
        }
        return found;
    }
    return std::nullopt;
}

void* Allocate(std::size_t size, const char*, int) {
    if (size >= kLargeBlock) {
        if (void* block = MapLarge(size)) return block;
    }
    return std::malloc(size);
}

void Free(void* block, const char*, int) {
    if (const std::optional<Mapping> mapping = FindMapping(block, true)) {
        munmap(mapping->start, mapping->mapped);
    } else {
        std::free(block);
    }
}

void* Reallocate(void* block, std::size_t size, const char* file, int line) {
    const std::optional<Mapping> mapping = FindMapping(block, false);
    if (!mapping) return std::realloc(block, size);  // malloc's stays malloc's, whatever its size
    void* moved = Allocate(size, file, line);
    if (!moved) return nullptr;  // the block stays as it was
    std::memcpy(moved, block, std::min(mapping->size, size));
    Free(block, file, line);
    return moved;
}

}  // namespace

bool InstallLargeBlocks() { return CRYPTO_set_mem_functions(Allocate, Reallocate, Free) == 1; }

}  // namespace korvel::age
