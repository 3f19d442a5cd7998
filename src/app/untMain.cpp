// The main window: its making and first show, the state it shows (title, shield, form
// placement), and its closing. The list, opening, commands and hand-off have files of their own.
#include "app/untMain.h"

#include "app/Busy.h"
#include "app/FileListModel.h"
#include "app/Images.h"
#include "cmarc/ArchiveOpening.h"
#include "cmarc/Archives.h"
#include "dialogs/frmOption.h"
#include "model/FileUtils.h"
#include "model/InstallAppInfo.h"
#include "model/InstallList.h"
#include "model/LegacyImport.h"
#include "model/UpdateTarget.h"
#include "platform/AnsiCodec.h"
#include "platform/Catalogue.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/SpecialFolders.h"
#include "platform/WindowsVersion.h"
#include "settings/ConfigKeys.h"
#include "widgets/DateText.h"
#include "widgets/ShownText.h"
#include "widgets/UiHooks.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <ctime>
#include <unordered_set>

namespace qm {

namespace {

TfrmMain* g_frmMain = nullptr;

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

intptr_t DefaultWindowProc(void*, unsigned, uintptr_t, intptr_t) {
    return 0;
}

} // namespace

TfrmMain* frmMain() {
    return g_frmMain;
}

TfrmMain::TfrmMain(const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent), FArguments(arguments) {
    LoadImages();
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QLatin1String(kCaption));
    setWindowIcon(Image("quillmate"));
    FHandle.magic = QM_SINK_MAGIC;
    FHandle.proc = &DefaultWindowProc;
    FHandle.context = this;

    // The settings store comes with the form and first reads the program's default file.
    FIniMain = std::make_unique<TExtIniFile>();
    FIniMain->SetFileName("Quillmate.ini");
    FArcMain = std::make_unique<TArchiveFile>();
    FArcMain->Options = ArcMainOptions();
    FOpener = std::make_unique<TArchiveOpening>(*FArcMain);

    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateControls();
    CreateCommands();
    // Wide enough for a typical plan: names, folders, install paths and dates uncut.
    resize(960, 560 + menuBar()->sizeHint().height());
    g_frmMain = this;
    FormCreate();
}

TfrmMain::~TfrmMain() {
    FormDestroy();
    if (g_frmMain == this)
        g_frmMain = nullptr;
}

void TfrmMain::FormCreate() {
    // Work folder names are random.
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    if (IsWindows6())
        FIniMain->SetDefaultFolder(TDefaultFolder::dfAppData);
    FirstShow = true;
    LoadFormState(this);
    LoadListColumns(lvFile, cfg::ColsMain.Key);
    FInstallInfo = std::make_unique<TInstallAppInfo>();
    AttachPlan(*FInstallInfo);
    ListFileName = GetDataFolder() + InstallListFileName;
    LegacyFileName = LegacyDatabaseFileName();
    // Extracted archives of programs that crashed or were killed: nobody else deletes them.
    TInstallAppInfo::RemoveStaleWorkFolders();
    FUpdateInfo = std::make_unique<TInstallAppInfo>();
    WatchDatabases();
    UpdateStatusBar();
}

void TfrmMain::FormDestroy() {
    // The list refers to the plan's members; empty it before the plan goes.
    lvFileModel->OnChange = nullptr;
    lvFileModel->Clear();
    RemoveDownloaded();
    if (FInstallInfo)
        FInstallInfo->RemoveWorkFolder();
    FUpdateInfo.reset();
    FInstallInfo.reset();
    SaveListColumns(lvFile, cfg::ColsMain.Key);
    SaveFormState(this);
    // The settings file is written when the store goes, right after this.
}

void TfrmMain::AttachPlan(TInstallAppInfo& plan) {
    plan.OnOpenArchive = [this](TInstallAppInfo& sender, const std::string& path, bool& accepted) {
        OpenArchiveFile(sender, path, accepted);
    };
    plan.OnExtractArchive = [this](TInstallAppInfo& sender) { ExtractArchiveFile(sender); };
    plan.OnMembersReady = [this](TInstallAppInfo& sender) { FillFileList(sender); };
    plan.Members.OnMemberChange = [this](TFileMembers& members, int index) {
        MemberChanged(members, index);
    };
}

