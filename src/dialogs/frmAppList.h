#pragma once
// The installed applications of the database, to look at and to pick one. The dialog loads its
// own copy of the database when it is made and drops it with itself.
#include "net/SourceCheck.h"

#include <QDialog>

#include <memory>

class QPushButton;
class QTreeWidget;

namespace qm {

class TInstallAppInfo;
class TInstallList;
class TMainAccess;

class TfrmAppList : public QDialog {
    Q_OBJECT
public:
    // Loads the database from main.DatabaseFileName(). A database that cannot be read raises its
    // read error here, before any dialog exists: a half-read list is never offered.
    explicit TfrmAppList(TMainAccess& main, QWidget* parent = nullptr);
    ~TfrmAppList() override;

    // Enables the select button (enabled until turned off). Without it a double-click shows
    // the details instead of choosing.
    void SetSelectable(bool flag);
    // The record of the selected row, or null. It belongs to the dialog's list: copy it
    // (Assign) or look it up again by AppId before the dialog goes.
    TInstallAppInfo* Selected() const;

    // The result of exec when the user chose to update the selected application from its source.
    static constexpr int UpdateChosen = 2;
    // What earlier checks found (shown in the latest-version column), and what is known now.
    void SetLatest(const TLatestMap& latest);
    const TLatestMap& Latest() const { return FLatest; }
    // The newer version chosen with the update button.
    const TLatest& ChosenLatest() const { return FChosen; }
    // The dialog's copy of the database.
    TInstallList& List() const { return *FList; }
    int SortColumn() const { return FSortColumn; }

    // Closes with OK when a row is selected; otherwise nothing.
    void btnSelectClick();
    // Shows the details of the selected row's application.
    void btnDetailClick();
    // Looks for the newer versions of every application with a source.
    void btnCheckClick();
    void btnUpdateClick();
    // On a selected row: select when the select button is enabled, else show the details.
    void lvAppDblClick();
    void lvAppColumnClick(int column);

    QTreeWidget* lvApp = nullptr;
    QPushButton* btnSelect = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnDetail = nullptr;
    QPushButton* btnCheck = nullptr;
    QPushButton* btnUpdate = nullptr;

private:
    void CreateControls();
    void FillList();

    TMainAccess& FMain;
    std::unique_ptr<TInstallList> FList;
    int FSortColumn = 0;
    TLatestMap FLatest;
    TLatest FChosen;
    void ShowLatest();
    void SelectionChanged();
};

} // namespace qm
