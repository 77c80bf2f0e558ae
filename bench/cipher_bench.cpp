// Measures the cipher: the in-memory transform, whole runs against a plain copy, and peak memory.
// Also runs one encryption or decryption of given files, for checking a figure or a file by hand.
//
//   cipher_bench [size-MiB [key-MiB [folder]]]     defaults: 1024, 1, /dev/shm
//   cipher_bench encrypt|decrypt <key file> <password> <source> <target>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "BinaryFile.h"
#include "CipherRun.h"
#include "KeyFileReader.h"
#include "Keystream.h"
#include "SilentObserver.h"

#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
constexpr std::uint64_t kMiB = 1 << 20;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

long PeakRssKiB() {
#ifndef _WIN32
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
#else
    return -1;
#endif
}

const char* OutcomeName(korvel::RunOutcome outcome) {
    switch (outcome) {
        case korvel::RunOutcome::Completed:
            return "completed";
        case korvel::RunOutcome::Cancelled:
            return "cancelled";
        case korvel::RunOutcome::Refused:
            return "refused";
        case korvel::RunOutcome::Failed:
            return "failed";
        case korvel::RunOutcome::Abandoned:
            return "abandoned";
    }
    return "?";
}

void WriteRandomFile(const fs::path& path, std::uint64_t size, std::uint32_t seed) {
    korvel::BinaryFile file = korvel::BinaryFile::CreateNew(path);
    std::mt19937 generator(seed);
    std::vector<std::uint8_t> block(kMiB);
    for (std::uint64_t written = 0; written < size;) {
        for (auto& byte : block) byte = static_cast<std::uint8_t>(generator());
        const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(kMiB, size - written));
        file.Write(block.data(), count);
        written += count;
    }
    file.Close();
}

double TimedRun(korvel::Direction direction, const fs::path& key, const fs::path& source,
                const fs::path& target, korvel::RunOutcome& outcome) {
    korvel::bench::SilentObserver observer;
    const auto start = Clock::now();
    outcome =
        korvel::CipherRun({direction, source, target, "Bench pass 42", key}, observer).outcome;
    return SecondsSince(start);
}

double TransformGigabytesPerSecond(const fs::path& keyFile, std::uint64_t totalBytes) {
    korvel::KeyFileReader key(korvel::BinaryFile::OpenForReading(keyFile));
    korvel::Keystream keystream;
    keystream.Start("Bench pass 42", key);
    std::vector<std::uint8_t> buffer(256 * kMiB, 0x5a);  // well beyond the caches
    keystream.Apply(buffer.data(), buffer.size());       // warm up: pages touched once
    const auto start = Clock::now();
    for (std::uint64_t done = 0; done < totalBytes; done += buffer.size()) {
        keystream.Apply(buffer.data(), buffer.size());
    }
    const std::uint64_t rounded = (totalBytes + buffer.size() - 1) / buffer.size() * buffer.size();
    return static_cast<double>(rounded) / SecondsSince(start) / 1e9;
}

int Measure(std::uint64_t sizeMiB, std::uint64_t keyMiB, const fs::path& folder) {
    const fs::path work = folder / ("korvel-bench-" + std::to_string(std::random_device{}()));
    fs::create_directories(work);
    const fs::path key = work / "uae", plain = work / "plain", cipher = work / "cipher",
                   back = work / "back", copy = work / "copy";
    std::printf("data %llu MiB, key %llu MiB, in %s\n", static_cast<unsigned long long>(sizeMiB),
                static_cast<unsigned long long>(keyMiB), folder.string().c_str());
    WriteRandomFile(key, keyMiB * kMiB, 1);
    WriteRandomFile(plain, sizeMiB * kMiB, 2);

    const auto copyStart = Clock::now();
    fs::copy_file(plain, copy);
    const double copySeconds = SecondsSince(copyStart);
    fs::remove(copy);

    korvel::RunOutcome encrypted{}, decrypted{};
    const double encryptSeconds =
        TimedRun(korvel::Direction::Encrypt, key, plain, cipher, encrypted);
    fs::remove(plain);
    const double decryptSeconds =
        TimedRun(korvel::Direction::Decrypt, key, cipher, back, decrypted);
    const long runRssKiB = PeakRssKiB();
    fs::remove(cipher);
    fs::remove(back);

    std::printf("copy        %8.3f s\n", copySeconds);
    std::printf("encryption  %8.3f s  %.2f x copy  (%s)\n", encryptSeconds,
                encryptSeconds / copySeconds, OutcomeName(encrypted));
    std::printf("decryption  %8.3f s  %.2f x copy  (%s)\n", decryptSeconds,
                decryptSeconds / copySeconds, OutcomeName(decrypted));
    std::printf("peak RSS of the runs  %.1f MiB\n", static_cast<double>(runRssKiB) / 1024.0);

    std::printf("transform   %8.2f GB/s (in memory)\n",
                TransformGigabytesPerSecond(key, sizeMiB * kMiB));
    fs::remove_all(work);
    return encrypted == korvel::RunOutcome::Completed && decrypted == korvel::RunOutcome::Completed
               ? 0
               : 1;
}

int RunOnce(const std::string& direction, char** args) {
    const auto dir =
        direction == "encrypt" ? korvel::Direction::Encrypt : korvel::Direction::Decrypt;
    korvel::bench::SilentObserver observer;
    const auto start = Clock::now();
    const korvel::RunResult result = korvel::CipherRun(
        {dir, fs::u8path(args[3]), fs::u8path(args[4]), args[2], fs::u8path(args[1])}, observer);
    std::printf("%s in %.3f s%s%s\n", OutcomeName(result.outcome), SecondsSince(start),
                observer.lastNotice.empty() ? "" : ": ", observer.lastNotice.c_str());
    return result.outcome == korvel::RunOutcome::Completed ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 &&
        (std::strcmp(argv[1], "encrypt") == 0 || std::strcmp(argv[1], "decrypt") == 0)) {
        if (argc != 6) {
            std::fprintf(stderr,
                         "usage: %s encrypt|decrypt <key file> <password> <source> <target>\n",
                         argv[0]);
            return 2;
        }
        return RunOnce(argv[1], argv + 1);
    }
    const std::uint64_t sizeMiB = argc > 1 ? std::stoull(argv[1]) : 1024;
    const std::uint64_t keyMiB = argc > 2 ? std::stoull(argv[2]) : 1;
    const fs::path folder = argc > 3 ? fs::path(argv[3]) : fs::path("/dev/shm");
    return Measure(sizeMiB, keyMiB, folder);
}
