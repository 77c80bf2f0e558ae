#pragma once

#include <QtGlobal>
#include <optional>
#include <vector>

namespace korvel {

// Counts, for each residue class of positions modulo the password's length, how often something
// could be seen there (chances) and how often it was (events). A password character that is wrong
// garbles one class of positions, or two neighbouring ones when two characters are swapped, so the
// events of a wrong decryption gather in such a window while those of a right one spread evenly.
class ResidueTally {
public:
    struct Window {
        int firstClass = 0;
        int width = 1;
        qsizetype events = 0;
        qsizetype chances = 0;
        double restRate = 0;  // the event rate of the classes it is compared with
        qsizetype restChances = 0;

        double Rate() const { return chances == 0 ? 0.0 : double(events) / double(chances); }
    };

    struct Rule {
        qsizetype minEvents = 4;
        double minRate = 0.5;
        double maxRestRatio = 0.2;  // the rest's rate at most this part of the window's
        double maxRestRate = 1.0;
        // The window's events must be this unlikely at the rest's rate (log of the chance).
        double maxLogChance = -13.8;  // one in a million
        // Classes are compared only with classes at the same offset modulo this, so that data
        // laid out in units of 2, 4 or 8 bytes is not mistaken for a garbled class; 1 compares
        // each class with all others.
        int alignment = 1;
    };

    explicit ResidueTally(int period);

    int Period() const { return period_; }
    void AddChance(qsizetype position) { ++chances_[ClassOf(position)]; }
    void AddEvent(qsizetype position) { ++events_[ClassOf(position)]; }
    // The same for a class given as such, for loops that step through the classes themselves.
    void AddChanceIn(int cls) { ++chances_[static_cast<std::size_t>(cls)]; }
    void AddEventIn(int cls) { ++events_[static_cast<std::size_t>(cls)]; }
    void AddEventsIn(int cls, int count) { events_[static_cast<std::size_t>(cls)] += count; }
    // The window of one or two neighbouring classes whose events stand out most under the rule.
    std::optional<Window> Concentration(const Rule& rule) const;

private:
    std::size_t ClassOf(qsizetype position) const {
        return static_cast<std::size_t>(position % period_);
    }
    std::optional<Window> Measure(int firstClass, int width, int alignment) const;

    int period_;
    std::vector<qsizetype> chances_;
    std::vector<qsizetype> events_;
};

}  // namespace korvel
