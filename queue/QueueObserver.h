#pragma once

#include <cstddef>
#include <cstdint>

#include "QueueEntry.h"

namespace korvel {

enum class DoubtDecision { StopHere, DecryptAll };

// What a set of files tells whoever runs it (a window's list, the console program), on the
// thread that runs the set.
class QueueObserver {
public:
    virtual ~QueueObserver() = default;

    // An entry started, or ended done, skipped or failed.
    virtual void EntryChanged(std::size_t index, const QueueEntry& entry) = 0;
    // The bytes of the set's sources handled so far, of all of them.
    virtual void BytesDone(std::uint64_t done, std::uint64_t total) = 0;
    // The first file whose decrypted head does not look right, before anything of it is written:
    // the set stops there, or every file is decrypted whatever its head looks like.
    virtual DoubtDecision AskAboutDoubtfulResult(const QueueEntry& entry) = 0;
};

}  // namespace korvel
