#pragma once

#include <QRect>
#include <optional>
#include <span>

#include "cipher/Direction.h"

namespace korvel {

// The controls that both cipher windows own. Their names, roles and properties are in kControls.
enum class ControlId {
    ChooseSourceButton,
    ChooseTargetButton,
    ConfirmPasswordButton,
    RunButton,
    HelpButton,
    ChangePasswordButton,
    CancelButton,
    SourceBox,
    TargetBox,
    PasswordEntry,
    PasswordRepeat,
    SourceLabel,
    TargetLabel,
    PasswordLabel,
    RepeatLabel,
    ProgressLabel,
    ShowPasswordCheck,
    BannerPicture,
    PercentBar,
};

enum class ControlKind { Button, PathBox, PasswordBox, Label, CheckBox, Banner, ProgressBar };

// How a control starts: shown and enabled, hidden until a run shows it, or disabled until the
// password is confirmed.
enum class InitialState { Normal, Hidden, Disabled };

// A value that may differ between the encrypt and the decrypt window.
template <typename T>
struct PerDirection {
    constexpr PerDirection(T both) : encrypt(both), decrypt(both) {}
    constexpr PerDirection(T encryptValue, T decryptValue)
        : encrypt(encryptValue), decrypt(decryptValue) {}
    constexpr T For(Direction direction) const {
        return direction == Direction::Encrypt ? encrypt : decrypt;
    }
    T encrypt;
    T decrypt;
};

// Position and size in the window's client area, in twips (15 to a pixel).
struct TwipRect {
    int left, top, width, height;
};

// Twips to pixels, rounded to the nearest pixel.
constexpr int TwipsToPixels(int twips) { return (twips + 7) / 15; }

QRect ToPixels(const TwipRect& twips);

// One control of the cipher windows. Texts are UTF-8; nullptr means none.
struct ControlRow {
    ControlId id;
    const char* name;
    ControlKind kind;
    TwipRect twips;
    PerDirection<const char*> caption = nullptr;
    // What a screen reader says where the caption alone would not tell the controls apart.
    PerDirection<const char*> accessibleName = nullptr;
    std::optional<ControlId> buddy = std::nullopt;  // the control a label names
    PerDirection<int> tabIndex;
    PerDirection<int> creationIndex;  // the order in which the window creates its controls
    InitialState initially = InitialState::Normal;
    const char* purpose;
};

// Every control of both windows.
std::span<const ControlRow> Controls();

const ControlRow& RowOf(ControlId id);

// Client-area size of both windows.
inline constexpr int kWindowClientWidth = TwipsToPixels(9330);
inline constexpr int kWindowClientHeight = TwipsToPixels(7230);

}  // namespace korvel
