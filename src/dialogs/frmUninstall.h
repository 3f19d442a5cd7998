#pragma once
// What to delete of an installed application: its recorded files (checked when they still
// exist), the other files found in its install folders, and those folders with their immediate
// subfolders, each row with a check box. After OK the caller writes UninstallInfo() and
// Targets() into the uninstall instructions.
#include <QDialog>
#include <QIcon>
#include <QVector>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace qm {

class TInstallAppInfo;
class TMainAccess;

class TfrmUninstall : public QDialog {
    Q_OBJECT
public:
    // The images of ilstFiles.
    enum { imgFile = 0, imgFolder = 1 };

    explicit TfrmUninstall(TMainAccess& main, QWidget* parent = nullptr);
    ~TfrmUninstall() override;

    // Shows a copy of the record with the rows it gives.
    void LoadApp(const TInstallAppInfo& record);
    // Loads the database and shows the record with that identifier. The database's read error,
    // or an Exception when no record has the identifier, leaves the dialog as it was.
    void LoadAppById(std::int32_t id, bool allUsers = false);
    // Whether the user may switch to another installed application (btnChangeTarget); allowed
    // until the caller says otherwise.
    void SetCanChangeTarget(bool value);
    bool CanChangeTarget() const;

    // The copy of the record shown; an empty record before LoadApp.
    const TInstallAppInfo& UninstallInfo() const { return *FUninstallInfo; }
    // The checked paths, filled by the uninstall button in the rows' display order: a file as
    // folder + name, a folder as folder + name + separator. Never empty after OK.
    const std::vector<std::string>& Targets() const { return FTargets; }

    int SortColumn() const { return FSortColumn; }
    // What a row of lvFile stands for.
    static bool IsFolderRow(const QTreeWidgetItem* row);
    static std::string RowPath(const QTreeWidgetItem* row);

    // Asks, fills Targets and closes with OK; with nothing checked it says so and stays open.
    void btnUninstallClick();
    // Picks another installed application from the list.
    void btnChangeTargetClick();
    void lvFileColumnClick(int column);
    void pmitCheckClick();
    void pmitUncheckClick();
    void pmitRevCheckClick();
    void pmitSelectAllClick();
    void pmitClearSelectClick();
    void pmitRevSelectClick();

    QLineEdit* edtAppName = nullptr;
    QPushButton* btnChangeTarget = nullptr;
    QLabel* lblDate = nullptr;
    QLabel* Label1 = nullptr;
    QTreeWidget* lvFile = nullptr;
    QPushButton* btnUninstall = nullptr;
    QPushButton* btnCancel = nullptr;
    QMenu* ppmFile = nullptr;
    QAction* pmitCheck = nullptr;
    QAction* pmitUncheck = nullptr;
    QAction* pmitRevCheck = nullptr;
    QAction* pmitSelectAll = nullptr;
    QAction* pmitClearSelect = nullptr;
    QAction* pmitRevSelect = nullptr;
    QVector<QIcon> ilstFiles;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls();
    void CreatePopupMenu();
    void AddRow(const std::string& name, bool isFolder, const std::string& folder, bool checked);
    // Sets the check box of every selected row to what change makes of it.
    template <typename Change> void ChangeSelectedChecks(Change change);

    TMainAccess& FMain;
    std::unique_ptr<TInstallAppInfo> FUninstallInfo;
    std::vector<std::string> FTargets;
    int FSortColumn = 0;
};

} // namespace qm
