#pragma once

#include <functional>
#include <optional>

#include "RunNotifications.h"
#include "RunRequest.h"
#include "RunResult.h"

namespace korvel {

// Encrypts or decrypts one file into another and reports to `notifications` on the calling
// thread, which may be a thread of its own: the receiver alone decides how its window, queue or
// console hears of the run. The calling thread writes the target; where more than one processor
// is there, a second thread reads the source ahead of it (TransformingReader) and never reports.
// The target appears, complete, only when the run completes; otherwise an existing target stays
// exactly as it was. The request's flags stop or cancel the run between blocks.
RunResult CipherRun(const RunRequest& request, RunNotifications& notifications);

// The message with which CipherRun would refuse the request before opening anything, if any.
// Whoever looks at the files before a run asks this first, so that its own questions never come
// before the run's refusals.
std::optional<const char*> RunRefusal(const RunRequest& request);
// The same, calling beforeTargetWrite on the calling thread before each write to the target: tests
// hold a write there, as a slow disk would.
RunResult CipherRun(const RunRequest& request, RunNotifications& notifications,
                    const std::function<void()>& beforeTargetWrite);

}  // namespace korvel
