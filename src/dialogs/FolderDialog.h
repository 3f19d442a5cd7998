#pragma once
// The folder chooser of the dialogs: a modal folder dialog below a chosen root that preselects a
// folder and returns the one the user picked, and the shortening of long paths for narrow lists.
#include <QObject>
#include <QString>

#include <string>

class QDialog;
class QFontMetrics;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace qm {

// The top of the tree the user may choose from. The first three are the whole file system here;
// the start menus are the per-user and the all-users menu folders.
enum class TRootFolder { rfDrives, rfDeskTop, rfNetWork, rfStartMenu, rfCommonStartMenu };

class TFolderDialog : public QObject {
    Q_OBJECT
public:
    // The owner is the window the chooser is modal to.
    explicit TFolderDialog(QWidget* owner);

    TRootFolder RootFolder = TRootFolder::rfDeskTop;
    // The instruction shown as the chooser's caption.
    QString Title = tr("フォルダーを選択して下さい。");
    // Before Execute the folder to start in (when it exists); after a successful Execute the
    // chosen folder, without a trailing delimiter unless it is the root of the file system.
    QString Folder;

    // Shows the chooser modally. True when the user chose a folder; false when the user
    // cancelled or the root has no folder on this system.
    bool Execute();

    // The folder a root stands for, without a trailing delimiter ("/" for the file system);
    // empty when it has none here.
    static QString RootPath(TRootFolder root);
    // Whether path (absolute) lies in root or is root itself, compared as the file system
    // resolves them, so a link inside the root that leads out of it does not count as inside.
    static bool IsInsideRoot(const QString& path, const QString& root);

private:
    QWidget* FOwner;
};

// Checks a folder typed or picked in a dialog (CheckFolderPath) and says what is wrong with it.
// A folder the user cannot write is accepted only when the user answers that the install may
// ask for the administrator's password. isInstallFolder: the root itself is refused too, and
// the wording names the install folder; otherwise it names a shortcut folder.
bool AcceptFolder(QWidget* parent, const QString& folder, bool isInstallFolder);

// The path shortened to fit maxWidth pixels by replacing leading folders with "..." and a
// delimiter, one folder per step, down to the name alone; the name itself is never cut.
QString ShortenPathForWidth(const QString& path, const QFontMetrics& metrics, int maxWidth);
// One step of it: the folder part without its first folder, marked with "..." and a delimiter.
std::string DropFirstFolder(const std::string& dir);

// What the dialogs that ask for one folder share: a caption over the path box with its browse
// button beside it, OK (the default) and Cancel at the right of the button row, and the folder
// dialog the browse button opens. The dialog lays them out and connects them.
struct TFolderAsk {
    QLabel* Caption = nullptr;
    QLineEdit* Path = nullptr;
    QPushButton* Browse = nullptr;
    QPushButton* Ok = nullptr;
    QPushButton* Cancel = nullptr;
    TFolderDialog* Folders = nullptr;
    QHBoxLayout* PathRow = nullptr;
    QHBoxLayout* Buttons = nullptr;
};
TFolderAsk MakeFolderAsk(QDialog* dialog, const QString& caption, const char* pathName,
                         const QString& folderTitle);

} // namespace qm
