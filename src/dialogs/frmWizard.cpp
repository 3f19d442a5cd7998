#include "dialogs/frmWizard.h"

#include "dialogs/FolderDialog.h"
#include "dialogs/MainAccess.h"
#include "dialogs/frmAppList.h"
#include "dialogs/frmInstall.h"
#include "model/ArchiveName.h"
#include "model/FileUtils.h"
#include "model/InstallAppInfo.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "widgets/Controls.h"
#include "widgets/RadioGroup.h"
#include "widgets/ShownText.h"
#include "widgets/UiHooks.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace qm {

namespace {

QString U(const char* text) {
    return QString::fromUtf8(text);
}

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

const char* const kNone = QT_TRANSLATE_NOOP("qm::TfrmWizard", "(なし)");

// A labelled line edit in a grid row.
QLineEdit* AddEdit(QGridLayout* grid, int row, QWidget* page, const char* name,
                   const QString& label) {
    auto* caption = new QLabel(label, page);
    auto* edit = new QLineEdit(page);
    edit->setObjectName(QLatin1String(name));
    caption->setBuddy(edit);
    grid->addWidget(caption, row, 0);
    grid->addWidget(edit, row, 1);
    return edit;
}

QPushButton* NewButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

// Selects the entry equal (case ignored) to text, or nothing.
void SelectEntry(QComboBox* list, const QString& text) {
    list->setCurrentIndex(-1);
    for (int i = 1; i < list->count(); ++i)
        if (list->itemData(i).toString().compare(text, Qt::CaseInsensitive) == 0) {
            list->setCurrentIndex(i);
            return;
        }
}

} // namespace

TfrmWizard::TfrmWizard(TMainAccess& main, QWidget* parent) : QDialog(parent), FMain(main) {
    setObjectName(QStringLiteral("frmWizard"));
    setWindowTitle(tr("インストールウィザード"));
    CreatePages();
    // Room for a whole install path and the longest captions of the pages.
    setMinimumSize(600, 380);

    dlgOpen = new QFileDialog(this, tr("アーカイブの選択"));
    dlgOpen->setObjectName(QStringLiteral("dlgOpen"));
    dlgOpen->setFileMode(QFileDialog::ExistingFile);
    dlgOpen->setAcceptMode(QFileDialog::AcceptOpen);
    dlgOpen->setOption(QFileDialog::HideNameFilterDetails, true);
    const QString all = QStringLiteral(
        "*.lzh *.lha *.lzs *.zip *.jar *.cab *.arj *.tar *.tgz *.taz *.gz *.z *.bz2 *.cpio *.rpm "
        "*.deb *.rar *.ish *.gza *.bza *.yz1 *.yz2 *.gca *.bel *.7z *.imp *.bh *.noa *.hki *.ace "
        "*.dz *.ha *.pma *.jak *.exe *.xz *.txz *.zst *.tzst *.lz4 *.lzma *.tlz *.lz");
    // Names differ in case on this system: each pattern is offered in both cases.
    const auto both = [](const QString& patterns) {
        return patterns + QLatin1Char(' ') + patterns.toUpper();
    };
    dlgFolder = new TFolderDialog(this);
    dlgOpen->setNameFilters({tr("すべてのアーカイブ (%1)").arg(both(all)),
                             tr("すべてのファイル(*.*) (*)"),
                             tr("LZH書庫(*.lzh;*.lha;*.lzs) (%1)").arg(both("*.lzh *.lha *.lzs")),
                             tr("ZIP書庫(*.zip;*.jar) (%1)").arg(both("*.zip *.jar")),
                             tr("CAB書庫(*.cab) (%1)").arg(both("*.cab")),
                             tr("自己解凍書庫(*.exe) (%1)").arg(both("*.exe"))});
    ShowPage(0);
}

QWidget* TfrmWizard::NewPage(const char* name, const QString& heading) {
    auto* page = new QWidget(pgcWiz);
    page->setObjectName(QLatin1String(name));
    auto* layout = new QVBoxLayout(page);
    auto* title = new QLabel(heading, page);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    title->setWordWrap(true);
    layout->addWidget(title);
    pgcWiz->addWidget(page);
    return page;
}

