#pragma once
// What the dialogs reach of the main window. The main window implements it; a dialog receives it
// (or the parts it needs) as an argument, so no dialog includes the main window and tests can
// hand a dialog a small stand-in.
#include <string>

class QAbstractButton;
class QHeaderView;
class QTreeView;
class QWidget;

namespace qm {

class TExtIniFile;

class TMainAccess {
public:
    virtual ~TMainAccess();

    // The settings store of the program.
    virtual TExtIniFile& iniMain() = 0;
    // The installed-application database ("Quillmate.his").
    virtual std::string DatabaseFileName() const = 0;
    // Placement of a form and widths of a list's columns, kept under the form's object name and
    // the given key.
    virtual void LoadFormState(QWidget* form) = 0;
    virtual void SaveFormState(QWidget* form) = 0;
    virtual void LoadListColumns(QTreeView* listView, const std::string& name) = 0;
    virtual void SaveListColumns(QTreeView* listView, const std::string& name) = 0;
    // Shows or removes the elevation shield on a button that leads to the installer or the
    // uninstaller (only where the system shows shields).
    virtual void SetButtonShield(QAbstractButton* button, bool show) = 0;
};

} // namespace qm
