#include "widgets/DropDownButton.h"

#include <QKeyEvent>
#include <QMenu>

namespace qm {

TDropDownButton::TDropDownButton(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent) {
    // A button that only opens a menu never takes Enter from the dialog's default button.
    setAutoDefault(false);
}

void TDropDownButton::SetDropDownMenu(QMenu* menu) {
    // The push button draws the arrow and places the menu below itself (above it when the
    // screen ends below).
    setMenu(menu);
}

void TDropDownButton::keyPressEvent(QKeyEvent* event) {
    if (menu() != nullptr && event->key() == Qt::Key_Down &&
        (event->modifiers() & ~Qt::AltModifier) == Qt::NoModifier) {
        showMenu();
        return;
    }
    QPushButton::keyPressEvent(event);
}

} // namespace qm
