#pragma once

#include <QString>

namespace korvel {

// Message boxes wrap their text only where a line may break, and cut off what does not fit; a
// long file name without spaces or separators would lose its end, more so at high scale
// factors, where the box is narrower in logical pixels. This puts an invisible break chance
// (U+200B) into every unbroken stretch longer than `longestRun` characters; shorter text comes
// back unchanged.
QString WithBreakChances(const QString& text, int longestRun = 40);

}  // namespace korvel
