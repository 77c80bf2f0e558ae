// Measures the head judge over a corpus of real files: each file's head is encrypted under a random
// password and key file, decrypted with the right ones and with each kind of mistake, and judged
// under the file's own name. Prints, per mistake and kind of file, how many heads were found
// implausible, plausible and undecided, the time per judgement, the goal lines, and every file
// whose right decryption was found implausible.
//
//   head_check_bench <folder> [--seed N] [--show CASE]
//   head_check_bench <folder> --code-slips RUNS [--seed N]
//   head_check_bench --random-names N [--seed N]
//
// --show lists the judgement of every file for one case (right, key, first-two, slip, case,
// transposition, one-more) for looking into misses. Made by bench/make_corpus.sh, the corpus is
// read recursively, regular files only, in name order; the same seed gives the same passwords.
//
// --code-slips measures the smallest slip instead: each file's head is judged as it is under every
// password length (the right password), then, RUNS times, encrypted under a random password and
// a random 1 MiB key file and decrypted with each later character one code off (up and down).
//
// --random-names draws N files of random bytes instead, 4 KiB and 64 KiB in turn, each under a
// name that says it has no header (.bin, .dat, ...), and judges them as decrypted with the right
// password of a random length: none may be doubted. Prints the verdicts per name and every doubt.

#include <QByteArray>
#include <QFile>
#include <QMimeDatabase>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "cipher/Keystream.h"
#include "cipher/KeystreamKernel.h"
#include "headcheck/HeadJudge.h"
#include "headcheck/text/ByteStatistics.h"

namespace {

namespace fs = std::filesystem;
using korvel::HeadJudge;
using korvel::HeadJudgement;
using korvel::HeadVerdict;
using Clock = std::chrono::steady_clock;

// Larger than the last start position (126126) plus a head, so no start wraps.
constexpr std::size_t kKeySize = 200000;
constexpr std::size_t kSlipKeySize = std::size_t{1024} * 1024;
constexpr int kShortestPassword = 5;
constexpr int kLongestPassword = 20;
constexpr qsizetype kGoalOneSize = 100;
constexpr qsizetype kGoalTwoSize = 1024;

enum Case { kRight, kOtherKey, kFirstTwo, kSlip, kSwappedCase, kTransposed, kOneMore, kCaseCount };
constexpr std::array<const char*, kCaseCount> kCaseNames = {
    "right", "key", "first-two", "slip", "case", "transposition", "one-more"};
constexpr std::array<const char*, kCaseCount> kCaseTitles = {
    "right password",        "another key file", "other first two characters",
    "slip at a later place", "swapped case",     "two characters transposed",
    "one character too many"};

struct Outcome {
    HeadJudgement judgement;
    double seconds = 0;
};

struct FileResult {
    std::string path;
    qsizetype size = 0;  // of the file
    bool randomData = false;
    std::string group;
    std::string type;
    std::array<std::optional<Outcome>, kCaseCount> outcomes;
};

struct Tally {
    int implausible = 0;
    int plausible = 0;
    int cannotTell = 0;

