// The main window's components: actions, menus, tool bar and controls, made once at construction.
#include "app/untMain.h"

#include "app/FileListModel.h"
#include "app/Images.h"
#include "widgets/ReportList.h"

#include <QAction>
#include <QFileDialog>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

// The images are compiled into this library; a static library's resources must be pulled in by
// name, and only from outside any namespace.
static void InitImages() {
    Q_INIT_RESOURCE(icons);
}

namespace qm {

void LoadImages() {
    InitImages();
}

QIcon Image(const char* name) {
    return QIcon(QStringLiteral(":/icons/%1.png").arg(QLatin1String(name)));
}

// The state image with the shortcut arrow in its lower left corner.
QIcon WithShortcutMark(const QIcon& base) {
    QPixmap pixmap =
        base.pixmap(16, 16).scaled(16, 16, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPainter painter(&pixmap);
    painter.drawPixmap(0, 6, 10, 10, QPixmap(QStringLiteral(":/icons/shortcut-mark.png")));
    painter.end();
    return QIcon(pixmap);
}

// --- construction -------------------------------------------------------------------------

void TfrmMain::CreateActions() {
    struct TActionDef {
        QAction** field;
        const char* name;
        QString category;
        QString caption;
        QString hint;
        const char* image;
        QKeySequence shortcut;
        bool enabled;
    };
    const TActionDef actions[] = {
        {&actOpen, "actOpen", tr("ファイル"), tr("開く(&O)..."), tr("開く"), "open",
         QKeySequence(Qt::CTRL | Qt::Key_O), true},
        {&actShortCut, "actShortCut", tr("設定"), tr("ショートカット(&C)..."), tr("ショートカット"),
         "shortcut", QKeySequence(Qt::CTRL | Qt::Key_S), false},
        {&actAddInstall,
         "actAddInstall",
         tr("設定"),
         tr("対象に含める(&A)"),
         tr("インストール対象"),
         "add-install",
         {},
         false},
        {&actNoInstall,
         "actNoInstall",
         tr("設定"),
         tr("対象から外す(&D)"),
         tr("インストール除外"),
         "no-install",
         {},
         false},
        {&actChangeFolder,
         "actChangeFolder",
         tr("設定"),
         tr("インストール先の変更(&F)..."),
         tr("インストール先の変更"),
         "change-folder",
         {},
         false},
        {&actSetMain,
         "actSetMain",
         tr("設定"),
         tr("メインの実行ファイルに設定(&M)"),
         tr("メイン実行ファイルに指定"),
         "set-main",
         {},
         false},
        {&actUpdate,
         "actUpdate",
         tr("設定"),
         tr("アップデート設定(&U)..."),
         tr("アップデート設定"),
         "update",
         {},
         false},
        {&actInstall,
         "actInstall",
         tr("実行"),
         tr("インストール(&I)..."),
         tr("インストール"),
         "install",
         {},
         false},
        {&actUninstall,
         "actUninstall",
         tr("実行"),
         tr("アンインストール(&U)..."),
         tr("アンインストール"),
         "uninstall",
         {},
         true},
        {&actWizard,
         "actWizard",
         tr("実行"),
         tr("インストールウィザード(&W)..."),
         tr("インストールウィザード"),
         "wizard",
         {},
         true},
        {&actClearShortcut,
         "actClearShortcut",
         tr("設定"),
         tr("ショートカットのクリア(&L)"),
         tr("ショートカットのクリア"),
         nullptr,
         {},
         false},
    };
    for (const TActionDef& s : actions) {
        auto* action = new QAction(s.caption, this);
        action->setObjectName(QLatin1String(s.name));
        action->setProperty("category", s.category);
        action->setToolTip(s.hint);
        action->setStatusTip(s.hint);
        if (s.image != nullptr)
            action->setIcon(Image(s.image));
        if (!s.shortcut.isEmpty())
            action->setShortcut(s.shortcut);
        action->setEnabled(s.enabled);
        addAction(action); // shortcuts work while the window is active, menus or not
        *s.field = action;
    }
    connect(actOpen, &QAction::triggered, this, &TfrmMain::actOpenExecute);
    connect(actInstall, &QAction::triggered, this, &TfrmMain::actInstallExecute);
    connect(actUninstall, &QAction::triggered, this, &TfrmMain::actUninstallExecute);
    connect(actWizard, &QAction::triggered, this, &TfrmMain::actWizardExecute);
    connect(actUpdate, &QAction::triggered, this, &TfrmMain::actUpdateExecute);
}

// A menu item that stands for an action: it shows the action's caption, image and shortcut,
// is enabled exactly when the action is, and runs it. The shortcut is only shown (after a tab)
// so that the key belongs to the action alone and never becomes ambiguous.
QAction* TfrmMain::LinkedItem(const char* name, QAction* action) {
    auto* item = new QAction(this);
    item->setObjectName(QLatin1String(name));
    auto follow = [item, action] {
        QString text = action->text();
        if (!action->shortcut().isEmpty())
            text += QLatin1Char('\t') + action->shortcut().toString(QKeySequence::NativeText);
        item->setText(text);
        item->setIcon(action->icon());
        item->setToolTip(action->toolTip());
        item->setStatusTip(action->statusTip());
        item->setEnabled(action->isEnabled());
        item->setVisible(action->isVisible());
    };
    follow();
    connect(action, &QAction::changed, item, follow);
    connect(item, &QAction::triggered, action, [action] { action->trigger(); });
    return item;
}

void TfrmMain::CreateMenus() {
    auto item = [this](const char* name, const QString& caption, bool enabled) {
        auto* action = new QAction(caption, this);
        action->setObjectName(QLatin1String(name));
        action->setEnabled(enabled);
        return action;
    };
    auto linked = [this](QMenu* menu, const char* name, QAction* action) {
        QAction* a = LinkedItem(name, action);
        menu->addAction(a);
        return a;
    };
    auto menu = [this](QWidget* parent, const char* name, const QString& caption) {
        auto* m = new QMenu(caption, parent);
        m->setObjectName(QLatin1String(name));
        return m;
    };

    mitFile = menu(this, "mitFile", tr("ファイル(&F)"));
    linked(mitFile, "mitOpen", actOpen);
    mitOpenUrl = item("mitOpenUrl", tr("URL を開く(&U)..."), true);
    mitFile->addAction(mitOpenUrl);
    mitClose = item("mitClose", tr("閉じる(&C)"), false);
    mitFile->addAction(mitClose);
    mitFile->addSeparator();
    mitExit = item("mitExit", tr("終了(&X)"), true);
    mitExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q)); // as users try
    mitFile->addAction(mitExit);