void TfrmWizard::CreatePages() {
    auto* layout = new QVBoxLayout(this);
    pgcWiz = new QStackedWidget(this); // pages without tabs: the footer moves between them
    pgcWiz->setObjectName(QStringLiteral("pgcWiz"));
    layout->addWidget(pgcWiz, 1);

    // 0: the archive.
    tabFile = NewPage("tabFile", tr("インストールするアーカイブを選択します。"));
    {
        auto* grid = new QGridLayout;
        edtArchive = AddEdit(grid, 0, tabFile, "edtArchive", tr("ファイル名"));
        btnRefArchive = NewButton(tabFile, "btnRefArchive", tr("参照..."));
        grid->addWidget(btnRefArchive, 0, 2);
        static_cast<QVBoxLayout*>(tabFile->layout())->addLayout(grid);
    }
    // 1: new install or update.
    tabUpdate = NewPage("tabUpdate", tr("インストール方法を選択します。"));
    {
        auto* box = static_cast<QVBoxLayout*>(tabUpdate->layout());
        rdoInstallNew = new QRadioButton(tr("新規インストール"), tabUpdate);
        rdoInstallNew->setObjectName(QStringLiteral("rdoInstallNew"));
        rdoInstallNew->setChecked(true);
        rdoInstallUpdate =
            new QRadioButton(tr("インストール済みアプリケーションのアップデート"), tabUpdate);
        rdoInstallUpdate->setObjectName(QStringLiteral("rdoInstallUpdate"));
        box->addWidget(rdoInstallNew);
        box->addWidget(rdoInstallUpdate);
        auto* grid = new QGridLayout;
        edtUpdateTarget = AddEdit(grid, 0, tabUpdate, "edtUpdateTarget", tr("対象"));
        edtUpdateTarget->setReadOnly(true);
        edtUpdateTarget->setFocusPolicy(Qt::NoFocus);
        btnSelUpdateTarget = NewButton(tabUpdate, "btnSelUpdateTarget", tr("選択..."));
        grid->addWidget(btnSelUpdateTarget, 0, 2);
        box->addLayout(grid);
        rdgUpdateOption = new TRadioGroup(tr("アップデートオプション"),
                                          {tr("上書きインストール"), tr("自動クリーンインストール"),
                                           tr("カスタムクリーンインストール")},
                                          tabUpdate);
        rdgUpdateOption->setObjectName(QStringLiteral("rdgUpdateOption"));
        rdgUpdateOption->SetItemIndex(0);
        box->addWidget(rdgUpdateOption);
        // What belongs to an update is enabled only while an update is chosen.
        const auto follow = [this] {
            const bool update = rdoInstallUpdate->isChecked();
            for (QWidget* w : std::initializer_list<QWidget*>{edtUpdateTarget, btnSelUpdateTarget,
                                                              rdgUpdateOption})
                w->setEnabled(update);
        };
        connect(rdoInstallUpdate, &QRadioButton::toggled, this, follow);
        follow();
    }
    // 2: name and version.
    tabAppName = NewPage("tabAppName", tr("アプリケーションの名前とバージョンを設定します。"));
    {
        auto* grid = new QGridLayout;
        edtAppName = AddEdit(grid, 0, tabAppName, "edtAppName", tr("アプリケーション名"));
        edtAppVer = AddEdit(grid, 1, tabAppName, "edtAppVer", tr("バージョン"));
        static_cast<QVBoxLayout*>(tabAppName->layout())->addLayout(grid);
    }
    // 3: the install folder.
    tabFolder = NewPage("tabFolder", tr("インストール先フォルダを指定します。"));
    {
        auto* grid = new QGridLayout;
        edtInstallFolder = AddEdit(grid, 0, tabFolder, "edtInstallFolder", tr("インストール先"));
        btnRefInsPath = NewButton(tabFolder, "btnRefInsPath", tr("参照..."));
        grid->addWidget(btnRefInsPath, 0, 2);
        chkMakeSub = NewCheckBox(tabFolder, "chkMakeSub", tr("サブフォルダを作成する"));
        chkMakeSub->setChecked(true);
        grid->addWidget(chkMakeSub, 1, 1);
        lblFolderPreview = new QLabel(tabFolder);
        lblFolderPreview->setObjectName(QStringLiteral("lblFolderPreview"));
        lblFolderPreview->setTextFormat(Qt::PlainText);
        lblFolderPreview->setWordWrap(true);
        grid->addWidget(lblFolderPreview, 2, 0, 1, 3);
        static_cast<QVBoxLayout*>(tabFolder->layout())->addLayout(grid);
        connect(edtInstallFolder, &QLineEdit::textChanged, this, [this] { UpdateFolderPreview(); });
        connect(chkMakeSub, &QCheckBox::toggled, this, [this] { UpdateFolderPreview(); });
    }
    // 4: main executable and help file.
    tabProgram = NewPage("tabProgram", tr("アプリケーションのメインプログラム等を指定します。"));
    {
        auto* grid = new QGridLayout;
        const auto addList = [&](int row, const char* name, const QString& label) {
            auto* caption = new QLabel(label, tabProgram);
            auto* list = new QComboBox(tabProgram); // a drop-down list: no free text
            list->setObjectName(QLatin1String(name));
            caption->setBuddy(list);
            grid->addWidget(caption, row, 0);
            grid->addWidget(list, row, 1);
            return list;
        };
        cmbMainExe = addList(0, "cmbMainExe", tr("メイン実行ファイル"));
        cmbHelpFile = addList(1, "cmbHelpFile", tr("ヘルプファイル"));
        grid->setColumnStretch(1, 1);
        static_cast<QVBoxLayout*>(tabProgram->layout())->addLayout(grid);
    }
    // 5: shortcuts and who the install is for.
    tabShortcut = NewPage("tabShortcut", tr("ショートカットを設定します。"));
    {
        auto* box = static_cast<QVBoxLayout*>(tabShortcut->layout());
        chkAddStartMenu = NewCheckBox(tabShortcut, "chkAddStartMenu", tr("スタートメニューに登録"));
        box->addWidget(chkAddStartMenu);
        auto* row = new QHBoxLayout;
        edtStartMenu = new QLineEdit(tabShortcut);
        edtStartMenu->setObjectName(QStringLiteral("edtStartMenu"));
        btnSelStartMenu = NewButton(tabShortcut, "btnSelStartMenu", tr("選択..."));
        row->addWidget(edtStartMenu, 1);
        row->addWidget(btnSelStartMenu);
        box->addLayout(row);
        chkAddDesktop = NewCheckBox(tabShortcut, "chkAddDesktop", tr("デスクトップに登録"));
        chkAddHelp = NewCheckBox(tabShortcut, "chkAddHelp",
                                 tr("ヘルプファイルへのショートカットを作成する"));
        chkAddCommand = NewCheckBox(tabShortcut, "chkAddCommand",
                                    tr("コマンドとして登録する (端末から名前で起動)"));
        edtCommand = new QLineEdit(tabShortcut);
        edtCommand->setObjectName(QStringLiteral("edtCommand"));
        connect(chkAddCommand, &QCheckBox::toggled, edtCommand, &QWidget::setEnabled);
        box->addWidget(chkAddDesktop);
        box->addWidget(chkAddHelp);
        box->addWidget(chkAddCommand);
        box->addWidget(edtCommand);
        rdgTarget = new TRadioGroup(tr("インストール対象"),
                                    {tr("現在のユーザー"), tr("すべてのユーザー")}, tabShortcut);
        rdgTarget->setObjectName(QStringLiteral("rdgTarget"));
        rdgTarget->SetItemIndex(0);
        box->addWidget(rdgTarget);
    }
    // 6: ready.
    tabLast = NewPage("tabLast", tr("アプリケーションをインストールする準備ができました。"));
    {
        auto* box = static_cast<QVBoxLayout*>(tabLast->layout());
        box->addWidget(
            new QLabel(tr("インストールボタンを押すと、インストールを開始します。"), tabLast));
        chkStartApp = NewCheckBox(tabLast, "chkStartApp",
                                  tr("インストール完了後、アプリケーションを起動する"));
        chkStartHelp =
            NewCheckBox(tabLast, "chkStartHelp", tr("インストール完了後、ヘルプを表示する"));
        chkStartClose =
            NewCheckBox(tabLast, "chkStartClose", tr("インストール完了後、Quillmateを閉じる"));
        lblRunNotice = new QLabel(tabLast);
        lblRunNotice->setObjectName(QStringLiteral("lblRunNotice"));
        lblRunNotice->setTextFormat(Qt::PlainText);
        lblRunNotice->setWordWrap(true);
        lblRunNotice->setHidden(true);
        box->addWidget(lblRunNotice);
        chkAllowHandlers = NewCheckBox(tabLast, "chkAllowHandlers", QString());
        chkAllowHandlers->setHidden(true);
        for (QCheckBox* check : {chkStartApp, chkStartHelp, chkStartClose, chkAllowHandlers})
            box->addWidget(check);
        btnInstallRun = NewButton(tabLast, "btnInstallRun", tr("インストール"));
        box->addWidget(btnInstallRun, 0, Qt::AlignLeft);
    }
    for (int i = 0; i < pgcWiz->count(); ++i)
        static_cast<QVBoxLayout*>(pgcWiz->widget(i)->layout())->addStretch(1);

    // The footer.
    auto* footer = new QHBoxLayout;
    btnBack = NewButton(this, "btnBack", tr("<前へ(&B)"));
    btnNext = NewButton(this, "btnNext", tr("次へ(&N)>"));
    btnClose = NewButton(this, "btnClose", tr("キャンセル(&C)"));
    footer->addStretch(1);
    footer->addWidget(btnBack);
    footer->addWidget(btnNext);
    footer->addWidget(btnClose);
    layout->addLayout(footer);
    btnNext->setDefault(true);

    connect(btnNext, &QPushButton::clicked, this, &TfrmWizard::btnNextClick);
    connect(btnBack, &QPushButton::clicked, this, &TfrmWizard::btnBackClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnInstallRun, &QPushButton::clicked, this, &TfrmWizard::btnInstallRunClick);
    connect(btnRefArchive, &QPushButton::clicked, this, &TfrmWizard::btnRefArchiveClick);
    connect(btnRefInsPath, &QPushButton::clicked, this, &TfrmWizard::btnRefInsPathClick);
    connect(btnSelStartMenu, &QPushButton::clicked, this, &TfrmWizard::btnSelStartMenuClick);
    connect(btnSelUpdateTarget, &QPushButton::clicked, this, &TfrmWizard::btnSelUpdateTargetClick);
}

