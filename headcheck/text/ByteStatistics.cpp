#include "ByteStatistics.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace korvel {

ByteStatistics::ByteStatistics(QByteArrayView bytes) : repeatShare_(ShareOfRepeats(bytes)) {
    if (!bytes.isEmpty()) {
        CountValues(bytes);
    }
}

// The chi-square statistic against even counts, and the share of zero bytes.
void ByteStatistics::CountValues(QByteArrayView bytes) {
    std::array<qsizetype, 256> counts{};
    for (const char byte : bytes) {
        ++counts[static_cast<std::uint8_t>(byte)];
    }
    double sumOfSquares = 0;
    for (const qsizetype count : counts) {
        sumOfSquares += double(count) * double(count);
    }
    const double n = double(bytes.size());
    const double chiSquare = 256.0 * sumOfSquares / n - n;
    constexpr double kDegrees = 255;
    uniformityZ_ = (chiSquare - kDegrees) / std::sqrt(2 * kDegrees);
    zeroShare_ = double(counts[0]) / n;
}

// A table of the last 4-byte sequence seen at each hash, as fast compressors keep; a collision
// only makes it miss a repeat now and then.
double ByteStatistics::ShareOfRepeats(QByteArrayView bytes) {
    constexpr int kHashBits = 13;
    constexpr std::uint64_t kOccupied = std::uint64_t{1} << 32;
    if (bytes.size() < 8) {
        return 0;
    }
    std::vector<std::uint64_t> lastSeen(std::size_t{1} << kHashBits);
    const char* data = bytes.data();
    qsizetype repeats = 0;
    const qsizetype sequences = bytes.size() - 3;
    for (qsizetype n = 0; n < sequences; ++n) {
        std::uint32_t sequence;
        std::memcpy(&sequence, data + n, sizeof sequence);
        std::uint64_t& slot = lastSeen[(sequence * 2654435761u) >> (32 - kHashBits)];
        repeats += slot == (sequence | kOccupied);
        slot = sequence | kOccupied;
    }
    return double(repeats) / double(sequences);
}

}  // namespace korvel