    int Total() const { return implausible + plausible + cannotTell; }
    void Add(HeadVerdict verdict) {
        (verdict == HeadVerdict::Implausible ? implausible
         : verdict == HeadVerdict::Plausible ? plausible
                                             : cannotTell)++;
    }
};

double Percent(int part, int whole) { return whole == 0 ? 0.0 : 100.0 * part / whole; }

std::uint64_t Fnv1a(const std::string& text) {
    std::uint64_t hash = 1469598103934665603ull;
    for (const char c : text) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    return hash;
}

class Rng {
public:
    explicit Rng(std::uint64_t seed) : engine_(seed) {}
    int Between(int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(engine_);
    }
    char Printable() { return static_cast<char>(Between(32, 126)); }
    char PrintableOtherThan(char c) {
        char other;
        do {
            other = Printable();
        } while (other == c);
        return other;
    }

private:
    std::mt19937_64 engine_;
};

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// A password with a letter and two neighbouring different characters from position 2 on, so
// that every mistake can be made in it.
std::string RandomPassword(Rng& rng) {
    for (;;) {
        std::string password(
            static_cast<std::size_t>(rng.Between(kShortestPassword, kLongestPassword)), ' ');
        for (char& c : password) {
            c = rng.Printable();
        }
        bool letter = false;
        bool differentPair = false;
        for (std::size_t i = 2; i < password.size(); ++i) {
            letter |= IsLetter(password[i]);
            differentPair |= i + 1 < password.size() && password[i] != password[i + 1];
        }
        if (letter && differentPair) {
            return password;
        }
    }
}

std::string Mistaken(const std::string& password, Case mistake, Rng& rng) {
    std::string wrong = password;
    const int length = static_cast<int>(password.size());
    switch (mistake) {
        case kFirstTwo:
            while (wrong.substr(0, 2) == password.substr(0, 2)) {
                wrong[0] = rng.Printable();
                wrong[1] = rng.Printable();
            }
            break;
        case kSlip: {
            const int at = rng.Between(2, length - 1);
            wrong[at] = rng.PrintableOtherThan(password[at]);
            break;
        }
        case kSwappedCase: {
            int at;
            do {
                at = rng.Between(2, length - 1);
            } while (!IsLetter(password[at]));
            wrong[at] = static_cast<char>(password[at] ^ 0x20);
            break;
        }
        case kTransposed: {
            int at;
            do {
                at = rng.Between(2, length - 2);
            } while (password[at] == password[at + 1]);
            std::swap(wrong[at], wrong[at + 1]);
            break;
        }
        case kOneMore:
            wrong.push_back(rng.Printable());
            break;
        default:
            break;
    }
    return wrong;
}

// XORs the keystream of password and key into data, as the cipher does from the data's start.
void ApplyKeystream(QByteArray& data, const std::string& password,
                    const std::vector<std::uint8_t>& key) {
    const std::uint64_t start = korvel::Keystream::StartPosition(password) - 1;
    for (qsizetype n = 0; n < data.size(); ++n) {
        const auto code =
            static_cast<std::uint8_t>(password[static_cast<std::size_t>(n) % password.size()]);
        const std::uint8_t keyByte = key[(start + static_cast<std::uint64_t>(n)) % key.size()];
        data[n] = static_cast<char>(static_cast<std::uint8_t>(data[n]) ^
                                    korvel::KeystreamByte(code, keyByte));
    }
}

std::vector<std::uint8_t> RandomKey(Rng& rng, std::size_t size = kKeySize) {
    std::vector<std::uint8_t> key(size);
    for (auto& byte : key) {
        byte = static_cast<std::uint8_t>(rng.Between(0, 255));
    }
    return key;
}

// The kinds of file the table is broken down by, from the type the right decryption was taken for.
std::string GroupOf(const QString& typeName) {
    const QMimeDatabase database;
    const QMimeType type = database.mimeTypeForName(typeName);
    const auto is = [&](const char* name) { return type.inherits(name); };
    const auto nameHas = [&](const char* part) { return typeName.contains(part); };
    if (is("text/plain")) {
        if (is("image/svg+xml") || is("text/html") || is("application/xml") || nameHas("xml") ||
            nameHas("json")) {
            return "markup";
        }
        if (is("text/x-csrc") || is("application/x-executable") || is("text/css") ||
            is("text/javascript") || is("application/javascript") || nameHas("cmake") ||
            nameHas("makefile") || nameHas("x-java") || nameHas("python") || nameHas("perl")) {
            return "source";
        }
        return "text";
    }
    if (is("application/json")) return "markup";
    if (is("application/vnd.debian.binary-package")) return "archive/compressed";
    if (is("application/x-sharedlib") || is("application/x-executable") ||
        is("application/x-object") || is("application/x-pie-executable") ||
        is("application/x-archive") || is("application/x-core")) {
        return "executable/library";
    }
    if (is("application/vnd.sqlite3")) return "database";
    if (typeName.startsWith("image/")) return "image";
    if (typeName.startsWith("font/") || nameHas("font")) return "font";
    if (typeName.startsWith("audio/") || typeName.startsWith("video/")) return "sound/video";
    if (is("application/gzip") || is("application/zip") || is("application/x-xz") ||
        is("application/x-bzip") || is("application/x-bzip2") || is("application/x-tar") ||
        is("application/x-java-archive")) {
        return "archive/compressed";
    }
    if (is("application/pdf") || is("application/postscript")) return "document";
    return "other binary";
}

// Text, sources, markup, executables, libraries and databases: the kinds whose garbled classes
// the judge is held to find.
bool IsTextOrStructured(const std::string& group) {
    return group == "text" || group == "source" || group == "markup" ||
           group == "executable/library" || group == "database";
}

std::vector<fs::path> CorpusFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    for (auto it = fs::recursive_directory_iterator(folder);
         it != fs::recursive_directory_iterator(); ++it) {
        if (it->is_symlink()) {
            continue;
        }
        if (it->is_regular_file()) {
            files.push_back(it->path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The shortest of a few runs, so that a moment when the machine serves others does not count.
Outcome TimedJudgement(const HeadJudge& judge, const QByteArray& head, bool whole,
                       const QString& name, int length) {
    constexpr int kRuns = 3;
    Outcome outcome;
    outcome.seconds = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = Clock::now();
        outcome.judgement = judge.Judge(head, whole, name, length);
        outcome.seconds =
            std::min(outcome.seconds, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return outcome;
}

// Random data: a head with no type of its own whose bytes look random.
bool IsRandomData(const QByteArray& head) {
    const korvel::ByteStatistics statistics(head);
    return QMimeDatabase().mimeTypeForData(head).isDefault() && statistics.RepeatShare() < 0.002 &&
           statistics.UniformityZ() < 8;
}

FileResult JudgeFile(const HeadJudge& judge, const fs::path& path, const fs::path& root,
                     std::uint64_t seed, const std::array<std::vector<std::uint8_t>, 2>& keys) {
    FileResult result;
    result.path = fs::relative(path, root).string();
    QFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::ReadOnly)) {
        return result;
    }
    result.size = file.size();
    const QByteArray plain = file.read(HeadJudge::kHeadSize);
    const bool whole = plain.size() == result.size;
    const QString name = QString::fromStdString(path.filename().string());
    result.randomData = IsRandomData(plain);

    Rng rng(seed ^ Fnv1a(result.path));
    const std::string password = RandomPassword(rng);
    QByteArray cipher = plain;
    ApplyKeystream(cipher, password, keys[0]);
    for (int c = 0; c < kCaseCount; ++c) {
        const Case mistake = static_cast<Case>(c);
        if (mistake == kOneMore && password.size() >= std::size_t(kLongestPassword)) {
            continue;
        }
        const std::string tried = Mistaken(password, mistake, rng);
        QByteArray decrypted = cipher;
        ApplyKeystream(decrypted, tried, keys[mistake == kOtherKey ? 1 : 0]);
        result.outcomes[c] =
            TimedJudgement(judge, decrypted, whole, name, static_cast<int>(tried.size()));
    }
    result.type = result.outcomes[kRight]->judgement.type.toStdString();
    result.group =
        result.randomData ? "random data" : GroupOf(result.outcomes[kRight]->judgement.type);
    return result;
}

const char* VerdictName(HeadVerdict verdict) {
    return verdict == HeadVerdict::Implausible ? "IMPLAUSIBLE"
           : verdict == HeadVerdict::Plausible ? "plausible"
                                               : "cannot-tell";
}

void PrintTallyRow(const std::string& label, const Tally& tally) {
    std::printf("| %-34s | %5d | %6.1f | %6.1f | %6.1f |\n", label.c_str(), tally.Total(),
                Percent(tally.implausible, tally.Total()), Percent(tally.plausible, tally.Total()),
                Percent(tally.cannotTell, tally.Total()));
}

// One line a case: all files, and text and structured files of 1 KiB or more.
void PrintSummary(const std::vector<FileResult>& results) {
    std::printf(
        "\n## Summary (%% of files: implausible / plausible / cannot tell)\n\n"
        "| %-28s | %5s | %6s | %6s | %6s | %5s | %6s | %6s | %6s |\n"
        "|%s|------:|-------:|-------:|-------:|------:|-------:|-------:|-------:|\n",
        "case", "all", "impl.", "plaus.", "cannot", ">=1K", "impl.", "plaus.", "cannot",
        std::string(30, '-').c_str());
    for (int c = 0; c < kCaseCount; ++c) {
        Tally all;
        Tally structured;
        for (const FileResult& result : results) {
            if (result.outcomes[c]) {
                all.Add(result.outcomes[c]->judgement.verdict);
                if (IsTextOrStructured(result.group) && result.size >= kGoalTwoSize) {
                    structured.Add(result.outcomes[c]->judgement.verdict);
                }
            }
        }
        std::printf("| %-28s | %5d | %6.1f | %6.1f | %6.1f | %5d | %6.1f | %6.1f | %6.1f |\n",
                    kCaseTitles[c], all.Total(), Percent(all.implausible, all.Total()),
                    Percent(all.plausible, all.Total()), Percent(all.cannotTell, all.Total()),
                    structured.Total(), Percent(structured.implausible, structured.Total()),
                    Percent(structured.plausible, structured.Total()),
                    Percent(structured.cannotTell, structured.Total()));
    }
}

void PrintTables(const std::vector<FileResult>& results) {
    std::map<std::string, int> groupSizes;
    for (const FileResult& result : results) {
        ++groupSizes[result.group];
    }
    std::printf(
        "\n## Per case and kind of file (implausible / plausible / cannot tell, %% of files)\n");
    for (int c = 0; c < kCaseCount; ++c) {
        std::printf(
            "\n### %s\n\n| %-34s | %5s | %6s | %6s | %6s "
            "|\n|%s|------:|-------:|-------:|-------:|\n",
            kCaseTitles[c], "kind of file", "files", "impl.", "plaus.", "cannot",
            std::string(36, '-').c_str());
        std::map<std::string, Tally> byGroup;
        Tally all;
        for (const FileResult& result : results) {
            if (result.outcomes[c]) {
                byGroup[result.group].Add(result.outcomes[c]->judgement.verdict);
                all.Add(result.outcomes[c]->judgement.verdict);
            }
        }
        for (const auto& [group, tally] : byGroup) {
            PrintTallyRow(group, tally);
        }
        PrintTallyRow("all", all);
    }
}

void PrintTypeTable(const std::vector<FileResult>& results) {
    std::map<std::string, std::array<Tally, kCaseCount>> byType;
    for (const FileResult& result : results) {
        for (int c = 0; c < kCaseCount; ++c) {
            if (result.outcomes[c]) {
                byType[result.type][c].Add(result.outcomes[c]->judgement.verdict);
            }
        }
    }
    std::printf("\n## Per MIME type: %% implausible per case (files)\n\n| %-40s | files |", "type");
    for (const char* name : kCaseNames) {
        std::printf(" %9s |", name);
    }
    std::printf("\n|%s|------:|", std::string(42, '-').c_str());
    for (int c = 0; c < kCaseCount; ++c) {
        std::printf("----------:|");
    }
    std::printf("\n");
    for (const auto& [type, tallies] : byType) {
        std::printf("| %-40s | %5d |", type.c_str(), tallies[kRight].Total());
        for (const Tally& tally : tallies) {
            std::printf(" %9.1f |", Percent(tally.implausible, tally.Total()));
        }
        std::printf("\n");
    }
}

// The share of the files that fit the filter on which the cases were caught.
Tally CaughtWhere(const std::vector<FileResult>& results, std::initializer_list<Case> cases,
                  const std::function<bool(const FileResult&)>& filter) {
    Tally tally;
    for (const FileResult& result : results) {
        if (!filter(result)) {
            continue;
        }
        for (const Case c : cases) {
            if (result.outcomes[c]) {
                tally.Add(result.outcomes[c]->judgement.verdict);
            }
        }
    }
    return tally;
}

void PrintGoal(const char* goal, const Tally& tally, double target, bool atMost = false) {
    const double share = Percent(tally.implausible, tally.Total());
    const bool met = atMost ? share <= target : share >= target;
    std::printf("%-78s %6.2f %% of %5d (goal %s %.1f %%) %s\n", goal, share, tally.Total(),
                atMost ? "<=" : ">=", target, met ? "met" : "NOT MET");
}

void PrintGoals(const std::vector<FileResult>& results) {
    std::printf("\n## Goals\n\n");
    const auto notRandom = [](const FileResult& r) {
        return !r.randomData && r.size >= kGoalOneSize;
    };
    const auto structured = [](const FileResult& r) {
        return IsTextOrStructured(r.group) && r.size >= kGoalTwoSize;
    };
    const auto small = [](const FileResult& r) { return !r.randomData && r.size < kGoalTwoSize; };
    const auto any = [](const FileResult&) { return true; };
    PrintGoal("another key file, >= 100 B, not random data: caught",
              CaughtWhere(results, {kOtherKey}, notRandom), 99.5);
    PrintGoal("other first two characters, >= 100 B, not random data: caught",
              CaughtWhere(results, {kFirstTwo}, notRandom), 99.5);
    for (const Case c : {kSlip, kSwappedCase, kTransposed}) {
        const std::string label =
            std::string(kCaseTitles[c]) + ", text and structured >= 1 KiB: caught";
        PrintGoal(label.c_str(), CaughtWhere(results, {c}, structured), 95);
    }
    PrintGoal("slip, case, transposition together, text and structured >= 1 KiB: caught",
              CaughtWhere(results, {kSlip, kSwappedCase, kTransposed}, structured), 95);
    std::printf("%-78s %6.2f %% of %5d (reported)\n",
                "slip, case, transposition, files under 1 KiB: caught",
                Percent(CaughtWhere(results, {kSlip, kSwappedCase, kTransposed}, small).implausible,
                        CaughtWhere(results, {kSlip, kSwappedCase, kTransposed}, small).Total()),
                CaughtWhere(results, {kSlip, kSwappedCase, kTransposed}, small).Total());
    PrintGoal("one character too many: caught", CaughtWhere(results, {kOneMore}, any), 90);
    PrintGoal("right password: flagged", CaughtWhere(results, {kRight}, any), 0.5, true);
}

void PrintTimes(const std::vector<FileResult>& results, double firstUse) {
    double total = 0;
    double longest = 0;
    int count = 0;
    for (const FileResult& result : results) {
        for (const auto& outcome : result.outcomes) {
            if (outcome) {
                total += outcome->seconds;
                longest = std::max(longest, outcome->seconds);
                ++count;
            }
        }
    }
    std::printf(
        "\nTime per judgement (shortest of 3 runs): mean %.3f ms, max %.3f ms over %d judgements "
        "(goal < 5 ms); first use of the MIME database: %.1f ms\n",
        count ? 1000 * total / count : 0.0, 1000 * longest, count, 1000 * firstUse);
    std::vector<std::tuple<double, std::string, int>> slowest;
    for (const FileResult& result : results) {
        for (int c = 0; c < kCaseCount; ++c) {
            if (result.outcomes[c]) {
                slowest.emplace_back(result.outcomes[c]->seconds, result.path, c);
            }
        }
    }
    std::sort(slowest.rbegin(), slowest.rend());
    std::printf("Slowest:");
    for (std::size_t i = 0; i < std::min<std::size_t>(5, slowest.size()); ++i) {
        const auto& [seconds, path, c] = slowest[i];
        std::printf(" %s (%s) %.2f ms;", path.c_str(), kCaseNames[static_cast<std::size_t>(c)],
                    1000 * seconds);
    }
    std::printf("\n");
}

void PrintFalseAlarms(const std::vector<FileResult>& results) {
    std::printf("\n## Right password judged implausible\n\n");
    int count = 0;
    for (const FileResult& result : results) {
        const HeadJudgement& judgement = result.outcomes[kRight]->judgement;
        if (judgement.verdict == HeadVerdict::Implausible) {
            std::printf("- %s (%s, %lld B): %s\n", result.path.c_str(), result.type.c_str(),
                        static_cast<long long>(result.size), judgement.reason.toUtf8().constData());
            ++count;
        }
    }
    if (count == 0) {
        std::printf("none\n");
    }
}

void PrintCase(const std::vector<FileResult>& results, const std::string& caseName) {
    const auto found = std::find(kCaseNames.begin(), kCaseNames.end(), caseName);
    if (found == kCaseNames.end()) {
        std::fprintf(stderr, "unknown case %s\n", caseName.c_str());
        return;
    }
    const auto c = static_cast<std::size_t>(found - kCaseNames.begin());
    std::printf("\n## Every file, %s\n\n", kCaseTitles[c]);
    for (const FileResult& result : results) {
        if (result.outcomes[c]) {
            const HeadJudgement& judgement = result.outcomes[c]->judgement;
            std::printf("%-11s %-18s %-36s %8lld %s: %s\n", VerdictName(judgement.verdict),
                        result.group.c_str(), result.type.c_str(),
                        static_cast<long long>(result.size), result.path.c_str(),
                        judgement.reason.toUtf8().constData());
        }
    }
}

struct SlipCount {
    int rightFlagged = 0;
    int slips = 0;
    int missed = 0;
};

bool Flagged(const HeadJudge& judge, const QByteArray& head, bool whole, const QString& name,
             std::size_t length) {
    return judge.Judge(head, whole, name, static_cast<int>(length)).verdict ==
           HeadVerdict::Implausible;
}

// The head as it is, under every password length, and each later character one code off in
// random passwords and key files.
SlipCount CountCodeSlips(const HeadJudge& judge, const fs::path& path, const std::string& label,
                         std::uint64_t seed, int runs) {
    SlipCount count;
    QFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::ReadOnly)) {
        return count;
    }
    const QByteArray plain = file.read(HeadJudge::kHeadSize);
    const bool whole = plain.size() == file.size();
    const QString name = QString::fromStdString(path.filename().string());
    for (std::size_t length = kShortestPassword; length <= kLongestPassword; ++length) {
        count.rightFlagged += Flagged(judge, plain, whole, name, length);
    }
    Rng rng(seed ^ Fnv1a(label));
    for (int run = 0; run < runs; ++run) {
        const std::vector<std::uint8_t> key = RandomKey(rng, kSlipKeySize);
        const std::string password = RandomPassword(rng);
        QByteArray cipher = plain;
        ApplyKeystream(cipher, password, key);
        for (std::size_t at = 2; at < password.size(); ++at) {
            for (const int step : {-1, 1}) {
                const int code = password[at] + step;
                if (code < 32 || code > 126) {
                    continue;
                }
                std::string tried = password;
                tried[at] = static_cast<char>(code);
                QByteArray decrypted = cipher;
                ApplyKeystream(decrypted, tried, key);
                ++count.slips;
                count.missed += !Flagged(judge, decrypted, whole, name, tried.size());
            }
        }
    }
    return count;
}

void PrintCodeSlips(const fs::path& root, std::uint64_t seed, int runs) {
    const HeadJudge judge;
    std::printf("# One-code slips over %s (seed %llu, %d runs a file)\n\n", root.string().c_str(),
                static_cast<unsigned long long>(seed), runs);
    std::printf("| %-40s | %6s | right flagged | slips | missed | per 40 |\n", "file", "bytes");
    std::printf("|%s|-------:|--------------:|------:|-------:|-------:|\n",
                std::string(42, '-').c_str());
    SlipCount total;
    for (const fs::path& path : CorpusFiles(root)) {
        const std::string label = fs::relative(path, root).string();
        const SlipCount count = CountCodeSlips(judge, path, label, seed, runs);
        std::printf("| %-40s | %6lld | %6d of %3d | %5d | %6d | %6.2f |\n", label.c_str(),
                    static_cast<long long>(fs::file_size(path)), count.rightFlagged,
                    kLongestPassword - kShortestPassword + 1, count.slips, count.missed,
                    count.slips ? 40.0 * count.missed / count.slips : 0.0);
        total.rightFlagged += count.rightFlagged;
        total.slips += count.slips;
        total.missed += count.missed;
    }
    std::printf("| %-40s | %6s | %13d | %5d | %6d | %6.2f |\n", "all", "", total.rightFlagged,
                total.slips, total.missed, total.slips ? 40.0 * total.missed / total.slips : 0.0);
}

// The names whose files hold no header: random bytes under them cannot be told from a wrong key.
constexpr std::array<const char*, 12> kHeaderlessExtensions = {
    "bin", "dat", "enc", "raw", "key", "rnd", "gpg", "pgp", "p12", "pfx", "br", "brotli"};
constexpr std::array<qsizetype, 2> kRandomSizes = {qsizetype{4} * 1024, qsizetype{64} * 1024};

QByteArray RandomBytes(std::mt19937_64& engine, qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; i += 8) {
        const std::uint64_t word = engine();
        std::memcpy(bytes.data() + i, &word,
                    static_cast<std::size_t>(std::min<qsizetype>(8, size - i)));
    }
    return bytes;
}