// --- state of the window ---------------------------------------------------------------------

bool TfrmMain::IsWindows6() {
    return GetOsVersion().major == 6;
}

void TfrmMain::SetShieldIcon(QAbstractButton* button, bool show) {
    if (button == nullptr || !IsWindows6())
        return;
    // The style's elevation shield, where the style has one; elsewhere the button keeps what it
    // shows. Only a shield put there by this function is taken away again, never the button's
    // own image.
    const char* const shownKey = "qmShieldShown";
    if (show) {
        const QIcon shield = button->style()->standardIcon(QStyle::SP_VistaShield);
        if (shield.isNull())
            return;
        button->setIcon(shield);
        button->setProperty(shownKey, true);
    } else if (button->property(shownKey).toBool()) {
        button->setIcon(QIcon());
        button->setProperty(shownKey, false);
    }
}

void TfrmMain::LoadFormState(QWidget* form) {
    TFormPlacement current;
    current.name = form->objectName().toStdString();
    const QRect g = form->isMaximized() || form->normalGeometry().isEmpty()
                        ? form->geometry()
                        : form->normalGeometry();
    current.placement.left = g.left();
    current.placement.top = g.top();
    current.placement.right = g.left() + g.width();
    current.placement.bottom = g.top() + g.height();
    current.placement.showCmd = form->isMaximized() ? 3 : form->isMinimized() ? 2 : 1;
    current.showing = form->isVisible();
    const TFormPlacement stored = FIniMain->ReadFormState(cfg::FormsSection, current);
    const TWindowPlacement& p = stored.placement;
    // Without a stored rectangle the window system places the window; a stored one that no
    // screen shows any more (a monitor gone since) is moved onto the primary screen.
    const bool hasRect = FIniMain->ValueExists(cfg::FormsSection, current.name + ".left");
    if (hasRect && p.right > p.left && p.bottom > p.top) {
        // Widths from a damaged or hand-edited file can exceed what an int holds.
        const auto extent = [](std::int32_t from, std::int32_t to) {
            return static_cast<int>(std::min<std::int64_t>(std::int64_t{to} - from, INT_MAX));
        };
        QRect rect(p.left, p.top, extent(p.left, p.right), extent(p.top, p.bottom));
        QScreen* screen = QGuiApplication::screenAt(rect.center());
        if (screen == nullptr && QGuiApplication::primaryScreen()) {
            screen = QGuiApplication::primaryScreen();
            rect.moveTopLeft(screen->availableGeometry().topLeft());
        }
        // A window larger than the desktop could not be painted (nor moved or sized back by
        // its user): it is cut to the desktop, which may span several screens.
        if (screen != nullptr)
            rect.setSize(rect.size().boundedTo(screen->availableVirtualGeometry().size()));
        form->setGeometry(rect);
    }
    if (current.showing) {
        if (p.showCmd == 3)
            form->showMaximized();
        else if (p.showCmd == 2)
            form->showMinimized();
        else
            form->showNormal();
        return;
    }
    form->setWindowState(stored.windowState == TWindowState::Maximized ? Qt::WindowMaximized
                                                                       : Qt::WindowNoState);
}

void TfrmMain::SaveFormState(QWidget* form) {
    TFormPlacement state;
    state.name = form->objectName().toStdString();
    // The normal-position rectangle survives maximising and minimising.
    const QRect g = form->normalGeometry().isEmpty() ? form->geometry() : form->normalGeometry();
    state.placement.left = g.left();
    state.placement.top = g.top();
    state.placement.right = g.left() + g.width();
    state.placement.bottom = g.top() + g.height();
    state.windowState = form->isMinimized()   ? TWindowState::Minimized
                        : form->isMaximized() ? TWindowState::Maximized
                                              : TWindowState::Normal;
    state.placement.showCmd = form->isMaximized() ? 3 : form->isMinimized() ? 2 : 1;
    // The client area lies below the menu bar.
    const QRect client = form->contentsRect();
    int menuHeight = 0;
    if (const auto* window = qobject_cast<QMainWindow*>(form);
        window != nullptr && window->menuWidget() != nullptr && !window->menuWidget()->isHidden()) {
        if (window->layout() != nullptr)
            window->layout()->activate(); // a window never shown has not placed its bar yet
        menuHeight = window->menuWidget()->height();
    }
    state.clientWidth = client.width();
    state.clientHeight = std::max(0, client.height() - menuHeight);
    FIniMain->WriteFormState(cfg::FormsSection, state);
}