// --- properties -------------------------------------------------------------------------------

void TfrmWizard::SetArchiveName(const std::string& name) {
    edtArchive->setText(Q(name));
}
std::string TfrmWizard::AppName() const {
    return edtAppName->text().toStdString();
}
std::string TfrmWizard::AppVersion() const {
    return edtAppVer->text().toStdString();
}
std::string TfrmWizard::MainExe() const {
    return cmbMainExe->currentIndex() > 0 ? cmbMainExe->currentData().toString().toStdString() : "";
}
std::string TfrmWizard::HelpFile() const {
    return cmbHelpFile->currentIndex() > 0 ? cmbHelpFile->currentData().toString().toStdString()
                                           : "";
}
bool TfrmWizard::AddDesktop() const {
    return chkAddDesktop->isChecked();
}
bool TfrmWizard::AddStartMenu() const {
    return chkAddStartMenu->isChecked();
}
bool TfrmWizard::AddHelp() const {
    return chkAddHelp->isChecked();
}

bool TfrmWizard::AddCommand() const {
    return !chkAddCommand->isHidden() && chkAddCommand->isChecked();
}

const TFileMember* TfrmWizard::ChosenMain() const {
    const TInstallAppInfo* plan = FMain.InstallInfo();
    const std::string path = cmbMainExe->currentIndex() >= 1
                                 ? cmbMainExe->currentData().toString().toStdString()
                                 : std::string();
    for (int i = 0; plan != nullptr && !path.empty() && i < plan->Members.Count(); ++i) {
        const TFileMember& m = plan->Members.Items(i);
        if (m.ArchivePath + m.FileName == path)
            return &m;
    }
    return nullptr;
}

