#include "app/untMain.h"

#include "app/Busy.h"
#include "app/ConfigKeys.h"
#include "app/FileListModel.h"
#include "app/Images.h"
#include "cmarc/Archives.h"
#include "dialogs/frmOption.h"
#include "model/FileUtils.h"
#include "model/InstallAppInfo.h"
#include "model/InstallList.h"
#include "model/LegacyImport.h"
#include "model/UpdateTarget.h"
#include "platform/AnsiCodec.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/SpecialFolders.h"
#include "platform/WindowsVersion.h"
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

// Thrown out of the extraction when the user cancels it, so the open stops before the plan is
// built from a half-extracted folder. TfrmMain::OpenArchive takes it as a quiet failure; should
// it ever reach the error box, it still says what happened.
struct TOpenCancelled : Exception {
    TOpenCancelled() : Exception("アーカイブの展開は取り消されました。") {}
};

const char* const kCaption = "Quillmate";
// The widest member name the progress dialog shows, in pixels.
const int kMaxMemberLabelWidth = 400;
// How often the progress dialog follows the extraction, and how long an extraction runs before
// the dialog shows (milliseconds).
const qint64 kProgressInterval = 50;
const qint64 kProgressDelay = 300;
const char* const kNewInstallText = "このアプリケーションは新規にインストールされます。";

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
    dlgOpenArc->setNameFilters(OpenArchiveFilters()); // the first pair is the default
    FInstallInfo = std::make_unique<TInstallAppInfo>();
    AttachPlan(*FInstallInfo);
    ListFileName = GetDataFolder() + InstallListFileName;
    LegacyFileName = LegacyDatabaseFileName();
    // Extracted archives of programs that crashed or were killed: nobody else deletes them.
    TInstallAppInfo::RemoveStaleWorkFolders();
    FUpdateInfo = std::make_unique<TInstallAppInfo>();
}

void TfrmMain::FormDestroy() {
    // The list refers to the plan's members; empty it before the plan goes.
    lvFileModel->OnChange = nullptr;
    lvFileModel->Clear();
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
    stbMain->setText(QStringLiteral("ファイル数:%1").arg(lvFileModel->Count()));
}

int TfrmMain::RowImageIndex(int row) const {
    const TFileMember* m = lvFileModel->Row(row).Member;
    return m == nullptr ? 0 : m->Role() + (m->ShortcutFlags() != 0 ? 3 : 0);
}

// --- the file list ----------------------------------------------------------------------------

void TfrmMain::FillFileList(TInstallAppInfo& plan) {
    // Without a working folder (a data folder that is read-only, full or not a folder) nothing
    // was extracted: an empty list would pass for an empty archive, so the open fails instead.
    if (&plan == FOpening && plan.WorkFolder().empty())
        throw EWriteError(GetDataFolder() + " に作業フォルダを作成できません。");
    // A newly opened archive arrives in a plan of its own: it becomes the window's plan now,
    // and the one it replaces gives up its working folder.
    if (&plan == FOpening) {
        ++FOpenCount;
        // (A bare AppImage opens without the archive handler, which names the others.)
        setWindowTitle(QStringLiteral("%1 - %2").arg(QLatin1String(kCaption),
                                                     Q(ExtractFileName(plan.ArchiveName))));
    }
    if (&plan == FOpening && &plan != FInstallInfo.get()) {
        FRetiredPlan = std::move(FInstallInfo);
        FInstallInfo.reset(&plan);
        FRetiredPlan->RemoveWorkFolder();
    }
    {
        TWaitCursor wait;
        TUpdateBracket bracket(*lvFileModel);
        lvFileModel->Clear();
        TFileMembers& members = plan.Members;
        // The rows show the members' own texts; the date format is the system's of now.
        lvFileModel->DateText = [dateFormat = TDateFormat()](double dayCount) {
            return dateFormat.Text(dayCount);
        };
        for (int i = 0; i < members.Count(); ++i) {
            TFileMember& m = members.Items(i);
            if (m.Role() == mrExcluded)
                continue;
            TFileRow row;
            row.Member = &m;
            row.ImageIndex = m.Role() + (m.ShortcutFlags() != 0 ? 3 : 0);
            // Checking a row makes its member an install target.
            row.Checked = true;
            m.IsTarget = true;
            lvFileModel->AddRow(row);
        }
    }
    edtAppName->setText(Q(plan.AppName));
    edtAppVersion->setText(Q(plan.Version));
    UpdateStatusBar();
    EnableArchiveItems(true);
    // The members' own settings are kept aside only when an update target takes them over
    // (SetUpdateTarget): a copy of every member would double the plan's memory for nothing.
    FPristineMembers.reset();
    FPristineName = plan.AppName;
    FPristineVersion = plan.Version;
    FTookOver = false;
    MarkClashes();
    DetectUpdate();
}

