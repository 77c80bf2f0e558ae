#pragma once

#include "cipher/age/AgeHeader.h"
#include "cipher/age/FileKey.h"
#include "cipher/age/X25519Identity.h"

namespace korvel {

// The identity and file key that the age payload target and its seeds (fuzz_age_seeds) share.
// The header is made afresh in each run, its share being random, but a payload's key depends
// only on the file key and the nonce that starts the payload: seeds sealed once stay valid.
class AgeFixture {
public:
    static age::X25519Identity Identity();
    static const age::FileKey& FileKey();
    // A header of one stanza for Identity(), wrapping FileKey(), with its MAC.
    static age::Bytes Header();
};

}  // namespace korvel