void TfrmWizard::UpdateCommandChoice() {
    // Offered for the program chosen on the program page when it is a Linux program.
    const TFileMember* main = ChosenMain();
    const bool offered = main != nullptr && FMain.InstallInfo()->CanBeCommand(*main);
    chkAddCommand->setHidden(!offered);
    edtCommand->setHidden(!offered);
    edtCommand->setEnabled(chkAddCommand->isChecked());
    if (!offered)
        return;
    // The name the plan has for its main program (a record's chosen one comes over with an
    // update), else the program's own; a name the user typed stays.
    const TInstallAppInfo& plan = *FMain.InstallInfo();
    const int current = plan.Members.MainIndex();
    const QString proposed = current >= 0 && &plan.Members.Items(current) == main
                                 ? Q(plan.MainCommandName())
                                 : Q(qm::CommandName(main->FileName));
    if (edtCommand->text().isEmpty() || edtCommand->text() == FCommandProposed)
        edtCommand->setText(proposed);
    FCommandProposed = proposed;
}

std::string TfrmWizard::CommandName() const {
    return edtCommand->text().trimmed().toStdString();
}

void TfrmWizard::UpdateHandlerChoice() {
    // Asked only when the program gets an entry whose bundled types would take over the
    // browser or mail; never preset.
    const TFileMember* main = ChosenMain();
    std::vector<std::string> types;
    if (main != nullptr && (AddStartMenu() || AddDesktop()))
        types = FMain.InstallInfo()->HandlerTypesFor(*main);
    ShowHandlerChoice(*chkAllowHandlers, types);
    // The plan's word on the program chosen on the program page.
    const std::string notice =
        main != nullptr ? FMain.InstallInfo()->RunNoticeFor(*main) : std::string();
    lblRunNotice->setText(ShownText(notice));
    lblRunNotice->setHidden(notice.empty());
}

