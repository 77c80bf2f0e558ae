#include "QtWindowDialogs.h"

#include <QAbstractButton>
#include <QDateTime>
#include <QFileDialog>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QTreeView>

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
std::optional<QString> RunFileDialog(QWidget* parent, QFileDialog::AcceptMode mode,
                                     const QString& filter, const QString& fileName) {
    QFileDialog dialog(parent, QString(), fileName, ToQtFilter(filter));
    dialog.setAcceptMode(mode);
    if (mode == QFileDialog::AcceptOpen) dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setProxyModel(new LocalisedFileColumns(&dialog));
    FitDetailColumns(dialog);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return ChosenOrNothing(dialog.selectedFiles().value(0));
}

void ShowOkBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text) {
    TitleFittingMessageBox box(icon, title, WithBreakChances(text), QMessageBox::Ok, parent);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    box.exec();
}

}  // namespace

std::optional<QString> QtWindowDialogs::ShowOpen(QWidget* parent, const QString& filter,
                                                 const QString& fileName) {
    return RunFileDialog(parent, QFileDialog::AcceptOpen, filter, fileName);
}

std::optional<QString> QtWindowDialogs::ShowSave(QWidget* parent, const QString& filter,
                                                 const QString& fileName) {
    return RunFileDialog(parent, QFileDialog::AcceptSave, filter, fileName);
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
    TitleFittingMessageBox box(QMessageBox::Warning, title, WithBreakChances(text),
                               QMessageBox::NoButton, parent);
    QPushButton* again = box.addButton(QStringLiteral("重新输入密码"), QMessageBox::AcceptRole);
    QPushButton* anyway = box.addButton(QStringLiteral("仍然解密"), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    box.setDefaultButton(again);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == again) return DoubtAnswer::TypePasswordAgain;
    if (box.clickedButton() == anyway) return DoubtAnswer::DecryptAnyway;
    return DoubtAnswer::Cancel;
}

}  // namespace korvel
