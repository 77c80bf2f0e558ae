#include "WindowControls.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

#include "BannerBox.h"

namespace korvel {

namespace {

QString Text(const char* utf8) { return utf8 ? QString::fromUtf8(utf8) : QString(); }

QWidget* MakeControl(ControlKind kind, const QString& caption, QWidget* parent) {
    switch (kind) {
        case ControlKind::Button: {
            auto* button = new QPushButton(caption, parent);
            // Enter clicks the focused button; no button is the window's default.
            button->setAutoDefault(true);
            return button;
        }
        case ControlKind::PathBox: {
            auto* box = new QLineEdit(parent);
            box->setReadOnly(true);
            return box;
        }
        case ControlKind::PasswordBox: {
            auto* box = new QLineEdit(parent);
            box->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));  // '*'
            box->setEchoMode(QLineEdit::Password);
            box->setAttribute(Qt::WA_InputMethodEnabled, false);
            return box;
        }
        case ControlKind::Label: {
            auto* label = new QLabel(caption, parent);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            return label;
        }
        case ControlKind::CheckBox: {
            auto* check = new QCheckBox(caption, parent);
            // The box is 12 pixels high, less than the style's usual indicator; a smaller
            // indicator keeps the whole square visible (the style scales it with the screen).
            check->setStyleSheet(
                QStringLiteral("QCheckBox::indicator { width: 10px; height: 10px; }"));
            return check;
        }
        case ControlKind::Banner:
            return new BannerBox(parent);
        case ControlKind::ProgressBar: {
            auto* bar = new QProgressBar(parent);
            bar->setRange(0, 100);
            bar->setTextVisible(false);
            return bar;
        }
    }
    return nullptr;
}

// The rows sorted by one of their per-window orders.
std::vector<const ControlRow*> RowsBy(PerDirection<int> ControlRow::*order, Direction direction) {
    std::vector<const ControlRow*> rows;
    for (const ControlRow& row : Controls()) rows.push_back(&row);
    std::ranges::sort(rows, {},
                      [&](const ControlRow* row) { return (row->*order).For(direction); });
    return rows;
}

}  // namespace

WindowControls::WindowControls(QWidget& window, Direction direction)
    : direction_(direction), widgets_(Controls().size()) {
    for (const ControlRow* row : RowsBy(&ControlRow::creationIndex, direction)) {
        widgets_[static_cast<std::size_t>(row->id)] =
            MakeControl(row->kind, Text(row->caption.For(direction)), &window);
        Place(*row);
    }
    for (const ControlRow& row : Controls()) Describe(row);
    QWidget* previous = nullptr;
    for (const ControlRow* row : RowsBy(&ControlRow::tabIndex, direction_)) {
        QWidget* control = Get(row->id);
        if (control->focusPolicy() == Qt::NoFocus) continue;
        if (previous) QWidget::setTabOrder(previous, control);
        previous = control;
    }
}

void WindowControls::Place(const ControlRow& row) {
    QWidget* control = Get(row.id);
    control->setObjectName(QString::fromLatin1(row.name));
    control->setGeometry(ToPixels(row.twips));
    if (row.initially == InitialState::Hidden) control->hide();
    if (row.initially == InitialState::Disabled) control->setEnabled(false);
}

// Each label names the box beside it; the controls whose caption is ambiguous or missing get a
// name of their own, so that a screen reader can tell every control apart.
void WindowControls::Describe(const ControlRow& row) {
    if (row.buddy) Get<QLabel>(row.id)->setBuddy(Get(*row.buddy));
    if (const char* name = row.accessibleName.For(direction_)) {
        Get(row.id)->setAccessibleName(QString::fromUtf8(name));
    }
}

void WindowControls::FocusFirst() const {
    for (const ControlRow* row : RowsBy(&ControlRow::tabIndex, direction_)) {
        QWidget* control = Get(row->id);
        const bool canFocus = (control->focusPolicy() & Qt::TabFocus) != 0;
        if (canFocus && !control->isHidden() && control->isEnabled()) {
            control->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

}  // namespace korvel
