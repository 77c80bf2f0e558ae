// Single-core speed of the age payload, 64 KiB chunks sealed and opened one after another in
// memory, and the time of the identity of a password and key file:
// `bin/age_bench [MiB-of-payload [rounds]]`.
// Times are the process's CPU time (std::clock), so that a busy machine changes them less than
// elapsed time; the program has one thread. "hot" reuses one chunk's buffers (what the cipher
// itself costs); "streaming" goes through the whole payload in memory, as a run's blocks do.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "cipher/age/AgeDecryptor.h"
#include "cipher/age/AgeEncryptor.h"
#include "cipher/age/PasswordIdentity.h"
#include "cipher/age/PayloadCipher.h"

namespace {

using korvel::age::PayloadCipher;
struct Clock {
    using time_point = std::clock_t;
    static time_point now() { return std::clock(); }
};

double Seconds(Clock::time_point start) {
    return static_cast<double>(Clock::now() - start) / CLOCKS_PER_SEC;
}

struct Figures {
    double sealSeconds;
    double openSeconds;
};

Figures OneRound(std::size_t chunks, bool hot) {
    korvel::age::Key32 key{};
    korvel::age::primitives::RandomBytes(key);
    PayloadCipher sealer(key);
    PayloadCipher opener(key);
    std::vector<std::uint8_t> plain(PayloadCipher::kChunkSize, 0x5a);
    std::vector<std::uint8_t> sealed((hot ? 1 : chunks) * PayloadCipher::kSealedChunkSize);
    const auto place = [&](std::size_t i) {
        return std::span(sealed).subspan((hot ? 0 : i) * PayloadCipher::kSealedChunkSize,
                                         PayloadCipher::kSealedChunkSize);
    };
    const Clock::time_point sealStart = Clock::now();
    for (std::size_t i = 0; i < chunks; ++i) {
        sealer.SealChunk(i, i + 1 == chunks, plain, place(i));
    }
    const double sealSeconds = Seconds(sealStart);
    const Clock::time_point openStart = Clock::now();
    for (std::size_t i = 0; i < chunks; ++i) {
        // Hot, the one buffer holds the last chunk sealed; open that one each time.
        const std::size_t index = hot ? chunks - 1 : i;
        if (!opener.OpenChunk(index, index + 1 == chunks, place(i), plain)) {
            std::fprintf(stderr, "chunk %zu did not open\n", i);
            std::exit(1);
        }
    }
    return {sealSeconds, Seconds(openStart)};
}

// The streaming encryptor and decryptor, given 128 KiB blocks as a run reads them.
Figures StreamingApi(std::size_t mebibytes) {
    const korvel::age::X25519Identity identity = korvel::age::X25519Identity::Generate();
    const korvel::age::X25519Recipient recipient = identity.Recipient();
    const std::vector<std::uint8_t> block(128 << 10, 0x5a);
    const std::size_t blocks = mebibytes * 8;
    // Timed with one reused output buffer, so that the first touch of new memory is not counted.
    std::vector<std::uint8_t> out;
    out.reserve(2 * block.size() + 4096);
    const Clock::time_point sealStart = Clock::now();
    korvel::age::AgeEncryptor timed(std::span(&recipient, 1));
    for (std::size_t i = 0; i < blocks; ++i) {
        timed.Write(block, out);
        out.clear();
    }
    timed.Finish(out);
    const double sealSeconds = Seconds(sealStart);
    std::vector<std::uint8_t> file;
    korvel::age::AgeEncryptor encryptor(std::span(&recipient, 1));
    for (std::size_t i = 0; i < blocks; ++i) encryptor.Write(block, file);
    encryptor.Finish(file);
    std::vector<std::uint8_t> plain;
    plain.reserve(2 * block.size() + PayloadCipher::kChunkSize);
    const Clock::time_point openStart = Clock::now();
    korvel::age::AgeDecryptor decryptor({identity});
    for (std::size_t start = 0; start < file.size(); start += block.size()) {
        const std::size_t count = std::min(block.size(), file.size() - start);
        decryptor.Write(std::span(file).subspan(start, count), plain);
        plain.clear();
    }
    decryptor.Finish(plain);
    return {sealSeconds, Seconds(openStart)};
}

double IdentitySeconds() {
    korvel::age::Key32 digest{};
    const Clock::time_point start = Clock::now();
    const korvel::age::X25519Identity identity =
        korvel::age::PasswordIdentity::Derive("Korvel-demo1", digest);
    const double seconds = Seconds(start);
    if (identity.SecretKey() == digest) std::puts("");  // keeps the derivation from being dropped
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t mebibytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 256;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    const std::size_t chunks = mebibytes * 16;
    const double bytes = static_cast<double>(chunks * PayloadCipher::kChunkSize);
    std::printf("payload %zu MiB, best of %d rounds, one core, CPU time\n", mebibytes, rounds);
    for (bool hot : {true, false}) {
        double bestSeal = 1e9, bestOpen = 1e9;
        for (int round = 0; round < rounds; ++round) {
            const Figures figures = OneRound(chunks, hot);
            bestSeal = std::min(bestSeal, figures.sealSeconds);
            bestOpen = std::min(bestOpen, figures.openSeconds);
        }
        const char* kind = hot ? "hot" : "streaming";
        std::printf("seal 64 KiB chunks, %s: %.2f GB/s\n", kind, bytes / bestSeal / 1e9);
        std::printf("open 64 KiB chunks, %s: %.2f GB/s\n", kind, bytes / bestOpen / 1e9);
    }
    double bestSeal = 1e9, bestOpen = 1e9;
    for (int round = 0; round < rounds; ++round) {
        const Figures figures = StreamingApi(mebibytes);
        bestSeal = std::min(bestSeal, figures.sealSeconds);
        bestOpen = std::min(bestOpen, figures.openSeconds);
    }
    std::printf("AgeEncryptor in 128 KiB blocks: %.2f GB/s\n", bytes / bestSeal / 1e9);
    std::printf("AgeDecryptor in 128 KiB blocks: %.2f GB/s\n", bytes / bestOpen / 1e9);
    double bestIdentity = 1e9;
    for (int round = 0; round < rounds; ++round) {
        bestIdentity = std::min(bestIdentity, IdentitySeconds());
    }
    std::printf("identity (scrypt N=2^17 r=8 p=1, HKDF, X25519): %.3f s\n", bestIdentity);
    return 0;
}
