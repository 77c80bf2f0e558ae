#include "AgeHeader.h"

#include <algorithm>

#include "AgeError.h"
#include "Base64.h"

namespace korvel::age {
namespace {

constexpr std::string_view kStanzaStart = "-> ";
constexpr std::string_view kMacStart = "--- ";
constexpr std::size_t kMacBase64Length = 43;

[[noreturn]] void Malformed(const std::string& detail) {
    throw AgeError(AgeErrorKind::MalformedHeader, detail);
}

bool IsVisible(char c) { return c >= 0x21 && c <= 0x7E; }

// Reads the header line by line; Next() is nullopt when the bytes end before the line does.
class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}

    std::optional<std::string_view> Next() {
        const std::size_t end = text_.find('\n', position_);
        if (end == std::string_view::npos) return std::nullopt;
        lineStart_ = position_;
        position_ = end + 1;
        return text_.substr(lineStart_, end - lineStart_);
    }
    std::size_t LineStart() const { return lineStart_; }
    std::size_t Position() const { return position_; }

private:
    std::string_view text_;
    std::size_t position_ = 0;
    std::size_t lineStart_ = 0;
};

void CheckVersion(std::string_view line) {
    if (line.substr(0, AgeHeader::kVersionPrefix.size()) != AgeHeader::kVersionPrefix) {
        throw AgeError(AgeErrorKind::NotAgeFile, "the first line is not an age version line");
    }
    if (line != AgeHeader::kVersionLine) {
        throw AgeError(AgeErrorKind::UnsupportedVersion,
                       std::string(line.substr(AgeHeader::kVersionPrefix.size())));
    }
}

std::vector<std::string> StanzaArguments(std::string_view line) {
    std::vector<std::string> arguments;
    std::size_t start = kStanzaStart.size();
    while (true) {
        const std::size_t end = std::min(line.find(' ', start), line.size());
        const std::string_view argument = line.substr(start, end - start);
        if (argument.empty()) Malformed("a stanza has an empty argument");
        if (!std::all_of(argument.begin(), argument.end(), IsVisible)) {
            Malformed("a stanza argument has a character outside printable ASCII");
        }
        arguments.emplace_back(argument);
        if (end == line.size()) return arguments;
        start = end + 1;
    }
}

// The body lines after a stanza's argument line, up to the first one shorter than 64 columns.
std::optional<Bytes> StanzaBody(LineReader& lines) {
    std::string text;
    while (true) {
        const std::optional<std::string_view> line = lines.Next();
        if (!line) return std::nullopt;
        if (line->size() > AgeHeader::kBodyColumns) Malformed("a stanza body line is too long");
        text += *line;
        if (line->size() < AgeHeader::kBodyColumns) break;
    }
    std::optional<Bytes> body = Base64::Decode(text);
    if (!body) Malformed("a stanza body is not canonical base64");
    return body;
}

Key32 MacFromLine(std::string_view encoded) {
    std::optional<Bytes> mac = Base64::Decode(encoded);
    if (encoded.size() != kMacBase64Length || !mac || mac->size() != 32) {
        Malformed("the MAC is not 32 bytes of canonical base64");
    }
    Key32 result{};
    std::copy(mac->begin(), mac->end(), result.begin());
    return result;
}

}  // namespace

bool AgeHeader::StartsAgeFile(ByteView head) {
    const std::string_view text(reinterpret_cast<const char*>(head.data()), head.size());
    return text.substr(0, kVersionPrefix.size()) == kVersionPrefix;
}

void AgeHeader::CheckStart(ByteView head) {
    const std::string_view text(reinterpret_cast<const char*>(head.data()), head.size());
    const std::size_t lineEnd = text.find('\n');
    if (lineEnd != std::string_view::npos) return CheckVersion(text.substr(0, lineEnd));
    const std::size_t common = std::min(text.size(), kVersionPrefix.size());
    if (text.substr(0, common) != kVersionPrefix.substr(0, common)) {
        throw AgeError(AgeErrorKind::NotAgeFile, "the first line is not an age version line");
    }
}

std::optional<AgeHeader::Parsed> AgeHeader::Parse(ByteView bytes, bool atEnd) {
    const bool beyondLimit = bytes.size() > kMaxSize;
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()),
                                std::min(bytes.size(), kMaxSize));
    const auto incomplete = [&]() -> std::optional<Parsed> {
        if (beyondLimit) throw AgeError(AgeErrorKind::HeaderTooLarge, "no end within the limit");
        if (atEnd) Malformed("the header ends early");
        return std::nullopt;
    };
    CheckStart(bytes);
    if (atEnd && !StartsAgeFile(bytes)) {
        throw AgeError(AgeErrorKind::NotAgeFile, "the first line is not an age version line");
    }
    LineReader lines(text);
    if (!lines.Next()) return incomplete();
    std::vector<Stanza> stanzas;
    while (true) {
        const std::optional<std::string_view> line = lines.Next();
        if (!line) return incomplete();
        if (line->substr(0, kMacStart.size()) == kMacStart) {
            if (stanzas.empty()) Malformed("the header has no stanza");
            const Key32 mac = MacFromLine(line->substr(kMacStart.size()));
            Bytes macInput(bytes.begin(), bytes.begin() + lines.LineStart() + 3);
            return Parsed{AgeHeader(std::move(stanzas), std::move(macInput), mac),
                          lines.Position()};
        }
        if (line->substr(0, kStanzaStart.size()) != kStanzaStart) {
            Malformed("a header line is neither a stanza nor the MAC");
        }
        Stanza stanza{StanzaArguments(*line), {}};
        std::optional<Bytes> body = StanzaBody(lines);
        if (!body) return incomplete();
        stanza.body = std::move(*body);
        stanzas.push_back(std::move(stanza));
    }
}

AgeHeader::AgeHeader(std::vector<Stanza> stanzas, const Key32& hmacKey)
    : stanzas_(std::move(stanzas)), macInput_(EncodeMacInput(stanzas_)) {
    mac_ = primitives::HmacSha256(hmacKey, macInput_);
}

AgeHeader::AgeHeader(std::vector<Stanza> stanzas, Bytes macInput, const Key32& mac)
    : stanzas_(std::move(stanzas)), macInput_(std::move(macInput)), mac_(mac) {}

Bytes AgeHeader::EncodeMacInput(const std::vector<Stanza>& stanzas) {
    std::string text(kVersionLine);
    text += '\n';
    for (const Stanza& stanza : stanzas) {
        text += "->";
        for (const std::string& argument : stanza.arguments) text += ' ' + argument;
        text += '\n';
        const std::string body = Base64::Encode(stanza.body);
        // Full lines of 64 columns, then a shorter one, empty when the body fills its last line.
        for (std::size_t start = 0; start <= body.size(); start += kBodyColumns) {
            text.append(body, start, kBodyColumns);
            text += '\n';
        }
    }
    text += "---";
    return Bytes(text.begin(), text.end());
}

Bytes AgeHeader::Encode() const {
    Bytes encoded = macInput_;
    const std::string macLine = ' ' + Base64::Encode(mac_) + '\n';
    encoded.insert(encoded.end(), macLine.begin(), macLine.end());
    return encoded;
}

}  // namespace korvel::age
