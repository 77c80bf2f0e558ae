#include "IntrusionScan.h"

#include <cstdint>

namespace korvel {
namespace {

// How far on each side the neighbours reach. Long enough that values packed a few bytes apart
// (counters, small integers) do not count as runs, short enough that a run of padding gives many.
constexpr int kConstantReach = 6;
constexpr int kPrintableReach = 3;

bool IsPrintable(std::uint8_t byte) { return byte >= 0x20 && byte <= 0x7E; }

bool FitsAmongPrintable(std::uint8_t byte) {
    return IsPrintable(byte) || byte == '\t' || byte == '\n' || byte == '\r';
}

}  // namespace

IntrusionScan::IntrusionScan(QByteArrayView bytes, int period)
    : period_(period),
      runIntrusionValues_(static_cast<std::size_t>(period)),
      constantRuns_(period),
      printableRuns_(period) {
    ScanConstantRuns(bytes);
    ScanPrintableRuns(bytes);
}

std::vector<int> IntrusionScan::NeighbourOffsets(int reach, int period) {
    std::vector<int> offsets;
    for (int offset = -reach; offset <= reach; ++offset) {
        const int cls = ((offset % period) + period) % period;
        if (cls != 0 && cls != 1 % period) {
            offsets.push_back(offset);
        }
    }
    return offsets;
}

void IntrusionScan::ScanConstantRuns(QByteArrayView bytes) {
    const std::vector<int> offsets = NeighbourOffsets(kConstantReach, period_);
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    int cls = kConstantReach % period_;
    for (qsizetype n = kConstantReach; n + kConstantReach < bytes.size();
         ++n, cls = cls + 1 == period_ ? 0 : cls + 1) {
        const std::uint8_t value = data[n + offsets.front()];
        bool run = true;
        for (const int offset : offsets) {
            if (data[n + offset] != value) {
                run = false;
                break;
            }
        }
        if (run) {
            constantRuns_.AddChanceIn(cls);
            if (data[n] != value) {
                constantRuns_.AddEventIn(cls);
                runIntrusionValues_[static_cast<std::size_t>(cls)].set(data[n] ^ value);
            }
        }
    }
}

int IntrusionScan::DistinctRunIntrusions(int cls) const {
    return static_cast<int>(runIntrusionValues_[static_cast<std::size_t>(cls)].count());
}

// A zero byte is left out: it ends strings in most binary formats.
void IntrusionScan::ScanPrintableRuns(QByteArrayView bytes) {
    const std::vector<int> offsets = NeighbourOffsets(kPrintableReach, period_);
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    int cls = kPrintableReach % period_;
    for (qsizetype n = kPrintableReach; n + kPrintableReach < bytes.size();
         ++n, cls = cls + 1 == period_ ? 0 : cls + 1) {
        if (data[n] == 0) {
            continue;
        }
        bool run = true;
        for (const int offset : offsets) {
            if (!IsPrintable(data[n + offset])) {
                run = false;
                break;
            }
        }
        if (run) {
            printableRuns_.AddChanceIn(cls);
            if (!FitsAmongPrintable(data[n])) {
                printableRuns_.AddEventIn(cls);
            }
        }
    }
}

}  // namespace korvel
