#pragma once

#include <QByteArrayView>
#include <cstdint>
#include <optional>

namespace korvel {

// Bounds-checked reads of fixed-width integers from a head: a read that reaches past the head's
// end yields nothing.
class HeadBytes {
public:
    explicit HeadBytes(QByteArrayView bytes) : bytes_(bytes) {}

    qsizetype Size() const { return bytes_.size(); }
    bool Has(qsizetype offset, qsizetype count) const;
    std::uint8_t At(qsizetype offset) const { return static_cast<std::uint8_t>(bytes_[offset]); }
    std::optional<std::uint8_t> U8(qsizetype offset) const;
    std::optional<std::uint16_t> U16Be(qsizetype offset) const;
    std::optional<std::uint32_t> U32Be(qsizetype offset) const;
    std::optional<std::uint64_t> U64Be(qsizetype offset) const;
    std::optional<std::uint16_t> U16Le(qsizetype offset) const;
    std::optional<std::uint32_t> U32Le(qsizetype offset) const;
    std::optional<std::uint64_t> U64Le(qsizetype offset) const;
    // Whether the head holds text at offset.
    bool Matches(qsizetype offset, QByteArrayView text) const;
    QByteArrayView Slice(qsizetype offset, qsizetype count) const;
    QByteArrayView View() const { return bytes_; }

private:
    std::optional<std::uint64_t> Read(qsizetype offset, int width, bool bigEndian) const;

    QByteArrayView bytes_;
};

}  // namespace korvel
