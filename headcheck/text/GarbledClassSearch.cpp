#include "GarbledClassSearch.h"

#include <numeric>

#include "IntrusionScan.h"
#include "RareCharacterSearch.h"
#include "ResidueTally.h"

namespace korvel {
namespace {

// Below this the classes are too few to compare.
constexpr int kShortestPeriod = 3;
// Binary data is often laid out in units of up to 8 bytes.
constexpr int kLongestBinaryUnit = 8;
constexpr int kLeastDistinctIntrusions = 3;

QString Describe(const char* what, const ResidueTally::Window& window) {
    return QString("%1 at password position %2%3 (%4 of %5, elsewhere %6%)")
        .arg(what)
        .arg(window.firstClass + 1)
        .arg(window.width == 2 ? QString(" and %1").arg(window.firstClass + 2) : QString())
        .arg(window.events)
        .arg(window.chances)
        .arg(window.restRate * 100, 0, 'f', 2);
}

}  // namespace

std::optional<QString> GarbledClassSearch::Find(QByteArrayView head, const TextShape& text,
                                                int period) {
    if (period < kShortestPeriod) {
        return std::nullopt;
    }
    if (auto reason = InText(head, text, period)) {
        return reason;
    }
    if (auto reason = InCharacters(head, period)) {
        return reason;
    }
    return InRuns(head, period);
}

// Text breaks nowhere, or everywhere when it is not text; bytes that break it at one password
// position only are a garbled class.
std::optional<QString> GarbledClassSearch::InText(QByteArrayView head, const TextShape& text,
                                                  int period) {
    ResidueTally tally(period);
    const std::vector<std::uint8_t>& bad = text.BadFlags();
    int cls = 0;
    for (qsizetype position = 0; position < head.size(); ++position) {
        tally.AddChanceIn(cls);
        tally.AddEventsIn(cls, bad[static_cast<std::size_t>(position)] != 0);
        cls = cls + 1 == period ? 0 : cls + 1;
    }
    const auto window = tally.Concentration(
        {.minEvents = 4, .minRate = 0.03, .maxRestRatio = 0.2, .maxRestRate = 0.02});
    if (!window) {
        return std::nullopt;
    }
    return Describe("text broken", *window);
}

std::optional<QString> GarbledClassSearch::InCharacters(QByteArrayView head, int period) {
    const auto window = RareCharacterSearch(head, period).Find();
    if (!window) {
        return std::nullopt;
    }
    return Describe("rare characters", *window);
}

std::optional<QString> GarbledClassSearch::InRuns(QByteArrayView head, int period) {
    const IntrusionScan scan(head, period);
    const auto constant =
        scan.ConstantRuns().Concentration({.minEvents = 24,
                                           .minRate = 0.9,
                                           .maxRestRatio = 0.25,
                                           .alignment = std::gcd(period, kLongestBinaryUnit)});
    if (constant && scan.DistinctRunIntrusions(constant->firstClass) >= kLeastDistinctIntrusions) {
        return Describe("runs of one byte broken", *constant);
    }
    const auto printable =
        scan.PrintableRuns().Concentration({.minEvents = 16, .minRate = 0.25, .maxRestRatio = 0.2});
    if (printable) {
        return Describe("printable runs broken", *printable);
    }
    return std::nullopt;
}

}  // namespace korvel