    mitSetting = menu(this, "mitSetting", tr("設定(&S)"));
    linked(mitSetting, "mitShortCut", actShortCut);
    linked(mitSetting, "mitClearShortcut", actClearShortcut);
    mitInstallTarget = menu(mitSetting, "mitInstallTarget", tr("インストール対象(&T)"));
    linked(mitInstallTarget, "mitAddInstall", actAddInstall);
    linked(mitInstallTarget, "mitNoInstall", actNoInstall);
    mitSetting->addMenu(mitInstallTarget);
    linked(mitSetting, "mitChangeFolder", actChangeFolder);
    linked(mitSetting, "mitSetMain", actSetMain);
    mitSetHelp = item("mitSetHelp", tr("ヘルプファイルに指定(&H)"), false);
    mitSetting->addAction(mitSetHelp);
    mitSetting->addSeparator();
    linked(mitSetting, "mitUpdate", actUpdate);

    mitExecute = menu(this, "mitExecute", tr("実行(&E)"));
    linked(mitExecute, "mitInstall", actInstall);
    linked(mitExecute, "mitUninstall", actUninstall);
    mitExecute->addSeparator();
    linked(mitExecute, "mitWizard", actWizard);

    mitTool = menu(this, "mitTool", tr("ツール(&T)"));
    mitAppList = item("mitAppList", tr("インストール済みアプリケーション(&L)..."), true);
    mitTool->addAction(mitAppList);
    mitOption = item("mitOption", tr("オプションの設定(&O)..."), true);
    mitTool->addAction(mitOption);

