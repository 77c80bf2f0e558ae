#include "MessageWrapping.h"

#include <QTextBoundaryFinder>

namespace korvel {

namespace {

constexpr QChar kZeroWidthSpace(0x200B);

// Appends one stretch between two break chances, adding a break chance every `longestRun`
// characters; a surrogate pair is never split.
void AppendBreakable(QString& result, QStringView stretch, int longestRun) {
    int run = 0;
    for (const QChar unit : stretch) {
        const bool pairContinues = unit.isLowSurrogate();
        if (run >= longestRun && !pairContinues) {
            result += kZeroWidthSpace;
            run = 0;
        }
        result += unit;
        if (!pairContinues) ++run;
    }
}

}  // namespace

QString WithBreakChances(const QString& text, int longestRun) {
    QString result;
    result.reserve(text.size() + text.size() / qMax(longestRun, 1));
    QTextBoundaryFinder lines(QTextBoundaryFinder::Line, text);
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = lines.toNextBoundary();
        if (end < 0 || end > text.size()) end = text.size();
        AppendBreakable(result, QStringView(text).mid(start, end - start), longestRun);
        start = end;
    }
    return result;
}

}  // namespace korvel