bool TfrmWizard::AllowHandlers() const {
    return !chkAllowHandlers->isHidden() && chkAllowHandlers->isChecked();
}
std::string TfrmWizard::StartMenuPath() const {
    return edtStartMenu->text().toStdString();
}
bool TfrmWizard::AllUsers() const {
    return rdgTarget->ItemIndex() == 1;
}
bool TfrmWizard::BootApp() const {
    return chkStartApp->isChecked();
}
void TfrmWizard::SetBootApp(bool value) {
    chkStartApp->setChecked(value);
}
bool TfrmWizard::BootHelp() const {
    return chkStartHelp->isChecked();
}
void TfrmWizard::SetBootHelp(bool value) {
    chkStartHelp->setChecked(value);
}
bool TfrmWizard::AutoExit() const {
    return chkStartClose->isChecked();
}
void TfrmWizard::SetAutoExit(bool value) {
    chkStartClose->setChecked(value);
}
int TfrmWizard::UpdateOption() const {
    return std::max(rdgUpdateOption->ItemIndex(), 0);
}

std::string TfrmWizard::EntryText(const TFileMember& member) {
    std::string text = member.ArchivePath;
    if (!text.empty() && text.back() != '/')
        text += '/';
    return text + member.FileName;
}

std::string TfrmWizard::InstallFolder() const {
    const std::string base = edtInstallFolder->text().toStdString();
    std::string folder = base.empty() ? std::string(1, PathDelim) : WithTrailingDelim(base);
    if (!chkMakeSub->isChecked())
        return folder;
    // Exactly one subfolder, named after the application as the name page has it.
    const std::string name = edtAppName->text().toStdString();
    return name.empty() ? folder : ProposedInstallFolder(folder, name);
}

