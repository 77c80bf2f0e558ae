#include "Keystream.h"

#include <algorithm>
#include <span>

#include "KeystreamKernel.h"

namespace korvel {

std::uint64_t Keystream::StartPosition(std::string_view password) {
    const auto code = [&](std::size_t i) { return static_cast<std::uint8_t>(password[i]); };
    return std::uint64_t{code(0)} * 1000 + code(1);
}

void Keystream::Start(std::string_view password, KeyFileReader& key) {
    length_ = password.size();
    pattern_.resize(kPatternSpan + length_);
    // Each code after the password's own repeats the one a password's length before it: no
    // division per code, which for a run of a small file cost more than its transform.
    for (std::size_t i = 0; i < pattern_.size(); ++i) {
        pattern_[i] = i < length_ ? static_cast<std::uint8_t>(password[i]) : pattern_[i - length_];
    }
    index_ = 0;
    key_ = &key;
    key_->StartAt(StartPosition(password));
}

std::uint8_t Keystream::NextByte() {
    const std::uint8_t keyByte = key_->Next(1).front();
    const std::uint8_t result = KeystreamByte(pattern_[index_], keyByte);
    index_ = (index_ + 1) % length_;
    return result;
}

void Keystream::Apply(std::uint8_t* data, std::size_t count) {
    while (count > 0) {
        const std::span<const std::uint8_t> keys = key_->Next(std::min(count, kPatternSpan));
        XorKeystream(data, pattern_.data() + index_, keys.data(), keys.size());
        index_ = (index_ + keys.size()) % length_;
        data += keys.size();
        count -= keys.size();
    }
}

}  // namespace korvel
