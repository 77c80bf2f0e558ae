// The head check on any bytes: the first input byte picks the password length and whether the
// head is the whole file, the second the target name's extension; the rest is the decrypted head.
#include <array>
#include <cstddef>
#include <cstdint>

#include "FuzzInput.h"
#include "headcheck/HeadJudge.h"

namespace {

// Names of text, of every format the checks know, of raw data, and none at all.
constexpr std::array kExtensions = {
    "",     ".txt", ".md",  ".html", ".xml", ".csv", ".json", ".py",  ".c",   ".ini",
    ".png", ".jpg", ".gz",  ".tgz",  ".xz",  ".zip", ".docx", ".jar", ".so",  ".o",
    ".a",   ".deb", ".mo",  ".pack", ".idx", ".pyc", ".ttf",  ".otf", ".db",  ".sqlite",
    ".z",   ".bin", ".dat", ".enc",  ".raw", ".key", ".rnd",  ".gpg", ".pgp", ".p12",
    ".pfx", ".br",  ".pdf", ".exe",  ".mp3", ".tar", ".rtf",  ".doc"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    korvel::FuzzInput input(data, size);
    const std::uint8_t settings = input.TakeByte();
    const int passwordLength = 5 + settings % 16;
    const bool wholeFile = (settings & 0x80) != 0;
    const QString targetName = QString("target") + kExtensions[input.TakeIndex(kExtensions.size())];
    const auto head = input.Rest();
    if (head.size() > static_cast<std::size_t>(korvel::HeadJudge::kHeadSize)) return -1;

    const QByteArrayView bytes(head.data(), static_cast<qsizetype>(head.size()));
    korvel::HeadJudge().Judge(bytes, wholeFile, targetName, passwordLength);
    return 0;
}
