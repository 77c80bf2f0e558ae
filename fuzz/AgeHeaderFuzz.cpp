// The age header parser on any bytes, as the end of a file (atEnd) and as a part with more to
// come. The two must agree: a header read from the part is the one read from the whole, and a
// fault in the part is the same fault in the whole. A header that parses must be canonical: its
// encoding is the bytes it was read from, and its stanzas encoded afresh read back the same.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "cipher/age/AgeError.h"
#include "cipher/age/AgeHeader.h"

namespace {

using korvel::age::AgeErrorKind;
using korvel::age::AgeHeader;
using korvel::age::ByteView;

struct Outcome {
    std::optional<AgeHeader::Parsed> parsed;
    std::optional<AgeErrorKind> fault;
};

Outcome Parse(ByteView bytes, bool atEnd) {
    try {
        return {AgeHeader::Parse(bytes, atEnd), std::nullopt};
    } catch (const korvel::age::AgeError& error) {
        return {std::nullopt, error.Kind()};
    }
}

bool SameStanzas(const AgeHeader& a, const AgeHeader& b) {
    if (a.Stanzas().size() != b.Stanzas().size()) return false;
    for (std::size_t i = 0; i < a.Stanzas().size(); ++i) {
        if (a.Stanzas()[i].arguments != b.Stanzas()[i].arguments) return false;
        if (a.Stanzas()[i].body != b.Stanzas()[i].body) return false;
    }
    return true;
}

void CheckCanonical(ByteView bytes, const AgeHeader::Parsed& parsed) {
    const korvel::age::Bytes encoded = parsed.header.Encode();
    if (!std::equal(encoded.begin(), encoded.end(), bytes.begin(), bytes.begin() + parsed.size) ||
        encoded.size() != parsed.size) {
        __builtin_trap();
    }
    const AgeHeader rebuilt(parsed.header.Stanzas(), parsed.header.Mac());
    if (rebuilt.MacInput() != parsed.header.MacInput()) __builtin_trap();
    const std::optional<AgeHeader::Parsed> again = AgeHeader::Parse(rebuilt.Encode(), true);
    if (!again || !SameStanzas(again->header, parsed.header)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ByteView bytes(data, size);
    const Outcome whole = Parse(bytes, true);
    const Outcome part = Parse(bytes, false);
    if (!whole.parsed && !whole.fault) __builtin_trap();
    if (part.fault && part.fault != whole.fault) __builtin_trap();
    if (part.parsed && (!whole.parsed || whole.parsed->size != part.parsed->size)) __builtin_trap();
    if (whole.parsed && !part.parsed) __builtin_trap();
    if (whole.parsed) CheckCanonical(bytes, *whole.parsed);
    return 0;
}
