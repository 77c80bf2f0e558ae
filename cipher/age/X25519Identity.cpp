#include "X25519Identity.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "AgeError.h"
#include "Base64.h"
#include "Bech32.h"

namespace korvel::age {
namespace {

[[noreturn]] void Malformed(const char* detail) {
    throw AgeError(AgeErrorKind::MalformedHeader, detail);
}

Key32 EphemeralShare(const Stanza& stanza) {
    if (stanza.arguments.size() != 2) Malformed("an X25519 stanza has other than one argument");
    const std::optional<Bytes> share = Base64::Decode(stanza.arguments[1]);
    if (!share || share->size() != 32) {
        Malformed("an X25519 share is not 32 bytes of canonical base64");
    }
    if (stanza.body.size() != 32) Malformed("an X25519 stanza body is not 32 bytes");
    Key32 key{};
    std::copy(share->begin(), share->end(), key.begin());
    return key;
}

}  // namespace

X25519Identity::X25519Identity(const Key32& secretKey) : keys_(secretKey) {}

X25519Identity X25519Identity::Generate() { return X25519Identity(X25519KeyPair::Generate()); }

std::optional<X25519Identity> X25519Identity::FromText(std::string_view text) {
    std::optional<Bech32::Decoded> decoded = Bech32::Decode(text);
    if (!decoded || decoded->humanPart != kHumanPart || decoded->bytes.size() != 32) {
        return std::nullopt;
    }
    Key32 key{};
    std::copy(decoded->bytes.begin(), decoded->bytes.end(), key.begin());
    return X25519Identity(key);
}

std::vector<X25519Identity> X25519Identity::FromIdentityFile(std::string_view text) {
    std::vector<X25519Identity> identities;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        std::optional<X25519Identity> identity = FromText(line);
        if (!identity) {
            throw std::invalid_argument("line " + std::to_string(lineNumber) +
                                        " is not an X25519 identity");
        }
        identities.push_back(*identity);
    }
    return identities;
}

std::string X25519Identity::Text() const {
    return Bech32::Encode(kHumanPart, keys_.Secret(), true);
}

std::string X25519Identity::IdentityFileText() const {
    return "# public key: " + Recipient().Text() + "\n" + Text() + "\n";
}

X25519Recipient X25519Identity::Recipient() const { return X25519Recipient(keys_.Public()); }

std::optional<FileKey> X25519Identity::Unwrap(const Stanza& stanza) const {
    if (stanza.Type() != X25519Recipient::kStanzaType) return std::nullopt;
    const Key32 share = EphemeralShare(stanza);
    const std::optional<Key32> shared = keys_.SharedSecret(share);
    if (!shared) Malformed("an X25519 share gives the all-zero secret");
    Bytes salt(share.begin(), share.end());
    salt.insert(salt.end(), keys_.Public().begin(), keys_.Public().end());
    const Key32 wrapKey = primitives::Hkdf(*shared, salt, X25519Recipient::kWrapInfo);
    static constexpr std::array<std::uint8_t, 12> kZeroNonce{};
    const std::optional<Bytes> fileKey = primitives::Open(wrapKey, kZeroNonce, stanza.body);
    if (!fileKey) return std::nullopt;
    FileKey key{};
    std::copy(fileKey->begin(), fileKey->end(), key.begin());
    return key;
}

}  // namespace korvel::age
