#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace korvel {

// A fuzzer's input read from the front: a few leading bytes pick a target's settings, and the rest
// are the bytes it parses.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : rest_(data, size) {}

    // The next byte, or 0 once the input is used up.
    std::uint8_t TakeByte();
    // A value from 0 to count - 1 (count > 0), from the next byte.
    std::size_t TakeIndex(std::size_t count) { return TakeByte() % count; }
    std::span<const std::uint8_t> Rest() const { return rest_; }

private:
    std::span<const std::uint8_t> rest_;
};

}  // namespace korvel
