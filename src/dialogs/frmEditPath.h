#pragma once
// The small dialog that asks for one folder in which a shortcut is to be made, with a menu of
// the well-known folders of this user and of all users.
#include <QDialog>

#include <string>

class QAction;
class QLineEdit;
class QMenu;
class QPushButton;

namespace qm {

class TDropDownButton;
class TFolderDialog;

class TfrmEditPath : public QDialog {
    Q_OBJECT
public:
    explicit TfrmEditPath(QWidget* parent = nullptr);

    // The folder as typed, with a trailing delimiter added when it has none.
    std::string Path() const;

    // Whether a shortcut folder is usable: given, absolute, and without a ".." step that would
    // lead out of the folder it names.
    static bool IsUsableFolder(const QString& folder);
    // Whether a path has a ".." step.
    static bool HasParentStep(const QString& path);

    QLineEdit* edtPath = nullptr;
    QPushButton* btnRef = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;
    TDropDownButton* btnQuick = nullptr;
    QMenu* ppmQuick = nullptr;
    QAction* pmitStartup = nullptr;
    QAction* pmitDesktop = nullptr;
    QAction* pmitStartMenu = nullptr;
    QAction* pmitFavorite = nullptr;
    QAction* pmitSendTo = nullptr;
    QAction* pmitCommonStartup = nullptr;
    QAction* pmitCommonDesktop = nullptr;
    QAction* pmitCommonStartMenu = nullptr;
    QAction* pmitCommonFavorite = nullptr;
    TFolderDialog* dlgFolder = nullptr;

private:
    QAction* QuickItem(const char* name, const QString& caption, int csidl, bool offered);
    void btnOkClick();
    void btnRefClick();
};

} // namespace qm
