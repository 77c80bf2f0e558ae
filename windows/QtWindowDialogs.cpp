#include "QtWindowDialogs.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>

#include "DialogFilter.h"
#include "MessageWrapping.h"

namespace korvel {

namespace {

std::optional<QString> ChosenOrNothing(const QString& chosen) {
    if (chosen.isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(chosen);
}

void ShowOkBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text) {
    QMessageBox box(icon, title, WithBreakChances(text), QMessageBox::Ok, parent);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    box.exec();
}

}  // namespace

std::optional<QString> QtWindowDialogs::ShowOpen(QWidget* parent, const QString& filter,
                                                 const QString& fileName) {
    return ChosenOrNothing(
        QFileDialog::getOpenFileName(parent, QString(), fileName, ToQtFilter(filter)));
}

std::optional<QString> QtWindowDialogs::ShowSave(QWidget* parent, const QString& filter,
                                                 const QString& fileName) {
    return ChosenOrNothing(
        QFileDialog::getSaveFileName(parent, QString(), fileName, ToQtFilter(filter)));
}

void QtWindowDialogs::ShowInformation(QWidget* parent, const QString& title, const QString& text) {
    ShowOkBox(parent, QMessageBox::Information, title, text);
}

void QtWindowDialogs::ShowWarning(QWidget* parent, const QString& title, const QString& text) {
    ShowOkBox(parent, QMessageBox::Warning, title, text);
}

bool QtWindowDialogs::AskYesNo(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Question, title, WithBreakChances(text),
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("是"));
    box.button(QMessageBox::No)->setText(QStringLiteral("否"));
    return box.exec() == QMessageBox::Yes;
}

}  // namespace korvel
