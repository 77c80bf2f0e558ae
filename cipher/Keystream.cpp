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
    // The codes, then copies of what is there, doubling: every stretch copied starts at a whole
    // number of passwords. Byte by byte, this cost a run of a small file more than its transform.
    std::copy(password.begin(), password.end(), pattern_.begin());
    for (std::size_t filled = length_; filled < pattern_.size(); filled *= 2) {
        const std::size_t count = std::min(filled, pattern_.size() - filled);
        std::copy_n(pattern_.begin(), count,
                    pattern_.begin() + static_cast<std::ptrdiff_t>(filled));
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
