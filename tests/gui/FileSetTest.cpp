#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>

#include "files/FileError.h"
#include "gtest/gtest.h"
#include "gui/FileSetTexts.h"
#include "gui/NativePath.h"
#include "gui/SourceDropTarget.h"
#include "queue/FileQueue.h"
#include "queue/SourceGathering.h"
#include "tests/support/CipherTestSupport.h"
#include "tests/support/WindowHarness.h"

namespace korvel::testing {
namespace {

namespace fs = std::filesystem;
using korvel::test::Bytes;
using korvel::test::ReadBytes;
using korvel::test::WriteBytes;
using Answer = std::optional<DoubtAnswer>;

// Hands `sources` to the window as a drop, fills in the set's window and starts it; returns the
// set's window once the set has ended.
FileSetWindow* RunSet(WindowHarness& harness, const QStringList& sources, const QString& folder,
                      const QString& password) {
    QList<QUrl> urls;
    for (const QString& source : sources) urls.append(QUrl::fromLocalFile(source));
    harness.window().findChild<SourceDropTarget*>()->TakeFiles(urls);
    QCoreApplication::processEvents();
    FileSetWindow* set = harness.window().fileSet();
    if (!set) return nullptr;
    set->findChild<QLineEdit*>(QStringLiteral("targetFolder"))->setText(folder);
    for (const char* box : {"password", "passwordRepeat"}) {
        set->findChild<QLineEdit*>(QString::fromLatin1(box))->setText(password);
    }
    set->findChild<QPushButton*>(QStringLiteral("start"))->click();
    QElapsedTimer waited;
    waited.start();
    while (set->Working() && waited.elapsed() < 30000) QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    return set;
}

Bytes EnglishText(std::size_t lines) {
    std::string text;
    for (std::size_t line = 0; line < lines; ++line) {
        text += "Line " + std::to_string(line) + ": the minutes of the meeting, as agreed.\n";
    }
    return Bytes(text.begin(), text.end());
}

// Encrypts `tree` beside it into "encrypted" with the harness's key file.
void EncryptTree(WindowHarness& harness, const fs::path& tree, const fs::path& into) {
    fs::create_directories(into);
    QueueSettings settings{Direction::Encrypt,
                           "Secret1",
                           ToFilesystemPath(harness.pathInFolder(QStringLiteral("uae"))),
                           ExistingTargets::Refuse,
                           {}};
    FileQueue queue(SourceGathering::Gather({tree / "a.txt", tree / "项目"}, into), settings);
    struct : QueueObserver {
        void EntryChanged(std::size_t, const QueueEntry&) override {}
        void BytesDone(std::uint64_t, std::uint64_t) override {}
        DoubtDecision AskAboutDoubtfulResult(const QueueEntry&) override { return {}; }
    } quiet;
    ASSERT_EQ(queue.Run(quiet).done, 3u);
}

// A set of a file and a folder with a nested folder, in both directions: one question at most for
// the existing targets and one for a doubtful decryption, the folder mirrored under the target
// folder, and one summary.
TEST(FileSetTest, SetOfAFileAndAFolderRunsWithOneQuestionAndOneSummary) {
    const struct {
        const char* label;
        Direction direction;
        const char* password;
        bool targetExists;    // a.txt is already in the target folder; the answer: skip it
        Answer doubt;         // nothing: no doubt question may come
        const char* summary;  // how the summary starts
        int written;          // files written into the target folder
        bool doubtedListed;
    } cases[] = {
        {"encrypt",
         Direction::Encrypt,
         "Secret1",
         false,
         {},
         "完成 3 个文件，跳过 0 个，失败 0 个。",
         3,
         false},
        {"encrypt over one",
         Direction::Encrypt,
         "Secret1",
         true,
         {},
         "完成 2 个文件，跳过 1 个，失败 0 个。",
         2,
         false},
        {"decrypt",
         Direction::Decrypt,
         "Secret1",
         false,
         {},
         "完成 3 个文件，跳过 0 个，失败 0 个。",
         3,
         false},
        {"wrong password, again", Direction::Decrypt, "Wrong12", false,
         DoubtAnswer::TypePasswordAgain, "完成 0 个文件，跳过 3 个，失败 0 个。", 0, false},
        {"wrong password, anyway", Direction::Decrypt, "Wrong34", false, DoubtAnswer::DecryptAnyway,
         "完成 3 个文件，跳过 0 个，失败 0 个。", 3, true},
    };
    for (const auto& setCase : cases) {
        SCOPED_TRACE(setCase.label);
        WindowHarness harness(setCase.direction);
        const fs::path root = ToFilesystemPath(harness.folder());
        const Bytes text = EnglishText(100);
        fs::create_directories(root / "plain" / "项目" / "说明");
        WriteBytes(root / "plain" / "a.txt", text);
        WriteBytes(root / "plain" / "项目" / "b.txt", text);
        WriteBytes(root / "plain" / "项目" / "说明" / "c.txt", text);
        fs::path sources = root / "plain";
        if (setCase.direction == Direction::Decrypt) {
            EncryptTree(harness, sources, root / "encrypted");
            sources = root / "encrypted";
        }
        fs::create_directories(root / "out");
        if (setCase.targetExists) WriteBytes(root / "out" / "a.txt", {1, 2, 3});
        harness.dialogs.existingTargetsAnswers = {ExistingTargetsAnswer::SkipExisting};
        if (setCase.doubt) harness.dialogs.doubtAnswers = {*setCase.doubt};

        FileSetWindow* set = RunSet(harness,
                                    {QString::fromStdString(PathText(sources / "a.txt")),
                                     QString::fromStdString(PathText(sources / "项目"))},
                                    QString::fromStdString(PathText(root / "out")),
                                    QString::fromLatin1(setCase.password));
        ASSERT_NE(set, nullptr);
        EXPECT_EQ(set->findChild<QTreeWidget*>(QStringLiteral("fileList"))->topLevelItemCount(), 3);
        int questions = 0, doubts = 0;
        for (const auto& box : harness.dialogs.boxes) {
            questions += box.kind == FakeWindowDialogs::BoxKind::ExistingTargets;
            doubts += box.kind == FakeWindowDialogs::BoxKind::Doubt;
        }
        EXPECT_EQ(questions, setCase.targetExists ? 1 : 0);
        EXPECT_EQ(doubts, setCase.doubt ? 1 : 0);
        ASSERT_FALSE(harness.dialogs.boxes.empty());
        const QString summary = harness.dialogs.boxes.back().text;
        EXPECT_TRUE(summary.startsWith(QString::fromUtf8(setCase.summary)))
            << summary.toStdString();
        EXPECT_EQ(summary.contains(QString::fromUtf8(kSummaryDoubted)), setCase.doubtedListed);

        int written = 0;
        for (const auto& file : fs::recursive_directory_iterator(root / "out")) {
            written += file.is_regular_file() && file.path() != root / "out" / "a.txt";
        }
        written += setCase.targetExists ? 0 : fs::exists(root / "out" / "a.txt");
        EXPECT_EQ(written, setCase.written);
        if (setCase.targetExists) {
            EXPECT_EQ(ReadBytes(root / "out" / "a.txt"), (Bytes{1, 2, 3}));
        }
        if (setCase.direction == Direction::Decrypt && !setCase.doubt) {
            EXPECT_EQ(ReadBytes(root / "out" / "项目" / "说明" / "c.txt"), text);
        }
    }
}

}  // namespace
}  // namespace korvel::testing
