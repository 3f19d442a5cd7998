#include "dialogs/FolderDialog.h"

#include "model/FileUtils.h"
#include "model/FolderCheck.h"
#include "platform/SpecialFolders.h"
#include "widgets/UiHooks.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>

namespace qm {

namespace {

const std::string kDelim(1, PathDelim);
// What an earlier step left in front of the folders.
const std::string kMarker = "..." + kDelim;

QString StartFolderOf(TRootFolder root, const QString& rootPath) {
    switch (root) {
    case TRootFolder::rfDrives:
    case TRootFolder::rfDeskTop:
    case TRootFolder::rfNetWork:
        return QDir::homePath();
    default:
        return rootPath;
    }
}

// The chooser itself: a folder dialog that refuses a folder outside its root and stays open.
class TFolderChooser : public QFileDialog {
public:
    TFolderChooser(QWidget* parent, const QString& caption, const QString& root)
        : QFileDialog(parent, caption), FRoot(root) {
        setObjectName(QStringLiteral("dlgFolderChooser"));
        // Our own dialog, so the root can be kept and the choice checked before it closes.
        setOption(QFileDialog::DontUseNativeDialog, true);
        setOption(QFileDialog::ShowDirsOnly, true);
        setFileMode(QFileDialog::Directory);
        setAcceptMode(QFileDialog::AcceptOpen);
        QList<QUrl> places{QUrl::fromLocalFile(root)};
        if (root == QDir::rootPath())
            places.prepend(QUrl::fromLocalFile(QDir::homePath()));
        setSidebarUrls(places);
        // Browsing stops at the root, as the tree of the shell's chooser does.
        connect(this, &QFileDialog::directoryEntered, this, [this](const QString& folder) {
            if (!TFolderDialog::IsInsideRoot(folder, FRoot))
                setDirectory(FRoot);
        });
    }

    void accept() override {
        const QStringList files = selectedFiles();
        if (files.isEmpty())
            return;
        const QString chosen = QDir::cleanPath(QDir(directory()).absoluteFilePath(files.first()));
        if (!QFileInfo(chosen).isDir()) {
            ShowMessageBox(
                this, QMessageBox::Warning,
                QCoreApplication::translate("FolderDialog", "フォルダ %1 が見つかりません。")
                    .arg(chosen));
            return;
        }
        if (!TFolderDialog::IsInsideRoot(chosen, FRoot)) {
            ShowMessageBox(
                this, QMessageBox::Warning,
                QCoreApplication::translate("FolderDialog", "%1 の中のフォルダを選択してください。")
                    .arg(FRoot));
            return;
        }
        Chosen = chosen;
        QFileDialog::accept();
    }

