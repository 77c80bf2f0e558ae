#include "DecryptionCheck.h"

#include <QString>
#include <algorithm>

#include "HeadJudge.h"
#include "cipher/CiphertextHeader.h"
#include "cipher/KeyFileReader.h"
#include "cipher/Keystream.h"
#include "files/BinaryFile.h"
#include "files/FileError.h"

namespace korvel {

namespace {

QString TargetName(const std::filesystem::path& target) {
    const std::u8string name = target.filename().u8string();
    return QString::fromUtf8(reinterpret_cast<const char*>(name.data()),
                             static_cast<qsizetype>(name.size()));
}

}  // namespace

HeadJudgement DecryptionCheck::Check(const RunRequest& request) {
    QByteArray head;
    bool wholeFile = false;
    try {
        BinaryFile source = BinaryFile::OpenForReading(request.source);
        const std::uint64_t dataLength = PlaintextLengthOf(source.Size());
        const auto headLength = static_cast<qsizetype>(
            std::min<std::uint64_t>(dataLength, static_cast<std::uint64_t>(HeadJudge::kHeadSize)));
        wholeFile = static_cast<std::uint64_t>(headLength) == dataLength;
        head.resize(headLength);
        auto* bytes = reinterpret_cast<std::uint8_t*>(head.data());
        source.Seek(std::min(source.Size(), kHeaderSize));
        source.ReadExactly(bytes, static_cast<std::size_t>(headLength));
        KeyFileReader key(BinaryFile::OpenForReading(request.keyFile));
        Keystream keystream;
        keystream.Start(request.password, key);
        keystream.Apply(bytes, static_cast<std::size_t>(headLength));
    } catch (const FileError&) {
        return {HeadVerdict::CannotTell, {}, QStringLiteral("unreadable")};
    }
    return HeadJudge().Judge(head, wholeFile, TargetName(request.target),
                             static_cast<int>(request.password.size()));
}

}  // namespace korvel
