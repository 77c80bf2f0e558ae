#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <clocale>

#include "files/FileError.h"
#include "run/CipherRun.h"
#include "tests/support/CipherTestSupport.h"

namespace korvel::test {
namespace {

namespace fs = std::filesystem;

// Runs as the program does on a Chinese user's Linux machine: with the C library's locale set to
// zh_CN.UTF-8 (scripts/install-deps.sh generates it), restored afterwards.
class LocalisedReasonTest : public ::testing::Test {
protected:
    void SetUp() override {
#ifdef _WIN32
        GTEST_SKIP() << "Windows gives its reasons in the system's language, not the C library's";
#endif
        previous_ = std::setlocale(LC_ALL, nullptr);
        if (!std::setlocale(LC_ALL, "zh_CN.UTF-8")) {
            GTEST_SKIP() << "the locale zh_CN.UTF-8 is not installed";
        }
    }
    void TearDown() override {
        if (!previous_.empty()) std::setlocale(LC_ALL, previous_.c_str());
    }

private:
    std::string previous_;
};

bool HasLatinLetters(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](unsigned char c) { return std::isalpha(c); });
}

TEST_F(LocalisedReasonTest, SystemReasonsComeInChinese) {
    const struct {
        int errorNumber;
        const char* reason;
    } cases[] = {
        {ENOSPC, "设备上没有空间"},
        {EROFS, "只读文件系统"},
        {EISDIR, "是一个目录"},
        {EACCES, "权限不够"},
    };
    for (const auto& reasonCase : cases) {
        EXPECT_EQ(SystemReason(reasonCase.errorNumber), reasonCase.reason);
    }
}

TEST_F(LocalisedReasonTest, FailedRunsSayNothingInEnglish) {
    TempFolder folder;
    WriteBytes(folder / "uae", PatternBytes(130000, 1));
    WriteBytes(folder / "file", PatternBytes(5000, 2));
    fs::create_directory(folder / "folder");
    const struct {
        Direction direction;
        fs::path source, target;
    } cases[] = {
        {Direction::Encrypt, folder / "file", folder / "folder"},
        {Direction::Decrypt, folder / "folder", folder / "out"},
    };
    for (const auto& runCase : cases) {
        RecordingObserver observer;
        const RunResult result = CipherRun(
            {runCase.direction, runCase.source, runCase.target, "Secret1", folder / "uae"},
            observer);
        ASSERT_EQ(result.outcome, RunOutcome::Failed) << result.message;
        std::string withoutPath = result.message;
        const std::string path = PathText(result.failedFile);
        if (const auto at = withoutPath.find(path); at != std::string::npos) {
            withoutPath.erase(at, path.size());
        }
        EXPECT_FALSE(HasLatinLetters(withoutPath)) << result.message;
        EXPECT_FALSE(result.reason.empty());
    }
}

}  // namespace
}  // namespace korvel::test
