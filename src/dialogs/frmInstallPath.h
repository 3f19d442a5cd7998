#pragma once
// The change-destination dialog: a destination folder, whether it applies to the selected files
// or to all of them, and whether the files' folders inside the archive are dropped.
#include <QDialog>

#include <string>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QGroupBox;

namespace qm {

class TFolderDialog;

class TfrmInstallPath : public QDialog {
    Q_OBJECT
public:
    explicit TfrmInstallPath(QWidget* parent = nullptr);

    // The folder as typed, with a trailing delimiter added when it has none.
    std::string InstallPath() const;
    void SetInstallPath(const std::string& folder);
    bool IgnorePaths() const;
    void SetIgnorePaths(bool value);
    bool AllFiles() const;
    void SetAllFiles(bool value);

    // Whether a folder can be a destination: given, absolute, and not the root of the file
    // system (every installed file would land directly in it).
    static bool IsUsableFolder(const QString& folder);

    QLineEdit* edtInstallPath = nullptr;
    QPushButton* btnRef = nullptr;
    QGroupBox* rdgTarget = nullptr;
    QRadioButton* rdgTargetSelected = nullptr; // index 0
    QRadioButton* rdgTargetAll = nullptr;      // index 1
    QCheckBox* chkAbs = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;
    TFolderDialog* dlgFolder = nullptr;

private:
    void btnOkClick();
    void btnRefClick();
};

} // namespace qm
