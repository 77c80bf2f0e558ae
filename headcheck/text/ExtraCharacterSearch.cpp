#include "ExtraCharacterSearch.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "BinomialTail.h"

namespace korvel {
namespace {

constexpr int kShortestRightPart = 4;
// Text that breaks in every other window breaking nowhere in the right one by chance.
constexpr double kMostLikelyByChance = 0.03;
// In right data a byte value's rate varies little between the windows of a cycle: over the
// corpus the right window's most frequent value was at most 2.1 times as common there as in the
// window where it was most common otherwise, over all of /usr at most 3.4 times.
constexpr double kLeastLift = 4;
// Fewer bytes in the right window make its most frequent value's rate too rough to compare.
constexpr qsizetype kLeastValueSample = 48;
constexpr qsizetype kLeastOtherBad = 10;
constexpr double kLeastOtherBadRate = 0.05;
constexpr double kMostRightBadRate = 0.01;
constexpr qsizetype kLeastShortTextTail = 32;
constexpr double kLeastShortTextBadRate = 0.15;

}  // namespace

// The windows of one cycle: window 0 is where the right keystream returns. The first cycle is
// left out, since a file's first bytes differ from the rest in any case.
std::vector<ExtraCharacterSearch::WindowCounts> ExtraCharacterSearch::CountWindows(
    QByteArrayView head, const std::vector<std::uint8_t>& bad, int period) {
    const qsizetype rightPart = period - 1;
    const qsizetype cycle = rightPart * period;
    std::vector<WindowCounts> windows(static_cast<std::size_t>(period));
    std::size_t index = 0;
    qsizetype left = rightPart;  // bytes left in the current window
    for (qsizetype n = cycle; n < head.size(); ++n) {
        WindowCounts& window = windows[index];
        ++window.bytes;
        window.bad += bad[static_cast<std::size_t>(n)] == TextShape::kBreaks;
        ++window.values[static_cast<std::uint8_t>(head[n])];
        if (--left == 0) {
            left = rightPart;
            index = index + 1 == windows.size() ? 0 : index + 1;
        }
    }
    return windows;
}

ExtraCharacterSearch::ExtraCharacterSearch(QByteArrayView head, const TextShape& text, int period)
    : head_(head), period_(period), bad_(text.BadFlags()) {
    if (period - 1 >= kShortestRightPart) {
        windows_ = CountWindows(head, bad_, period);
    }
}

bool ExtraCharacterSearch::HasTwoCycles() const {
    return !windows_.empty() && windows_[0].bytes >= 2LL * (period_ - 1);
}

// Text that reads right where the right keystream returns and breaks everywhere else.
std::optional<QString> ExtraCharacterSearch::InText() const {
    const qsizetype rightPart = period_ - 1;
    if (rightPart < kShortestRightPart ||
        std::find(bad_.begin(), bad_.begin() + std::min(rightPart, head_.size()),
                  TextShape::kBreaks) != bad_.begin() + std::min(rightPart, head_.size())) {
        return std::nullopt;
    }
    if (!HasTwoCycles()) {
        return std::nullopt;
    }
    const std::vector<WindowCounts>& windows = windows_;
    qsizetype otherBytes = 0;
    qsizetype otherBad = 0;
    for (std::size_t index = 1; index < windows.size(); ++index) {
        otherBytes += windows[index].bytes;
        otherBad += windows[index].bad;
    }
    const double otherRate = otherBytes == 0 ? 0.0 : double(otherBad) / double(otherBytes);
    if (otherBad < kLeastOtherBad || otherRate < kLeastOtherBadRate ||
        windows[0].BadRate() > kMostRightBadRate) {
        return std::nullopt;
    }
    const double logTail = BinomialTail::LogAtMost(windows[0].bad, windows[0].bytes, otherRate);
    if (logTail > std::log(kMostLikelyByChance)) {
        return std::nullopt;
    }
    return QString(
               "text reads right only where one character fewer would give the right keystream "
               "(%1% broken there, %2% elsewhere)")
        .arg(windows[0].BadRate() * 100, 0, 'f', 1)
        .arg(otherRate * 100, 0, 'f', 1);
}

// The data's most frequent byte value where the right keystream returns, much rarer in every
// other window.
std::optional<QString> ExtraCharacterSearch::InValues() const {
    if (!HasTwoCycles() || windows_[0].bytes < kLeastValueSample) {
        return std::nullopt;
    }
    const std::vector<WindowCounts>& windows = windows_;
    const auto& values = windows[0].values;
    const auto top =
        static_cast<std::size_t>(std::max_element(values.begin(), values.end()) - values.begin());
    double mostElsewhere = 0;
    for (std::size_t index = 1; index < windows.size(); ++index) {
        mostElsewhere = std::max(mostElsewhere, windows[index].Rate(top));
    }
    if (windows[0].Rate(top) < kLeastLift * mostElsewhere) {
        return std::nullopt;
    }
    return QString(
               "byte value %1 is %2 times as common where one character fewer would give the "
               "right keystream as in any other window")
        .arg(top)
        .arg(windows[0].Rate(top) / mostElsewhere, 0, 'f', 1);
}

std::optional<QString> ExtraCharacterSearch::InShortText() const {
    const qsizetype rightPart = period_ - 1;
    if (rightPart < kShortestRightPart || HasTwoCycles() ||
        head_.size() < rightPart + kLeastShortTextTail) {
        return std::nullopt;
    }
    const auto tailStart = bad_.begin() + rightPart;
    if (std::find(bad_.begin(), tailStart, TextShape::kBreaks) != tailStart) {
        return std::nullopt;
    }
    const qsizetype tailBad = std::count(tailStart, bad_.end(), TextShape::kBreaks);
    const double tailRate = double(tailBad) / double(head_.size() - rightPart);
    if (tailBad < kLeastOtherBad || tailRate < kLeastShortTextBadRate) {
        return std::nullopt;
    }
    return QString("text for the first %1 bytes, then %2% of the bytes break it")
        .arg(rightPart)
        .arg(tailRate * 100, 0, 'f', 1);
}

}  // namespace korvel
