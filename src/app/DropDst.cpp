#include "app/DropDst.h"

#include "app/Application.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <stdexcept>

namespace qm {

TDropDst::TDropDst(QObject* owner) : TControlHook(owner) {}

void TDropDst::SetAcceptDrop(bool value) {
    if (value == FAcceptDrop)
        return;
    FAcceptDrop = value;
    UpdateAcceptFiles();
}

void TDropDst::SetTarget(THookTarget target) {
    SetHookTarget(target);
    UpdateAcceptFiles();
}

void TDropDst::UpdateAcceptFiles() {
    if (QWidget* handle = HookedHandle())
        handle->setAcceptDrops(FAcceptDrop);
}

void TDropDst::HookHandleChanged(int kind) {
    TControlHook::HookHandleChanged(kind);
    UpdateAcceptFiles();
}

QStringList TDropDst::LocalFiles(const QMimeData* data) {
    QStringList files;
    if (data == nullptr || !data->hasUrls())
        return files;
    // One link dragged from a browser is handed over as it is, to be downloaded.
    if (data->urls().size() == 1) {
        const QUrl url = data->urls().constFirst();
        if (url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http"))
            return {url.toString(QUrl::FullyEncoded)};
    }
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile() || url.toLocalFile().isEmpty())
            return {};
        files << url.toLocalFile();
    }
    return files;
}

bool TDropDst::HookMessage(QObject* watched, QEvent* event) {
    if (watched != HookedHandle())
        return TControlHook::HookMessage(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (FAcceptDrop && !LocalFiles(drag->mimeData()).isEmpty()) {
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QStringList files = LocalFiles(drop->mimeData());
        if (!FAcceptDrop || files.isEmpty()) {
            drop->ignore();
            return true;
        }
        // The drop is taken whatever the handler makes of it, so the desktop's drag ends.
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        try {
            DropFiles(files, drop->position().toPoint());
        } catch (const std::exception& error) {
            TApplication::ShowException(error);
        }
        return true;
    }
    default:
        return TControlHook::HookMessage(watched, event);
    }
}

void TDropDst::DropFiles(const QStringList& files, const QPoint& point) {
    if (OnFileDrop)
        OnFileDrop(this, files, point.x(), point.y());
}

} // namespace qm
