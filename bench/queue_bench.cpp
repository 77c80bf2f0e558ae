// Runs a set of files and folders through the queue, as the set's window and korvel-cli do, without
// either: for timing whole processes against `cp -r` and `dd` (bench/many_files.py).
//
//   queue_bench [--count-fds] [--age] encrypt|decrypt <key file> <password> <target folder>
//               <source>...
//
// --age encrypts in the age format, appending ".age" to every target; decrypting, it drops a final
// ".age" from the targets' names (each file is read in its own format either way). The set derives
// its age keys once, from the password and key file, as a window's set does.
// Prints how many files were done, skipped and failed, the elapsed time and the peak memory. With
// --count-fds also the most descriptors the process held open at once, counted in /proc/self/fd
// whenever a file starts or ends, which costs time of its own: not for timing.
// Exits non-zero when a file was not done.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "queue/FileQueue.h"
#include "queue/SourceGathering.h"

namespace {

namespace fs = std::filesystem;

// The peak of this program's own memory (VmHWM). getrusage's figure would also count the memory
// of the process that started it, which the program inherits until it is started itself.
long PeakRssKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

std::size_t OpenDescriptors() {
    std::error_code error;
    std::size_t count = 0;
    for (fs::directory_iterator it("/proc/self/fd", error), end; !error && it != end;
         it.increment(error)) {
        ++count;
    }
    return count > 0 ? count - 1 : 0;  // the listing's own
}

class BenchObserver : public korvel::QueueObserver {
public:
    explicit BenchObserver(bool countDescriptors) : countDescriptors_(countDescriptors) {}

    void EntryChanged(std::size_t, const korvel::QueueEntry& entry) override {
        if (entry.state == korvel::EntryState::Failed) {
            std::fprintf(stderr, "failed: %s: %s\n", entry.source.c_str(), entry.reason.c_str());
        }
        if (countDescriptors_) mostDescriptors = std::max(mostDescriptors, OpenDescriptors());
    }
    void BytesDone(std::uint64_t, std::uint64_t) override {}
    korvel::DoubtDecision AskAboutDoubtfulResult(const korvel::QueueEntry&) override {
        return korvel::DoubtDecision::DecryptAll;
    }

    std::size_t mostDescriptors = 0;

private:
    bool countDescriptors_;
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const bool countDescriptors = !args.empty() && args.front() == "--count-fds";
    if (countDescriptors) args.erase(args.begin());
    const bool age = !args.empty() && args.front() == "--age";
    if (age) args.erase(args.begin());
    if (args.size() < 5 || (args[0] != "encrypt" && args[0] != "decrypt")) {
        std::fprintf(stderr,
                     "usage: %s [--count-fds] [--age] encrypt|decrypt <key file> <password> "
                     "<target folder> <source>...\n",
                     argv[0]);
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const std::vector<fs::path> sources(args.begin() + 4, args.end());
    korvel::QueueSettings settings;
    settings.direction =
        args[0] == "encrypt" ? korvel::Direction::Encrypt : korvel::Direction::Decrypt;
    settings.keyFile = args[1];
    settings.password = args[2];
    settings.format = age ? korvel::CipherFormat::Age : korvel::CipherFormat::Seed;
    const korvel::AgeSuffix suffix =
        !age ? korvel::AgeSuffix::None
             : (args[0] == "encrypt" ? korvel::AgeSuffix::Append : korvel::AgeSuffix::Drop);
    korvel::FileQueue queue(korvel::SourceGathering::Gather(sources, args[3], suffix), settings);
    BenchObserver observer(countDescriptors);
    const korvel::QueueSummary summary = queue.Run(observer);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%zu done, %zu skipped, %zu failed in %.3f s, peak RSS %.1f MiB", summary.done,
                summary.skipped, summary.failed, seconds,
                static_cast<double>(PeakRssKiB()) / 1024.0);
    if (countDescriptors) std::printf(", at most %zu files open", observer.mostDescriptors);
    std::printf("\n");
    return summary.skipped == 0 && summary.failed == 0 ? 0 : 1;
}
