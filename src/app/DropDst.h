#pragma once
// A drop target for files from the desktop: the hooked control accepts drags that carry local
// files and hands the dropped names, in the order the desktop gives them, to OnFileDrop.
#include "app/CtlHook.h"

#include <QPoint>
#include <QStringList>

#include <functional>

class QMimeData;

namespace qm {

class TDropDst : public TControlHook {
    Q_OBJECT
public:
    // sender, the full names of the dropped files, and the drop point in the input widget.
    using TFileDropEvent =
        std::function<void(QObject* sender, const QStringList& files, int x, int y)>;

    explicit TDropDst(QObject* owner = nullptr);

    bool AcceptDrop() const { return FAcceptDrop; }
    void SetAcceptDrop(bool value);
    THookTarget Target() const { return HookTarget(); }
    void SetTarget(THookTarget target);

    TFileDropEvent OnFileDrop;

    // The local files a drag carries, in its order, or the one web address (http, https) it
    // carries alone; empty when it carries anything else (several addresses, text), which is
    // then refused as a whole.
    static QStringList LocalFiles(const QMimeData* data);

protected:
    void HookHandleChanged(int kind) override;
    bool HookMessage(QObject* watched, QEvent* event) override;

private:
    void UpdateAcceptFiles();
    void DropFiles(const QStringList& files, const QPoint& point);

    bool FAcceptDrop = true;
};

} // namespace qm
