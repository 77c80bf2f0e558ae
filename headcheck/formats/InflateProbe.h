#pragma once

#include <QByteArrayView>
#include <cstdint>

namespace korvel {

// Inflates deflate data as far as it goes, to see whether it is well-formed: a wrong byte in
// compressed data soon makes an invalid code or a distance reaching back before the start.
class InflateProbe {
public:
    enum class Outcome {
        Ended,   // the stream ended properly
        Broken,  // the stream is malformed
        RanOut,  // no error before the input ran out
        Capped,  // no error before the output allowance was used up
    };

    struct Result {
        Outcome outcome = Outcome::Broken;
        qsizetype consumed = 0;  // compressed bytes up to the stream's end
        std::uint32_t crc = 0;   // CRC-32 of what it inflated to
        std::uint64_t size = 0;  // how many bytes it inflated to
    };

    static Result Inflate(QByteArrayView compressed);
    // The same for a zlib stream (two header bytes, deflate data, Adler-32), whose checksum zlib
    // compares at the end.
    static Result InflateZlib(QByteArrayView compressed);

private:
    static Result InflateWith(QByteArrayView compressed, int windowBits);
};

}  // namespace korvel
