// Measures the cipher: whole runs against two copies of the same file, peak memory, and the
// in-memory transform. Also runs one encryption or decryption of given files, for checking a
// figure or a file by hand.
//
//   cipher_bench [size-MiB,... [key-MiB [folder [rounds]]]]   defaults: 64,256,1024 1 /dev/shm 7
//   cipher_bench encrypt|decrypt <key file> <password> <source> <target>
//   cipher_bench encrypt-age|decrypt <age identity file> <password> <source> <target>
//   cipher_bench identity <file>
//
// encrypt-age writes the age format for the identity file's recipient, and decrypt reads an age
// file with its identities, so that a run's figure holds no scrypt (age_bench times that); identity
// writes a fresh identity file and prints its recipient.
//
// The two copies are the anchors a run is judged by: std::filesystem::copy_file, which the system
// may do without the data ever reaching the program, and a block copy that reads and writes
// through a buffer of a run's block size, as a run does, only without the transform, of the
// plaintext for the encryption and of the ciphertext for the decryption. Each round times all five
// in a different order; the figures are the medians over the rounds.

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "SilentObserver.h"
#include "cipher/KeyFileReader.h"
#include "cipher/Keystream.h"
#include "cipher/age/X25519Identity.h"
#include "files/BinaryFile.h"
#include "run/AgeKeys.h"
#include "run/BlockBuffer.h"
#include "run/CipherRun.h"

#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
constexpr std::uint64_t kMiB = 1 << 20;
constexpr const char* kPassword = "Bench pass 42";

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The processor time of the whole process, the kernel's share included. It barely moves when
// other programs compete for the processors, which the elapsed time does.
double CpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
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
        case korvel::RunOutcome::NotOpened:
            return "not opened";
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

bool SameContents(const fs::path& first, const fs::path& second) {
    korvel::BinaryFile a = korvel::BinaryFile::OpenForReading(first);
    korvel::BinaryFile b = korvel::BinaryFile::OpenForReading(second);
    korvel::BlockBuffer blockA(kMiB), blockB(kMiB);
    for (;;) {
        const std::size_t gotA = a.Read(blockA.Data(), blockA.Size());
        const std::size_t gotB = b.Read(blockB.Data(), blockB.Size());
        if (gotA != gotB || std::memcmp(blockA.Data(), blockB.Data(), gotA) != 0) return false;
        if (gotA == 0) return true;
    }
}

// What a run does to its files, without the transform: read each block into the buffer, write it
// to a new file, and push that file to the disk at the end.
void BlockCopy(const fs::path& source, const fs::path& target) {
    korvel::BinaryFile in = korvel::BinaryFile::OpenForReading(source);
    korvel::BinaryFile out = korvel::BinaryFile::CreateNew(target);
    korvel::BlockBuffer block(korvel::BlockBuffer::kRunBlockSize);
    while (const std::size_t count = in.Read(block.Data(), block.Size())) {
        out.Write(block.Data(), count);
    }
    out.FlushToDisk();
    out.Close();
}

bool Run(korvel::Direction direction, const fs::path& key, const fs::path& source,
         const fs::path& target) {
    korvel::bench::SilentObserver observer;
    const korvel::RunOutcome outcome =
        korvel::CipherRun({direction, source, target, kPassword, key}, observer).outcome;
    if (outcome != korvel::RunOutcome::Completed) {
        std::printf("  run %s: %s\n", OutcomeName(outcome), observer.lastNotice.c_str());
    }
    return outcome == korvel::RunOutcome::Completed;
}

struct Contender {
    const char* name;
    std::size_t anchor;  // the block copy of the same source
    std::function<bool(const fs::path& target)> run;
    std::vector<double> seconds;
    std::vector<double> cpuSeconds;
};

// Rounds shift the order by one and reverse every other, so no contender always follows the same
// one and each meets the page cache and the allocator in every state.
std::vector<std::size_t> OrderOfRound(int round, std::size_t count) {
    std::vector<std::size_t> order(count);
    for (std::size_t i = 0; i < count; ++i) order[i] = (i + round) % count;
    if (round % 2) std::reverse(order.begin(), order.end());
    return order;
}