    mitHelp = menu(this, "mitHelp", tr("ヘルプ(&H)"));
    mitShowHelp = item("mitShowHelp", tr("ヘルプの表示(&S)"), true);
    mitHelp->addAction(mitShowHelp);
    mitAbout = item("mitAbout", tr("バージョン情報(&A)..."), true);
    mitHelp->addAction(mitAbout);

    for (QMenu* m : {mitFile, mitSetting, mitExecute, mitTool, mitHelp})
        menuBar()->addMenu(m);

    ppmTarget = menu(this, "ppmTarget", QString());
    linked(ppmTarget, "ppmTargetAdd", actAddInstall);
    linked(ppmTarget, "ppmTargetDel", actNoInstall);

    ppmFile = menu(this, "ppmFile", QString());
    linked(ppmFile, "pmitFileAddIns", actAddInstall);
    linked(ppmFile, "pmitFileDelIns", actNoInstall);
    ppmFile->addSeparator();
    linked(ppmFile, "pmitFileShortcut", actShortCut);
    linked(ppmFile, "pmitClearShortcut", actClearShortcut);
    linked(ppmFile, "pmitFileChangeFolder", actChangeFolder);
    linked(ppmFile, "pmitFileSetMain", actSetMain);
    // The same command as the main menu's, worded "設定" here where the main menu says "指定".
    pmitFileSetHelp = item("pmitFileSetHelp", tr("ヘルプファイルに設定(&H)"), false);
    ppmFile->addAction(pmitFileSetHelp);
}

void TfrmMain::CreateToolBar() {
    tbrMain = new QToolBar(this);
    tbrMain->setObjectName(QStringLiteral("tbrMain"));
    tbrMain->setMovable(false);
    tbrMain->setFloatable(false);
    tbrMain->setIconSize(QSize(24, 24));
    tbrMain->setFixedHeight(35);
    tbrMain->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, tbrMain);

    auto button = [this](QAction* action, const char* name) {
        auto* b = new QToolButton(tbrMain);
        b->setObjectName(QLatin1String(name));
        b->setDefaultAction(action);
        b->setAutoRaise(true);
        b->setIconSize(QSize(24, 24));
        b->setFixedSize(31, 30);
        tbrMain->addWidget(b);
        return b;
    };
    toolOpen = button(actOpen, "toolOpen");
    tbrMain->addSeparator();
    toolShortCut = button(actShortCut, "toolShortCut");
    toolTarget = button(actAddInstall, "toolTarget");
    toolTarget->setMenu(ppmTarget);
    toolTarget->setPopupMode(QToolButton::MenuButtonPopup);
    toolTarget->setFixedSize(31 + 13, 30); // room for the drop-down arrow
    toolChangeFolder = button(actChangeFolder, "toolChangeFolder");
    toolSetMain = button(actSetMain, "toolSetMain");
    toolUpdate = button(actUpdate, "toolUpdate");
    tbrMain->addSeparator();
    toolInstall = button(actInstall, "toolInstall");
    toolUninstall = button(actUninstall, "toolUninstall");
    toolWizard = button(actWizard, "toolWizard");
}

