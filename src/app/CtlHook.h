#pragma once
// A hook in front of a control's (or its form's) event handling. It watches the widget that
// receives the control's input (a scroll area's viewport, the control itself otherwise) and
// follows it when Qt replaces it or re-creates its native window, so what a descendant
// registered there (drop acceptance) is registered again on the new one.
#include <QObject>
#include <QPointer>

class QEvent;
class QWidget;

namespace qm {

enum class THookTarget { htControl, htForm };

class TControlHook : public QObject {
    Q_OBJECT
public:
    explicit TControlHook(QObject* owner = nullptr);
    ~TControlHook() override;

    // The control the hook is about; setting it (or the target) hooks anew.
    QWidget* Control() const { return FControl; }
    void SetControl(QWidget* control);
    THookTarget HookTarget() const { return FTarget; }
    void SetHookTarget(THookTarget target);

    // The hooked window (the control, or the form that holds it) and the widget of it that
    // receives input now; null when nothing is hooked or the input widget is gone.
    QWidget* HookedWindow() const { return FHooked; }
    QWidget* HookedHandle() const { return FHandle; }

protected:
    // kind 1: the input widget is gone; kind 2: a new one exists (or its native window was
    // re-created).
    virtual void HookHandleChanged(int kind);
    // Every event of the hooked window and of its input widget; true consumes it.
    virtual bool HookMessage(QObject* watched, QEvent* event);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void Attach(bool on);

private:
    QWidget* FindHookedWindow() const;
    static QWidget* InputWidgetOf(QWidget* window);
    void WatchHandle();

    QPointer<QWidget> FControl;
    THookTarget FTarget = THookTarget::htControl;
    // Cleared by the widgets' destroyed signals, which come while they are still widgets.
    QWidget* FHooked = nullptr;
    QWidget* FHandle = nullptr;
    QMetaObject::Connection FHookedGone;
    QMetaObject::Connection FHandleGone;
    bool FRecreating = false; // the input widget went; the next event looks for the new one
};

} // namespace qm
