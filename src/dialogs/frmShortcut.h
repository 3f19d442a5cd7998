#pragma once
// The shortcut settings of the selected files: the shortcut's name, comment, working folder,
// arguments and window size, and where it is made (desktop, a start-menu folder, any number of
// other folders).
#include <QDialog>

#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace qm {

class TFolderDialog;

class TfrmShortcut : public QDialog {
    Q_OBJECT
public:
    explicit TfrmShortcut(QWidget* parent = nullptr);

    std::string ShortcutName() const;
    void SetShortcutName(const std::string& value);
    std::string Description() const;
    void SetDescription(const std::string& value);
    std::string WorkingDirectory() const;
    void SetWorkingDirectory(const std::string& value);
    std::string Arguments() const;
    void SetArguments(const std::string& value);
    // 0 normal, 1 maximised, 2 minimised.
    int WindowSize() const;
    void SetWindowSize(int value);
    bool Desktop() const;
    void SetDesktop(bool value);
    bool StartMenu() const;
    void SetStartMenu(bool value);
    bool Custom() const;
    void SetCustom(bool value);
    // Relative to the start menu.
    std::string StartMenuPath() const;
    void SetStartMenuPath(const std::string& value);
    // Kept sorted ignoring case; the same folder may be there twice.
    std::vector<std::string> CustomFolders() const;
    void SetCustomFolders(const std::vector<std::string>& folders);

    // Whether a shortcut name makes one file directly in the folder it is made in.
    static bool IsValidShortcutName(const QString& name);
    // Whether a start-menu folder stays inside the start menu: relative, without a ".." step.
    static bool IsValidStartMenuPath(const QString& path);

    // The all-users start menu with a trailing delimiter: the start-menu folder is below it.
    QString StartMenuPrefix;

    QLineEdit* edtShortcutName = nullptr;
    QLineEdit* edtDescription = nullptr;
    QLineEdit* edtWorkPath = nullptr;
    QPushButton* btnRefWork = nullptr;
    QLineEdit* edtArgument = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* cmbWinSize = nullptr;
    QLabel* Label2 = nullptr;
    QCheckBox* chkDesktop = nullptr;
    QCheckBox* chkStartMenu = nullptr;
    QLineEdit* edtStartMenuPath = nullptr;
    QPushButton* btnRefStartMenu = nullptr;
    QCheckBox* chkCustom = nullptr;
    QListWidget* lbxCustomPath = nullptr;
    QPushButton* btnAdd = nullptr;
    QPushButton* btnEdit = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;
    TFolderDialog* dlgStartMenu = nullptr;

private:
    void AddCustomFolder(const QString& folder);
    void btnOkClick();
    void btnRefStartMenuClick();
    void btnRefWorkClick();
    void btnAddClick();
    void btnEditClick();
    void btnDeleteClick();
};

} // namespace qm
