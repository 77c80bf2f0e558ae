#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <deque>
#include <string>
#include <thread>
#include <vector>

#include "gtest/gtest.h"
#include "gui/BackgroundRun.h"
#include "tests/support/WindowHarness.h"

namespace korvel::testing {
namespace {

// Writes down every notification that reaches it, and on which thread.
class NotificationLog : public RunNotifications {
public:
    void ShowNotice(const std::string& text, NoticeKind kind) override {
        Note((kind == NoticeKind::Warning ? "warning " : "notice ") + text);
    }
    void EnterProgressMode() override { Note("enter"); }
    void ShowPercent(int percent) override { Note("percent " + std::to_string(percent)); }
    CancelAnswer AskCancel(const std::string& title, const std::string& text) override {
        Note("ask " + title + " " + text);
        const CancelAnswer answer = answers.empty() ? CancelAnswer::No : answers.front();
        if (!answers.empty()) answers.pop_front();
        return answer;
    }
    void LeaveProgressMode(LeaveStep step, LeaveReason reason) override {
        Note(std::string("leave ") + (step == LeaveStep::FilesOpen ? "restore " : "hide ") +
             (reason == LeaveReason::Completed ? "completed" : "cancelled"));
    }

    std::deque<CancelAnswer> answers;
    std::vector<std::string> lines;
    int linesOffThread = 0;

private:
    void Note(std::string line) {
        if (std::this_thread::get_id() != thread_) ++linesOffThread;
        lines.push_back(std::move(line));
    }
    std::thread::id thread_ = std::this_thread::get_id();
};

struct RunCase {
    const char* label;
    Direction direction;
    qint64 sourceSize;          // -1: no source file
    int cancelBeforeWrite = 0;  // the cancel button is clicked while this write waits; 0: never
    std::deque<CancelAnswer> answers = {};
};

// The same run straight through the core and through the window's thread: the window's observer
// hears the same notifications, with the same texts, in the same order and number, all on its
// own thread.
TEST(BackgroundRunTest, WindowHearsWhatTheCoreSendsInOrderAndNumber) {
    const RunCase cases[] = {
        {"quiet encryption", Direction::Encrypt, 204800},
        {"encryption in progress mode", Direction::Encrypt, 204801},
        {"decryption in progress mode", Direction::Decrypt, 204811},
        {"three blocks", Direction::Decrypt, 3 * 131072 + 5},
        {"cancel answered No", Direction::Encrypt, 300000, 3, {CancelAnswer::No}},
        {"cancel answered Yes", Direction::Encrypt, 300000, 3, {CancelAnswer::Yes}},
        {"missing source", Direction::Encrypt, -1},
    };
    for (const RunCase& c : cases) {
        QTemporaryDir folder;
        WriteFile(folder.filePath("uae"), 200000);
        if (c.sourceSize >= 0) WriteFile(folder.filePath("source"), c.sourceSize);
        const RunRequest request{c.direction, QFile::encodeName(folder.filePath("source")).data(),
                                 QFile::encodeName(folder.filePath("target")).data(), "Secret1",
                                 QFile::encodeName(folder.filePath("uae")).data()};

        NotificationLog direct;
        direct.answers = c.answers;
        int directWrites = 0;
        RunRequest directRequest = request;
        directRequest.flags = std::make_shared<RunFlags>();
        CipherRun(directRequest, direct, [&] {
            if (++directWrites == c.cancelBeforeWrite) directRequest.flags->RequestCancel();
        });
        QFile::remove(folder.filePath("target"));

        NotificationLog relayed;
        relayed.answers = c.answers;
        BackgroundRun run(relayed, nullptr);
        int relayedWrites = 0;
        std::optional<RunOutcome> outcome;
        ASSERT_TRUE(run.Start(
            request, [&](const RunResult& result) { outcome = result.outcome; },
            [&] {
                if (++relayedWrites == c.cancelBeforeWrite) run.RequestCancel();
            }));
        ASSERT_TRUE(QTest::qWaitFor([&] { return outcome.has_value(); }, 60000)) << c.label;

        EXPECT_FALSE(direct.lines.empty()) << c.label;
        EXPECT_EQ(relayed.lines, direct.lines) << c.label;
        EXPECT_EQ(relayed.linesOffThread, 0)
            << c.label << ": a notification off the window's thread";
        EXPECT_EQ(relayedWrites, directWrites) << c.label;
        EXPECT_FALSE(run.Working()) << c.label;
    }
}

// A window's run as the window sees it: a late call of a run that was stopped and waited for
// never ends the next one, and the wait for a run that a slow disk holds is bounded.
TEST(BackgroundRunTest, StoppedRunsAreDroppedAndTheirWaitIsBounded) {
    QTemporaryDir folder;
    WriteFile(folder.filePath("uae"), 200000);
    WriteFile(folder.filePath("small"), 1000);
    WriteFile(folder.filePath("large"), 300000);
    const auto requestFor = [&](const char* source, const char* target) {
        return RunRequest{Direction::Encrypt, QFile::encodeName(folder.filePath(source)).data(),
                          QFile::encodeName(folder.filePath(target)).data(), "Secret1",
                          QFile::encodeName(folder.filePath("uae")).data()};
    };
    NotificationLog log;
    BackgroundRun run(log, nullptr);
    std::vector<std::string> ended;
    const auto endedAs = [&](const char* name) {
        return [&ended, name](const RunResult&) { ended.emplace_back(name); };
    };

    // The first run ends on its thread; its end waits in the window's queue when it is stopped.
    ASSERT_TRUE(run.Start(requestFor("small", "first"), endedAs("first")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(folder.filePath("first")); }, 60000));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    run.StopAndWait();
    WriteLatch latch(2);
    ASSERT_TRUE(run.Start(requestFor("large", "second"), endedAs("second"), latch.Hook()));
    QTest::qWait(200);
    EXPECT_TRUE(run.Working()) << "the first run's late end ended the second";
    EXPECT_TRUE(ended.empty());

    // The second run is held by its disk: the wait gives up, and nothing more reaches the window.
    ASSERT_TRUE(latch.Holding());
    const std::size_t linesBefore = log.lines.size();
    run.StopAndWait();
    EXPECT_FALSE(run.Working());
    latch.Release();
    QTest::qWait(300);
    EXPECT_EQ(log.lines.size(), linesBefore) << "a stopped run still reached the window";
    EXPECT_TRUE(ended.empty());
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files),
              (QStringList{"first", "large", "small", "uae"}))
        << "the stopped run left its target or its temporary file";
}

}  // namespace
}  // namespace korvel::testing
