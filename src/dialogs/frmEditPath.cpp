#include "dialogs/frmEditPath.h"

#include "dialogs/FolderDialog.h"
#include "model/FileUtils.h"
#include "platform/FileSystem.h"
#include "platform/SpecialFolders.h"
#include "widgets/DropDownButton.h"
#include "widgets/UiHooks.h"

#include <QAction>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace qm {

TfrmEditPath::TfrmEditPath(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmEditPath"));
    setWindowTitle(tr("フォルダの追加"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    const TFolderAsk ask = MakeFolderAsk(this, tr("フォルダパス"), "edtPath",
                                         tr("ショートカットを作成するフォルダを選択します。"));
    edtPath = ask.Path;
    btnRef = ask.Browse;
    btnOk = ask.Ok;
    btnCancel = ask.Cancel;
    dlgFolder = ask.Folders;
    btnQuick = new TDropDownButton(tr("クイック設定(&Q)"), this);
    btnQuick->setObjectName(QStringLiteral("btnQuick"));

    // The all-users folders are offered on the systems that keep them apart from the user's.
    const int windowsClass = GetWindowsClass();
    const bool allUsers =
        windowsClass == 0 || windowsClass == 2 || windowsClass == 3 || windowsClass == 6;
    ppmQuick = new QMenu(this);
    ppmQuick->setObjectName(QStringLiteral("ppmQuick"));
    pmitStartup = QuickItem("pmitStartup", tr("スタートアップ(このユーザー)"), CSIDL_STARTUP, true);
    pmitDesktop =
        QuickItem("pmitDesktop", tr("デスクトップ(このユーザー)"), CSIDL_DESKTOPDIRECTORY, true);
    pmitStartMenu =
        QuickItem("pmitStartMenu", tr("スタートメニュー(このユーザー)"), CSIDL_STARTMENU, true);
    pmitFavorite = QuickItem("pmitFavorite", tr("お気に入り(このユーザー)"), CSIDL_FAVORITES, true);
    pmitSendTo = QuickItem("pmitSendTo", tr("送る(このユーザー)"), CSIDL_SENDTO, true);
    ppmQuick->addSeparator()->setObjectName(QStringLiteral("pmitSepa"));
    pmitCommonStartup = QuickItem("pmitCommonStartup", tr("スタートアップ(全ユーザー)"),
                                  CSIDL_COMMON_STARTUP, allUsers);
    pmitCommonDesktop = QuickItem("pmitCommonDesktop", tr("デスクトップ(全ユーザー)"),
                                  CSIDL_COMMON_DESKTOPDIRECTORY, allUsers);
    pmitCommonStartMenu = QuickItem("pmitCommonStartMenu", tr("スタートメニュー(全ユーザー)"),
                                    CSIDL_COMMON_STARTMENU, allUsers);
    pmitCommonFavorite = QuickItem("pmitCommonFavorite", tr("お気に入り(全ユーザー)"),
                                   CSIDL_COMMON_FAVORITES, allUsers);
    btnQuick->SetDropDownMenu(ppmQuick);

    ask.Buttons->insertWidget(0, btnQuick);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ask.Caption);
    layout->addLayout(ask.PathRow);
    layout->addSpacing(8);
    layout->addLayout(ask.Buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(btnOk, &QPushButton::clicked, this, &TfrmEditPath::btnOkClick);
    connect(btnRef, &QPushButton::clicked, this, &TfrmEditPath::btnRefClick);
}

// An entry of the quick menu: it writes its special folder into the path box. A folder this
// system does not have (the send-to and favourites folders) leaves the entry disabled.
QAction* TfrmEditPath::QuickItem(const char* name, const QString& caption, int csidl,
                                 bool offered) {
    auto* item = ppmQuick->addAction(caption);
    item->setObjectName(QLatin1String(name));
    const std::string folder = ShellFolderPath(csidl);
    item->setEnabled(offered && !folder.empty());
    connect(item, &QAction::triggered, this, [this, folder] {
        edtPath->setText(QString::fromStdString(WithTrailingDelim(folder)));
    });
    return item;
}

std::string TfrmEditPath::Path() const {
    return WithTrailingDelim(edtPath->text().toStdString());
}

bool TfrmEditPath::HasParentStep(const QString& path) {
    static const QRegularExpression delimiters(QStringLiteral("[/\\\\]"));
    return path.split(delimiters).contains(QStringLiteral(".."));
}

bool TfrmEditPath::IsUsableFolder(const QString& folder) {
    return !folder.isEmpty() && QDir::isAbsolutePath(folder) && !HasParentStep(folder);
}

void TfrmEditPath::btnOkClick() {
    // A relative folder would depend on wherever the installer happens to run, and a ".." step
    // leads out of the folder that was named: both count as no folder given.
    if (!AcceptFolder(this, edtPath->text(), false)) {
        edtPath->setFocus();
        return;
    }
    accept();
}

void TfrmEditPath::btnRefClick() {
    dlgFolder->Folder = edtPath->text();
    if (dlgFolder->Execute())
        edtPath->setText(dlgFolder->Folder);
}

} // namespace qm