void TfrmMain::DetectUpdate() {
    // The database is read fresh each time: the installer may have changed it since.
    TInstallList list;
    try {
        list.LoadInstalled(ListFileName); // the user's installs and the system's
    } catch (...) {
        // The previous archive's target must not stay with this one; the error is still told.
        SetUpdateTarget(nullptr);
        throw;
    }
    SetUpdateTarget(FindUpdateFor(list, *FInstallInfo));
}

void TfrmMain::MemberChanged(TFileMembers& members, int index) {
    if (index < 0 || index >= members.Count())
        return;
    const int row = lvFileModel->IndexOfMember(&members.Items(index));
    if (row < 0)
        return;
    lvFileModel->Row(row).ImageIndex = RowImageIndex(row);
    lvFileModel->RowChanged(row);
}

void TfrmMain::RefreshFileList() {
    TWaitCursor wait;
    TUpdateBracket bracket(*lvFileModel);
    for (int i = 0; i < lvFileModel->Count(); ++i) {
        TFileRow& row = lvFileModel->Row(i);
        if (row.Member == nullptr)
            continue;
        row.Checked = row.Member->IsTarget;
        row.ImageIndex = RowImageIndex(i);
        lvFileModel->RowChanged(i);
    }
    MarkClashes();
}

void TfrmMain::MarkClashes() {
    const TFileMembers& members = FInstallInfo->Members;
    const std::vector<int> clashes = members.DestinationClashes();
    TUpdateBracket bracket(*lvFileModel);
    std::unordered_set<const TFileMember*> marked;
    for (const int index : clashes)
        marked.insert(&members.Items(index));
    // Only rows whose mark changes are told to the view.
    for (int i = 0; i < lvFileModel->Count(); ++i) {
        TFileRow& row = lvFileModel->Row(i);
        const bool clash = row.Member != nullptr && marked.count(row.Member) != 0;
        if (row.Clash != clash) {
            row.Clash = clash;
            lvFileModel->RowChanged(i);
        }
    }
}

