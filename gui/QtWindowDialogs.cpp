#include "QtWindowDialogs.h"

#include <QAbstractButton>
#include <QDateTime>
#include <QFileDialog>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QTreeView>
#include <algorithm>
#include <array>

#include "DialogFilter.h"
#include "LocalisedFileColumns.h"
#include "MessageWrapping.h"
#include "TitleFittingMessageBox.h"

namespace korvel {

namespace {

std::optional<QString> ChosenOrNothing(const QString& chosen) {
    if (chosen.isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(chosen);
}

// Qt's own file dialog (where the platform has none) gives its detail columns fixed widths that
// cut sizes and types. They get the width of their longest usual text instead, measured once:
// sizing them to their contents would measure every row again as a large folder loads.
void FitDetailColumns(QFileDialog& dialog) {
    auto* details = dialog.findChild<QTreeView*>();
    if (!details) return;
    const QLocale locale;
    const QFontMetrics metrics(details->font());
    const QString widest[] = {
        locale.formattedDataSize(1023LL * 1024 * 1024 * 1024), QStringLiteral("xlsx 文件"),
        locale.toString(QDateTime(QDate(2026, 12, 28), QTime(23, 59)), QLocale::ShortFormat)};
    QHeaderView* header = details->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < header->count() && column <= 3; ++column) {
        header->resizeSection(
            column, metrics.horizontalAdvance(widest[column - 1]) + 2 * metrics.averageCharWidth());
    }
}

// `fileName` names both the folder the dialog opens in and the file it proposes.
std::optional<QStringList> RunFileDialog(QWidget* parent, QFileDialog::AcceptMode mode,
                                         QFileDialog::FileMode fileMode, const QString& filter,
                                         const QString& fileName) {
    QFileDialog dialog(parent, QString(), fileName, ToQtFilter(filter));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(fileMode);
    dialog.setProxyModel(new LocalisedFileColumns(&dialog));
    FitDetailColumns(dialog);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    QStringList chosen;
    for (const QString& file : dialog.selectedFiles()) {
        if (auto path = ChosenOrNothing(file)) chosen.append(*path);
    }
    if (chosen.isEmpty()) return std::nullopt;
    return chosen;
}

std::optional<QString> FirstOf(const std::optional<QStringList>& chosen) {
    if (!chosen) return std::nullopt;
    return chosen->first();
}

void ShowOkBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text) {
    TitleFittingMessageBox box(icon, title, WithBreakChances(text), QMessageBox::Ok, parent);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    box.exec();
}

using ButtonText = std::pair<QString, QMessageBox::ButtonRole>;

// A box with three buttons, `defaultIndex` the one on Enter and the last on Esc. Returns the index
// of the button clicked; a box closed otherwise counts as the last.
int AskWithThreeButtons(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                        const QString& text, const std::array<ButtonText, 3>& buttons,
                        int defaultIndex) {
    TitleFittingMessageBox box(icon, title, WithBreakChances(text), QMessageBox::NoButton, parent);
    std::array<QPushButton*, 3> added{};
    for (std::size_t index = 0; index < buttons.size(); ++index) {
        added[index] = box.addButton(buttons[index].first, buttons[index].second);
    }
    box.setDefaultButton(added[static_cast<std::size_t>(defaultIndex)]);
    box.setEscapeButton(added.back());
    box.exec();
    const auto clicked = std::find(added.begin(), added.end(), box.clickedButton());
    return clicked == added.end() ? 2 : static_cast<int>(clicked - added.begin());
}

}  // namespace

std::optional<QString> QtWindowDialogs::ShowOpen(QWidget* parent, const QString& filter,
                                                 const QString& fileName) {
    return FirstOf(RunFileDialog(parent, QFileDialog::AcceptOpen, QFileDialog::ExistingFile, filter,
                                 fileName));
}

std::optional<QStringList> QtWindowDialogs::ShowOpenMany(QWidget* parent, const QString& filter,
                                                         const QString& fileName) {
    return RunFileDialog(parent, QFileDialog::AcceptOpen, QFileDialog::ExistingFiles, filter,
                         fileName);
}

std::optional<QString> QtWindowDialogs::ChooseFolder(QWidget* parent, const QString& folder) {
    return ChosenOrNothing(QFileDialog::getExistingDirectory(parent, QString(), folder));
}

std::optional<QString> QtWindowDialogs::ShowSave(QWidget* parent, const QString& filter,
                                                 const QString& fileName) {
    return FirstOf(
        RunFileDialog(parent, QFileDialog::AcceptSave, QFileDialog::AnyFile, filter, fileName));
}

void QtWindowDialogs::ShowInformation(QWidget* parent, const QString& title, const QString& text) {
    ShowOkBox(parent, QMessageBox::Information, title, text);
}

void QtWindowDialogs::ShowWarning(QWidget* parent, const QString& title, const QString& text) {
    ShowOkBox(parent, QMessageBox::Warning, title, text);
}

bool QtWindowDialogs::AskYesNo(QWidget* parent, const QString& title, const QString& text) {
    TitleFittingMessageBox box(QMessageBox::Question, title, WithBreakChances(text),
                               QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("是"));
    box.button(QMessageBox::No)->setText(QStringLiteral("否"));
    return box.exec() == QMessageBox::Yes;
}

DoubtAnswer QtWindowDialogs::AskAboutDoubtfulResult(QWidget* parent, const QString& title,
                                                    const QString& text) {
    const int clicked =
        AskWithThreeButtons(parent, QMessageBox::Warning, title, text,
                            {{{QStringLiteral("重新输入密码"), QMessageBox::AcceptRole},
                              {QStringLiteral("仍然解密"), QMessageBox::DestructiveRole},
                              {QStringLiteral("取消"), QMessageBox::RejectRole}}},
                            0);
    const DoubtAnswer answers[] = {DoubtAnswer::TypePasswordAgain, DoubtAnswer::DecryptAnyway,
                                   DoubtAnswer::Cancel};
    return answers[clicked];
}

ExistingTargetsAnswer QtWindowDialogs::AskAboutExistingTargets(QWidget* parent,
                                                               const QString& title,
                                                               const QString& text) {
    const int clicked =
        AskWithThreeButtons(parent, QMessageBox::Question, title, text,
                            {{{QStringLiteral("全部替换"), QMessageBox::DestructiveRole},
                              {QStringLiteral("跳过已有的"), QMessageBox::AcceptRole},
                              {QStringLiteral("取消"), QMessageBox::RejectRole}}},
                            1);
    const ExistingTargetsAnswer answers[] = {ExistingTargetsAnswer::ReplaceAll,
                                             ExistingTargetsAnswer::SkipExisting,
                                             ExistingTargetsAnswer::Cancel};
    return answers[clicked];
}

}  // namespace korvel