// --- moving between pages ---------------------------------------------------------------------

void TfrmWizard::UpdateFolderPreview() {
    // Members keep their archive folders below the install folder: the files of an archive
    // whose members all sit in one folder land in that folder below it.
    std::string common;
    const TInstallAppInfo* plan = FMain.InstallInfo();
    const int count = plan != nullptr ? plan->Members.Count() : 0;
    for (int i = 0; i < count; ++i) {
        const std::string& folder = plan->Members.Items(i).ArchivePath;
        if (i == 0) {
            common = folder;
            continue;
        }
        std::size_t same = 0;
        for (std::size_t at = 0;
             at < common.size() && at < folder.size() && common[at] == folder[at]; ++at)
            if (common[at] == '/')
                same = at + 1;
        if (!(common.size() <= folder.size() && folder.compare(0, common.size(), common) == 0))
            common.erase(same);
    }
    // The contents of a single top folder go into the install folder directly.
    common = count > 0 ? plan->Members.InstallSubFolder(common) : std::string();
    lblFolderPreview->setText(
        tr("ファイルは %1 にインストールされます。").arg(ShownText(InstallFolder() + common)));
}

void TfrmWizard::ShowPage(int index) {
    FPage = index;
    if (index == 3)
        UpdateFolderPreview();
    if (index == 5)
        UpdateCommandChoice();
    if (index == PageCount - 1)
        UpdateHandlerChoice();
    pgcWiz->setCurrentIndex(index);
    btnBack->setVisible(index > 0);
    btnNext->setVisible(index < PageCount - 1);
    if (index == PageCount - 1) {
        FMain.SetButtonShield(btnInstallRun, true);
        btnInstallRun->setDefault(true);
    } else {
        btnNext->setDefault(true);
    }
}

void TfrmWizard::btnNextClick() {
    int next = FPage + 1;
    switch (FPage) {
    case 0:
        if (!LeaveArchivePage())
            return;
        break;
    case 1:
        if (!LeaveUpdatePage())
            return;
        break;
    case 2:
        if (rdoInstallUpdate->isChecked())
            ++next; // an update goes where the installed copy is: no folder to choose
        break;
    case 3:
        if (!CheckInstallFolder())
            return;
        break;
    case 5:
        if (AddCommand()) {
            // A name already on PATH: said here, and the user picks another.
            std::string why;
            if (!TInstallAppInfo::CheckCommandName(CommandName(), why)) {
                ShowError(Q(why));
                return;
            }
        }
        break;
    default:
        break;
    }
    if (FPage < PageCount - 1)
        ShowPage(std::min(next, PageCount - 1));
}

void TfrmWizard::btnBackClick() {
    if (FPage <= 0)
        return;
    int index = FPage - 1;
    if (index == 3 && rdoInstallUpdate->isChecked())
        --index;
    ShowPage(index);
}

void TfrmWizard::btnInstallRunClick() {
    if (rdoInstallNew->isChecked() && !CheckInstallFolder())
        return;
    accept();
}

void TfrmWizard::ShowError(const QString& text) {
    ShowMessageBox(this, QMessageBox::Warning, text);
}

