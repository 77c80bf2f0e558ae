#pragma once

#include "WindowDialogs.h"

namespace korvel {

// The real dialogs: Qt's file dialogs (native where the platform has them) and message boxes
// whose buttons read "确定", "是" and "否" whatever translations are loaded.
class QtWindowDialogs : public WindowDialogs {
public:
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
};

}  // namespace korvel
