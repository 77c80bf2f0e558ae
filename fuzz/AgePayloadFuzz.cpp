// The age reader on a payload: a valid header for the fixture's identity, then the input's bytes
// after its block sizes, given to AgeDecryptor in blocks of those sizes in turn. Every fault must
// be an AgeError (anything else ends the run), and a payload that reads to its end must be as
// long as its plaintext says.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "AgeFixture.h"
#include "FuzzInput.h"
#include "cipher/age/AgeDecryptor.h"
#include "cipher/age/AgeError.h"

namespace {

constexpr std::size_t kMostBlockSizes = 4;

// 1 to 128 bytes, or 1 to 128 KiB: within a line, a tag, a chunk, or across several.
std::size_t BlockSize(std::uint8_t byte) { return byte < 0x80 ? byte + 1u : (byte - 0x7Fu) << 10; }

std::vector<std::size_t> TakeBlockSizes(korvel::FuzzInput& input) {
    std::vector<std::size_t> sizes(1 + input.TakeIndex(kMostBlockSizes));
    for (std::size_t& size : sizes) size = BlockSize(input.TakeByte());
    return sizes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const korvel::age::Bytes header = korvel::AgeFixture::Header();
    korvel::FuzzInput input(data, size);
    const std::vector<std::size_t> blockSizes = TakeBlockSizes(input);
    const auto payload = input.Rest();
    korvel::age::Bytes file = header;
    file.insert(file.end(), payload.begin(), payload.end());

    korvel::age::AgeDecryptor decryptor({korvel::AgeFixture::Identity()});
    korvel::age::Bytes plaintext;
    try {
        const korvel::age::ByteView bytes(file);
        for (std::size_t at = 0, block = 0; at < bytes.size(); ++block) {
            const std::size_t length =
                std::min(blockSizes[block % blockSizes.size()], bytes.size() - at);
            decryptor.Write(bytes.subspan(at, length), plaintext);
            at += length;
        }
        decryptor.Finish(plaintext);
    } catch (const korvel::age::AgeError&) {
        return 0;
    }
    if (payload.size() != korvel::age::PayloadCipher::PayloadSize(plaintext.size()))
        __builtin_trap();
    return 0;
}