bool TfrmWizard::LeaveArchivePage() {
    const QString text = edtArchive->text();
    if (text.isEmpty())
        return false;
    const std::string path = QFileInfo(text).absoluteFilePath().toStdString();
    // A path that is not there is said so, as the window and quill say it.
    if (!QFileInfo(text).isFile()) {
        ShowError(tr("ファイル \"%1\" が見つかりません。").arg(ShownText(path)));
        return false;
    }
    // The archive open in the main window is not extracted again: that would throw away what
    // the user set there before starting the wizard.
    const TInstallAppInfo* plan = FMain.InstallInfo();
    const bool open = plan != nullptr && plan->ArchiveName == path && plan->Members.Count() > 0;
    if (!open) {
        try {
            if (!FMain.OpenArchiveChecked(path))
                return false;
        } catch (const Exception& e) {
            ShowError(Q(e.Message()));
            return false;
        }
    }
    edtArchive->setText(Q(path));
    // The program lists belong to the plan they were filled from: they are filled again from
    // this one on leaving the next page, and until then nothing is taken from them.
    FCandidatesLoaded = false;
    cmbMainExe->clear();
    cmbHelpFile->clear();
    edtAppName->setText(Q(FMain.AppNameText()));
    edtAppVer->setText(Q(FMain.AppVersionText()));
    if (FMain.IsUpdating()) {
        rdoInstallUpdate->setChecked(true);
        const TInstallAppInfo* target = FMain.UpdateInfo();
        edtUpdateTarget->setText(U("%1 %2").arg(Q(target->AppName), Q(target->Version)));
        rdgUpdateOption->SetItemIndex(FMain.CurrentUpdateMode());
    } else {
        rdoInstallNew->setChecked(true);
    }
    const TFileMembers& members = FMain.InstallInfo()->Members;
    if (members.MainIndex() != -1) {
        chkAddStartMenu->setChecked(true);
        edtStartMenu->setText(Q(members.Items(members.MainIndex()).StartMenuPath));
        // As the plan has it: a Linux archive's help file gets no menu entry unless asked for.
        chkAddHelp->setChecked(members.HelpIndex() != -1 &&
                               members.Items(members.HelpIndex()).HasShortcut());
    }
    chkAddCommand->setChecked(FMain.InstallInfo()->MainIsCommand());
    // The folder shown is the one the application's folder goes into, with the box that adds
    // that folder ticked; a folder of another name (chosen in the window) is shown whole.
    const std::string root = ExcludeTrailingPathDelimiter(members.InstallRoot);
    const bool named =
        !root.empty() && ExtractFileName(root) == InstallFolderName(FMain.AppNameText());
    edtInstallFolder->setText(Q(named ? ExtractFilePath(root) : members.InstallRoot));
    chkMakeSub->setChecked(named);
    FValuesLoaded = true;
    return true;
}

bool TfrmWizard::LeaveUpdatePage() {
    if (rdoInstallUpdate->isChecked()) {
        if (!FMain.IsUpdating()) {
            ShowError(tr("アップデートするアプリケーションを選択してください。"));
            return false;
        }
        FMain.SetUpdateMode(static_cast<std::uint8_t>(UpdateOption()));
        const TInstallAppInfo* target = FMain.UpdateInfo();
        // The new version's own name and version, as its main program gives them.
        std::string name, version;
        FMain.InstallInfo()->IdentityForUpdate(*target, name, version);
        edtAppName->setText(Q(name));
        edtAppVer->setText(Q(version));
        const TFileMembers& members = FMain.InstallInfo()->Members;
        if (members.MainIndex() != -1) {
            const TFileMember& main = members.Items(members.MainIndex());
            chkAddStartMenu->setChecked((main.ShortcutFlags() & scStartMenu) != 0);
            edtStartMenu->setText(Q(main.StartMenuPath));
            chkAddDesktop->setChecked((main.ShortcutFlags() & scDesktop) != 0);
        }
        chkAddCommand->setChecked(FMain.InstallInfo()->MainIsCommand());
        if (members.HelpIndex() != -1)
            chkAddHelp->setChecked(members.Items(members.HelpIndex()).HasShortcut());
    } else {
        const bool wasUpdate = FMain.IsUpdating();
        FMain.SetUpdateTarget(nullptr);
        // Leaving an update for a new install: the name and version are the archive's again.
        if (wasUpdate) {
            edtAppName->setText(Q(FMain.AppNameText()));
            edtAppVer->setText(Q(FMain.AppVersionText()));
        }
    }
    FillCandidates();
    return true;
}

