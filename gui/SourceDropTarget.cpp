#include "SourceDropTarget.h"

#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include "WindowDialogs.h"
#include "WindowTexts.h"

namespace korvel {

const QString SourceDropTarget::kNotOnThisComputer = QStringLiteral("只能拖入本机上的文件");

SourceDropTarget::SourceDropTarget(QWidget& window, const QWidget& targetBox,
                                   WindowDialogs& dialogs, BusyCheck busy, SourceSetter setSource,
                                   SetTaker takeSet)
    : QObject(&window),
      window_(window),
      targetBox_(targetBox),
      dialogs_(dialogs),
      busy_(std::move(busy)),
      setSource_(std::move(setSource)),
      takeSet_(std::move(takeSet)) {
    // Drags go to the innermost widget that accepts drops; text boxes accept text by default,
    // so without this a path could be dropped into a password box as text.
    for (QWidget* child : window.findChildren<QWidget*>()) child->setAcceptDrops(false);
    window.setAcceptDrops(true);
    window.installEventFilter(this);
}

bool SourceDropTarget::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &window_) return false;
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto& move = static_cast<QDragMoveEvent&>(*event);
            if (Offers(move.position().toPoint(), move.mimeData())) {
                move.setDropAction(Qt::CopyAction);
                move.accept();
            } else {
                move.ignore();
            }
            return true;
        }
        case QEvent::Drop:
            Take(static_cast<QDropEvent&>(*event));
            return true;
        default:
            return false;
    }
}

bool SourceDropTarget::Offers(const QPoint& position, const QMimeData* data) const {
    if (!data || !data->hasUrls() || busy_()) return false;
    return !targetBox_.rect().contains(targetBox_.mapFrom(&window_, position));
}

void SourceDropTarget::Take(QDropEvent& event) {
    if (!Offers(event.position().toPoint(), event.mimeData())) {
        event.ignore();
        return;
    }
    event.setDropAction(Qt::CopyAction);
    event.accept();
    TakeFiles(event.mimeData()->urls());
}

void SourceDropTarget::TakeFiles(const QList<QUrl>& urls) {
    QStringList paths;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile()) return TellLater(kNotOnThisComputer);
        paths.append(QDir::toNativeSeparators(url.toLocalFile()));
    }
    if (paths.isEmpty()) return;
    if (paths.size() == 1 && !QFileInfo(paths.first()).isDir()) return setSource_(paths.first());
    // The set's window opens after the drop has finished, like a box would.
    QMetaObject::invokeMethod(
        this, [this, paths] { takeSet_(paths); }, Qt::QueuedConnection);
}

// The drag source waits for the drop to finish; a box shown inside the drop would keep it (a
// file manager, say) waiting until the box is closed.
void SourceDropTarget::TellLater(const QString& text) {
    QMetaObject::invokeMethod(
        this, [this, text] { dialogs_.ShowInformation(&window_, kNoticeTitle, text); },
        Qt::QueuedConnection);
}

}  // namespace korvel
