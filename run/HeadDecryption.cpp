#include "HeadDecryption.h"

#include <algorithm>

#include "AgeTransform.h"
#include "cipher/CiphertextHeader.h"
#include "cipher/KeyFileReader.h"
#include "cipher/Keystream.h"
#include "files/BinaryFile.h"
#include "files/FileError.h"

namespace korvel {

void HeadDecryption::OpenKeyFor(RunRequest& request) {
    if (request.keyReader) return;
    try {
        request.keyReader =
            std::make_shared<KeyFileReader>(BinaryFile::OpenForReading(request.keyFile));
    } catch (const FileError&) {
    }
}

std::optional<DecryptedHead> HeadDecryption::Decrypt(const RunRequest& request,
                                                     std::size_t maxCount) {
    if (request.password.size() < 2) return std::nullopt;  // no keystream: the run refuses it
    try {
        BinaryFile source = BinaryFile::OpenForReading(request.source);
        // An age file says itself whether the keys open it: exactly, so there is no doubt to ask.
        if (AgeTransform::StartsAgeFile(source)) return std::nullopt;
        const std::uint64_t dataLength = PlaintextLengthOf(source.Size());
        const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(dataLength, maxCount));
        DecryptedHead head{std::vector<std::uint8_t>(count), count == dataLength};
        source.Seek(std::min(source.Size(), kHeaderSize));
        source.ReadExactly(head.bytes.data(), count);
        std::optional<KeyFileReader> ownKey;
        KeyFileReader& key = request.keyReader
                                 ? *request.keyReader
                                 : ownKey.emplace(BinaryFile::OpenForReading(request.keyFile));
        Keystream keystream;
        keystream.Start(request.password, key);
        keystream.Apply(head.bytes.data(), count);
        return head;
    } catch (const FileError&) {
        return std::nullopt;
    }
}

}  // namespace korvel