struct RandomNameCount {
    std::map<std::string, Tally> byName;  // by name and size
    std::vector<std::string> doubts;
    double seconds = 0;
};

RandomNameCount JudgeRandomNames(std::uint64_t seed, int count) {
    const HeadJudge judge;
    RandomNameCount result;
    std::mt19937_64 engine(seed);
    const auto start = Clock::now();
    for (std::size_t n = 0; n < static_cast<std::size_t>(count); ++n) {
        const std::string extension = kHeaderlessExtensions[n % kHeaderlessExtensions.size()];
        const qsizetype size = kRandomSizes[n / kHeaderlessExtensions.size() % kRandomSizes.size()];
        const int length = kShortestPassword +
                           static_cast<int>(engine() % (kLongestPassword - kShortestPassword + 1));
        const QByteArray head = RandomBytes(engine, size);
        const QString name =
            QString::fromStdString("random-" + std::to_string(n) + "." + extension);
        const HeadJudgement judgement = judge.Judge(head, true, name, length);
        result.byName[extension + " " + std::to_string(size / 1024) + " KiB"].Add(
            judgement.verdict);
        if (judgement.verdict == HeadVerdict::Implausible) {
            result.doubts.push_back("file " + std::to_string(n) + " (." + extension + ", " +
                                    std::to_string(size) + " bytes, length " +
                                    std::to_string(length) +
                                    "): " + judgement.reason.toStdString());
        }
    }
    result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return result;
}

