#include "CipherTestSupport.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <stdexcept>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace korvel::test {

TempFolder::TempFolder() {
    static std::mt19937_64 names{std::random_device{}()};
    path_ = std::filesystem::temp_directory_path() / ("korvel-test-" + std::to_string(names()));
    std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> TempFolder::Listing() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

void WriteBytes(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes FromHex(const std::string& hex) {
    if (hex.size() % 2 != 0) throw std::invalid_argument("odd hex length: " + hex);
    Bytes bytes(hex.size() / 2);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(std::stoul(hex.substr(2 * i, 2), nullptr, 16));
    }
    return bytes;
}

Bytes PatternBytes(std::size_t count, std::uint32_t seed) {
    std::mt19937 generator(seed);
    Bytes bytes(count);
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(generator());
    return bytes;
}

Bytes ReferenceKeystream(const std::string& password, const Bytes& key, std::size_t count) {
    const auto code = [&](std::size_t i) {
        return static_cast<unsigned>(static_cast<unsigned char>(password[i - 1]));
    };
    const std::size_t len = password.size();
    const std::size_t k = key.size();
    std::size_t keyPosition = code(1) * 1000 + code(2);
    std::size_t passwordIndex = 1;
    Bytes stream;
    for (std::size_t n = 0; n < count; ++n) {
        const unsigned keyByte = keyPosition <= k ? key[keyPosition - 1] : 0;
        ++keyPosition;
        unsigned sum = code(passwordIndex) + keyByte;
        if (sum >= 256) sum -= 255;
        stream.push_back(static_cast<std::uint8_t>(sum));
        if (++passwordIndex > len) passwordIndex -= len;
        if (keyPosition > k) keyPosition = 1;
    }
    return stream;
}

Bytes ReferenceTransform(const Bytes& data, const std::string& password, const Bytes& key) {
    const Bytes stream = ReferenceKeystream(password, key, data.size());
    Bytes out(data.size());
    for (std::size_t i = 0; i < data.size(); ++i) out[i] = data[i] ^ stream[i];
    return out;
}

void RecordingObserver::ShowNotice(const std::string& text, NoticeKind kind) {
    events.push_back((kind == NoticeKind::Warning ? "warning:" : "notice:") + text);
}

void RecordingObserver::EnterProgressMode() { events.push_back("enter"); }

void RecordingObserver::ShowPercent(int percent) {
    percents.push_back(percent);
    events.push_back("percent");
}

CancelAnswer RecordingObserver::AskCancel(const std::string& title, const std::string& text) {
    events.push_back("ask:" + title + ":" + text);
    if (answers.empty()) return CancelAnswer::No;
    const CancelAnswer answer = answers.front();
    answers.erase(answers.begin());
    return answer;
}

void RecordingObserver::PumpEvents() {
    ++pumps;
    events.push_back("pump");
    if (onPump) onPump(pumps);
}

void RecordingObserver::LeaveProgressMode(LeaveStep step, LeaveReason reason) {
    std::string line = step == LeaveStep::FilesOpen ? "leave-restore" : "leave-hide";
    line += reason == LeaveReason::Completed ? ":completed" : ":cancelled";
    events.push_back(line);
}

#ifndef _WIN32
int InChild(const std::function<int()>& body) {
    const pid_t child = fork();
    if (child == 0) _exit(body());
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool DropRights() {
    constexpr uid_t kNobody = 65534;
    if (geteuid() != 0) return true;
    return setgid(kNobody) == 0 && setuid(kNobody) == 0;
}

bool FolderHoldsUnnamedFiles(const std::filesystem::path& folder) {
#ifdef O_TMPFILE
    const int descriptor = open(folder.c_str(), O_TMPFILE | O_WRONLY, 0600);
    if (descriptor < 0) return false;
    close(descriptor);
    return true;
#else
    return false;
#endif
}
#endif

}  // namespace korvel::test
