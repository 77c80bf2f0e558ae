#pragma once

#include <QtGlobal>

namespace korvel {

// Natural logarithms of binomial tail probabilities: how likely a count this far out is by chance.
class BinomialTail {
public:
    // log P(X <= seen) for X ~ Binomial(trials, rate).
    static double LogAtMost(qsizetype seen, qsizetype trials, double rate);
    // log P(X >= seen) for X ~ Binomial(trials, rate).
    static double LogAtLeast(qsizetype seen, qsizetype trials, double rate);
};

}  // namespace korvel
