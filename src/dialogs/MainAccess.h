#pragma once
// What the dialogs reach of the main window. The main window implements it; a dialog receives it
// (or the parts it needs) as an argument, so no dialog includes the main window and tests can
// hand a dialog a small stand-in.
#include <cstdint>
#include <string>

class QAbstractButton;
class QHeaderView;
class QTreeView;
class QWidget;

namespace qm {

class TExtIniFile;
class TInstallAppInfo;

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

    // --- the install plan and the update target (wizard, update selection) ----------------
    // The plan of the opened archive; a new object after every open, so keep no pointer to it
    // across an open.
    virtual TInstallAppInfo* InstallInfo() const = 0;
    // The installed record the plan updates; meaningful while IsUpdating().
    virtual TInstallAppInfo* UpdateInfo() const = 0;
    virtual bool IsUpdating() const = 0;
    // How an update treats the installed copy (umOverwrite, umAutoClean, umCustomClean).
    virtual std::uint8_t CurrentUpdateMode() const = 0;
    virtual void SetUpdateMode(std::uint8_t mode) = 0;
    // Makes a copy of an installed record the update target (its settings come over to the
    // plan), or with null makes the plan a new install again.
    virtual void SetUpdateTarget(const TInstallAppInfo* record) = 0;
    // Opens an archive as the open command does: raises the command's error for an archive
    // that is refused; false when the user cancelled the extraction.
    virtual bool OpenArchiveChecked(const std::string& fileName) = 0;
    // The main window's name and version boxes.
    virtual std::string AppNameText() const = 0;
    virtual std::string AppVersionText() const = 0;
};

} // namespace qm
