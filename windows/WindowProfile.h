#pragma once

#include <QRect>
#include <QString>
#include <optional>
#include <vector>

#include "CipherRun.h"

namespace korvel {

// The controls that both cipher windows own, by their names.
enum class ControlId {
    Command1,
    Command2,
    Command3,
    Command4,
    Command5,
    Command6,
    Command7,
    Text1,
    Text2,
    Text3,
    Text4,
    Label1,
    Label2,
    Label3,
    Label4,
    Label5,
    Check1,
    Picture1,
    ProgressBar1,
};

// The object name of a control, such as "Command4".
QString ControlName(ControlId id);

// Position and size of a control inside the client area, in pixels. The same in both windows.
QRect ControlGeometry(ControlId id);

// Everything in which the encrypt and the decrypt window differ.
struct WindowProfile {
    Direction direction;
    QString caption;
    QString command4Caption;
    QString label1Caption;
    QString label2Caption;
    QString bannerResource;
    // What a screen reader says for controls whose caption alone does not tell them apart.
    QString text1AccessibleName;
    QString text2AccessibleName;
    QString command1AccessibleName;
    QString command2AccessibleName;
    QString bannerAccessibleName;
    // Filters set on the dialog object before an Open or a Save; nothing means left alone.
    std::optional<QString> openFilter;
    std::optional<QString> saveFilter;
    std::vector<ControlId> creationOrder;
    std::vector<ControlId> tabOrder;  // every control, by increasing TabIndex

    static WindowProfile Encrypt();
    static WindowProfile Decrypt();
};

// Client-area size of both windows, in pixels.
inline constexpr int kWindowClientWidth = 9330 / 15;
inline constexpr int kWindowClientHeight = 7230 / 15;

}  // namespace korvel
