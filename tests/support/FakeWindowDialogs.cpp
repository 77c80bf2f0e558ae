#include "FakeWindowDialogs.h"

namespace korvel::testing {

namespace {

template <typename T>
T TakeFront(std::deque<T>& queue, T whenEmpty) {
    if (!queue.empty()) {
        whenEmpty = std::move(queue.front());
        queue.pop_front();
    }
    return whenEmpty;
}

}  // namespace

std::optional<QString> FakeWindowDialogs::ShowOpen(QWidget*, const QString& filter,
                                                   const QString& fileName) {
    openCalls.push_back({filter, fileName});
    return TakeFront(openAnswers, std::optional<QString>());
}

std::optional<QString> FakeWindowDialogs::ShowSave(QWidget*, const QString& filter,
                                                   const QString& fileName) {
    saveCalls.push_back({filter, fileName});
    return TakeFront(saveAnswers, std::optional<QString>());
}

std::optional<QStringList> FakeWindowDialogs::ShowOpenMany(QWidget* parent, const QString& filter,
                                                           const QString& fileName) {
    if (openManyAnswers.empty()) return WindowDialogs::ShowOpenMany(parent, filter, fileName);
    openCalls.push_back({filter, fileName});
    return TakeFront(openManyAnswers, QStringList());
}

std::optional<QString> FakeWindowDialogs::ChooseFolder(QWidget*, const QString&) {
    return TakeFront(folderAnswers, std::optional<QString>());
}

void FakeWindowDialogs::ShowInformation(QWidget* parent, const QString& title,
                                        const QString& text) {
    Record(BoxKind::Information, parent, title, text);
}

void FakeWindowDialogs::ShowWarning(QWidget* parent, const QString& title, const QString& text) {
    Record(BoxKind::Warning, parent, title, text);
}

bool FakeWindowDialogs::AskYesNo(QWidget* parent, const QString& title, const QString& text) {
    Record(BoxKind::Question, parent, title, text);
    return TakeFront(questionAnswers, false);
}

DoubtAnswer FakeWindowDialogs::AskAboutDoubtfulResult(QWidget* parent, const QString& title,
                                                      const QString& text) {
    Record(BoxKind::Doubt, parent, title, text);
    return TakeFront(doubtAnswers, DoubtAnswer::Cancel);
}

ExistingTargetsAnswer FakeWindowDialogs::AskAboutExistingTargets(QWidget* parent,
                                                                 const QString& title,
                                                                 const QString& text) {
    Record(BoxKind::ExistingTargets, parent, title, text);
    return TakeFront(existingTargetsAnswers, ExistingTargetsAnswer::Cancel);
}

void FakeWindowDialogs::Record(BoxKind kind, QWidget* parent, const QString& title,
                               const QString& text) {
    boxes.push_back({kind, title, text, parent});
    if (onBox) onBox(boxes.back());
}

}  // namespace korvel::testing
