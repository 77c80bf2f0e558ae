#include "FileSetWindow.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cmath>

#include "DecryptionDoubt.h"
#include "FileSetTexts.h"
#include "NativePath.h"
#include "PasswordCheck.h"
#include "WindowCentring.h"
#include "WindowDialogs.h"
#include "WindowTexts.h"
#include "files/FileError.h"
#include "queue/SourceGathering.h"
#include "run/RunMessages.h"

namespace korvel {

namespace fs = std::filesystem;

namespace {

constexpr int kProgressSteps = 1000;

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

QString NativeText(const fs::path& path) {
    return QDir::toNativeSeparators(QString::fromStdString(PathText(path)));
}

QString StateText(const QueueEntry& entry) {
    const QString reason = QString::fromStdString(entry.reason).replace('\n', ' ');
    switch (entry.state) {
        case EntryState::Waiting:
            return Text(kWaiting);
        case EntryState::Working:
            return Text(kWorking);
        case EntryState::Done:
            return Text(entry.doubted ? kDoneDoubted : kDone);
        case EntryState::Skipped:
            return Text(kSkipped) + reason;
        case EntryState::Failed:
            return Text(kFailed) + reason;
    }
    return {};
}

QString TimeText(double seconds) {
    const long long whole = std::llround(seconds);
    if (whole < 60) return Text(kSeconds).arg(whole);
    return Text(kMinutesSeconds).arg(whole / 60).arg(whole % 60);
}

// At most `limit` lines, then how many are left out.
QString LinesOf(const QStringList& lines, qsizetype limit = 10) {
    QString text = lines.mid(0, limit).join('\n');
    if (lines.size() > limit) text += '\n' + Text(kSummaryMore).arg(lines.size() - limit);
    return text;
}

}  // namespace

FileSetWindow::FileSetWindow(Direction direction, WindowDialogs& dialogs,
                             std::function<QString()> keyFilePath, QWidget* parent)
    : QWidget(parent, Qt::Window),
      direction_(direction),
      dialogs_(dialogs),
      keyFilePath_(std::move(keyFilePath)),
      run_({[this](std::size_t index, const QueueEntry& entry) { ShowEntry(index, entry); },
            [this](std::uint64_t done, std::uint64_t total) { ShowBytes(done, total); },
            [this](const QueueEntry& entry) { return AskAboutDoubt(entry); },
            [this](const QueueSummary& summary) { Ended(summary); }},
           this) {
    setObjectName(QStringLiteral("FileSet"));
    setWindowTitle(Text(direction == Direction::Encrypt ? kEncryptSetCaption : kDecryptSetCaption));
    BuildLayout();
    resize(640, 460);
    CentreOnScreen(*this);
}

void FileSetWindow::BuildLayout() {
    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("fileList"));
    list_->setHeaderLabels({Text(kFileColumn), Text(kStateColumn)});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    list_->header()->setStretchLastSection(false);
    list_->header()->resizeSection(1, 200);

    auto* fields = new QGridLayout;
    targetFolder_ = new QLineEdit(this);
    targetFolder_->setObjectName(QStringLiteral("targetFolder"));
    browse_ = new QPushButton(Text(kBrowseButton), this);
    password_ = new QLineEdit(this);
    password_->setObjectName(QStringLiteral("password"));
    repeat_ = new QLineEdit(this);
    repeat_->setObjectName(QStringLiteral("passwordRepeat"));
    for (QLineEdit* box : {password_, repeat_}) box->setEchoMode(QLineEdit::Password);
    int row = 0;
    fields->addWidget(new QLabel(Text(kTargetFolderLabel), this), row, 0);
    fields->addWidget(targetFolder_, row, 1);
    fields->addWidget(browse_, row++, 2);
    if (direction_ == Direction::Encrypt) {
        format_ = BuildFormatChoice();
        auto* label = new QLabel(Text(kFormatLabel), this);
        label->setBuddy(format_);
        fields->addWidget(label, row, 0);
        fields->addWidget(format_, row++, 1, 1, 2);
    }
    fields->addWidget(new QLabel(Text(kPasswordLabel), this), row, 0);
    fields->addWidget(password_, row++, 1, 1, 2);
    fields->addWidget(new QLabel(Text(kRepeatLabel), this), row, 0);
    fields->addWidget(repeat_, row, 1, 1, 2);

    progress_ = new QProgressBar(this);
    progress_->setRange(0, kProgressSteps);
    progress_->setValue(0);
    paceLabel_ = new QLabel(this);
    paceLabel_->setObjectName(QStringLiteral("pace"));

