// Which files beside a target a run sweeps away as the leftovers of runs that died: only unheld
// regular files named as the run names temporary files for that very target.
#include <gtest/gtest.h>

#include <string>

#include "files/TemporaryTarget.h"
#include "run/CipherRun.h"
#include "tests/support/CipherTestSupport.h"

namespace korvel::test {
namespace {

namespace fs = std::filesystem;

struct SweepCase {
    const char* label;
    std::string target;
    std::string beside;
    bool swept;
};

TEST(LeftoverSweep, OnlyTheTargetsOwnTemporaryNamesAreRemoved) {
    const std::string longName(250, 'n');  // too long for "<name>.korvel-XXXXXX.part"
    const SweepCase cases[] = {
        {"the target's temporary file", "old", "old.korvel-3fa2c1.part", true},
        {"another target's", "old", "older.korvel-3fa2c1.part", false},
        {"another target's short form", "old", ".korvel-3fa2c1.part", false},
        {"a long target's short form", longName, ".korvel-3fa2c1.part", true},
        {"upper-case digits", "old", "old.korvel-3FA2C1.part", false},
        {"five digits", "old", "old.korvel-3fa2c.part", false},
        {"seven digits", "old", "old.korvel-3fa2c10.part", false},
        {"something after .part", "old", "old.korvel-3fa2c1.part.keep", false},
        {"no mark", "old", "old.3fa2c1.part", false},
    };
    for (const SweepCase& c : cases) {
        SCOPED_TRACE(c.label);
        TempFolder folder;
        WriteBytes(folder / "uae", PatternBytes(70000, 1));
        WriteBytes(folder / "plain", PatternBytes(5000, 2));
        WriteBytes(folder / c.target, PatternBytes(100, 3));
        WriteBytes(folder / c.beside, PatternBytes(100, 4));
        RecordingObserver observer;
        ASSERT_EQ(CipherRun({Direction::Encrypt, folder / "plain", folder / c.target, "sweeping",
                             folder / "uae"},
                            observer)
                      .outcome,
                  RunOutcome::Completed);
        EXPECT_EQ(fs::exists(folder / c.beside), !c.swept);
        EXPECT_EQ(fs::file_size(folder / c.target), 5010u);
    }
}

TEST(LeftoverSweep, AFolderWithATemporaryNameIsLeftAlone) {
    TempFolder folder;
    WriteBytes(folder / "uae", PatternBytes(70000, 1));
    WriteBytes(folder / "plain", PatternBytes(5000, 2));
    fs::create_directory(folder / "old.korvel-3fa2c1.part");
    WriteBytes(folder / "old.korvel-3fa2c1.part" / "inside", PatternBytes(10, 5));
    RecordingObserver observer;
    ASSERT_EQ(CipherRun({Direction::Encrypt, folder / "plain", folder / "old", "sweeping",
                         folder / "uae"},
                        observer)
                  .outcome,
              RunOutcome::Completed);
    EXPECT_TRUE(fs::exists(folder / "old.korvel-3fa2c1.part" / "inside"));
}

}  // namespace
}  // namespace korvel::test
