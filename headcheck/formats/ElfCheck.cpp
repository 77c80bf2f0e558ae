#include "ElfCheck.h"

#include <algorithm>
#include <array>

namespace korvel {
namespace {

constexpr std::uint8_t kClass32 = 1;
constexpr std::uint8_t kClass64 = 2;
constexpr std::uint8_t kLittleEndian = 1;
constexpr std::uint8_t kBigEndian = 2;
constexpr std::uint8_t kLastOsAbi = 18;
constexpr std::uint8_t kArmOsAbi = 97;
constexpr std::uint8_t kStandaloneOsAbi = 255;
constexpr std::uint16_t kLastType = 4;
constexpr std::uint16_t kFirstOsType = 0xFE00;
constexpr std::uint16_t kX86 = 3;
constexpr std::uint16_t kX86_64 = 62;
constexpr std::uint32_t kLastProgramType = 8;
constexpr std::uint32_t kFirstOsProgramType = 0x60000000;
constexpr std::uint32_t kLastProcessorProgramType = 0x7FFFFFFF;
constexpr std::uint32_t kLoad = 1;
constexpr std::uint32_t kFlagBits = 0x7;
constexpr std::uint32_t kFlagMasks = 0xF0000000;  // kept for the system and the processor
constexpr int kProgramHeadersChecked = 64;

// The machines ELF files are made for in practice.
bool IsKnownMachine(std::uint16_t machine) {
    static constexpr std::array<std::uint16_t, 26> kMachines = {
        0,  2,  3,  4,  6,  7,  8,  10, 15,  18,  20,  21,  22,
        40, 41, 42, 43, 50, 62, 76, 92, 164, 183, 243, 247, 258};
    return std::find(kMachines.begin(), kMachines.end(), machine) != kMachines.end();
}

bool FitsIn(std::uint64_t offset, std::uint64_t length, std::uint64_t size) {
    return length <= size && offset <= size - length;
}

bool IsPowerOfTwoOrZero(std::uint64_t value) { return (value & (value - 1)) == 0; }

// Reads the fields of one ELF class and byte order.
class ElfFields {
public:
    ElfFields(const HeadBytes& head, bool wide, bool big) : head_(head), wide_(wide), big_(big) {}

