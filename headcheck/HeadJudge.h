#pragma once

#include <QByteArrayView>
#include <QString>

#include "HeadJudgement.h"

namespace korvel {

// Judges whether a decrypted head is plausibly what the file held, so that a wrong password or
// key file can be told before the whole file is decrypted. Wrong first password characters or a
// wrong key file turn any data into random bytes; a wrong later character garbles the positions
// it is used at (every Len-th byte), and one character too many garbles nearly every byte.
class HeadJudge {
public:
    static constexpr qsizetype kHeadSize = qsizetype{64} * 1024;

    // head: the first kHeadSize bytes of the decrypted data (all of it when shorter);
    // wholeFile: head holds the whole plaintext; targetName: the file name the plaintext gets
    // (its extension counts); passwordLength: the tried password's length Len.
    HeadJudgement Judge(QByteArrayView head, bool wholeFile, const QString& targetName,
                        int passwordLength) const;
};

}  // namespace korvel
