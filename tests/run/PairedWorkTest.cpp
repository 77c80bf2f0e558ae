#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "run/PairedWork.h"

namespace korvel::test {
namespace {

// Each piece's two shares are both done before Run returns, whether the second thread was still
// looking for work (pieces back to back) or had gone to sleep (a pause between pieces longer than
// it looks), and without a second thread.
TEST(PairedWorkTest, BothSharesAreDoneBeforeEachPieceEnds) {
    const struct {
        bool secondThread;
        std::chrono::microseconds pause;
        int pieces;
    } rows[] = {
        {true, std::chrono::microseconds(0), 20000},
        {true, std::chrono::microseconds(2000), 100},
        {false, std::chrono::microseconds(0), 1000},
    };
    for (const auto& row : rows) {
        PairedWork work(row.secondThread);
        std::vector<int> done[2] = {std::vector<int>(row.pieces), std::vector<int>(row.pieces)};
        for (int piece = 0; piece < row.pieces; ++piece) {
            work.Run([&](int share) { done[share][piece] = piece + 1; });
            ASSERT_EQ(done[0][piece], piece + 1) << piece;
            ASSERT_EQ(done[1][piece], piece + 1) << piece;
            if (row.pause.count() > 0) std::this_thread::sleep_for(row.pause);
        }
    }
}

}  // namespace
}  // namespace korvel::test
