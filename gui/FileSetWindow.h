#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "FileSetRun.h"
#include "cipher/CipherFormat.h"
#include "queue/SourceGathering.h"
#include "queue/TransferPace.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace korvel {

class WindowDialogs;

// The window that encrypts or decrypts several files and folders in one go: the list of files
// with a state each, one target folder under which folders are mirrored, one password, the
// existing targets' policy asked once, one progress bar by bytes, and one summary at the end.
class FileSetWindow : public QWidget {
public:
    FileSetWindow(Direction direction, WindowDialogs& dialogs, std::function<QString()> keyFilePath,
                  QWidget* parent);

    // Not while working. Replaces the list.
    void SetSources(const QStringList& nativePaths);
    // Fills both password boxes, as a password confirmed in the one-file window.
    void SetPassword(const QString& password);
    bool Working() const { return run_.Working(); }
    // The format the set encrypts in, as chosen; decrypting, the sources' own tell.
    CipherFormat ChosenFormat() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildLayout();
    QComboBox* BuildFormatChoice();
    void ChooseFolderClicked();
    void StartClicked();
    void CancelOrCloseClicked();

    std::optional<std::filesystem::path> TargetFolderOrTell();
    std::optional<ExistingTargets> ExistingTargetsPolicy(const std::vector<QueueEntry>& entries);
    AgeSuffix TargetSuffix() const;
    QueueSettings Settings(ExistingTargets existing) const;
    void ShowEntries(const std::vector<QueueEntry>& entries);
    void ShowEntry(std::size_t index, const QueueEntry& entry);
    void ShowBytes(std::uint64_t done, std::uint64_t total);
    DoubtDecision AskAboutDoubt(const QueueEntry& entry);
    void Ended(const QueueSummary& summary);
    QString SummaryText(const QueueSummary& summary) const;
    void SetWorking(bool working);
    void Tell(const QString& text);

    Direction direction_;
    WindowDialogs& dialogs_;
    std::function<QString()> keyFilePath_;
    std::vector<std::filesystem::path> sources_;
    std::vector<QueueEntry> entries_;  // as the list shows them
    TransferPace pace_;
    bool closeWhenEnded_ = false;

    QTreeWidget* list_ = nullptr;
    QLineEdit* targetFolder_ = nullptr;
    QPushButton* browse_ = nullptr;
    QComboBox* format_ = nullptr;  // encrypting only
    QLineEdit* password_ = nullptr;
    QLineEdit* repeat_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* paceLabel_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* cancelOrClose_ = nullptr;
    FileSetRun run_;
};

}  // namespace korvel
