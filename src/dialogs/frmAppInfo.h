#pragma once
// One installed application: name, version, dates and the files it installed, each marked as
// present on disk or missing. Left-out files are not listed.
#include <QDialog>
#include <QIcon>
#include <QVector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace qm {

class TInstallAppInfo;
class TMainAccess;

class TfrmAppInfo : public QDialog {
    Q_OBJECT
public:
    // The images of ilstInstalled.
    enum { imgMissing = 0, imgPresent = 1 };

    explicit TfrmAppInfo(TMainAccess& main, QWidget* parent = nullptr);
    ~TfrmAppInfo() override;

    // Fills the heading and the file list from the record, which the caller keeps alive while
    // the dialog is open.
    void Show(const TInstallAppInfo& record);
    const TInstallAppInfo* Record() const { return FRecord; }
    int SortColumn() const { return FSortColumn; }
    // The image of a row of lvFile (imgMissing or imgPresent).
    static int ImageIndex(const QTreeWidgetItem* row);

    void lvFileColumnClick(int column);

    QLineEdit* edtAppName = nullptr;
    QLineEdit* edtVersion = nullptr;
    QLabel* lblFirstDate = nullptr;
    QLabel* lblFirstDateValue = nullptr;
    QLabel* lblLastDate = nullptr;
    QLabel* lblLastDateValue = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* btnClose = nullptr;
    // Where the next version is looked for: shown, set or cleared.
    QLineEdit* edtSource = nullptr;
    QPushButton* btnSetSource = nullptr;
    QPushButton* btnClearSource = nullptr;
    void btnSetSourceClick();
    void btnClearSourceClick();
    QTreeWidget* lvFile = nullptr;
    QVector<QIcon> ilstInstalled;

private:
    void CreateControls();

    TMainAccess& FMain;
    const TInstallAppInfo* FRecord = nullptr;
    int FSortColumn = 0;
};

} // namespace qm
