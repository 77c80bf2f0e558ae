#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

namespace korvel {

// The speed of a set of files and the time it has left, from the bytes done since it started.
class TransferPace {
public:
    using Clock = std::chrono::steady_clock;

    explicit TransferPace(Clock::time_point start = Clock::now()) : start_(start) {}

    void Update(std::uint64_t done, std::uint64_t total, Clock::time_point now = Clock::now());

    double BytesPerSecond() const { return bytesPerSecond_; }
    // Nothing until a speed is known.
    std::optional<double> SecondsLeft() const;
    double Fraction() const;

private:
    Clock::time_point start_;
    std::uint64_t done_ = 0;
    std::uint64_t total_ = 0;
    double bytesPerSecond_ = 0;
};

}  // namespace korvel
