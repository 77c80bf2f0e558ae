#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace korvel {

// The answers to the question a decryption asks when its result does not look right.
enum class DoubtAnswer { TypePasswordAgain, DecryptAnyway, Cancel };
// The answers to the question a set of files asks once when some of its targets exist.
enum class ExistingTargetsAnswer { ReplaceAll, SkipExisting, Cancel };

// Every modal dialog and box a cipher window opens goes through this interface, so that tests
// can answer them without a real dialog.
class WindowDialogs {
public:
    virtual ~WindowDialogs() = default;

    // Open and Save dialogs. `filter` uses the "description|pattern|..." form; `fileName` is the
    // name shown when the dialog opens. Returns the chosen full path, or nothing when cancelled.
    virtual std::optional<QString> ShowOpen(QWidget* parent, const QString& filter,
                                            const QString& fileName) = 0;
    virtual std::optional<QString> ShowSave(QWidget* parent, const QString& filter,
                                            const QString& fileName) = 0;
    // The Open dialog that lets the user select several files; by default the one-file dialog.
    virtual std::optional<QStringList> ShowOpenMany(QWidget* parent, const QString& filter,
                                                    const QString& fileName) {
        if (auto chosen = ShowOpen(parent, filter, fileName)) return QStringList{*chosen};
        return std::nullopt;
    }
    // The dialog that chooses an existing folder, opening in `folder`.
    virtual std::optional<QString> ChooseFolder(QWidget* parent, const QString& folder) = 0;

    // Modal boxes with one OK button and the information or warning icon.
    virtual void ShowInformation(QWidget* parent, const QString& title, const QString& text) = 0;
    virtual void ShowWarning(QWidget* parent, const QString& title, const QString& text) = 0;

    // The Yes/No question with the question icon, Yes being the default. True means Yes.
    virtual bool AskYesNo(QWidget* parent, const QString& title, const QString& text) = 0;

    // The question with the warning icon and the buttons "重新输入密码" (the default, also on
    // Enter), "仍然解密" and "取消" (also on Esc).
    virtual DoubtAnswer AskAboutDoubtfulResult(QWidget* parent, const QString& title,
                                               const QString& text) = 0;

    // The question with the question icon and the buttons "全部替换", "跳过已有的" (the
    // default) and "取消" (also on Esc).
    virtual ExistingTargetsAnswer AskAboutExistingTargets(QWidget* parent, const QString& title,
                                                          const QString& text) = 0;
};

}  // namespace korvel
