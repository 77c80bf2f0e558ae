#include "TransferPace.h"

namespace korvel {

void TransferPace::Update(std::uint64_t done, std::uint64_t total, Clock::time_point now) {
    done_ = done;
    total_ = total;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    bytesPerSecond_ = seconds > 0 ? static_cast<double>(done) / seconds : 0;
}

std::optional<double> TransferPace::SecondsLeft() const {
    if (bytesPerSecond_ <= 0 || done_ > total_) return std::nullopt;
    return static_cast<double>(total_ - done_) / bytesPerSecond_;
}

double TransferPace::Fraction() const {
    return total_ == 0 ? 1.0 : static_cast<double>(done_) / static_cast<double>(total_);
}

}  // namespace korvel
