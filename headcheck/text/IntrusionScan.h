#pragma once

#include <QByteArrayView>
#include <bitset>
#include <vector>

#include "ResidueTally.h"

namespace korvel {

// Looks at each byte in the light of its neighbours. Where the neighbours repeat one byte value
// (zero padding, indentation) or are all printable ASCII (strings), the byte is expected to fit
// in; one that does not is an intrusion. A garbled class of positions intrudes into nearly every
// such run, a right decryption only where the data itself does.
//
// The neighbours taken are those not in the byte's own class or the next one, so that two swapped
// password characters, which garble two neighbouring classes, still leave a clean view.
class IntrusionScan {
public:
    IntrusionScan(QByteArrayView bytes, int period);

    const ResidueTally& ConstantRuns() const { return constantRuns_; }
    const ResidueTally& PrintableRuns() const { return printableRuns_; }
    // How many different values the intrusions into runs of one byte took in a class (as their
    // difference from the run's value): a garbled class's are spread by the key bytes, while data
    // laid out in records of the password's length repeats a few type or tag bytes.
    int DistinctRunIntrusions(int cls) const;

private:
    static std::vector<int> NeighbourOffsets(int reach, int period);
    void ScanConstantRuns(QByteArrayView bytes);
    void ScanPrintableRuns(QByteArrayView bytes);

    int period_;
    std::vector<std::bitset<256>> runIntrusionValues_;
    ResidueTally constantRuns_;
    ResidueTally printableRuns_;
};

}  // namespace korvel
