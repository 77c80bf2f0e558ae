#pragma once

#include <optional>

#include "Primitives.h"

namespace korvel::age {

// An X25519 secret key kept with its public key, so that an exchange does not compute the public
// key again (half an exchange's cost). Wiped when it goes.
class X25519KeyPair {
public:
    static X25519KeyPair Generate();
    explicit X25519KeyPair(const Key32& secret);
    X25519KeyPair(const X25519KeyPair&) = default;
    X25519KeyPair& operator=(const X25519KeyPair&) = default;
    ~X25519KeyPair();

    const Key32& Secret() const { return secret_; }
    const Key32& Public() const { return public_; }
    // nullopt when the secret would be all zero: peerPublic is a low-order point.
    std::optional<Key32> SharedSecret(const Key32& peerPublic) const;

private:
    Key32 secret_;
    Key32 public_;
};

}  // namespace korvel::age
