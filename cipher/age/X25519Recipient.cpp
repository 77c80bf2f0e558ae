#include "X25519Recipient.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "Base64.h"
#include "Bech32.h"

namespace korvel::age {

std::optional<X25519Recipient> X25519Recipient::FromText(std::string_view text) {
    // Recipients are written in lower case; an upper case one is refused as age does.
    if (std::any_of(text.begin(), text.end(), [](char c) { return c >= 'A' && c <= 'Z'; })) {
        return std::nullopt;
    }
    std::optional<Bech32::Decoded> decoded = Bech32::Decode(text);
    if (!decoded || decoded->humanPart != kHumanPart || decoded->bytes.size() != 32) {
        return std::nullopt;
    }
    Key32 key{};
    std::copy(decoded->bytes.begin(), decoded->bytes.end(), key.begin());
    return X25519Recipient(key);
}

std::string X25519Recipient::Text() const { return Bech32::Encode(kHumanPart, publicKey_); }

Stanza X25519Recipient::Wrap(const FileKey& fileKey) const {
    return Wrap(fileKey, X25519KeyPair::Generate());
}

Stanza X25519Recipient::Wrap(const FileKey& fileKey, const X25519KeyPair& ephemeral) const {
    const std::optional<Key32> shared = ephemeral.SharedSecret(publicKey_);
    if (!shared) throw std::invalid_argument("the recipient is a low-order point");
    const Key32& share = ephemeral.Public();
    Bytes salt(share.begin(), share.end());
    salt.insert(salt.end(), publicKey_.begin(), publicKey_.end());
    const Key32 wrapKey = primitives::Hkdf(*shared, salt, kWrapInfo);
    static constexpr std::array<std::uint8_t, 12> kZeroNonce{};
    return Stanza{{std::string(kStanzaType), Base64::Encode(share)},
                  primitives::Seal(wrapKey, kZeroNonce, fileKey)};
}

}  // namespace korvel::age