// The transform alone over totalBytes, applied to a buffer of bufferSize bytes again and again: a
// run's block stays in the cache, a buffer of 256 MiB measures the memory instead.
double TransformGigabytesPerSecond(const fs::path& keyFile, std::uint64_t totalBytes,
                                   std::size_t bufferSize) {
    korvel::KeyFileReader key(korvel::BinaryFile::OpenForReading(keyFile));
    korvel::Keystream keystream;
    keystream.Start(kPassword, key);
    korvel::BlockBuffer buffer(bufferSize);
    std::memset(buffer.Data(), 0x5a, buffer.Size());
    keystream.Apply(buffer.Data(), buffer.Size());  // warm up: pages touched once
    const std::uint64_t rounds = std::max<std::uint64_t>(totalBytes / buffer.Size(), 1);
    const auto start = Clock::now();
    for (std::uint64_t round = 0; round < rounds; ++round) {
        keystream.Apply(buffer.Data(), buffer.Size());
    }
    return static_cast<double>(rounds * buffer.Size()) / SecondsSince(start) / 1e9;
}

bool MeasureSize(std::uint64_t sizeMiB, const fs::path& key, const fs::path& work, int rounds) {
    const fs::path plain = work / "plain", cipher = work / "cipher", out = work / "out";
    WriteRandomFile(plain, sizeMiB * kMiB, 2);
    bool ok = Run(korvel::Direction::Encrypt, key, plain, cipher) &&
              Run(korvel::Direction::Decrypt, key, cipher, out) && SameContents(plain, out);
    if (!ok) std::printf("  the decrypted file differs from the original\n");
    fs::remove(out);

    // Each run is judged against a block copy of its own source: a file's pages can lie in memory
    // so that reading one file costs a tenth more than reading another of the same size.
    std::array<Contender, 5> contenders{{
        {"copy_file", 1, [&](const fs::path& t) { return fs::copy_file(plain, t); }, {}, {}},
        {"block copy", 1, [&](const fs::path& t) { return BlockCopy(plain, t), true; }, {}, {}},
        {"copy cipher", 2, [&](const fs::path& t) { return BlockCopy(cipher, t), true; }, {}, {}},
        {"encryption",
         1,
         [&](const fs::path& t) { return Run(korvel::Direction::Encrypt, key, plain, t); },
         {},
         {}},
        {"decryption",
         2,
         [&](const fs::path& t) { return Run(korvel::Direction::Decrypt, key, cipher, t); },
         {},
         {}},
    }};
    // Round 0 warms up the page cache and the allocator and is not counted.
    for (int round = 0; round <= rounds; ++round) {
        for (const std::size_t index : OrderOfRound(round, contenders.size())) {
            Contender& contender = contenders[index];
            const double cpuStart = CpuSeconds();
            const auto start = Clock::now();
            ok = contender.run(out) && ok;
            const double seconds = SecondsSince(start);
            const double cpuSeconds = CpuSeconds() - cpuStart;
            fs::remove(out);
            if (round > 0) {
                contender.seconds.push_back(seconds);
                contender.cpuSeconds.push_back(cpuSeconds);
            }
        }
    }
    fs::remove(plain);
    fs::remove(cipher);

    const double kernelCopy = Median(contenders[0].seconds);
    std::printf(
        "%5llu MiB    elapsed, median of %d  x block copy  x copy_file   processor  x block copy\n",
        static_cast<unsigned long long>(sizeMiB), rounds);
    for (const Contender& contender : contenders) {
        const Contender& anchor = contenders[contender.anchor];
        const double median = Median(contender.seconds);
        const double cpu = Median(contender.cpuSeconds);
        const auto [fastest, slowest] =
            std::minmax_element(contender.seconds.begin(), contender.seconds.end());
        std::printf("  %-11s %7.3f s (%.3f-%.3f)  %5.2f        %5.2f     %7.3f s   %5.2f\n",
                    contender.name, median, *fastest, *slowest, median / Median(anchor.seconds),
                    median / kernelCopy, cpu, cpu / Median(anchor.cpuSeconds));
    }
    return ok;
}

