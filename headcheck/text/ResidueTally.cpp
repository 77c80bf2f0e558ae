#include "ResidueTally.h"

#include <algorithm>

#include "BinomialTail.h"

namespace korvel {
namespace {

// Judged at the rest's rate as seen, nudged up by one event, so that a rest with few chances does
// not make any window stand out.
bool StandsOut(const ResidueTally::Window& window, const ResidueTally::Rule& rule) {
    const double restRate = std::min(
        0.5, (window.restRate * double(window.restChances) + 1) / double(window.restChances + 2));
    return BinomialTail::LogAtLeast(window.events, window.chances, restRate) <= rule.maxLogChance;
}

}  // namespace

ResidueTally::ResidueTally(int period)
    : period_(period), chances_(static_cast<std::size_t>(period)), events_(chances_.size()) {}

std::optional<ResidueTally::Window> ResidueTally::Concentration(const Rule& rule) const {
    std::optional<Window> strongest;
    for (int width = 1; width <= 2; ++width) {
        for (int first = 0; first < period_; ++first) {
            const std::optional<Window> window = Measure(first, width, rule.alignment);
            if (!window || window->events < rule.minEvents || window->Rate() < rule.minRate ||
                window->restRate > rule.maxRestRatio * window->Rate() ||
                window->restRate > rule.maxRestRate || !StandsOut(*window, rule)) {
                continue;
            }
            if (!strongest || window->Rate() > strongest->Rate()) {
                strongest = window;
            }
        }
    }
    return strongest;
}

// The window's classes against the rest, leaving out the classes right beside it: a garbled byte
// can spoil how its neighbours are read.
std::optional<ResidueTally::Window> ResidueTally::Measure(int firstClass, int width,
                                                          int alignment) const {
    Window window{firstClass, width};
    qsizetype restEvents = 0;
    qsizetype restChances = 0;
    for (int offset = -1; offset < period_ - 1; ++offset) {
        const int cls = (firstClass + offset + period_) % period_;
        if (offset >= 0 && offset < width) {
            window.events += events_[cls];
            window.chances += chances_[cls];
        } else if (offset != -1 && offset != width && offset % alignment < width) {
            restEvents += events_[cls];
            restChances += chances_[cls];
        }
    }
    if (window.chances == 0 || restChances == 0) {
        return std::nullopt;
    }
    window.restRate = double(restEvents) / double(restChances);
    window.restChances = restChances;
    return window;
}

}  // namespace korvel
