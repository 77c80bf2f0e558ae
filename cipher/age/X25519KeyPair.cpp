#include "X25519KeyPair.h"

#include <openssl/crypto.h>

namespace korvel::age {

X25519KeyPair X25519KeyPair::Generate() {
    Key32 secret;
    primitives::RandomBytes(secret);
    X25519KeyPair pair(secret);
    OPENSSL_cleanse(secret.data(), secret.size());
    return pair;
}

X25519KeyPair::X25519KeyPair(const Key32& secret)
    : secret_(secret), public_(primitives::X25519PublicKey(secret)) {}

X25519KeyPair::~X25519KeyPair() { OPENSSL_cleanse(secret_.data(), secret_.size()); }

std::optional<Key32> X25519KeyPair::SharedSecret(const Key32& peerPublic) const {
    return primitives::X25519SharedSecret(secret_, public_, peerPublic);
}

}  // namespace korvel::age