bool TfrmMain::ConfirmClashes() {
    const TFileMembers& members = FInstallInfo->Members;
    const std::vector<int> clashes = members.DestinationClashes();
    if (clashes.empty())
        return true;
    MarkClashes();
    QStringList lines;
    for (std::size_t i = 0; i < clashes.size() && i < 10; ++i) {
        const TFileMember& m = members.Items(clashes[i]);
        lines << ShownText(m.ArchivePath + m.FileName) + QStringLiteral(" → ") +
                     ShownText(m.GetInstallDir() + m.FileName);
    }
    if (clashes.size() > 10)
        lines << QStringLiteral("ほか %1 個").arg(clashes.size() - 10);
    return ShowMessageBox(this, QMessageBox::Warning,
                          QStringLiteral("次のファイルはインストール先が同じです。あとから"
                                         "インストールされるファイルが先のファイルを上書きします。"
                                         "\n%1\n\nこのままインストールしますか?")
                              .arg(lines.join(QLatin1Char('\n'))),
                          QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void TfrmMain::lvFileChange(int row) {
    TFileRow& r = lvFileModel->Row(row);
    if (r.Member != nullptr)
        r.Member->IsTarget = r.Checked;
    MarkClashes();
}

void TfrmMain::lvFileSelectItem() {
    const bool any = lvFile->selectionModel()->hasSelection();
    for (QAction* a : {actShortCut, actAddInstall, actNoInstall, actClearShortcut, actSetMain,
                       mitSetHelp, pmitFileSetHelp})
        a->setEnabled(any);
}

void TfrmMain::lvFileColumnClick(int column) {
    SortColumn = column;
    lvFileModel->SortByColumn(column);
}

// --- update target ---------------------------------------------------------------------------

void TfrmMain::RestorePristineSettings() {
    if (FPristineMembers)
        RestoreMemberSettings(FInstallInfo->Members, *FPristineMembers);
    FTookOver = false;
}

void TfrmMain::SetUpdateTarget(const TInstallAppInfo* record) {
    if (record != nullptr) {
        if (record != FUpdateInfo.get())
            FUpdateInfo->Assign(*record);
        // Another application's settings must not mix with those of the one taken before.
        if (FTookOver && FTookOverId != FUpdateInfo->AppId)
            RestorePristineSettings();
        IsUpdate = true;
        if (!FTookOver) {
            // What the plan holds of its own, for a return to a new install.
            FPristineMembers = std::make_unique<TFileMembers>();
            FPristineMembers->CopyFrom(FInstallInfo->Members);
        }
        TakeOverInstalled(FInstallInfo->Members, FUpdateInfo->Members);
        FTookOver = true;
        FTookOverId = FUpdateInfo->AppId;
        RefreshFileList();
        lblUpdate->setText(QStringLiteral("アップデート対象: %1 %2")
                               .arg(ShownText(FUpdateInfo->AppName), ShownText(FUpdateInfo->Version)));
        // The new version's own name and version, as its main program gives them.
        std::string name, version;
        FInstallInfo->IdentityForUpdate(*FUpdateInfo, name, version);
        edtAppName->setText(Q(name));
        edtAppVersion->setText(Q(version));
    } else {
        IsUpdate = false;
        // A new install after all: the plan is what the archive alone gives again.
        if (FTookOver) {
            RestorePristineSettings();
            RefreshFileList();
            edtAppName->setText(Q(FPristineName));
            edtAppVersion->setText(Q(FPristineVersion));
        }
        lblUpdate->setText(QString::fromUtf8(kNewInstallText));
    }
    lblUpdate->setVisible(true);
}

// --- opening an archive ----------------------------------------------------------------------

QStringList TfrmMain::OpenArchiveFilters() {
    const char* const pairs[][2] = {
        {"すべてのアーカイブ",
         "*.lzh;*.lha;*.lzs;*.zip;*.jar;*.cab;*.arj;*.tar;*.tgz;*.taz;*.gz;*.z;*.bz2;*.cpio;*.rpm;"
         "*.deb;*.rar;*.ish;*.gza;*.bza;*.yz1;*.yz2;*.gca;*.bel;*.7z;*.imp;*.bh;*.noa;*.hki;*.ace;"
         "*.dz;*.ha;*.pma;*.jak;*.exe;"
         // Compressed tar as Linux programs ship it, after the specified patterns.
         "*.xz;*.txz;*.zst;*.tzst;*.lz4;*.lzma;*.tlz;*.lz;*.AppImage"},
        {"すべてのファイル(*.*)", "*"},
        {"LZH書庫(*.lzh;*.lha;*.lzs)", "*.lzh;*.lha;*.lzs"},
        {"ZIP書庫(*.zip;*.jar)", "*.zip;*.jar"},
        {"CAB書庫(*.cab)", "*.cab"},
        {"自己解凍書庫(*.exe)", "*.exe"},
    };
    QStringList filters;
    for (const auto& pair : pairs) {
        // Qt separates patterns with blanks, and names differ in case on this system.
        QStringList patterns;
        for (const QString& p : QString::fromUtf8(pair[1]).split(QLatin1Char(';'))) {
            patterns << p;
            if (p != p.toUpper())
                patterns << p.toUpper();
        }
        filters << QStringLiteral("%1 (%2)").arg(QString::fromUtf8(pair[0]),
                                                 patterns.join(QLatin1Char(' ')));
    }
    return filters;
}

void TfrmMain::actOpenExecute() {
    // The dialog starts where the last archive came from, else in the downloads folder.
    std::string folder =
        FIniMain->ReadString(cfg::LastFolderSection, cfg::LastFolderKey, std::string());
    if (folder.empty() || !FolderExists(folder))
        folder = DownloadFolderPath();
    if (!folder.empty() && FolderExists(folder))
        dlgOpenArc->setDirectory(Q(folder));
    const QString fileName = RunOpenFileDialog(*dlgOpenArc);
    if (fileName.isEmpty())
        return;
    FIniMain->WriteString(cfg::LastFolderSection, cfg::LastFolderKey,
                          ExtractFilePath(QFileInfo(fileName).absoluteFilePath().toStdString()));
    if (OpenArchiveChecked(fileName.toStdString()) && IsUpdate)
        SelectUpdate(FUpdateInfo.get());
}

bool TfrmMain::OpenArchiveChecked(const std::string& fileName) {
    if (FHandOff) {
        // The installer may still be reading the working folder of the open archive.
        ShowMessageBox(this, QMessageBox::Information,
                       QStringLiteral("インストーラの終了を待っています。終了してから開いてください。"));
        return false;
    }
    if (!OpenArchive(fileName) && !FExtractCancelled)
        throw Exception("ファイルが不正か、または非対応のアーカイブです。");
    return !FExtractCancelled;
}

std::string TfrmMain::AppNameText() const {
    return edtAppName->text().toStdString();
}

std::string TfrmMain::AppVersionText() const {
    return edtAppVersion->text().toStdString();
}

void TfrmMain::mitOptionClick() {
    TfrmOption dialog(*this, this);
    ExecDialog(dialog);
}

bool TfrmMain::OpenArchive(const std::string& fileName) {
    if (FBusy)
        return false;
    FBusy = true;
    FExtractCancelled = false;
    // The archive opens into a plan of its own, which replaces the window's plan only once it
    // is complete; so a refused, failed or cancelled open leaves the shown plan as it was. A new
    // archive starts from scratch: nothing of the previous one's name, version or record comes
    // along.
    auto plan = std::make_unique<TInstallAppInfo>();
    AttachPlan(*plan);
    FOpening = plan.get();
    const QString caption = windowTitle();

    // Once FillFileList has adopted the new plan the window owns it, and the open counts as
    // done even if something after the list fill fails.
    auto finish = [&](bool failed) {
        const bool adopted = FInstallInfo.get() == FOpening;
        if (adopted)
            (void)plan.release();
        else if (failed) {
            plan->RemoveWorkFolder(); // nothing of a half-extracted archive stays behind
            setWindowTitle(caption);
        }
        FOpening = nullptr;
        FRetiredPlan.reset();
        FBusy = false;
        if (FCloseWhenIdle) {
            FCloseWhenIdle = false;
            QTimer::singleShot(0, this, &QWidget::close);
        }
    };
    bool opened = false;
    FExtractResult = 0;
    try {
        opened = plan->OpenArchive(fileName);
    } catch (const TOpenCancelled&) {
        finish(true);
        return false;
    } catch (...) {
        finish(true);
        throw;
    }
    finish(!opened);
    if (opened && FExtractResult != 0)
        ShowMessageBox(
            this, QMessageBox::Warning,
            QStringLiteral("アーカイブの一部のファイルを展開できませんでした (エラー 0x%1)。"
                           "一覧にないファイルはインストールされません。")
                .arg(static_cast<quint32>(FExtractResult), 0, 16));
    return opened;
}

void TfrmMain::OpenArchiveFile(TInstallAppInfo& plan, const std::string& path, bool& accepted) {
    FArcMain->SetFileName(path);
    accepted = FArcMain->CheckArchive(1, 0) != 0;
    if (!accepted)
        return;
    setWindowTitle(
        QStringLiteral("%1 - %2").arg(QLatin1String(kCaption), Q(ExtractFileName(path))));
    // The shown plan opening in place (not through OpenArchive) is about to drop its members:
    // the rows must not outlive them.
    if (&plan == FInstallInfo.get() && &plan != FOpening) {
        lvFileModel->Clear();
        UpdateStatusBar();
    }
}

void TfrmMain::ExtractArchiveFile(TInstallAppInfo& plan) {
    QProgressDialog progress(this);
    progress.setObjectName(QStringLiteral("dlgProgress"));
    progress.setWindowTitle(QStringLiteral("展開"));
    // The label shows member names as they are: a name that looks like markup is no markup.
    auto* label = new QLabel(&progress);
    label->setTextFormat(Qt::PlainText);
    progress.setLabel(label);
    FProgressLabel = label;
    progress.setLabelText(QStringLiteral("アーカイブを展開しています..."));
    progress.setCancelButtonText(QStringLiteral("キャンセル"));
    progress.setRange(0, 0);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.hide();
    FProgress = &progress;
    FProgressSteps = 0;
    FExtractCancelled = false;
    QElapsedTimer clock;
    clock.start();
    FProgressStart = 0;
    FProgressShown = -kProgressInterval; // the first step updates the window
    FProgressNamed = false;

    FArcMain->OnProgress = [this, &clock](TArchiveFile&, int state, LPEXTRACTINGINFOEX lpEis,
                                          bool& abort) {
        FProgressStart = clock.elapsed();
        ExtractProgress(state, lpEis != nullptr ? lpEis->szSourceFileName : nullptr, abort);
    };
    struct Detach {
        TArchiveFile& arc;
        ~Detach() { arc.OnProgress = nullptr; }
    } detach{*FArcMain};
    // What was extracted is what the plan lists; a library that could not extract everything
    // (a damaged member, a name it refused to write) is reported once the list is shown.
    FExtractResult = FArcMain->Extract(&FHandle, nullptr, TFileArgs{nullptr}, plan.WorkFolder());
    if (FExtractCancelled) {
        plan.RemoveWorkFolder(); // nothing of a half-extracted archive stays behind
        throw TOpenCancelled{};
    }
}

void TfrmMain::ExtractProgress(int state, const char* memberName, bool& abort) {
    QProgressDialog* dialog = FProgress.data();
    if (dialog == nullptr)
        return;
    ++FProgressSteps;
    // Only the steps of one member name a member; the others name the archive itself.
    const bool memberStep = state == QM_ARCEXTRACT_BEGIN || state == QM_ARCEXTRACT_INPROCESS;
    const bool named = memberStep && memberName != nullptr && memberName[0] != '\0';
    // The library reports every member and every block of data: the window follows at most
    // every kProgressInterval, at the first member and at the end, so an archive of many small
    // files is not slowed down by its own progress display.
    const bool due = FProgressStart - FProgressShown >= kProgressInterval ||
                     state == QM_ARCEXTRACT_END || (named && !FProgressNamed);
    if (due) {
        FProgressShown = FProgressStart;
        if (named) {
            FProgressNamed = true;
            QString name;
            try {
                name = Q(FromAnsi(memberName));
            } catch (const Exception&) {
                name = QString::fromLatin1(memberName);
            }
            // A short extraction finishes before the dialog would only flash.
            if (!dialog->isVisible() && FProgressStart >= kProgressDelay) {
                SetProgressLabel(*dialog, name);
                dialog->show();
            } else if (dialog->isVisible()) {
                SetProgressLabel(*dialog, name);
            } else {
                // Hidden: the text waits in the label, neither shortened nor laid out.
                FProgressLabel->setText(name);
            }
        } else if (!dialog->isVisible() && FProgressStart >= kProgressDelay) {
            SetProgressLabel(*dialog, FProgressLabel->text());
            dialog->show();
        }
    }
    if (TUiHooks::OnProgressStep)
        TUiHooks::OnProgressStep(*dialog, FProgressSteps);
    // The window keeps painting; input reaches only the modal dialog, once it shows.
    if (due)
        QCoreApplication::processEvents(dialog->isVisible() ? QEventLoop::AllEvents
                                                            : QEventLoop::ExcludeUserInputEvents);
    if (dialog->wasCanceled()) {
        FExtractCancelled = true;
        abort = true;
    }
}

void TfrmMain::SetProgressLabel(QProgressDialog& dialog, const QString& name) {
    // The dialog grows with its label: a long name (a deep path) would push it, and its cancel
    // button, off the screen. The name is shortened in the middle instead.
    dialog.setLabelText(
        dialog.fontMetrics().elidedText(ShownText(name), Qt::ElideMiddle, kMaxMemberLabelWidth));
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
            throw Exception("ファイル \"" + path + "\" が見つかりません。");
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
            stbMain->setText(QStringLiteral("インストーラの終了後に閉じます..."));
        if (QProgressDialog* dialog = FProgress.data())
            dialog->cancel();
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

} // namespace qm
