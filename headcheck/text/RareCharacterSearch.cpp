#include "RareCharacterSearch.h"

#include <algorithm>

#include "BinomialTail.h"
#include "CommonCharacters.h"
#include "Utf8Sequence.h"

namespace korvel {
namespace {

constexpr int kCharacterLength = 3;
// Text in UTF-8 whose bytes beyond ASCII are mostly in characters of three bytes: CJK text, some
// of whose characters a wrong password may have broken. GBK or 8-bit text only now and then
// forms such a character.
constexpr double kLeastThreeByteShare = 0.5;
constexpr qsizetype kLeastEvents = 6;
// A garbled class's characters are rare more than half the time; text whose characters are
// often rare everywhere (lists of names) is left alone.
constexpr double kLeastRate = 0.3;
constexpr double kMostRestRatio = 0.25;
constexpr double kMostLogChance = -20.7;  // one in a billion

std::uint32_t CodeOf(const std::uint8_t* bytes) {
    return (bytes[0] & 0x0Fu) << 12 | (bytes[1] & 0x3Fu) << 6 | (bytes[2] & 0x3Fu);
}

// At the rest's rate nudged up by one event, so that a rest with few characters proves little.
bool Unlikely(qsizetype events, qsizetype chances, qsizetype restEvents, qsizetype restChances) {
    const double rate = double(restEvents + 1) / double(restChances + 2);
    return BinomialTail::LogAtLeast(events, chances, rate) <= kMostLogChance;
}

}  // namespace

RareCharacterSearch::RareCharacterSearch(QByteArrayView head, int period)
    : head_(head),
      period_(period),
      charactersByStart_(static_cast<std::size_t>(period)),
      rareByStart_(charactersByStart_.size()) {
    Read();
}

// Random or binary data shows in its first bytes that it is no CJK text; reading on would only
// cost time.
void RareCharacterSearch::Read() {
    constexpr qsizetype kProbeSize = 4096;
    ReadUpTo(std::min(head_.size(), kProbeSize));
    if (IsCjkText()) {
        ReadUpTo(head_.size());
    }
}

void RareCharacterSearch::ReadUpTo(qsizetype end) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(head_.data());
    while (read_ < end) {
        if (data[read_] < 0x80) {
            ++read_;
            continue;
        }
        const int length = Utf8Sequence::LengthAt(head_, read_);
        if (length < 0) {
            read_ = head_.size();
            break;
        }
        const qsizetype span = length == 0 ? BrokenSpan(read_) : length;
        beyondAscii_ += span;
        if (length == kCharacterLength) {
            ++threeByteCharacters_;
            const std::uint32_t code = CodeOf(data + read_);
            Add(read_, code, !CommonCharacters::Contains(code));
            characterEnd_ = read_ + length;
        } else if (length == 0 && read_ == characterEnd_) {
            Add(read_, BrokenCode(read_, span), true);
        }
        read_ += span;
    }
}

// A byte that starts no character, with the continuation bytes after it, right after a character
// of three bytes: in CJK text, a character whose lead or continuation a wrong password broke. It
// counts as a rare character. Elsewhere (binary tables) such bytes are left out.
qsizetype RareCharacterSearch::BrokenSpan(qsizetype offset) const {
    qsizetype span = 1;
    while (span < kCharacterLength && offset + span < head_.size() &&
           (static_cast<std::uint8_t>(head_[offset + span]) & 0xC0) == 0x80) {
        ++span;
    }
    return span;
}

// Beyond Unicode's range, so that it is told from every character and from other broken ones.
std::uint32_t RareCharacterSearch::BrokenCode(qsizetype offset, qsizetype span) const {
    std::uint32_t code = 1;
    for (qsizetype i = 0; i < span; ++i) {
        code = code << 8 | static_cast<std::uint8_t>(head_[offset + i]);
    }
    return code << 8 * (kCharacterLength - span);
}

