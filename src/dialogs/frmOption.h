#pragma once
// The options: the defaults the install dialog and the wizard start from, and whether the
// wizard runs for an archive given at start. Read from the settings store when the dialog is
// made, written back only by OK (into the store in memory; the file is written at the end).
#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QWidget;

namespace qm {

class TMainAccess;

class TfrmOption : public QDialog {
    Q_OBJECT
public:
    explicit TfrmOption(TMainAccess& main, QWidget* parent = nullptr);

    // Writes the seven values and closes with OK.
    void btnOkClick();

    QTabWidget* pgcOpt = nullptr;
    QWidget* tabDefault = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* cmbUpdateMode = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* cmbOverWrite = nullptr;
    QLabel* Label3 = nullptr;
    QComboBox* cmbConfirm = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QCheckBox* chkBootApp = nullptr;
    QCheckBox* chkBootHelp = nullptr;
    QCheckBox* chkExitApp = nullptr;
    QWidget* tabAther = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QCheckBox* chkWizard = nullptr;
    QGroupBox* GroupBox4 = nullptr;
    QCheckBox* chkCheckUpdates = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;

private:
    void CreateControls();
    void FormCreate();

    TMainAccess& FMain;
};

} // namespace qm
