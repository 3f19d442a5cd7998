#include "app/CtlHook.h"

#include "platform/Catalogue.h"
#include "platform/Exception.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QWidget>

namespace qm {

TControlHook::TControlHook(QObject* owner) : QObject(owner) {}

TControlHook::~TControlHook() {
    Attach(false);
}

void TControlHook::SetControl(QWidget* control) {
    Attach(false);
    FControl = control;
    Attach(true);
}

void TControlHook::SetHookTarget(THookTarget target) {
    Attach(false);
    FTarget = target;
    Attach(true);
}

QWidget* TControlHook::FindHookedWindow() const {
    if (FTarget == THookTarget::htControl)
        return FControl;
    if (FControl != nullptr)
        return FControl->window();
    // Without a control, the form is the one that owns the hook.
    for (QObject* o = parent(); o != nullptr; o = o->parent())
        if (auto* widget = qobject_cast<QWidget*>(o))
            return widget->window();
    return nullptr;
}

QWidget* TControlHook::InputWidgetOf(QWidget* window) {
    if (auto* area = qobject_cast<QAbstractScrollArea*>(window))
        return area->viewport();
    return window;
}

void TControlHook::Attach(bool on) {
    if (!on) {
        disconnect(FHookedGone);
        disconnect(FHandleGone);
        if (FHooked != nullptr)
            FHooked->removeEventFilter(this);
        if (FHandle != nullptr)
            FHandle->removeEventFilter(this);
        FHooked = nullptr;
        FHandle = nullptr;
        FRecreating = false;
        return;
    }
    QWidget* window = FindHookedWindow();
    if (window == nullptr) {
        if (FTarget == THookTarget::htForm)
            throw Exception(Tr("CtlHook", "フック先を特定できません。"));
        return;
    }
    FHooked = window;
    // A window that goes takes the hook with it.
    FHookedGone = connect(window, &QObject::destroyed, this, [this] {
        disconnect(FHandleGone);
        HookHandleChanged(1);
        FHooked = nullptr;
        FHandle = nullptr;
        FRecreating = false;
    });
    window->installEventFilter(this);
    FHandle = InputWidgetOf(window);
    WatchHandle();
    // What a descendant registers on the input widget is registered on it now.
    HookHandleChanged(2);
}

void TControlHook::WatchHandle() {
    if (FHandle == nullptr)
        return;
    if (FHandle != FHooked)
        FHandle->installEventFilter(this);
    disconnect(FHandleGone);
    FHandleGone = connect(FHandle, &QObject::destroyed, this, [this] {
        if (FHandle == FHooked)
            return; // the window itself: its own signal says so
        // The window lives on (a scroll area whose viewport is replaced): its next event
        // brings the new input widget.
        HookHandleChanged(1);
        FHandle = nullptr;
        FRecreating = true;
    });
}

void TControlHook::HookHandleChanged(int kind) {
    if (kind == 1) {
        FHandle = nullptr;
        return;
    }
    QWidget* handle = FHooked != nullptr ? InputWidgetOf(FHooked) : nullptr;
    if (handle != FHandle) {
        if (FHandle != nullptr && FHandle != FHooked)
            FHandle->removeEventFilter(this);
        FHandle = handle;
        WatchHandle();
    }
}

bool TControlHook::HookMessage(QObject*, QEvent*) {
    return false;
}

bool TControlHook::eventFilter(QObject* watched, QEvent* event) {
    if (FRecreating && FHooked != nullptr && InputWidgetOf(FHooked) != nullptr) {
        FRecreating = false;
        HookHandleChanged(2);
    } else if (event->type() == QEvent::WinIdChange && watched == FHandle) {
        // A new native window: what was registered for the old one is registered again.
        HookHandleChanged(2);
    }
    return HookMessage(watched, event);
}

} // namespace qm
