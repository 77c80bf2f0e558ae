#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "Direction.h"
#include "RunObserver.h"
#include "RunResult.h"

namespace korvel {

struct RunRequest {
    Direction direction = Direction::Encrypt;
    std::filesystem::path source;
    std::filesystem::path target;
    std::string password;  // the confirmed password: 5 to 20 characters with codes 32 to 126
    std::filesystem::path keyFile;
};

// Sources longer than this many bytes run in progress mode.
inline constexpr long long kQuietRunLimit = 204800;

// Encrypts or decrypts one file into another and reports to the observer on the calling thread,
// which may be a thread of its own: the observer alone decides how its window hears of the run.
// The calling thread writes the target; where more than one processor is there, a second thread
// reads the source ahead of it (TransformingReader) and never reports. The target appears,
// complete, only when the run completes; otherwise an existing target stays exactly as it was.
RunResult CipherRun(const RunRequest& request, RunObserver& observer);
// The same, calling beforeTargetWrite on the calling thread before each write to the target: tests
// hold a write there, as a slow disk would.
RunResult CipherRun(const RunRequest& request, RunObserver& observer,
                    const std::function<void()>& beforeTargetWrite);

}  // namespace korvel
