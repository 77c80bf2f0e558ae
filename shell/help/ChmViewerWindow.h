#pragma once

#include <QString>
#include <QStyle>
#include <QWidget>
#include <memory>
#include <vector>

#include "ChmTopic.h"

class QTreeWidget;
class QTreeWidgetItem;
class QToolButton;

namespace korvel {

class ChmArchive;
class ChmTextBrowser;

// The built-in help viewer: the table of contents on the left, the pages on the right.
// A plain top-level window, so the help stays usable beside the other windows and a run.
class ChmViewerWindow : public QWidget {
    Q_OBJECT
public:
    explicit ChmViewerWindow(QWidget* parent = nullptr);
    ~ChmViewerWindow() override;

    // Loads the file and shows its first page; false if it cannot be read as a .chm file.
    bool OpenFile(const QString& filePath);
    QString FilePath() const { return filePath_; }

    QTreeWidget* Contents() const { return contents_; }
    ChmTextBrowser* Browser() const { return browser_; }

private:
    void BuildLayout();
    QToolButton* NavigationButton(const QString& text, QStyle::StandardPixmap icon);
    void FillContents(const std::vector<ChmTopic>& topics);
    void AddTopics(const std::vector<ChmTopic>& topics, QTreeWidgetItem* parent);
    QString HomePage(const std::vector<ChmTopic>& topics) const;
    void ShowHomePage();
    void ShowTopicOf(QTreeWidgetItem* item);
    void SelectTopicFor(const QUrl& source);

    std::unique_ptr<ChmArchive> archive_;
    QString filePath_;
    QString homePage_;
    QTreeWidget* contents_ = nullptr;
    ChmTextBrowser* browser_ = nullptr;
    QToolButton* backButton_ = nullptr;
    QToolButton* forwardButton_ = nullptr;
    QToolButton* homeButton_ = nullptr;
};

}  // namespace korvel
