#pragma once

#include <QByteArrayView>

namespace korvel {

// Two measures of how far a head is from random bytes, which is what a wrong key file or wrong
// first password characters make of any data: how far the byte counts are from even (chi-square
// against the uniform distribution, as a z-score), and how many of its 4-byte sequences occurred
// earlier in it (random bytes almost never repeat one; nearly all uncompressed data does).
class ByteStatistics {
public:
    explicit ByteStatistics(QByteArrayView bytes);

    double UniformityZ() const { return uniformityZ_; }
    double RepeatShare() const { return repeatShare_; }
    double ZeroShare() const { return zeroShare_; }

private:
    void CountValues(QByteArrayView bytes);
    static double ShareOfRepeats(QByteArrayView bytes);

    double uniformityZ_ = 0;
    double repeatShare_ = 0;
    double zeroShare_ = 0;
};

}  // namespace korvel
