#include "InflateProbe.h"

#include <zlib.h>

#include <array>

namespace korvel {
namespace {

// Highly compressible data could inflate to a thousand times its size; past this much output the
// stream is taken as sound so far, which keeps the check's time bounded.
constexpr std::uint64_t kOutputAllowance = std::uint64_t{2} << 20;

}  // namespace

InflateProbe::Result InflateProbe::Inflate(QByteArrayView compressed) {
    return InflateWith(compressed, -MAX_WBITS);
}

InflateProbe::Result InflateProbe::InflateZlib(QByteArrayView compressed) {
    return InflateWith(compressed, MAX_WBITS);
}

InflateProbe::Result InflateProbe::InflateWith(QByteArrayView compressed, int windowBits) {
    Result result;
    z_stream stream{};
    if (inflateInit2(&stream, windowBits) != Z_OK) {
        return result;
    }
    std::array<Bytef, std::size_t{32} * 1024> output;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
    stream.avail_in = static_cast<uInt>(compressed.size());
    result.crc = static_cast<std::uint32_t>(crc32(0, nullptr, 0));
    int status = Z_OK;
    while (status == Z_OK && result.size < kOutputAllowance) {
        stream.next_out = output.data();
        stream.avail_out = static_cast<uInt>(output.size());
        status = inflate(&stream, Z_NO_FLUSH);
        const uInt produced = static_cast<uInt>(output.size()) - stream.avail_out;
        result.crc = static_cast<std::uint32_t>(crc32(result.crc, output.data(), produced));
        result.size += produced;
        if (status == Z_BUF_ERROR || (status == Z_OK && stream.avail_in == 0 && produced == 0)) {
            break;
        }
    }
    result.consumed = compressed.size() - stream.avail_in;
    if (status == Z_STREAM_END) {
        result.outcome = Outcome::Ended;
    } else if (status == Z_OK && result.size >= kOutputAllowance) {
        result.outcome = Outcome::Capped;
    } else if (status == Z_OK || status == Z_BUF_ERROR) {
        result.outcome = Outcome::RanOut;
    }
    inflateEnd(&stream);
    return result;
}

}  // namespace korvel
