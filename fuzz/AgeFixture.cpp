#include "AgeFixture.h"

#include "cipher/age/X25519Recipient.h"

namespace korvel {

age::X25519Identity AgeFixture::Identity() {
    age::Key32 secret{};
    for (std::size_t i = 0; i < secret.size(); ++i)
        secret[i] = static_cast<std::uint8_t>(i * 37 + 1);
    return age::X25519Identity(secret);
}

const age::FileKey& AgeFixture::FileKey() {
    static const age::FileKey key = {0x6b, 0x6f, 0x72, 0x76, 0x65, 0x6c, 0x20, 0x66,
                                     0x75, 0x7a, 0x7a, 0x20, 0x6b, 0x65, 0x79, 0x21};
    return key;
}

age::Bytes AgeFixture::Header() {
    std::vector<age::Stanza> stanzas = {Identity().Recipient().Wrap(FileKey())};
    const age::Key32 macKey = age::primitives::Hkdf(FileKey(), {}, "header");
    return age::AgeHeader(std::move(stanzas), macKey).Encode();
}

}  // namespace korvel