    bool Wide() const { return wide_; }
    std::optional<std::uint64_t> Half(qsizetype offset) const {
        return big_ ? head_.U16Be(offset) : head_.U16Le(offset);
    }
    std::optional<std::uint64_t> Word(qsizetype offset) const {
        return big_ ? head_.U32Be(offset) : head_.U32Le(offset);
    }
    // An address or offset: a word in 32-bit files, eight bytes in 64-bit ones.
    std::optional<std::uint64_t> Address(qsizetype offset) const {
        return wide_ ? (big_ ? head_.U64Be(offset) : head_.U64Le(offset)) : Word(offset);
    }
    // Where a header field sits: 64-bit files widen the three address fields before it.
    qsizetype HeaderOffset(qsizetype offset32, qsizetype offset64) const {
        return wide_ ? offset64 : offset32;
    }

private:
    const HeadBytes& head_;
    bool wide_;
    bool big_;
};

QString IdentFault(const HeadBytes& head) {
    if (!head.Matches(0,
                      "\x7F"
                      "ELF")) {
        return "ELF signature broken";
    }
    const std::uint8_t osAbi = head.At(7);
    if ((head.At(4) != kClass32 && head.At(4) != kClass64) ||
        (head.At(5) != kLittleEndian && head.At(5) != kBigEndian) || head.At(6) != 1 ||
        (osAbi > kLastOsAbi && osAbi != kArmOsAbi && osAbi != kStandaloneOsAbi) || head.At(8) > 3) {
        return "ELF identification out of range";
    }
    for (qsizetype i = 9; i < 16; ++i) {
        if (head.At(i) != 0) {
            return "ELF identification padding not zero";
        }
    }
    return QString();
}

QString HeaderFault(const ElfFields& elf, std::uint64_t fileSize) {
    const std::uint64_t type = *elf.Half(16);
    const std::uint64_t machine = *elf.Half(18);
    const std::uint64_t programOffset = *elf.Address(elf.HeaderOffset(28, 32));
    const std::uint64_t sectionOffset = *elf.Address(elf.HeaderOffset(32, 40));
    const std::uint64_t flags = *elf.Word(elf.HeaderOffset(36, 48));
    const std::uint64_t headerSize = *elf.Half(elf.HeaderOffset(40, 52));
    const std::uint64_t programEntrySize = *elf.Half(elf.HeaderOffset(42, 54));
    const std::uint64_t programCount = *elf.Half(elf.HeaderOffset(44, 56));
    const std::uint64_t sectionEntrySize = *elf.Half(elf.HeaderOffset(46, 58));
    const std::uint64_t sectionCount = *elf.Half(elf.HeaderOffset(48, 60));
    const std::uint64_t nameSection = *elf.Half(elf.HeaderOffset(50, 62));
    if ((type > kLastType && type < kFirstOsType) || !IsKnownMachine(machine) ||
        *elf.Word(20) != 1 || ((machine == kX86 || machine == kX86_64) && flags != 0)) {
        return "ELF header fields out of range";
    }
    const std::uint64_t ownSize = elf.Wide() ? 64 : 52;
    const std::uint64_t programSize = elf.Wide() ? 56 : 32;
    const std::uint64_t sectionSize = elf.Wide() ? 64 : 40;
    if (headerSize != ownSize || (programCount != 0 && programEntrySize != programSize) ||
        (sectionCount != 0 && sectionEntrySize != sectionSize) ||
        (programOffset != 0 && programOffset < ownSize) ||
        (sectionOffset != 0 && sectionOffset < ownSize) ||
        (nameSection >= sectionCount && nameSection != 0 && nameSection != 0xFFFF)) {
        return "ELF header sizes or offsets inconsistent";
    }
    if (!FitsIn(programOffset, programCount * programSize, fileSize) ||
        !FitsIn(sectionOffset, sectionCount * sectionSize, fileSize)) {
        return "ELF tables reach past the end";
    }
    return QString();
}

QString ProgramHeaderFault(const ElfFields& elf, qsizetype offset, std::uint64_t fileSize) {
    const std::uint64_t type = *elf.Word(offset);
    const std::uint64_t flags = *elf.Word(offset + (elf.Wide() ? 4 : 24));
    const std::uint64_t fileOffset = *elf.Address(offset + (elf.Wide() ? 8 : 4));
    const std::uint64_t address = *elf.Address(offset + (elf.Wide() ? 16 : 8));
    const std::uint64_t fileBytes = *elf.Address(offset + (elf.Wide() ? 32 : 16));
    const std::uint64_t memoryBytes = *elf.Address(offset + (elf.Wide() ? 40 : 20));
    const std::uint64_t alignment = *elf.Address(offset + (elf.Wide() ? 48 : 28));
    if ((type > kLastProgramType && type < kFirstOsProgramType) ||
        type > kLastProcessorProgramType || (flags & ~(kFlagBits | kFlagMasks)) != 0 ||
        !IsPowerOfTwoOrZero(alignment)) {
        return "ELF program header fields out of range";
    }
    if (!FitsIn(fileOffset, fileBytes, fileSize) ||
        (type == kLoad && (fileBytes > memoryBytes ||
                           (alignment > 1 && fileOffset % alignment != address % alignment)))) {
        return "ELF segment inconsistent";
    }
    return QString();
}

}  // namespace

QString ElfCheck::TypeName() const { return "application/x-executable"; }

bool ElfCheck::Claims(const HeadBytes& head) const {
    return head.Matches(0,
                        "\x7F"
                        "E");
}

// The identification bytes, the header's fields and the program headers that the head holds.
QString ElfCheck::FindFault(const FormatContext& context) const {
    const HeadBytes& head = context.head;
    if (!head.Has(0, 64)) {
        return context.wholeFile || !head.Has(0, 16) ? "ELF header cut short" : QString();
    }
    QString fault = IdentFault(head);
    if (!fault.isEmpty()) {
        return fault;
    }
    const ElfFields elf(head, head.At(4) == kClass64, head.At(5) == kBigEndian);
    // Without the whole file, sizes can only be held to what a file may reach.
    const std::uint64_t fileSize =
        context.wholeFile ? std::uint64_t(head.Size()) : std::uint64_t{1} << 40;
    fault = HeaderFault(elf, fileSize);
    if (!fault.isEmpty()) {
        return fault;
    }
    const std::uint64_t programOffset = *elf.Address(elf.HeaderOffset(28, 32));
    const std::uint64_t programCount = *elf.Half(elf.HeaderOffset(44, 56));
    const qsizetype programSize = elf.Wide() ? 56 : 32;
    for (std::uint64_t index = 0;
         index < std::min<std::uint64_t>(programCount, kProgramHeadersChecked); ++index) {
        const qsizetype offset = qsizetype(programOffset + index * programSize);
        if (!head.Has(offset, programSize)) {
            break;
        }
        fault = ProgramHeaderFault(elf, offset, fileSize);
        if (!fault.isEmpty()) {
            return fault;
        }
    }
    return QString();
}

}  // namespace korvel