void RareCharacterSearch::Add(qsizetype offset, std::uint32_t code, bool rare) {
    const auto start = static_cast<std::size_t>(offset % period_);
    ++charactersByStart_[start];
    if (rare) {
        ++rareByStart_[start];
        rare_.push_back({offset, code});
    }
}

bool RareCharacterSearch::IsCjkText() const {
    return double(threeByteCharacters_ * kCharacterLength) >=
           kLeastThreeByteShare * double(beyondAscii_);
}

std::optional<ResidueTally::Window> RareCharacterSearch::Find() const {
    std::optional<ResidueTally::Window> strongest;
    if (rare_.empty() || !IsCjkText()) {
        return strongest;
    }
    for (int width = 1; width <= 2; ++width) {
        for (int first = 0; first < period_; ++first) {
            const std::optional<ResidueTally::Window> window = Measure(first, width);
            if (window && (!strongest || window->Rate() > strongest->Rate()) &&
                EveryStartShowsIt(*window) && Varied(*window)) {
                strongest = window;
            }
        }
    }
    return strongest;
}

// The characters with a byte in the window's classes against those without.
std::optional<ResidueTally::Window> RareCharacterSearch::Measure(int firstClass, int width) const {
    if (width + kCharacterLength - 1 >= period_) {
        return std::nullopt;
    }
    ResidueTally::Window window{firstClass, width};
    qsizetype restEvents = 0;
    for (int start = 0; start < period_; ++start) {
        const auto index = static_cast<std::size_t>(start);
        if (Touches(window, start)) {
            window.events += rareByStart_[index];
            window.chances += charactersByStart_[index];
        } else {
            restEvents += rareByStart_[index];
            window.restChances += charactersByStart_[index];
        }
    }
    if (window.events < kLeastEvents || window.Rate() < kLeastRate || window.restChances == 0) {
        return std::nullopt;
    }
    window.restRate = double(restEvents) / double(window.restChances);
    if (window.restRate > kMostRestRatio * window.Rate() ||
        !Unlikely(window.events, window.chances, restEvents, window.restChances)) {
        return std::nullopt;
    }
    return window;
}

// Whether a character starting at offset has a byte in the window: it starts in the window or
// in one of the two classes before it.
bool RareCharacterSearch::Touches(const ResidueTally::Window& window, qsizetype offset) const {
    const auto start = static_cast<int>(offset % period_);
    return (start - window.firstClass + kCharacterLength - 1 + period_) % period_ <
           window.width + kCharacterLength - 1;
}

// A garbled class garbles the characters that start in it and in the two classes before it (its
// byte the second or the third), so each of those shows it. Lists laid out at fixed steps put
// characters of one kind in a few classes only.
bool RareCharacterSearch::EveryStartShowsIt(const ResidueTally::Window& window) const {
    constexpr double kLeastShareOfRate = 0.25;
    for (int offset = 1 - kCharacterLength; offset < window.width; ++offset) {
        const auto start =
            static_cast<std::size_t>((window.firstClass + offset + period_) % period_);
        if (charactersByStart_[start] == 0 ||
            double(rareByStart_[start]) <
                kLeastShareOfRate * window.Rate() * double(charactersByStart_[start])) {
            return false;
        }
    }
    return true;
}

// Garbled characters vary with the key bytes; a right text's rare characters that gather in one
// class would be a few repeated ones.
bool RareCharacterSearch::Varied(const ResidueTally::Window& window) const {
    constexpr qsizetype kEnoughDistinct = 16;
    std::vector<std::uint32_t> codes;
    for (const Character& character : rare_) {
        if (Touches(window, character.offset)) {
            codes.push_back(character.code);
        }
    }
    std::sort(codes.begin(), codes.end());
    const auto distinct = std::unique(codes.begin(), codes.end()) - codes.begin();
    return distinct * 2 >= std::min(window.events, 2 * kEnoughDistinct);
}

}  // namespace korvel
