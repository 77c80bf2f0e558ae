#include "ChmViewerWindow.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include "ChmArchive.h"
#include "ChmContentsParser.h"
#include "ChmTextBrowser.h"
#include "HtmlTextDecoder.h"

namespace korvel {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kContentsWidth = 220;
constexpr int kPageWidth = 600;
constexpr int kWindowHeight = 560;

QString WithoutFragment(const QUrl& url) { return ChmTextBrowser::PathOf(url).toLower(); }

}  // namespace

ChmViewerWindow::ChmViewerWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("使用说明"));
    setWindowIcon(QIcon(QStringLiteral(":/pictures/icon_main.png")));
    // The viewer never keeps the program alive once the program's own windows are gone.
    setAttribute(Qt::WA_QuitOnClose, false);
    BuildLayout();
    resize(kContentsWidth + kPageWidth, kWindowHeight);
}

ChmViewerWindow::~ChmViewerWindow() = default;

QToolButton* ChmViewerWindow::NavigationButton(const QString& text, QStyle::StandardPixmap icon) {
    auto* button = new QToolButton(this);
    button->setText(text);
    button->setIcon(style()->standardIcon(icon));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    return button;
}

void ChmViewerWindow::BuildLayout() {
    backButton_ = NavigationButton(QStringLiteral("后退"), QStyle::SP_ArrowBack);
    backButton_->setEnabled(false);
    forwardButton_ = NavigationButton(QStringLiteral("前进"), QStyle::SP_ArrowForward);
    forwardButton_->setEnabled(false);
    homeButton_ = NavigationButton(QStringLiteral("主页"), QStyle::SP_DirHomeIcon);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(backButton_);
    buttons->addWidget(forwardButton_);
    buttons->addWidget(homeButton_);
    buttons->addStretch();

    contents_ = new QTreeWidget;
    contents_->setHeaderHidden(true);
    contents_->setColumnCount(1);
    contents_->setAccessibleName(QStringLiteral("目录"));
    browser_ = new ChmTextBrowser;
    browser_->setAccessibleName(QStringLiteral("帮助内容"));

    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(contents_);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({kContentsWidth, kPageWidth});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(buttons);
    layout->addWidget(splitter, 1);

    connect(backButton_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    connect(forwardButton_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
    connect(homeButton_, &QToolButton::clicked, this, &ChmViewerWindow::ShowHomePage);
    connect(browser_, &QTextBrowser::backwardAvailable, backButton_, &QToolButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forwardButton_, &QToolButton::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this, &ChmViewerWindow::SelectTopicFor);
    connect(contents_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { ShowTopicOf(current); });
}

bool ChmViewerWindow::OpenFile(const QString& filePath) {
    std::unique_ptr<ChmArchive> archive = ChmArchive::Open(filePath);
    if (!archive) return false;

    std::vector<ChmTopic> topics;
    if (const auto sitemap = archive->Read(archive->ContentsFile()); sitemap) {
        topics = ChmContentsParser::Parse(HtmlTextDecoder::Decode(*sitemap));
    }
    browser_->SetArchive(archive.get());
    archive_ = std::move(archive);
    filePath_ = filePath;
    homePage_ = HomePage(topics);
    FillContents(topics);

    browser_->clearHistory();
    browser_->clear();
    browser_->setSource(QUrl());
    ShowHomePage();
    return true;
}

QString ChmViewerWindow::HomePage(const std::vector<ChmTopic>& topics) const {
    if (!archive_->DefaultTopic().isEmpty()) return archive_->DefaultTopic();
    for (const ChmTopic& topic : topics) {
        if (!topic.path.isEmpty()) return topic.path;
    }
    return QStringLiteral("/index.html");
}

void ChmViewerWindow::FillContents(const std::vector<ChmTopic>& topics) {
    const QSignalBlocker blocker(contents_);
    contents_->clear();
    AddTopics(topics, nullptr);
    contents_->expandAll();
}

void ChmViewerWindow::AddTopics(const std::vector<ChmTopic>& topics, QTreeWidgetItem* parent) {
    for (const ChmTopic& topic : topics) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(contents_);
        item->setText(0, topic.name);
        if (!topic.path.isEmpty()) {
            item->setData(0, kPathRole, ChmTextBrowser::UrlOf(topic.path));
        }
        AddTopics(topic.children, item);
    }
}

void ChmViewerWindow::ShowHomePage() { browser_->setSource(ChmTextBrowser::UrlOf(homePage_)); }

void ChmViewerWindow::ShowTopicOf(QTreeWidgetItem* item) {
    if (item == nullptr) return;
    const QUrl url = item->data(0, kPathRole).toUrl();
    if (url.isEmpty() || WithoutFragment(url) == WithoutFragment(browser_->source())) return;
    browser_->setSource(url);
}

void ChmViewerWindow::SelectTopicFor(const QUrl& source) {
    const QString page = WithoutFragment(source);
    for (QTreeWidgetItemIterator it(contents_); *it; ++it) {
        const QUrl url = (*it)->data(0, kPathRole).toUrl();
        if (!url.isEmpty() && WithoutFragment(url) == page) {
            const QSignalBlocker blocker(contents_);
            contents_->setCurrentItem(*it);
            return;
        }
    }
}

}  // namespace korvel
