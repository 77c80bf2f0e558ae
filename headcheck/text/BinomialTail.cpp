#include "BinomialTail.h"

#include <algorithm>
#include <cmath>

namespace korvel {
namespace {

double LogTerm(qsizetype k, qsizetype trials, double rate) {
    return std::lgamma(double(trials) + 1) - std::lgamma(double(k) + 1) -
           std::lgamma(double(trials - k) + 1) + double(k) * std::log(rate) +
           double(trials - k) * std::log1p(-rate);
}

double LogSum(double a, double b) {
    return std::max(a, b) + std::log1p(std::exp(-std::abs(a - b)));
}

// Sums the terms from first to last, which run away from the distribution's middle, stopping
// once they no longer count.
double LogSumOfTerms(qsizetype first, qsizetype last, qsizetype step, qsizetype trials,
                     double rate) {
    double total = LogTerm(first, trials, rate);
    for (qsizetype k = first + step; k != last + step; k += step) {
        const double term = LogTerm(k, trials, rate);
        total = LogSum(total, term);
        if (term < total - 40) {
            break;
        }
    }
    return total;
}

}  // namespace

double BinomialTail::LogAtMost(qsizetype seen, qsizetype trials, double rate) {
    if (seen >= trials || rate <= 0) {
        return 0;
    }
    if (rate >= 1) {
        return -INFINITY;
    }
    return LogSumOfTerms(seen, 0, -1, trials, rate);
}

double BinomialTail::LogAtLeast(qsizetype seen, qsizetype trials, double rate) {
    if (seen <= 0 || rate >= 1) {
        return 0;
    }
    if (seen > trials || rate <= 0) {
        return -INFINITY;
    }
    return LogSumOfTerms(seen, trials, 1, trials, rate);
}

}  // namespace korvel