int Measure(const std::vector<std::uint64_t>& sizesMiB, std::uint64_t keyMiB,
            const fs::path& folder, int rounds) {
    const fs::path work = folder / ("korvel-bench-" + std::to_string(std::random_device{}()));
    fs::create_directories(work);
    const fs::path key = work / "uae";
    std::printf("key %llu MiB, in %s, block %zu KiB\n", static_cast<unsigned long long>(keyMiB),
                folder.string().c_str(), korvel::BlockBuffer::kRunBlockSize / 1024);
    WriteRandomFile(key, keyMiB * kMiB, 1);

    bool ok = true;
    std::uint64_t largest = 0;
    for (const std::uint64_t sizeMiB : sizesMiB) {
        ok = MeasureSize(sizeMiB, key, work, rounds) && ok;
        largest = std::max(largest, sizeMiB);
    }
    std::printf("peak RSS of the runs  %.1f MiB\n", static_cast<double>(PeakRssKiB()) / 1024.0);
    const std::uint64_t transformBytes = std::max<std::uint64_t>(largest, 256) * kMiB;
    std::printf(
        "transform   %.2f GB/s in a run's block (in the cache), %.2f GB/s in memory\n",
        TransformGigabytesPerSecond(key, transformBytes, korvel::BlockBuffer::kRunBlockSize),
        TransformGigabytesPerSecond(key, transformBytes, 256 * kMiB));
    fs::remove_all(work);
    return ok ? 0 : 1;
}

std::vector<std::uint64_t> ParseSizes(const std::string& text) {
    std::vector<std::uint64_t> sizes;
    std::istringstream stream(text);
    for (std::string item; std::getline(stream, item, ',');) sizes.push_back(std::stoull(item));
    return sizes;
}

// The identities of an age identity file, where the key file argument is one.
std::shared_ptr<korvel::AgeKeys> IdentityFileKeys(const fs::path& file) {
    std::ifstream stream(file);
    const std::string text((std::istreambuf_iterator<char>(stream)),
                           std::istreambuf_iterator<char>());
    if (text.find("AGE-SECRET-KEY-1") == std::string::npos) return nullptr;
    return std::make_shared<korvel::AgeKeys>(korvel::age::X25519Identity::FromIdentityFile(text));
}

int WriteIdentity(const fs::path& file) {
    const korvel::age::X25519Identity identity = korvel::age::X25519Identity::Generate();
    std::ofstream(file) << identity.IdentityFileText();
    std::printf("%s\n", identity.Recipient().Text().c_str());
    return 0;
}

int RunOnce(const std::string& direction, char** args) {
    const auto dir =
        direction == "decrypt" ? korvel::Direction::Decrypt : korvel::Direction::Encrypt;
    korvel::bench::SilentObserver observer;
    const auto start = Clock::now();
    korvel::RunRequest request{dir, fs::u8path(args[3]), fs::u8path(args[4]), args[2],
                               fs::u8path(args[1])};
    request.ageKeys = IdentityFileKeys(request.keyFile);
    if (direction == "encrypt-age") request.format = korvel::CipherFormat::Age;
    const korvel::RunResult result = korvel::CipherRun(request, observer);
    std::printf("%s in %.3f s%s%s\n", OutcomeName(result.outcome), SecondsSince(start),
                observer.lastNotice.empty() ? "" : ": ", observer.lastNotice.c_str());
    return result.outcome == korvel::RunOutcome::Completed ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "identity") == 0) return WriteIdentity(argv[2]);
    if (argc >= 2 &&
        (std::strcmp(argv[1], "encrypt") == 0 || std::strcmp(argv[1], "encrypt-age") == 0 ||
         std::strcmp(argv[1], "decrypt") == 0)) {
        if (argc != 6) {
            std::fprintf(stderr,
                         "usage: %s encrypt|encrypt-age|decrypt <key file or age identity file> "
                         "<password> <source> <target>\n",
                         argv[0]);
            return 2;
        }
        return RunOnce(argv[1], argv + 1);
    }
    const std::vector<std::uint64_t> sizesMiB = ParseSizes(argc > 1 ? argv[1] : "64,256,1024");
    const std::uint64_t keyMiB = argc > 2 ? std::stoull(argv[2]) : 1;
    const fs::path folder = argc > 3 ? fs::path(argv[3]) : fs::path("/dev/shm");
    const int rounds = argc > 4 ? std::stoi(argv[4]) : 7;
    return Measure(sizesMiB, keyMiB, folder, rounds);
}
