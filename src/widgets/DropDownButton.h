#pragma once
// A push button that opens a menu below itself and shows an arrow for it, as the quick settings
// of a dialog do. The menu also opens from the keyboard (Down or Alt+Down while it has the
// focus), and an entry of the menu runs as soon as it is chosen.
#include <QPushButton>

class QMenu;

namespace qm {

class TDropDownButton : public QPushButton {
    Q_OBJECT
public:
    explicit TDropDownButton(const QString& caption, QWidget* parent = nullptr);

    // The menu shown below the button (not owned; usually a child of the same form).
    void SetDropDownMenu(QMenu* menu);
    QMenu* DropDownMenu() const { return menu(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace qm
