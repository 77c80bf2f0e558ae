#include "AgeTestSupport.h"

#include <algorithm>

namespace korvel::test {

Bytes AgeEncrypt(const age::X25519Recipient& recipient, const Bytes& plaintext,
                 std::size_t blockSize) {
    age::AgeEncryptor encryptor(std::span(&recipient, 1));
    Bytes file;
    for (std::size_t start = 0; start < plaintext.size(); start += blockSize) {
        const std::size_t count = std::min(blockSize, plaintext.size() - start);
        encryptor.Write(std::span(plaintext).subspan(start, count), file);
    }
    encryptor.Finish(file);
    return file;
}

Bytes AgeDecrypt(const age::X25519Identity& identity, const Bytes& file, std::size_t blockSize) {
    age::AgeDecryptor decryptor({identity});
    Bytes plaintext;
    for (std::size_t start = 0; start < file.size(); start += blockSize) {
        const std::size_t count = std::min(blockSize, file.size() - start);
        decryptor.Write(std::span(file).subspan(start, count), plaintext);
    }
    decryptor.Finish(plaintext);
    return plaintext;
}

std::optional<age::AgeErrorKind> AgeFault(const age::X25519Identity& identity, const Bytes& file,
                                          std::size_t blockSize) {
    try {
        AgeDecrypt(identity, file, blockSize);
    } catch (const age::AgeError& error) {
        return error.Kind();
    }
    return std::nullopt;
}

Bytes AsBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }
std::string AsText(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

}  // namespace korvel::test
