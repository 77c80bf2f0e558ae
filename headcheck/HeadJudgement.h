#pragma once

#include <QString>

namespace korvel {

enum class HeadVerdict { Plausible, Implausible, CannotTell };

// What the judge made of a decrypted head.
struct HeadJudgement {
    HeadVerdict verdict = HeadVerdict::CannotTell;
    QString type;    // what the head was taken for: a MIME type name, e.g. "text/plain"
    QString reason;  // short English reason, for the benchmark and logs (never shown to users)
};

}  // namespace korvel
