#include "RandomInRange.h"

#include <cmath>
#include <random>

namespace korvel {

namespace {

std::mt19937& Generator() {
    static std::mt19937 generator = [] {
        std::random_device entropy;
        std::seed_seq seed{entropy(), entropy(), entropy(), entropy()};
        return std::mt19937(seed);
    }();
    return generator;
}

// 24 random bits scaled into [0, 1): every value is exact in single precision and below 1.
float UnitFloat() { return static_cast<float>(Generator()() >> 8) * (1.0f / 16777216.0f); }

}  // namespace

std::int32_t RandomInRange(std::int32_t low, std::int32_t high) {
    const std::int32_t span = high - low + 1;
    const double value = static_cast<double>(UnitFloat()) * span + low;
    return static_cast<std::int32_t>(std::floor(value));
}

}  // namespace korvel
