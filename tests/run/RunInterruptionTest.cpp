#include <gtest/gtest.h>

#include "run/BlockBuffer.h"
#include "run/CipherRun.h"
#include "tests/support/CipherTestSupport.h"

namespace korvel::test {
namespace {

// Stops and cancels from whoever drives a run, at the moments that matter: between the blocks of
// a quiet run, after the last write while the target is still being flushed, and once the target
// has been replaced (the completion notice). An existing target is either kept whole or replaced
// by the complete new file, and the outcome says which.
TEST(RunInterruptionTest, StopsAndCancelsKeepTheTargetWholeAndReportWhatHappened) {
    enum class Request { Stop, Cancel };
    enum class Moment { BeforeSecondWrite, BeforeLastWrite, AtCompletionNotice };
    const struct {
        const char* label;
        std::size_t size;
        Request request;
        Moment moment;
        RunOutcome outcome;
        bool replaced;
        std::vector<std::string> events;
    } rows[] = {
        {"stop in a quiet run",
         200000,
         Request::Stop,
         Moment::BeforeSecondWrite,
         RunOutcome::Abandoned,
         false,
         {}},
        {"cancel in a quiet run",
         200000,
         Request::Cancel,
         Moment::BeforeSecondWrite,
         RunOutcome::Cancelled,
         false,
         {}},
        {"stop while the last block is written",
         200000,
         Request::Stop,
         Moment::BeforeLastWrite,
         RunOutcome::Abandoned,
         false,
         {}},
        {"stop once the target is replaced",
         200000,
         Request::Stop,
         Moment::AtCompletionNotice,
         RunOutcome::Completed,
         true,
         {"notice:密文已经生成"}},
        {"cancel once the target is replaced",
         300000,
         Request::Cancel,
         Moment::AtCompletionNotice,
         RunOutcome::Completed,
         true,
         {"notice:密文已经生成", "leave-restore:completed", "leave-hide:completed"}},
    };
    for (const auto& row : rows) {
        TempFolder folder;
        WriteBytes(folder / "uae", PatternBytes(130000, 1));
        WriteBytes(folder / "plain", PatternBytes(row.size, 2));
        const Bytes existing = PatternBytes(999, 3);
        WriteBytes(folder / "cipher", existing);
        const RunRequest request{Direction::Encrypt, folder / "plain", folder / "cipher",
                                 "Secret 1", folder / "uae"};
        const auto interrupt = [&] {
            if (row.request == Request::Stop) {
                EXPECT_EQ(request.flags->RequestStop(), row.moment != Moment::AtCompletionNotice)
                    << row.label << ": a stop is taken until the target is being replaced";
            } else {
                request.flags->RequestCancel();
            }
        };

        class Recorder : public RecordingObserver {
        public:
            std::function<void()> atNotice;
            void ShowNotice(const std::string& text, NoticeKind kind) override {
                if (atNotice) atNotice();
                RecordingObserver::ShowNotice(text, kind);
            }
        } recorder;
        if (row.moment == Moment::AtCompletionNotice) recorder.atNotice = interrupt;
        const std::size_t writes = 1 + (row.size + BlockBuffer::kRunBlockSize - 1) /
                                           BlockBuffer::kRunBlockSize;  // the header's first
        std::size_t write = 0;
        const RunResult result = CipherRun(request, recorder, [&] {
            ++write;
            if ((row.moment == Moment::BeforeSecondWrite && write == 2) ||
                (row.moment == Moment::BeforeLastWrite && write == writes)) {
                interrupt();
            }
        });

        EXPECT_EQ(result.outcome, row.outcome) << row.label;
        std::vector<std::string> events = recorder.events;
        std::erase_if(events, [](const std::string& e) { return e == "percent" || e == "pump"; });
        if (!events.empty() && events.front() == "enter") events.erase(events.begin());
        EXPECT_EQ(events, row.events) << row.label;
        const Bytes after = ReadBytes(folder / "cipher");
        if (row.replaced) {
            EXPECT_EQ(after.size(), row.size + 10) << row.label;
        } else {
            EXPECT_EQ(after, existing) << row.label;
        }
        EXPECT_EQ(folder.Listing(), (std::vector<std::string>{"cipher", "plain", "uae"}))
            << row.label << ": no temporary file left";
    }
}

}  // namespace
}  // namespace korvel::test