void TfrmMain::LoadListColumns(QHeaderView* header, const std::string& name) {
    for (int i = 0; i < header->count(); ++i) {
        const int width = FIniMain->ReadInteger(cfg::ColsSection, name + "." + std::to_string(i),
                                                header->sectionSize(i));
        if (width >= 0) // a negative width in a hand-edited file keeps the designed one
            header->resizeSection(i, width);
    }
}

void TfrmMain::SaveListColumns(QHeaderView* header, const std::string& name) {
    for (int i = 0; i < header->count(); ++i)
        FIniMain->WriteInteger(cfg::ColsSection, name + "." + std::to_string(i),
                               header->sectionSize(i));
}

void TfrmMain::LoadListColumns(QTreeView* listView, const std::string& name) {
    LoadListColumns(listView->header(), name);
}

void TfrmMain::SaveListColumns(QTreeView* listView, const std::string& name) {
    SaveListColumns(listView->header(), name);
}

void TfrmMain::EnableArchiveItems(bool enabled) {
    for (QAction* a : {mitClose, actChangeFolder, actUpdate, actInstall})
        a->setEnabled(enabled && !IsPendingCommand(a));
}

void TfrmMain::UpdateStatusBar() {
    // With no archive open, the one line says what to do first.
    if (FInstallInfo == nullptr || FInstallInfo->Members.Count() == 0) {
        stbMain->setText(tr("アーカイブを開くか (%1)、ここへドロップしてください。")
                             .arg(actOpen->shortcut().toString(QKeySequence::NativeText)));
        return;
    }
    stbMain->setText(tr("ファイル数:%1").arg(lvFileModel->Count()));
}

int TfrmMain::RowImageIndex(int row) const {
    const TFileMember* m = lvFileModel->Row(row).Member;
    return m == nullptr ? 0 : m->Role() + (m->ShortcutFlags() != 0 ? 3 : 0);
}

// --- showing and closing ---------------------------------------------------------------------

void TfrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The window paints first; the first-show work runs right after.
    if (FirstShow)
        QTimer::singleShot(0, this, [this] { FormResize(); });
}

void TfrmMain::FormResize() {
    // Only the first show does anything; a later show of the window is only a show.
    if (!FirstShow)
        return;
    FirstShow = false;
    if (FileExists(LegacyFileName))
        ConvertOldDatabase(LegacyFileName);
    CheckSourcesAtStart();
    if (FArguments.isEmpty())
        return;
    // The plan keeps the full path of the opened archive; a relative name beginning with "-"
    // would otherwise reach the archiver's command line looking like a switch.
    const QString argument = FArguments.constFirst();
    const std::string path =
        argument.isEmpty() ? std::string() : QFileInfo(argument).absoluteFilePath().toStdString();
    if (path.empty())
        return;
    // An archive named at start that does not open says why, as any other open does.
    try {
        if (!FileExists(path))
            throw Exception(Args(Tr("qm::TfrmMain", "ファイル \"%1\" が見つかりません。"), path));
        if (!OpenArchiveChecked(path))
            return;
    } catch (const Exception& e) {
        ShowMessageBox(this, QMessageBox::Critical, Q(e.Message()));
        return;
    }
    if (ReadConfigBool(*FIniMain, cfg::Wizard))
        actWizardExecute();
    else if (IsUpdate)
        SelectUpdate(FUpdateInfo.get());
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    // An extraction in progress holds the plan; the window closes once it has ended. The
    // extraction is cancelled, as nobody will look at its plan.
    if (FBusy || FHandOff) {
        FCloseWhenIdle = true;
        if (FHandOff)
            stbMain->setText(tr("インストーラの終了後に閉じます..."));
        if (QProgressDialog* dialog = FProgress.data())
            dialog->cancel();
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

} // namespace qm
