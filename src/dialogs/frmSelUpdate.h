#pragma once
// Whether the opened archive is a new install or an update of an installed application, which
// one, and how the update treats the installed copy. The dialog only returns the choice; the
// main window applies it.
#include <QDialog>

#include <memory>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace qm {

class TInstallAppInfo;
class TInstallList;
class TMainAccess;

class TfrmSelUpdate : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSelUpdate(TMainAccess& main, QWidget* parent = nullptr);
    ~TfrmSelUpdate() override;

    // Loads the database; a candidate (null for none) opens the dialog on its update with the
    // main window's current update option. Raises the database's read error.
    void Init(const TInstallAppInfo* candidate, const std::string& databasePath);
    // After OK: the installed record to update (it belongs to the dialog: copy it), or null for
    // a new install.
    const TInstallAppInfo* Target() const { return FTarget; }
    // The chosen update option, 0 when none is chosen.
    int UpdateOption() const;

    void btnOkClick();
    void btnRefClick();
    void rdoUpdateClick();
    void cmbUpdateOptionSelect();

    QRadioButton* rdoNew = nullptr;
    QRadioButton* rdoUpdate = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* edtTarget = nullptr;
    QPushButton* btnRef = nullptr;
    QLabel* Label3 = nullptr;
    QComboBox* cmbUpdateOption = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;

private:
    void SelectUpdate();
    void ShowTarget();

    TMainAccess& FMain;
    std::unique_ptr<TInstallList> FList;
    const TInstallAppInfo* FTarget = nullptr;
};

} // namespace qm
