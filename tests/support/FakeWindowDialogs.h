#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "gui/WindowDialogs.h"

namespace korvel::testing {

// Answers every dialog and box from prepared answers and records what was asked.
class FakeWindowDialogs : public WindowDialogs {
public:
    enum class BoxKind { Information, Warning, Question, Doubt, ExistingTargets };
    struct Box {
        BoxKind kind;
        QString title;
        QString text;
        QWidget* parent;
    };
    struct FileDialogCall {
        QString filter;
        QString fileName;
    };

    std::optional<QString> ShowOpen(QWidget* parent, const QString& filter,
                                    const QString& fileName) override;
    std::optional<QString> ShowSave(QWidget* parent, const QString& filter,
                                    const QString& fileName) override;
    std::optional<QStringList> ShowOpenMany(QWidget* parent, const QString& filter,
                                            const QString& fileName) override;
    std::optional<QString> ChooseFolder(QWidget* parent, const QString& folder) override;
    void ShowInformation(QWidget* parent, const QString& title, const QString& text) override;
    void ShowWarning(QWidget* parent, const QString& title, const QString& text) override;
    bool AskYesNo(QWidget* parent, const QString& title, const QString& text) override;
    DoubtAnswer AskAboutDoubtfulResult(QWidget* parent, const QString& title,
                                       const QString& text) override;
    ExistingTargetsAnswer AskAboutExistingTargets(QWidget* parent, const QString& title,
                                                  const QString& text) override;

    // Answers of the file dialogs in turn; nothing (or an exhausted queue) means cancelled.
    std::deque<std::optional<QString>> openAnswers;
    std::deque<std::optional<QString>> saveAnswers;
    // Answers of the Open dialog with several files; an exhausted queue asks openAnswers.
    std::deque<QStringList> openManyAnswers;
    std::deque<std::optional<QString>> folderAnswers;
    // Answers of the questions in turn; an exhausted queue answers No.
    std::deque<bool> questionAnswers;
    // Answers of the doubtful-result question in turn; an exhausted queue answers Cancel.
    std::deque<DoubtAnswer> doubtAnswers;
    // An exhausted queue answers Cancel.
    std::deque<ExistingTargetsAnswer> existingTargetsAnswers;
    // Called while a box is "open", to look at the window at that moment.
    std::function<void(const Box&)> onBox;

    std::vector<FileDialogCall> openCalls;
    std::vector<FileDialogCall> saveCalls;
    std::vector<Box> boxes;

private:
    void Record(BoxKind kind, QWidget* parent, const QString& title, const QString& text);
};

}  // namespace korvel::testing
