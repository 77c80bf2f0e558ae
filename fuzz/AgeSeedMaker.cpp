// Writes the seeds of fuzz_age_payload into the folder given: payloads of 0, 1, 64 KiB and
// 64 KiB + 1 bytes of plaintext, sealed under the fixture's file key, each after block sizes of
// its own. They are committed in fuzz/corpus/age_payload/; run this again only if the fixture
// changes.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "AgeFixture.h"
#include "cipher/age/PayloadCipher.h"

namespace {

using korvel::age::Bytes;
using korvel::age::PayloadCipher;

Bytes SealedPayload(std::size_t plainSize) {
    PayloadCipher::PayloadNonce nonce{};
    for (std::size_t i = 0; i < nonce.size(); ++i) nonce[i] = static_cast<std::uint8_t>(0xA0 + i);
    PayloadCipher cipher(PayloadCipher::PayloadKey(korvel::AgeFixture::FileKey(), nonce));
    Bytes plaintext(plainSize);
    for (std::size_t i = 0; i < plainSize; ++i) plaintext[i] = static_cast<std::uint8_t>(i % 251);

    Bytes payload(nonce.begin(), nonce.end());
    const std::uint64_t chunks = PayloadCipher::ChunkCount(plainSize);
    for (std::uint64_t i = 0; i < chunks; ++i) {
        const std::size_t start = i * PayloadCipher::kChunkSize;
        const std::size_t length = std::min(PayloadCipher::kChunkSize, plainSize - start);
        const std::size_t at = payload.size();
        payload.resize(at + length + korvel::age::kTagSize);
        cipher.SealChunk(i, i + 1 == chunks,
                         korvel::age::ByteView(plaintext).subspan(start, length),
                         std::span(payload).subspan(at));
    }
    return payload;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: fuzz_age_seeds <folder>\n";
        return 2;
    }
    // Block sizes: 1 byte; 64 KiB; 7, 3 and 1 KiB in turn; 128 bytes and 2 KiB in turn.
    const std::vector<std::pair<std::size_t, Bytes>> seeds = {{0, {0x00, 0x00}},
                                                              {1, {0x00, 0xBF}},
                                                              {65536, {0x02, 0x86, 0x82, 0x80}},
                                                              {65537, {0x01, 0x7F, 0x81}}};
    for (const auto& [plainSize, blockSizes] : seeds) {
        Bytes seed = blockSizes;
        const Bytes payload = SealedPayload(plainSize);
        seed.insert(seed.end(), payload.begin(), payload.end());
        std::ofstream out(
            std::filesystem::path(argv[1]) / ("plaintext-" + std::to_string(plainSize)),
            std::ios::binary);
        out.write(reinterpret_cast<const char*>(seed.data()),
                  static_cast<std::streamsize>(seed.size()));
        if (!out.flush()) return 1;
    }
    return 0;
}