    start_ = new QPushButton(Text(kStartButton), this);
    start_->setObjectName(QStringLiteral("start"));
    start_->setDefault(true);
    cancelOrClose_ = new QPushButton(Text(kCloseButton), this);
    cancelOrClose_->setObjectName(QStringLiteral("cancelOrClose"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(paceLabel_, 1);
    buttons->addWidget(start_);
    buttons->addWidget(cancelOrClose_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(fields);
    layout->addWidget(progress_);
    layout->addLayout(buttons);

    connect(browse_, &QPushButton::clicked, this, &FileSetWindow::ChooseFolderClicked);
    connect(start_, &QPushButton::clicked, this, &FileSetWindow::StartClicked);
    connect(cancelOrClose_, &QPushButton::clicked, this, &FileSetWindow::CancelOrCloseClicked);
    // Enter in the last box starts, as the default button would in a dialog.
    connect(repeat_, &QLineEdit::returnPressed, this, &FileSetWindow::StartClicked);

    // What is filled in first comes first, then the list. The choice of format, which most sets
    // leave at its default, comes after them, so that the way through the boxes stays as it was.
    std::vector<QWidget*> order = {targetFolder_, browse_,        password_, repeat_,
                                   start_,        cancelOrClose_, list_};
    if (format_) order.push_back(format_);
    for (std::size_t next = 1; next < order.size(); ++next) {
        QWidget::setTabOrder(order[next - 1], order[next]);
    }
    targetFolder_->setFocus();
}

QComboBox* FileSetWindow::BuildFormatChoice() {
    auto* choice = new QComboBox(this);
    choice->setObjectName(QStringLiteral("format"));
    choice->setAccessibleName(Text(kFormatChoiceName));
    choice->setToolTip(Text(kFormatChoiceTip));
    choice->addItem(Text(kSeedFormatChoice),
                    QVariant::fromValue(static_cast<int>(CipherFormat::Seed)));
    choice->addItem(Text(kAgeFormatChoice),
                    QVariant::fromValue(static_cast<int>(CipherFormat::Age)));
    choice->setCurrentIndex(0);
    return choice;
}

CipherFormat FileSetWindow::ChosenFormat() const {
    if (!format_) return CipherFormat::Seed;
    return static_cast<CipherFormat>(format_->currentData().toInt());
}

void FileSetWindow::SetSources(const QStringList& nativePaths) {
    if (Working()) return;
    sources_.clear();
    for (const QString& path : nativePaths) sources_.push_back(ToFilesystemPath(path));
    ShowEntries(SourceGathering::Gather(sources_, fs::path()));
    progress_->setValue(0);
    paceLabel_->clear();
}

void FileSetWindow::SetPassword(const QString& password) {
    password_->setText(password);
    repeat_->setText(password);
}

void FileSetWindow::ChooseFolderClicked() {
    if (auto folder = dialogs_.ChooseFolder(this, targetFolder_->text())) {
        targetFolder_->setText(*folder);
    }
}

void FileSetWindow::CancelOrCloseClicked() {
    if (Working()) {
        run_.Cancel();
    } else {
        close();
    }
}

// ---- Starting ----

void FileSetWindow::StartClicked() {
    if (Working()) return;
    const std::optional<fs::path> folder = TargetFolderOrTell();
    if (!folder) return;
    if (auto refusal = PasswordRefusal(password_->text(), repeat_->text())) return Tell(*refusal);
    if (!QFileInfo(keyFilePath_()).isFile()) return Tell(Text(kMissingKeyFile));
    std::vector<QueueEntry> entries = SourceGathering::Gather(sources_, *folder, TargetSuffix());
    if (entries.empty()) return Tell(Text(kNothingToDo));
    const std::optional<ExistingTargets> existing = ExistingTargetsPolicy(entries);
    if (!existing) return;
    ShowEntries(entries);
    pace_ = TransferPace();
    ShowBytes(0, 1);
    SetWorking(true);
    run_.Start(std::move(entries), Settings(*existing));
}

std::optional<fs::path> FileSetWindow::TargetFolderOrTell() {
    const QString text = targetFolder_->text().trimmed();
    if (text.isEmpty() || !QFileInfo(text).isDir()) {
        Tell(Text(kChooseTargetFolder));
        return std::nullopt;
    }
    const fs::path folder = ToFilesystemPath(text);
    if (auto refusal = SourceGathering::Refusal(sources_, folder)) {
        Tell(QString::fromStdString(*refusal));
        return std::nullopt;
    }
    return folder;
}

// Asked once for the whole set, and only when some target exists.
std::optional<ExistingTargets> FileSetWindow::ExistingTargetsPolicy(
    const std::vector<QueueEntry>& entries) {
    qsizetype existing = 0;
    for (const QueueEntry& entry : entries) {
        std::error_code error;
        if (entry.state == EntryState::Waiting &&
            fs::exists(fs::symlink_status(entry.target, error)))
            ++existing;
    }
    if (existing == 0) return ExistingTargets::Refuse;
    switch (dialogs_.AskAboutExistingTargets(this, Text(kNoticeTitle),
                                             Text(kExistingTargets).arg(existing))) {
        case ExistingTargetsAnswer::ReplaceAll:
            return ExistingTargets::Replace;
        case ExistingTargetsAnswer::SkipExisting:
            return ExistingTargets::Skip;
        case ExistingTargetsAnswer::Cancel:
            break;
    }
    return std::nullopt;
}

// Age targets are named as age files; a decryption gives back the names they had before.
AgeSuffix FileSetWindow::TargetSuffix() const {
    if (direction_ == Direction::Decrypt) return AgeSuffix::Drop;
    return ChosenFormat() == CipherFormat::Age ? AgeSuffix::Append : AgeSuffix::None;
}

QueueSettings FileSetWindow::Settings(ExistingTargets existing) const {
    QueueSettings settings;
    settings.direction = direction_;
    settings.format = ChosenFormat();
    settings.password = password_->text().toStdString();
    settings.keyFile = ToFilesystemPath(keyFilePath_());
    settings.existing = existing;
    if (direction_ == Direction::Decrypt) {
        settings.looksWrong = &DecryptionDoubt::LooksWrong;
    }
    return settings;
}

// ---- While the set works ----

void FileSetWindow::ShowEntries(const std::vector<QueueEntry>& entries) {
    entries_ = entries;
    list_->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(entries.size()));
    for (const QueueEntry& entry : entries) {
        items.append(new QTreeWidgetItem({NativeText(entry.source), StateText(entry)}));
    }
    list_->addTopLevelItems(items);
}

void FileSetWindow::ShowEntry(std::size_t index, const QueueEntry& entry) {
    if (index >= entries_.size()) return;
    entries_[index] = entry;
    QTreeWidgetItem* item = list_->topLevelItem(static_cast<int>(index));
    item->setText(1, StateText(entry));
    if (entry.state == EntryState::Working) list_->scrollToItem(item);
}

void FileSetWindow::ShowBytes(std::uint64_t done, std::uint64_t total) {
    pace_.Update(done, total);
    progress_->setValue(static_cast<int>(std::lround(pace_.Fraction() * kProgressSteps)));
    const QLocale locale;
    const auto size = [&locale](double bytes) {
        return locale.formattedDataSize(static_cast<qint64>(bytes), 1,
                                        QLocale::DataSizeTraditionalFormat);
    };
    const std::optional<double> left = pace_.SecondsLeft();
    paceLabel_->setText(Text(kPace).arg(
        size(static_cast<double>(done)), size(static_cast<double>(total)),
        size(pace_.BytesPerSecond()), left ? TimeText(*left) : QStringLiteral("—")));
}

DoubtDecision FileSetWindow::AskAboutDoubt(const QueueEntry& entry) {
    const QString fingerprint = DecryptionDoubt::FingerprintText(ToFilesystemPath(keyFilePath_()));
    const QString text = Text(kDoubtfulSetResult).arg(NativeText(entry.source), fingerprint);
    switch (dialogs_.AskAboutDoubtfulResult(this, Text(kNoticeTitle), text)) {
        case DoubtAnswer::DecryptAnyway:
            return DoubtDecision::DecryptAll;
        case DoubtAnswer::TypePasswordAgain:
            password_->setFocus(Qt::OtherFocusReason);
            password_->selectAll();
            return DoubtDecision::StopHere;
        case DoubtAnswer::Cancel:
            break;
    }
    return DoubtDecision::StopHere;
}

// ---- The end ----

void FileSetWindow::Ended(const QueueSummary& summary) {
    SetWorking(false);
    if (closeWhenEnded_) {
        close();
        return;
    }
    if (summary.failed > 0) {
        dialogs_.ShowWarning(this, Text(kNoticeTitle), SummaryText(summary));
    } else {
        dialogs_.ShowInformation(this, Text(kNoticeTitle), SummaryText(summary));
    }
}

QString FileSetWindow::SummaryText(const QueueSummary& summary) const {
    QString text = Text(kSummary).arg(summary.done).arg(summary.skipped).arg(summary.failed);
    if (summary.stoppedForDoubt)
        text += '\n' + Text(kSummaryStoppedForDoubt);
    else if (summary.cancelled)
        text += '\n' + Text(kSummaryCancelled);
    QStringList failures;
    QStringList doubted;
    for (const QueueEntry& entry : entries_) {
        const QString name = NativeText(entry.source);
        if (entry.state == EntryState::Failed) {
            failures.append(name + "：" + QString::fromStdString(entry.reason).replace('\n', ' '));
        }
        if (entry.state == EntryState::Done && entry.doubted) doubted.append(name);
    }
    if (!failures.isEmpty()) text += "\n\n" + Text(kSummaryFailures) + '\n' + LinesOf(failures);
    if (!doubted.isEmpty()) text += "\n\n" + Text(kSummaryDoubted) + '\n' + LinesOf(doubted);
    return text;
}

void FileSetWindow::SetWorking(bool working) {
    for (QWidget* control :
         std::initializer_list<QWidget*>{start_, browse_, targetFolder_, password_, repeat_}) {
        control->setEnabled(!working);
    }
    if (format_) format_->setEnabled(!working);
    cancelOrClose_->setText(Text(working ? kCancelButton : kCloseButton));
}

void FileSetWindow::Tell(const QString& text) {
    dialogs_.ShowInformation(this, Text(kNoticeTitle), text);
}

// Closing the window while the set works cancels it; the window goes once the set has ended.
void FileSetWindow::closeEvent(QCloseEvent* event) {
    if (Working()) {
        closeWhenEnded_ = true;
        run_.Cancel();
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

}  // namespace korvel
