// The seed-format run on a ciphertext, as a user's run: the input (after its first byte, which
// picks the password length and one of a few small key files) is written to a file and decrypted
// into another. The decrypted file, encrypted again, must give back the ciphertext after its
// random header: the format holds no signature, so every ciphertext decrypts. An input that
// starts as an age file does is read as one (the age targets fuzz that path), and is skipped.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "ScratchFile.h"
#include "cipher/CiphertextHeader.h"
#include "cipher/age/AgeHeader.h"
#include "run/CipherRun.h"

namespace {

class SilentNotifications : public korvel::RunNotifications {
public:
    void ShowNotice(const std::string&, korvel::NoticeKind) override {}
    void EnterProgressMode() override {}
    void ShowPercent(int) override {}
    korvel::CancelAnswer AskCancel(const std::string&, const std::string&) override {
        return korvel::CancelAnswer::No;
    }
    void LeaveProgressMode(korvel::LeaveStep, korvel::LeaveReason) override {}
};

std::vector<std::uint8_t> ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Empty, shorter than most start positions, and longer than any.
std::deque<korvel::ScratchFile> MakeKeyFiles() {
    std::deque<korvel::ScratchFile> files;
    for (const std::size_t length : {0, 1, 97, 5000}) {
        std::vector<std::uint8_t> bytes(length);
        for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<std::uint8_t>(i * 131 + 7);
        files.emplace_back("fuzz-key-" + std::to_string(length)).Write(bytes);
    }
    return files;
}

korvel::RunResult Run(korvel::Direction direction, const korvel::ScratchFile& source,
                      const korvel::ScratchFile& target, const std::string& password,
                      const korvel::ScratchFile& key) {
    korvel::RunRequest request;
    request.direction = direction;
    request.source = source.Path();
    request.target = target.Path();
    request.password = password;
    request.keyFile = key.Path();
    SilentNotifications notifications;
    return korvel::CipherRun(request, notifications);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::deque<korvel::ScratchFile> keys = MakeKeyFiles();
    static const korvel::ScratchFile ciphertext("fuzz-ciphertext");
    static const korvel::ScratchFile plaintext("fuzz-plaintext");
    static const korvel::ScratchFile again("fuzz-encrypted-again");

    korvel::FuzzInput input(data, size);
    const std::uint8_t settings = input.TakeByte();
    const std::string password = std::string("Korvel fuzz ~123456!").substr(0, 5 + settings % 16);
    const korvel::ScratchFile& key = keys[(settings >> 4) % keys.size()];
    const auto bytes = input.Rest();
    if (korvel::age::AgeHeader::StartsAgeFile(bytes)) return 0;
    ciphertext.Write(bytes);

    const auto decrypted = Run(korvel::Direction::Decrypt, ciphertext, plaintext, password, key);
    if (decrypted.outcome != korvel::RunOutcome::Completed) __builtin_trap();
    const auto encrypted = Run(korvel::Direction::Encrypt, plaintext, again, password, key);
    if (encrypted.outcome != korvel::RunOutcome::Completed) __builtin_trap();

    const std::vector<std::uint8_t> result = ReadAll(again.Path());
    const std::size_t header = std::min<std::size_t>(bytes.size(), korvel::kHeaderSize);
    const bool sameBody =
        result.size() == korvel::kHeaderSize + bytes.size() - header &&
        std::equal(bytes.begin() + header, bytes.end(), result.begin() + korvel::kHeaderSize);
    if (!sameBody) __builtin_trap();
    return 0;
}