    QString Chosen;

private:
    QString FRoot;
};

} // namespace

TFolderDialog::TFolderDialog(QWidget* owner) : QObject(owner), FOwner(owner) {}

QString TFolderDialog::RootPath(TRootFolder root) {
    std::string path;
    switch (root) {
    case TRootFolder::rfDrives:
    case TRootFolder::rfDeskTop:
    case TRootFolder::rfNetWork:
        return QDir::rootPath();
    case TRootFolder::rfStartMenu:
        path = ShellFolderPath(CSIDL_STARTMENU);
        break;
    case TRootFolder::rfCommonStartMenu:
        path = ShellFolderPath(CSIDL_COMMON_STARTMENU);
        break;
    }
    return path.empty() ? QString() : QDir::cleanPath(QString::fromStdString(path));
}

bool TFolderDialog::IsInsideRoot(const QString& path, const QString& root) {
    const auto resolved = [](const QString& p) {
        const QString canonical = QFileInfo(p).canonicalFilePath();
        return canonical.isEmpty() ? QDir::cleanPath(p) : canonical;
    };
    const QString r = resolved(root);
    const QString p = resolved(path);
    if (r == QDir::rootPath())
        return QDir::isAbsolutePath(p);
    return p == r || p.startsWith(r + QLatin1Char('/'));
}

bool TFolderDialog::Execute() {
    const QString root = RootPath(RootFolder);
    if (root.isEmpty() || !QFileInfo(root).isDir())
        return false;
    TFolderChooser chooser(FOwner, Title, root);
    const QFileInfo preset(Folder);
    const bool usePreset =
        !Folder.isEmpty() && preset.isDir() && IsInsideRoot(preset.absoluteFilePath(), root);
    chooser.setDirectory(usePreset ? preset.absoluteFilePath() : StartFolderOf(RootFolder, root));
    if (ExecDialog(chooser) != QDialog::Accepted || chooser.Chosen.isEmpty())
        return false;
    Folder = chooser.Chosen;
    return true;
}

// --- shortening paths --------------------------------------------------------------------------

std::string DropFirstFolder(const std::string& dir) {
    if (dir == kDelim)
        return {};
    std::string rest = dir;
    const bool rooted = !rest.empty() && rest.front() == PathDelim;
    if (rooted)
        rest.erase(0, 1);
    // Only the marker of an earlier step goes here: a folder of its own may begin with a dot.
    if (rest.compare(0, kMarker.size(), kMarker) == 0)
        rest.erase(0, kMarker.size());
    const std::size_t delim = rest.find(PathDelim);
    rest = delim == std::string::npos ? std::string() : kMarker + rest.substr(delim + 1);
    return rooted ? kDelim + rest : rest;
}

QString ShortenPathForWidth(const QString& path, const QFontMetrics& metrics, int maxWidth) {
    QString result = path;
    const std::string full = path.toStdString();
    const std::string name = ExtractFileName(full);
    std::string dir = full.substr(0, full.size() - name.size());
    std::string drive = PathDrive(dir);
    dir.erase(0, drive.size());
    const std::string rootMarker = kDelim + kMarker;
    while ((!dir.empty() || !drive.empty()) && metrics.horizontalAdvance(result) > maxWidth) {
        if (dir == rootMarker) {
            drive.clear();
            dir = kMarker;
        } else if (dir.empty()) {
            drive.clear();
        } else {
            dir = DropFirstFolder(dir);
        }
        result = QString::fromStdString(drive + dir + name);
    }
    return result;
}

bool AcceptFolder(QWidget* parent, const QString& folder, bool isInstallFolder) {
    const std::string path = folder.toStdString();
    const TFolderProblem problem = CheckFolderPath(path, isInstallFolder);
    if (problem == TFolderProblem::None)
        return true;
    const TFolderProblemText text = FolderProblemText(problem, path, isInstallFolder);
    if (problem == TFolderProblem::NoRights)
        return ShowMessageBox(
                   parent, QMessageBox::Question,
                   QString::fromStdString(text.Text) +
                       QCoreApplication::translate("FolderDialog", "\nこのフォルダを使いますか?"),
                   QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    ShowErrorMessage(parent, QString::fromStdString(text.Heading),
                     QString::fromStdString(text.Text));
    return false;
}

TFolderAsk MakeFolderAsk(QDialog* dialog, const QString& caption, const char* pathName,
                         const QString& folderTitle) {
    TFolderAsk ask;
    ask.Caption = new QLabel(caption, dialog);
    ask.Path = new QLineEdit(dialog);
    ask.Path->setObjectName(QLatin1String(pathName));
    ask.Path->setMinimumWidth(320);
    ask.Caption->setBuddy(ask.Path);
    ask.Browse =
        new QPushButton(QCoreApplication::translate("FolderDialog", "参照(&R)..."), dialog);
    ask.Browse->setObjectName(QStringLiteral("btnRef"));
    ask.Browse->setAutoDefault(false);
    ask.Ok = new QPushButton(QStringLiteral("&OK"), dialog);
    ask.Ok->setObjectName(QStringLiteral("btnOk"));
    ask.Ok->setDefault(true);
    ask.Cancel =
        new QPushButton(QCoreApplication::translate("FolderDialog", "キャンセル(&C)"), dialog);
    ask.Cancel->setObjectName(QStringLiteral("btnCancel"));
    ask.Cancel->setAutoDefault(false);
    ask.Folders = new TFolderDialog(dialog);
    ask.Folders->setObjectName(QStringLiteral("dlgFolder"));
    ask.Folders->RootFolder = TRootFolder::rfDeskTop;
    ask.Folders->Title = folderTitle;
    ask.PathRow = new QHBoxLayout;
    ask.PathRow->addWidget(ask.Path, 1);
    ask.PathRow->addWidget(ask.Browse);
    ask.Buttons = new QHBoxLayout;
    ask.Buttons->addStretch(1);
    ask.Buttons->addWidget(ask.Ok);
    ask.Buttons->addWidget(ask.Cancel);
    QObject::connect(ask.Cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return ask;
}

} // namespace qm