void TfrmMain::CreateControls() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel1 = new QWidget(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(78);
    auto* grid = new QGridLayout(Panel1);
    grid->setContentsMargins(8, 4, 8, 4);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(2);
    auto* lblAppName = new QLabel(tr("アプリケーション名"), Panel1);
    lblAppName->setObjectName(QStringLiteral("lblAppName"));
    edtAppName = new QLineEdit(Panel1);
    edtAppName->setObjectName(QStringLiteral("edtAppName"));
    lblAppName->setBuddy(edtAppName);
    auto* lblAppVersion = new QLabel(tr("バージョン"), Panel1);
    lblAppVersion->setObjectName(QStringLiteral("lblAppVersion"));
    edtAppVersion = new QLineEdit(Panel1);
    edtAppVersion->setObjectName(QStringLiteral("edtAppVersion"));
    lblAppVersion->setBuddy(edtAppVersion);
    lblUpdate = new QLabel(tr("このアプリケーションは新規にインストールされます"), Panel1);
    lblUpdate->setObjectName(QStringLiteral("lblUpdate"));
    lblUpdate->setVisible(false);
    lblUpdate->setTextFormat(Qt::PlainText); // names from the database are never markup
    grid->addWidget(lblAppName, 0, 0);
    grid->addWidget(lblAppVersion, 0, 1);
    grid->addWidget(edtAppName, 1, 0);
    grid->addWidget(edtAppVersion, 1, 1);
    grid->addWidget(lblUpdate, 2, 0, 1, 2);
    grid->setRowStretch(3, 1); // the rows keep together at the top, the update line or not
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    layout->addWidget(Panel1);

    lvFileModel = new TFileListModel(this);
    QVector<QIcon> images{Image("state-file"), Image("state-main"), Image("state-help")};
    for (int i = 0; i < 3; ++i)
        images.append(WithShortcutMark(images[i]));
    lvFileModel->SetStateImages(images);
    lvFileModel->OnChange = [this](int row) { lvFileChange(row); };

    lvFile = new QTreeView(central);
    lvFile->setObjectName(QStringLiteral("lvFile"));
    lvFile->setModel(lvFileModel);
    lvFile->setRootIsDecorated(false);
    lvFile->setItemsExpandable(false);
    lvFile->setUniformRowHeights(true); // many rows stay fast
    lvFile->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvFile->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvFile->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvFile->setIconSize(QSize(16, 16));
    lvFile->setAllColumnsShowFocus(true);
    lvFile->setContextMenuPolicy(Qt::CustomContextMenu);
    // The selection stays as visible when the list loses the focus.
    KeepSelectionVisible(lvFile);
    QHeaderView* header = lvFile->header();
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    // The install path takes the width the others leave; a date fits whole.
    const int widths[] = {200, 180, 300, 140};
    for (int i = 0; i < TFileListModel::ColumnCount; ++i)
        header->resizeSection(i, std::max(widths[i], header->sectionSizeHint(i)));
    header->setSectionResizeMode(TFileListModel::ColInstallPath, QHeaderView::Stretch);
    layout->addWidget(lvFile, 1);
    setCentralWidget(central);

    connect(header, &QHeaderView::sectionClicked, this, &TfrmMain::lvFileColumnClick);
    connect(lvFile->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { lvFileSelectItem(); });
    connect(lvFileModel, &QAbstractItemModel::modelReset, this, [this] { lvFileSelectItem(); });
    connect(lvFile, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { ppmFile->popup(lvFile->viewport()->mapToGlobal(pos)); });

    stbMain = new QLabel(tr("ファイル数: 0"), this);
    stbMain->setObjectName(QStringLiteral("stbMain"));
    stbMain->setMinimumWidth(50);
    statusBar()->setObjectName(QStringLiteral("stbMainBar"));
    // Permanent, so the hints of buttons and menu items never hide the file count.
    statusBar()->addPermanentWidget(stbMain, 1);
}

QFileDialog* TfrmMain::OpenArcDialog() {
    if (dlgOpenArc != nullptr)
        return dlgOpenArc;
    dlgOpenArc = new QFileDialog(this, tr("アーカイブを開く"));
    dlgOpenArc->setObjectName(QStringLiteral("dlgOpenArc"));
    dlgOpenArc->setFileMode(QFileDialog::ExistingFile);
    dlgOpenArc->setAcceptMode(QFileDialog::AcceptOpen);
    // The descriptions already name their patterns; Qt's own pattern list stays hidden.
    dlgOpenArc->setOption(QFileDialog::HideNameFilterDetails, true);
    dlgOpenArc->resize(800, 500);                     // the places and the names uncut
    dlgOpenArc->setNameFilters(OpenArchiveFilters()); // the first pair is the default
    return dlgOpenArc;
}

} // namespace qm