void TfrmWizard::FillCandidates() {
    FCandidatesLoaded = true;
    cmbMainExe->clear();
    cmbHelpFile->clear();
    cmbMainExe->addItem(tr(kNone));
    cmbHelpFile->addItem(tr(kNone));
    const TFileMembers& members = FMain.InstallInfo()->Members;
    for (int i = 0; i < members.Count(); ++i) {
        const TFileMember& m = members.Items(i);
        // Windows programs by their extension, Linux programs by their content.
        int kind = CandidateKindOf(m.FileName);
        if (kind == 0 && FMain.InstallInfo()->IsNativeProgram(m))
            kind = 1;
        if (kind == 1)
            cmbMainExe->addItem(ShownText(EntryText(m)), Q(EntryText(m)));
        else if (kind == 2)
            cmbHelpFile->addItem(ShownText(EntryText(m)), Q(EntryText(m)));
    }
    const auto select = [&](QComboBox* list, int index) {
        if (index == -1)
            list->setCurrentIndex(0);
        else
            SelectEntry(list, Q(EntryText(members.Items(index))));
    };
    select(cmbMainExe, members.MainIndex());
    select(cmbHelpFile, members.HelpIndex());
}

bool TfrmWizard::CheckInstallFolder() {
    const QString text = edtInstallFolder->text();
    // The box first (what the user typed), then the folder the files will go to.
    if (!AcceptFolder(this, text, true))
        return false;
    const std::string folder = InstallFolder();
    if (folder == PathRoot(folder)) {
        ShowError(tr("ファイルシステムのルートにはインストールできません。"));
        return false;
    }
    return true;
}

// --- browse buttons ---------------------------------------------------------------------------

void TfrmWizard::btnRefArchiveClick() {
    const std::string text = edtArchive->text().toStdString();
    if (!text.empty())
        dlgOpen->setDirectory(Q(ExtractFilePath(text)));
    const QString file = RunOpenFileDialog(*dlgOpen);
    if (!file.isEmpty())
        edtArchive->setText(QFileInfo(file).absoluteFilePath());
}

void TfrmWizard::btnRefInsPathClick() {
    dlgFolder->RootFolder = TRootFolder::rfDeskTop;
    dlgFolder->Title = tr("インストール先フォルダを選択します。");
    dlgFolder->Folder = edtInstallFolder->text();
    if (dlgFolder->Execute())
        edtInstallFolder->setText(dlgFolder->Folder);
}

void TfrmWizard::btnSelStartMenuClick() {
    // The start menu of the install's users: the user's own unless the install is for all.
    const bool allUsers = AllUsers();
    dlgFolder->RootFolder = allUsers ? TRootFolder::rfCommonStartMenu : TRootFolder::rfStartMenu;
    dlgFolder->Title = tr("ショートカットを作成する場所を選択します。");
    const std::string root = IncludeTrailingPathDelimiter(
        GetSpecialFolder(allUsers ? SF_COMMON_STARTMENU : SF_STARTMENU));
    dlgFolder->Folder = Q(root + edtStartMenu->text().toStdString());
    if (!dlgFolder->Execute())
        return;
    // The chooser keeps to the start menu; the folder is kept relative to it, the menu itself
    // giving an empty text.
    const std::string path = WithTrailingDelim(dlgFolder->Folder.toStdString());
    edtStartMenu->setText(path.size() > root.size() && path.compare(0, root.size(), root) == 0
                              ? Q(ExcludeTrailingPathDelimiter(path.substr(root.size())))
                              : QString());
}

void TfrmWizard::btnSelUpdateTargetClick() {
    try {
        TfrmAppList list(FMain, this);
        list.SetSelectable(true);
        if (ExecDialog(list) != QDialog::Accepted || list.Selected() == nullptr)
            return;
        const TInstallAppInfo& chosen = *list.Selected();
        // The same way as every other choice of target: the installed settings come over to
        // the plan, and the main window counts the install as an update.
        FMain.SetUpdateTarget(&chosen);
        edtUpdateTarget->setText(U("%1 %2").arg(Q(chosen.AppName), Q(chosen.Version)));
        rdoInstallUpdate->setChecked(true);
    } catch (const Exception& e) {
        ShowError(Q(e.Message()));
    }
}

} // namespace qm