void PrintRandomNames(std::uint64_t seed, int count) {
    const RandomNameCount result = JudgeRandomNames(seed, count);
    std::printf("# Random files under headerless names: %d files (seed %llu)\n\n", count,
                static_cast<unsigned long long>(seed));
    std::printf(
        "| %-14s | doubted | plausible | cannot tell |\n|%s|--------:|----------:|------------:|\n",
        "name", std::string(16, '-').c_str());
    Tally total;
    for (const auto& [label, tally] : result.byName) {
        std::printf("| %-14s | %7d | %9d | %11d |\n", label.c_str(), tally.implausible,
                    tally.plausible, tally.cannotTell);
        total.implausible += tally.implausible;
        total.plausible += tally.plausible;
        total.cannotTell += tally.cannotTell;
    }
    std::printf("| %-14s | %7d | %9d | %11d |\n\n", "all", total.implausible, total.plausible,
                total.cannotTell);
    std::printf("Goal: 0 doubted with the right password: %s (%d). %.1f us a judgement.\n",
                total.implausible == 0 ? "met" : "MISSED", total.implausible,
                count ? result.seconds * 1e6 / count : 0.0);
    for (const std::string& doubt : result.doubts) std::printf("  doubted: %s\n", doubt.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "--random-names") {
        const std::uint64_t seed =
            argc >= 5 && std::string(argv[3]) == "--seed" ? std::stoull(argv[4]) : 20240611;
        PrintRandomNames(seed, std::stoi(argv[2]));
        return 0;
    }
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: head_check_bench <folder> [--seed N] [--show CASE | --code-slips "
                     "RUNS]\n       head_check_bench --random-names N [--seed N]\n");
        return 2;
    }
    const fs::path root = argv[1];
    std::uint64_t seed = 20240611;
    std::string show;
    int slipRuns = 0;
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--seed") {
            seed = std::stoull(argv[i + 1]);
        } else if (option == "--show") {
            show = argv[i + 1];
        } else if (option == "--code-slips") {
            slipRuns = std::stoi(argv[i + 1]);
        }
    }
    if (slipRuns > 0) {
        PrintCodeSlips(root, seed, slipRuns);
        return 0;
    }
    const HeadJudge judge;
    const auto firstStart = Clock::now();
    judge.Judge(QByteArray("first use"), true, "first.txt", 8);
    const double firstUse = std::chrono::duration<double>(Clock::now() - firstStart).count();

    Rng keyRng(seed);
    const std::array<std::vector<std::uint8_t>, 2> keys = {RandomKey(keyRng), RandomKey(keyRng)};
    std::vector<FileResult> results;
    for (const fs::path& path : CorpusFiles(root)) {
        FileResult result = JudgeFile(judge, path, root, seed, keys);
        if (result.outcomes[kRight]) {
            results.push_back(std::move(result));
        }
    }
    std::map<std::string, int> types;
    for (const FileResult& result : results) {
        ++types[result.type];
    }
    std::printf("# Head check over %s: %zu files, %zu types (seed %llu)\n", root.string().c_str(),
                results.size(), types.size(), static_cast<unsigned long long>(seed));
    PrintSummary(results);
    PrintTables(results);
    PrintTypeTable(results);
    PrintGoals(results);
    PrintTimes(results, firstUse);
    PrintFalseAlarms(results);
    if (!show.empty()) {
        PrintCase(results, show);
    }
    return 0;
}
