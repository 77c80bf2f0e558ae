#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Primitives.h"

namespace korvel::age {

// One recipient stanza: "-> type args..." and its body. Stanzas of every type are kept, whether
// or not an identity here can open them.
struct Stanza {
    std::vector<std::string> arguments;  // the first is the type, e.g. "X25519"
    Bytes body;

    const std::string& Type() const { return arguments.front(); }
};

// The text header of an age v1 file: the version line, the stanzas and the MAC line.
class AgeHeader {
public:
    static constexpr std::string_view kVersionPrefix = "age-encryption.org/";
    static constexpr std::string_view kVersionLine = "age-encryption.org/v1";
    static constexpr std::size_t kBodyColumns = 64;
    // No header of ours comes near this; a longer one is refused rather than read on.
    static constexpr std::size_t kMaxSize = std::size_t{4} << 20;

    struct Parsed;

    // Whether a file's first bytes say it is an age file of any version; false until the whole
    // prefix "age-encryption.org/" is there.
    static bool StartsAgeFile(ByteView head);
    // Throws AgeError when the first bytes of a file already show that it is not an age file,
    // or one of another version.
    static void CheckStart(ByteView head);
    // Parses the header at the start of bytes. nullopt when bytes end before the header does
    // and atEnd is false (more is to come). Throws AgeError for everything else that is wrong.
    static std::optional<Parsed> Parse(ByteView bytes, bool atEnd);

    AgeHeader(std::vector<Stanza> stanzas, const Key32& hmacKey);

    const std::vector<Stanza>& Stanzas() const { return stanzas_; }
    // The bytes the MAC covers: everything up to and including "---".
    const Bytes& MacInput() const { return macInput_; }
    const Key32& Mac() const { return mac_; }
    // The whole header, ending with the MAC line's line feed.
    Bytes Encode() const;

private:
    AgeHeader(std::vector<Stanza> stanzas, Bytes macInput, const Key32& mac);
    static Bytes EncodeMacInput(const std::vector<Stanza>& stanzas);

    std::vector<Stanza> stanzas_;
    Bytes macInput_;
    Key32 mac_;
};

struct AgeHeader::Parsed {
    AgeHeader header;
    std::size_t size;  // bytes of the header; the payload starts here
};

}  // namespace korvel::age
