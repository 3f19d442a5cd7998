#pragma once
// Small helpers for the controls of the dialogs.
#include <QApplication>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QWidget;

namespace qm {

// The busy cursor for the length of a list-wide change.
class TWaitCursor {
public:
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

// A check box with its object name and caption (UTF-8).
QCheckBox* NewCheckBox(QWidget* parent, const char* name, const QString& caption);
// A box that shows a value: selectable, read-only, not a tab stop.
QLineEdit* NewReadOnlyEdit(QWidget* parent, const char* name);
// A drop-down list that takes no free text, with its items; an item's index is the number it
// stands for.
QComboBox* NewChoiceList(QWidget* parent, const char* name, const QStringList& items);
// Selects the item of a stored number; a number that names no item selects the fallback item,
// so a list always shows (and hands on) a value of its range.
void SetChoice(QComboBox* list, int value, int fallback);

} // namespace qm
