// Install, update and uninstall from the window, as a user does it: real archives, the real
// archiver libraries, the real installer and uninstaller, the dialogs answered through the hooks.
#include "handoff/HandOff.h"
#include "app/Application.h"
#include "app/FileListModel.h"
#include "app/untMain.h"
#include "dialogs/frmAppInfo.h"
#include "dialogs/frmAppList.h"
#include "dialogs/frmInstall.h"
#include "dialogs/frmSelUpdate.h"
#include "dialogs/frmUninstall.h"
#include "dialogs/frmWizard.h"
#include "model/AppNotes.h"
#include "model/FileUtils.h"
#include "model/InstallList.h"
#include "model/InstallOption.h"
#include "model/InstructionFiles.h"
#include "net/Sha256.h"
#include "net/Sources.h"
#include "platform/AnsiCodec.h"
#include "platform/FileSystem.h"
#include "platform/SpecialFolders.h"
#include "widgets/RadioGroup.h"
#include "widgets/UiHooks.h"

#include "LoopbackServer.h"
#include "Sandbox.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <sys/stat.h>

using namespace qm;
namespace fs = std::filesystem;

namespace {

TApplication& App() {
    static int argc = 1;
    static char name[] = "test_e2e";
    static char* argv[] = {name, nullptr};
    static TApplication* app = new TApplication(argc, argv);
    return *app;
}

bool WaitUntil(const std::function<bool()>& done, int ms = 20000) {
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// A ZIP of an application: tool.exe with version information, then the given files.
std::string MakeAppZip(const std::string& name, const std::map<std::string, std::string>& files) {
    const std::string dir = qmtest::MakeTempFolder("src");
    fs::copy_file(qmtest::TestDataFolder() + "/pe/tool64.exe", dir + "/tool.exe");
    std::string list = "tool.exe";
    for (const auto& [path, bytes] : files) {
        qmtest::WriteFile(dir + "/" + path, bytes);
        list += " '" + path + "'";
    }
    EXPECT_EQ(qmtest::Run("cd '" + dir + "' && zip -q -r '" + name + "' " + list), 0);
    return dir + "/" + name;
}

std::unique_ptr<TInstallList> Database() {
    auto list = std::make_unique<TInstallList>();
    list->LoadFromFile(GetDataFolder() + InstallListFileName);
    return list;
}

std::string InstallRoot() {
    return GetSpecialFolder(SF_PROGRAM_FILES) + "Tool/";
}

// The desktop entries below the user's data folder and desktop that start tool.exe.
int ToolShortcuts() {
    int count = 0;
    for (const std::string& root : {std::string(std::getenv("XDG_DATA_HOME")),
                                    std::string(std::getenv("HOME")) + "/Desktop"}) {
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(root, ec);
             it != fs::recursive_directory_iterator(); it.increment(ec))
            if (it->path().extension() == ".desktop" &&
                qmtest::ReadFile(it->path().string()).find("tool.exe") != std::string::npos)
                ++count;
    }
    return count;
}

// Dialog answers, queued in the order the dialogs appear.
template <typename Dialog> void Answer(std::function<int(Dialog&)> answer) {
    TUiHooks::NextDialogs.push_back([answer](QDialog& dialog) {
        auto* d = dynamic_cast<Dialog*>(&dialog);
        EXPECT_NE(d, nullptr) << "another dialog came: " << dialog.objectName().toStdString();
        return d == nullptr ? int(QDialog::Rejected) : answer(*d);
    });
}

void AcceptInstall(bool bootApp = false, bool autoExit = false) {
    Answer<TfrmInstall>([=](TfrmInstall& d) {
        d.SetBootApp(bootApp);
        d.SetAutoExit(autoExit);
        return int(QDialog::Accepted);
    });
}

// The update selection: update with the given option, the candidate left as it is.
void ChooseUpdate(int option) {
    Answer<TfrmSelUpdate>([=](TfrmSelUpdate& d) {
        EXPECT_TRUE(d.rdoUpdate->isChecked());
        d.cmbUpdateOption->setCurrentIndex(option);
        d.btnOkClick();
        return d.result();
    });
}

void PickFirstApplication() {
    Answer<TfrmAppList>([](TfrmAppList& d) {
        d.lvApp->setCurrentItem(d.lvApp->topLevelItem(0));
        d.btnSelectClick();
        return d.result();
    });
}

// Writes a stand-in for the installer and uninstaller into a folder of their own.
std::string StandInTools(const std::string& installBody, const std::string& uninstallBody) {
    const std::string dir = qmtest::MakeTempFolder("tools");
    for (const auto& [name, body] :
         {std::pair{"QuillInst", installBody}, std::pair{"QuillUninst", uninstallBody}}) {
        qmtest::WriteFile(dir + "/" + name, "#!/bin/sh\n" + body + "\n");
        ::chmod((dir + "/" + name).c_str(), 0755);
    }
    return dir;
}

class Handoff : public ::testing::Test {
protected:
    static void SetUpTestSuite() { App(); }
    void SetUp() override {
        // The executables read the instruction files in the code page the program wrote them in.
        SetAnsiCodePage(CP_SHIFT_JIS);
        ::setenv("QUILLMATE_CODEPAGE", "932", 1);
        TUiHooks::Reset();
        TUiHooks::Active = true;
        THandOff::ToolFolder.clear();
        std::error_code ec;
        fs::remove_all(GetDataFolder(), ec);
        fs::remove_all(GetSpecialFolder(SF_PROGRAM_FILES), ec);
        fs::remove_all(std::string(std::getenv("XDG_DATA_HOME")) + "/applications", ec);
    }
    void TearDown() override {
        TUiHooks::Reset();
        THandOff::ToolFolder.clear();
    }
    static void OpenByCommand(TfrmMain& w, const std::string& path) {
        TUiHooks::NextOpenFileNames.push_back(QString::fromStdString(path));
        w.actOpenExecute();
    }
};

} // namespace

TEST_F(Handoff, InstallUpdateEachWayAndUninstall) {
    const std::string v1 = MakeAppZip("tool-1.0.zip", {{"manual.chm", "help 1"}, {"old.dat", "x"}});
    const std::string v2 = MakeAppZip("tool-1.1.zip", {{"manual.chm", "help 2"}, {"new.dat", "y"}});
    TfrmMain w;

    // A new install through the install dialog, with a desktop shortcut on the main program.
    OpenByCommand(w, v1);
    ASSERT_FALSE(w.IsUpdate);
    w.edtAppVersion->setText("1.0");
    TFileMembers& plan = w.InstallInfo()->Members;
    plan.Items(plan.MainIndex()).SetShortcutFlags(scDesktop | scStartMenu);
    AcceptInstall();
    w.actInstall->trigger();
    ASSERT_TRUE(TUiHooks::Messages.isEmpty()) << TUiHooks::Messages.join("|").toStdString();
    std::unique_ptr<TInstallList> db = Database();
    ASSERT_EQ(db->Count(), 1);
    const std::int32_t id = db->Items(0).AppId;
    EXPECT_EQ(db->Items(0).AppName, "Tool");
    EXPECT_EQ(db->Items(0).Version, "1.0");
    EXPECT_EQ(qmtest::ReadFile(InstallRoot() + "manual.chm"), "help 1");
    EXPECT_TRUE(fs::exists(InstallRoot() + "old.dat"));
    EXPECT_GE(ToolShortcuts(), 2);
    EXPECT_FALSE(fs::exists(GetDataFolder() + "instemp.tmp")); // the installer took it
    EXPECT_TRUE(w.isEnabled() && w.actOpen->isEnabled());

    // The next version is recognised, its settings carried over; an automatic clean install
    // removes what the old version had and the new one has not.
    ChooseUpdate(umAutoClean);
    OpenByCommand(w, v2);
    ASSERT_TRUE(w.IsUpdate);
    EXPECT_EQ(w.UpdateMode, umAutoClean);
    TFileMembers& plan2 = w.InstallInfo()->Members; // each open makes a plan of its own
    ASSERT_GE(plan2.MainIndex(), 0);
    EXPECT_EQ(plan2.Items(plan2.MainIndex()).ShortcutFlags(), scDesktop | scStartMenu);
    w.edtAppVersion->setText("1.1");
    AcceptInstall();
    w.actInstall->trigger();
    ASSERT_TRUE(TUiHooks::Messages.isEmpty()) << TUiHooks::Messages.join("|").toStdString();
    db = Database();
    ASSERT_EQ(db->Count(), 1);
    EXPECT_EQ(db->Items(0).AppId, id);
    EXPECT_EQ(db->Items(0).Version, "1.1");
    EXPECT_FALSE(fs::exists(InstallRoot() + "old.dat"));
    EXPECT_TRUE(fs::exists(InstallRoot() + "new.dat"));
    EXPECT_EQ(qmtest::ReadFile(InstallRoot() + "manual.chm"), "help 2");

    // A custom clean install that is cancelled in the uninstall dialog starts nothing.
    ChooseUpdate(umCustomClean);
    w.actUpdate->trigger();
    ASSERT_EQ(w.UpdateMode, umCustomClean);
    w.edtAppVersion->setText("1.2");
    AcceptInstall();
    Answer<TfrmUninstall>([](TfrmUninstall& d) {
        EXPECT_FALSE(d.btnChangeTarget->isEnabled());
        return int(QDialog::Rejected);
    });
    w.actInstall->trigger();
    EXPECT_EQ(Database()->Items(0).Version, "1.1");
    EXPECT_TRUE(TUiHooks::NextDialogs.empty());
    // Confirmed, it removes the checked files first, then installs.
    AcceptInstall();
    Answer<TfrmUninstall>([](TfrmUninstall& d) {
        TUiHooks::NextAnswers.push_back(QMessageBox::Yes); // where the dialog asks first
        d.btnUninstallClick();
        TUiHooks::Messages.clear();
        return d.result();
    });
    w.actInstall->trigger();
    ASSERT_TRUE(TUiHooks::Messages.isEmpty()) << TUiHooks::Messages.join("|").toStdString();
    EXPECT_EQ(Database()->Items(0).Version, "1.2");
    EXPECT_TRUE(fs::exists(InstallRoot() + "tool.exe"));

    // Uninstall through the list and the uninstall dialog: the uninstaller runs on its own.
    PickFirstApplication();
    Answer<TfrmUninstall>([](TfrmUninstall& d) {
        EXPECT_EQ(d.edtAppName->text(), "Tool");
        TUiHooks::NextAnswers.push_back(QMessageBox::Yes);
        d.btnUninstallClick();
        TUiHooks::Messages.clear();
        return d.result();
    });
    w.actUninstall->trigger();
    EXPECT_FALSE(fs::exists(GetDataFolder() + "uninstemp.tmp")); // taken before the return
    ASSERT_TRUE(WaitUntil([] { return Database()->Count() == 0; }));
    EXPECT_TRUE(WaitUntil([] { return !fs::exists(InstallRoot() + "tool.exe"); }));
    EXPECT_TRUE(WaitUntil([] { return ToolShortcuts() == 0; }));
    EXPECT_TRUE(TUiHooks::Messages.isEmpty()) << TUiHooks::Messages.join("|").toStdString();
}

TEST_F(Handoff, TheWizardInstallsAndACancelledOneOnlyHandsBack) {
    const std::string zip = MakeAppZip("tool-2.0.zip", {{"doc/readme.txt", "read me"}});
    const std::string target = qmtest::MakeTempFolder("apps");
    TfrmMain w;

    // Cancelled on the last page: the answers reach the window, nothing is installed.
    const auto walk = [&](const std::function<int(TfrmWizard&)>& last) {
        Answer<TfrmWizard>([&](TfrmWizard& d) {
            d.edtArchive->setText(QString::fromStdString(zip));
            d.btnNextClick();
            EXPECT_EQ(d.PageIndex(), 1);
            EXPECT_TRUE(d.rdoInstallNew->isChecked());
            d.btnNextClick();
            d.edtAppName->setText("Wizard Tool");
            d.btnNextClick();
            d.edtInstallFolder->setText(QString::fromStdString(target));
            d.btnNextClick();
            EXPECT_EQ(d.cmbMainExe->currentText(), "tool.exe");
            EXPECT_EQ(d.cmbHelpFile->currentText(), "doc/readme.txt");
            d.btnNextClick();
            d.chkAddDesktop->setChecked(true);
            d.btnNextClick();
            EXPECT_EQ(d.PageIndex(), 6);
            EXPECT_FALSE(d.btnNext->isVisibleTo(&d));
            return last(d);
        });
        w.actWizard->trigger();
    };
    // A cancel gives nothing back: the plan is the archive's as it was opened.
    walk([](TfrmWizard&) { return int(QDialog::Rejected); });
    EXPECT_EQ(w.edtAppName->text(), "Tool");
    TFileMembers& members = w.InstallInfo()->Members;
    ASSERT_GE(members.MainIndex(), 0);
    EXPECT_EQ(members.Items(members.MainIndex()).ShortcutFlags(), scStartMenu);
    EXPECT_EQ(members.Items(members.MainIndex()).GetInstallDir(), InstallRoot());
    EXPECT_EQ(Database()->Count(), 0);

    walk([](TfrmWizard& d) {
        d.btnInstallRunClick();
        return d.result();
    });
    ASSERT_TRUE(TUiHooks::Messages.isEmpty()) << TUiHooks::Messages.join("|").toStdString();
    std::unique_ptr<TInstallList> db = Database();
    ASSERT_EQ(db->Count(), 1);
    EXPECT_EQ(db->Items(0).AppName, "Wizard Tool");
    EXPECT_EQ(qmtest::ReadFile(target + "/Wizard Tool/doc/readme.txt"), "read me");
}

TEST_F(Handoff, CommandLineStartFollowsTheWizardSetting) {
    const std::string zip = MakeAppZip("tool-3.0.zip", {});
    {
        // The setting absent: the wizard follows the open.
        QString shown;
        Answer<TfrmWizard>([&](TfrmWizard& d) {
            shown = d.edtArchive->text();
            return int(QDialog::Rejected);
        });
        TfrmMain w({QString::fromStdString(zip)});
        w.show();
        ASSERT_TRUE(WaitUntil([&] { return !w.FirstShow && TUiHooks::NextDialogs.empty(); }));
        EXPECT_EQ(shown.toStdString(), zip);
        EXPECT_EQ(w.lvFileModel->Count(), 1);
    }
    {
        // Off, with the archive recognised as an update: the update selection instead.
        TInstallList db;
        TInstallAppInfo& record = db.Add();
        record.AppId = 7;
        record.AppName = "Tool";
        record.ArchiveName = "tool-2.9.zip";
        record.Members.Add().FileName = "tool.exe";
        db.NextId = 8;
        db.SaveToFile(GetDataFolder() + InstallListFileName);
        bool selection = false;
        Answer<TfrmSelUpdate>([&](TfrmSelUpdate& d) {
            selection = d.rdoUpdate->isChecked() && d.edtTarget->text().startsWith("Tool");
            return int(QDialog::Rejected);
        });
        TfrmMain w({QString::fromStdString(zip)});
        w.iniMain().WriteBool("Options", "Wizard", false);
        w.show();
        ASSERT_TRUE(WaitUntil([&] { return !w.FirstShow && TUiHooks::NextDialogs.empty(); }));
        EXPECT_TRUE(selection);
        EXPECT_TRUE(w.IsUpdate);
    }
}

TEST_F(Handoff, AFailingInstallerIsNoSuccess) {
    const std::string zip = MakeAppZip("tool-4.0.zip", {});
    const std::string marker = qmtest::SandboxRoot() + "/installer-ran";
    TfrmMain w;
    OpenByCommand(w, zip);
    w.show();

    // The installer ends with an error: a message, nothing opened, the window stays.
    THandOff::ToolFolder = StandInTools("touch '" + marker + "'; exit 1", "exit 0");
    AcceptInstall(true, true);
    w.actInstall->trigger();
    ASSERT_EQ(TUiHooks::Messages.size(), 1);
    EXPECT_TRUE(TUiHooks::Messages[0].startsWith("インストールに失敗しました\n"));
    EXPECT_TRUE(fs::exists(marker));
    QCoreApplication::processEvents();
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.actInstall->isEnabled());

    // A clean update whose uninstaller fails never reaches the installer.
    fs::remove(marker);
    TInstallAppInfo old;
    old.AppId = 3;
    old.AppName = "Tool";
    w.SetUpdateTarget(&old);
    w.UpdateMode = umAutoClean;
    THandOff::ToolFolder = StandInTools("touch '" + marker + "'", "exit 1");
    TUiHooks::Messages.clear();
    AcceptInstall();
    w.actInstall->trigger();
    ASSERT_EQ(TUiHooks::Messages.size(), 1);
    EXPECT_TRUE(TUiHooks::Messages[0].startsWith("アンインストールの失敗\n"));
    EXPECT_FALSE(fs::exists(marker));

    // Cancelled in the uninstaller: said in the status bar, no error, no install.
    THandOff::ToolFolder = StandInTools("touch '" + marker + "'", "exit 2");
    TUiHooks::Messages.clear();
    AcceptInstall();
    w.actInstall->trigger();
    EXPECT_TRUE(TUiHooks::Messages.isEmpty()) << TUiHooks::Messages.join("|").toStdString();
    EXPECT_EQ(w.stbMain->text(), "アンインストールはキャンセルされました。");
    EXPECT_FALSE(fs::exists(marker));

    // Done except refused paths (3): the old version is gone, so the install goes on, and the
    // files that stayed are named.
    const std::string outside = qmtest::WriteFile(qmtest::SandboxRoot() + "/kept.txt", "x");
    old.Members.Clear();
    TFileMember& kept = old.Members.Add();
    kept.FileName = "kept.txt";
    kept.IsTarget = true;
    kept.SetInstallDir(qmtest::SandboxRoot() + "/", true);
    w.SetUpdateTarget(&old);
    w.UpdateMode = umAutoClean;
    THandOff::ToolFolder = StandInTools("touch '" + marker + "'", "exit 3");
    TUiHooks::Messages.clear();
    AcceptInstall();
    w.actInstall->trigger();
    EXPECT_TRUE(fs::exists(marker));
    ASSERT_EQ(TUiHooks::Messages.size(), 1);
    EXPECT_TRUE(TUiHooks::Messages[0].contains(QString::fromStdString(outside)));

    // An installer that is not there cannot be started.
    THandOff::ToolFolder = qmtest::MakeTempFolder("empty");
    w.SetUpdateTarget(nullptr);
    TUiHooks::Messages.clear();
    AcceptInstall();
    w.actInstall->trigger();
    ASSERT_EQ(TUiHooks::Messages.size(), 1);
    EXPECT_EQ(TUiHooks::Messages[0], "インストールに失敗しました\nインストーラを起動できません。");
}

TEST_F(Handoff, InstructionFilesAreWhatTheModelWrites) {
    const std::string zip = MakeAppZip("tool-5.0.zip", {});
    const std::string copy = qmtest::SandboxRoot() + "/handed";
    THandOff::ToolFolder =
        StandInTools("cp \"$XDG_DATA_HOME/Quillmate/instemp.tmp\" '" + copy + ".inst'",
                     "cp \"$XDG_DATA_HOME/Quillmate/uninstemp.tmp\" '" + copy + ".uninst'");
    TfrmMain w;
    OpenByCommand(w, zip);
    // A new install after an earlier target carries no identifier.
    TInstallAppInfo old;
    old.AppId = 9;
    old.AppName = "Old";
    old.FirstInstallDate = 40000.5;
    w.SetUpdateTarget(&old);
    w.UpdateMode = umAutoClean;
    w.InstallInfo()->AppId = 9;
    w.SetUpdateTarget(nullptr);
    Answer<TfrmInstall>([](TfrmInstall& d) {
        d.SetOverWrite(owBackup);
        d.SetConfirmMode(cmSkip);
        d.SetBootHelp(true);
        return int(QDialog::Accepted);
    });
    w.actInstall->trigger();

    TInstallAppInfo& plan = *w.InstallInfo();
    EXPECT_EQ(plan.AppId, 0);
    TInstallOption option;
    option.ConfirmMode = cmSkip;
    option.OverWrite = owBackup;
    option.UpdateMode = umAutoClean;
    option.BootHelp = true;
    option.WorkFolder = plan.WorkFolder();
    TMemoryStream expected;
    WriteInstallInstructions(expected, plan, option);
    EXPECT_EQ(qmtest::ReadFile(copy + ".inst"), expected.ToString());

    // The automatic clean install hands over the installed record alone, then installs.
    w.SetUpdateTarget(&old);
    AcceptInstall();
    w.actInstall->trigger();
    TMemoryStream record;
    WriteUninstallInstructions(record, *w.UpdateInfo(), {});
    EXPECT_EQ(qmtest::ReadFile(copy + ".uninst"), record.ToString());
    TMemoryStream update;
    option.IsUpdate = true;
    option.BootHelp = false;
    option.ConfirmMode = cmConfirm;
    option.OverWrite = owIfNewer;
    EXPECT_EQ(plan.AppId, 9);
    EXPECT_EQ(plan.FirstInstallDate, 40000.5);
    WriteInstallInstructions(update, plan, option);
    EXPECT_EQ(qmtest::ReadFile(copy + ".inst"), update.ToString());
}

namespace {

// Every path below the home folder, with file contents, but for the program's own data folder.
std::map<std::string, std::string> HomeListing() {
    std::map<std::string, std::string> listing;
    const std::string home = std::getenv("HOME");
    const std::string data = WithoutTrailingDelims(GetDataFolder());
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(home, ec);
         it != fs::recursive_directory_iterator(); it.increment(ec)) {
        const std::string path = it->path().string();
        if (path == data || path.compare(0, data.size() + 1, data + "/") == 0)
            continue;
        // Qt's own settings and data of the test program, not the installs'.
        if (path.find("QtProject") != std::string::npos ||
            path.find("/test_e2e") != std::string::npos)
            continue;
        // The standard folders an install may create and no uninstall removes (the desktop, the
        // menu folder, ~/.local/opt).
        if (it->is_directory() && !it->is_symlink() && IsStandardFolder(path))
            continue;
        listing[path] = it->is_regular_file() ? qmtest::ReadFile(path) : std::string("<dir>");
    }
    return listing;
}

// A vendor's archive of one version: the files below top (none for ""), tool.exe with version
// information among them.
std::string MakeVersionZip(const std::string& name, const std::string& top,
                           const std::map<std::string, std::string>& files, const char* date) {
    const std::string dir = qmtest::MakeTempFolder("ver");
    const std::string base = top.empty() ? dir : dir + "/" + top;
    fs::create_directories(base);
    fs::copy_file(qmtest::TestDataFolder() + "/pe/tool64.exe", base + "/tool.exe");
    for (const auto& [path, bytes] : files)
        qmtest::WriteFile(base + "/" + path, bytes);
    EXPECT_EQ(qmtest::Run("find '" + base + "' -exec touch -d '" + date + "' {} +"), 0);
    EXPECT_EQ(qmtest::Run("cd '" + dir + "' && zip -q -r '" + name + "' " +
                          (top.empty() ? std::string("*") : "'" + top + "'")),
              0);
    return dir + "/" + name;
}

} // namespace

// The next version of an application, as vendors ship it, through the window and the real
// installer and uninstaller: what the user set carries over whatever the archive's top folder is
// called (a folder named after the version, one without a version, none at all), a file the new
// version no longer has stays on disk and in the record, a new one goes beside its neighbours,
// the renamed shortcut is rewritten in place, and the uninstall leaves the home as it found it.
TEST_F(Handoff, TheNextVersionKeepsWhatTheUserSetAndTheUninstallLeavesNothing) {
    const std::string home = std::getenv("HOME");
    for (const auto& [top1, top2] : {std::pair<std::string, std::string>{"tool-1.0", "tool-2.0"},
                                     {"tool", "tool"},
                                     {"", ""}}) {
        SCOPED_TRACE("top folders '" + top1 + "', '" + top2 + "'");
        const std::map<std::string, std::string> before = HomeListing();
        const std::string v1 = MakeVersionZip(
            "tool-1.0.zip", top1,
            {{"license.txt", "L1"}, {"history.txt", "H1"}, {"doc/manual.txt", "M1"}}, "2024-01-01");
        const std::string v2 = MakeVersionZip(
            "tool-2.0.zip", top2,
            {{"license.txt", "L2"}, {"doc/manual.txt", "M2"}, {"tool.dll", "D2"}}, "2025-01-01");
        const std::string mine = home + "/docs/tool/";
        {
            TfrmMain w;
            OpenByCommand(w, v1);
            ASSERT_FALSE(w.IsUpdate);
            TFileMembers& plan = w.InstallInfo()->Members;
            TFileMember& main = plan.Items(plan.MainIndex());
            main.SetShortcutFlags(scDesktop | scStartMenu);
            main.ShortcutOption.ShortcutName = "My Tool";
            TFileMember* license = plan.Find("license.txt", top1.empty() ? "" : top1 + "/");
            ASSERT_NE(license, nullptr);
            license->SetInstallDir(mine, true);
            AcceptInstall();
            w.actInstall->trigger();
            ASSERT_TRUE(TUiHooks::Messages.isEmpty()) << TUiHooks::Messages.join("|").toStdString();
            EXPECT_TRUE(w.stbMain->text().startsWith("インストールしました"))
                << w.stbMain->text().toStdString();
            EXPECT_TRUE(w.lblUpdate->text().startsWith("インストール済み"))
                << w.lblUpdate->text().toStdString();
        }
        const std::string exe = Database()
                                    ->Items(0)
                                    .Members.Items(Database()->Items(0).Members.MainIndex())
                                    .GetInstallDir();
        const std::string desktopEntry = home + "/Desktop/quillmate-" +
                                         std::to_string(Database()->Items(0).AppId) +
                                         "-My Tool.desktop";
        ASSERT_TRUE(fs::exists(desktopEntry));
        {
            TfrmMain w;
            ChooseUpdate(umOverwrite);
            OpenByCommand(w, v2);
            ASSERT_TRUE(w.IsUpdate);
            AcceptInstall();
            w.actInstall->trigger();
            ASSERT_TRUE(TUiHooks::Messages.isEmpty()) << TUiHooks::Messages.join("|").toStdString();
        }
        std::unique_ptr<TInstallList> db = Database();
        ASSERT_EQ(db->Count(), 1);
        const TFileMembers& record = db->Items(0).Members;
        ASSERT_GE(record.MainIndex(), 0);
        EXPECT_EQ(record.Items(record.MainIndex()).GetInstallDir(), exe);
        EXPECT_EQ(qmtest::ReadFile(mine + "license.txt"), "L2") << "where the user put it";
        EXPECT_EQ(qmtest::ReadFile(exe + "tool.dll"), "D2") << "beside the main program";
        EXPECT_EQ(qmtest::ReadFile(exe + "history.txt"), "H1") << "left on disk";
        bool historyRecorded = false;
        for (int i = 0; i < record.Count(); ++i)
            historyRecorded |= record.Items(i).FileName == "history.txt";
        EXPECT_TRUE(historyRecorded) << "and in the record";
        EXPECT_TRUE(fs::exists(desktopEntry)) << "rewritten under its name";
        EXPECT_EQ(ToolShortcuts(), 2) << "the desktop's and the menu's, no others";

        // Uninstalled with the dialog's defaults: nothing of it is left in the home folder.
        {
            TfrmMain w;
            PickFirstApplication();
            Answer<TfrmUninstall>([](TfrmUninstall& d) {
                TUiHooks::NextAnswers.push_back(QMessageBox::Yes);
                d.btnUninstallClick();
                TUiHooks::Messages.clear();
                return d.result();
            });
            w.actUninstall->trigger();
            ASSERT_TRUE(WaitUntil([] { return Database()->Count() == 0; }));
        }
        ASSERT_TRUE(WaitUntil([&] { return HomeListing() == before; }));
    }
}

// An install for every user is the system's: its files below the system's programs folder, its
// record in the system's database, shown marked in the list; the next open of the archive finds
// it, and its uninstall goes to the system's database too.
TEST_F(Handoff, AnInstallForEveryUserIsTheSystems) {
    const std::string zip = MakeAppZip("tool-3.0.zip", {{"readme.txt", "R"}});
    const std::string opt = SystemProgramsFolderPath() + "/Tool/";
    {
        TfrmMain w;
        OpenByCommand(w, zip);
        Answer<TfrmInstall>([](TfrmInstall& d) {
            d.rdgTarget->SetItemIndex(1);
            return int(QDialog::Accepted);
        });
        w.actInstall->trigger();
        ASSERT_TRUE(TUiHooks::Messages.isEmpty()) << TUiHooks::Messages.join("|").toStdString();
    }
    EXPECT_TRUE(fs::exists(opt + "tool.exe"));
    EXPECT_EQ(Database()->Count(), 0) << "not the user's own";
    TInstallList system;
    system.LoadFromFile(SystemInstallListFileName());
    ASSERT_EQ(system.Count(), 1);

    TfrmMain w;
    OpenByCommand(w, zip);
    ASSERT_TRUE(w.IsUpdate);
    EXPECT_TRUE(w.UpdateInfo()->AllUsers);
    Answer<TfrmAppList>([](TfrmAppList& d) {
        EXPECT_TRUE(d.lvApp->topLevelItem(0)->text(0).endsWith("(すべてのユーザー)"));
        d.lvApp->setCurrentItem(d.lvApp->topLevelItem(0));
        d.btnSelectClick();
        return d.result();
    });
    Answer<TfrmUninstall>([](TfrmUninstall& d) {
        TUiHooks::NextAnswers.push_back(QMessageBox::Yes);
        d.btnUninstallClick();
        TUiHooks::Messages.clear();
        return d.result();
    });
    w.actUninstall->trigger();
    ASSERT_TRUE(WaitUntil([] {
        TInstallList list;
        list.LoadFromFile(SystemInstallListFileName());
        return list.Count() == 0;
    }));
    EXPECT_TRUE(WaitUntil([&] { return !fs::exists(opt + "tool.exe"); }));
}

// The install dialog offers to make a Linux program a command on PATH (and only such a
// program); the installer then links it, and the uninstall takes the link away again.
TEST_F(Handoff, TheInstallDialogMakesALinuxProgramACommand) {
    const std::string dir = qmtest::MakeTempFolder("cmd");
    qmtest::WriteFile(dir + "/cmdtool-1.0/cmdtool", "#!/bin/sh\necho ok\n");
    ::chmod((dir + "/cmdtool-1.0/cmdtool").c_str(), 0755);
    const std::string archive = dir + "/cmdtool-1.0.tar.gz";
    ASSERT_EQ(qmtest::Run("cd '" + dir + "' && bsdtar -czf '" + archive + "' cmdtool-1.0"), 0);
    TfrmMain w;
    OpenByCommand(w, archive);
    Answer<TfrmInstall>([](TfrmInstall& d) {
        EXPECT_TRUE(d.chkCommand->isVisibleTo(&d));
        d.chkCommand->setChecked(true);
        return int(QDialog::Accepted);
    });
    w.actInstall->trigger();
    ASSERT_TRUE(TUiHooks::Messages.isEmpty()) << TUiHooks::Messages.join("|").toStdString();
    const std::string link = std::string(std::getenv("HOME")) + "/.local/bin/cmdtool";
    ASSERT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link), GetSpecialFolder(SF_PROGRAM_FILES) + "cmdtool/cmdtool");

    // A Windows program is offered no command.
    OpenByCommand(w, MakeAppZip("tool-1.0.zip", {}));
    Answer<TfrmInstall>([](TfrmInstall& d) {
        EXPECT_FALSE(d.chkCommand->isVisibleTo(&d));
        return int(QDialog::Rejected);
    });
    w.actInstall->trigger();

    PickFirstApplication();
    Answer<TfrmUninstall>([](TfrmUninstall& d) {
        TUiHooks::NextAnswers.push_back(QMessageBox::Yes);
        d.btnUninstallClick();
        TUiHooks::Messages.clear();
        return d.result();
    });
    w.actUninstall->trigger();
    ASSERT_TRUE(WaitUntil([] { return Database()->Count() == 0; }));
    EXPECT_TRUE(WaitUntil([&] { return !fs::is_symlink(link); }));
}

// A window left open sees what another program did to the databases: an uninstall elsewhere
// turns the proposed update back into a new install, an install elsewhere makes it an update.
TEST_F(Handoff, AnOpenWindowFollowsTheDatabases) {
    const std::string zip = MakeAppZip("tool-1.0.zip", {});
    TfrmMain w;
    OpenByCommand(w, zip);
    AcceptInstall();
    w.actInstall->trigger();
    ASSERT_EQ(Database()->Count(), 1);
    OpenByCommand(w, MakeAppZip("tool-1.1.zip", {}));
    ASSERT_TRUE(w.IsUpdate);

    // Uninstalled by another program (quill): the record goes from the database.
    TInstallList empty;
    empty.NextId = Database()->NextId;
    empty.SaveToFile(GetDataFolder() + InstallListFileName);
    EXPECT_TRUE(WaitUntil([&] { return !w.IsUpdate; }, 5000));
    EXPECT_EQ(w.lblUpdate->text(),
              QCoreApplication::translate("qm::TfrmMain",
                                          "このアプリケーションは新規にインストールされます。"));

    // Installed again elsewhere: the open archive is that record's update once more.
    TInstallList list;
    list.LoadFromFile(GetDataFolder() + InstallListFileName);
    TInstallAppInfo& record = list.Add();
    record.Assign(*w.InstallInfo());
    record.AppId = list.NextId++;
    record.Version = "1.0";
    record.ArchiveName = "tool-1.0.zip";
    list.SaveToFile(GetDataFolder() + InstallListFileName);
    EXPECT_TRUE(WaitUntil([&] { return w.IsUpdate; }, 5000));
}

// A command whose name is on PATH already is refused, and the install dialog and the wizard
// let the user pick another name, which the link then has.
TEST_F(Handoff, ACommandNameOnPathIsAskedAgainInTheDialogAndTheWizard) {
    const std::string dir = qmtest::MakeTempFolder("lsapp");
    qmtest::WriteFile(dir + "/ls-1.0/ls", "#!/bin/sh\necho mine\n");
    ::chmod((dir + "/ls-1.0/ls").c_str(), 0755);
    const std::string archive = dir + "/ls-1.0.tar.gz";
    ASSERT_EQ(qmtest::Run("cd '" + dir + "' && bsdtar -czf '" + archive + "' ls-1.0"), 0);
    const std::string bin = std::string(std::getenv("HOME")) + "/.local/bin/";
    TfrmMain w;
    OpenByCommand(w, archive);
    Answer<TfrmInstall>([](TfrmInstall& d) {
        EXPECT_EQ(d.edtCommand->text(), "ls");
        d.chkCommand->setChecked(true);
        return int(QDialog::Accepted);
    });
    Answer<TfrmInstall>([](TfrmInstall& d) {
        EXPECT_TRUE(d.chkCommand->isChecked()) << "the dialog comes back as it was";
        d.edtCommand->setText("ls-mine");
        return int(QDialog::Accepted);
    });
    w.actInstall->trigger();
    ASSERT_EQ(TUiHooks::Messages.size(), 1);
    EXPECT_TRUE(TUiHooks::Messages[0].contains("\"ls\"")) << TUiHooks::Messages[0].toStdString();
    TUiHooks::Messages.clear();
    ASSERT_TRUE(fs::is_symlink(bin + "ls-mine"));
    EXPECT_FALSE(fs::exists(bin + "ls"));

    // The wizard stays on its shortcut page until the name is free.
    Answer<TfrmWizard>([&](TfrmWizard& d) {
        d.edtArchive->setText(QString::fromStdString(archive));
        while (d.PageIndex() < 5)
            d.btnNextClick();
        EXPECT_FALSE(d.edtCommand->isHidden());
        d.chkAddCommand->setChecked(true);
        d.edtCommand->setText("ls");
        d.btnNextClick();
        EXPECT_EQ(d.PageIndex(), 5);
        EXPECT_EQ(TUiHooks::Messages.size(), 1);
        d.edtCommand->setText("ls-wiz");
        d.btnNextClick();
        EXPECT_EQ(d.PageIndex(), 6);
        d.btnInstallRunClick();
        return d.result();
    });
    w.actWizard->trigger();
    EXPECT_TRUE(fs::is_symlink(bin + "ls-wiz"));
    EXPECT_FALSE(fs::exists(bin + "ls-mine")) << "the update's command has the new name";
}

// An entry that would make the program the default browser is registered as such only when the
// user ticks the box the install dialog shows with those types.
TEST_F(Handoff, TheInstallDialogAsksBeforeAnEntryTakesOverTheBrowser) {
    const std::string dir = qmtest::MakeTempFolder("web");
    qmtest::WriteFile(dir + "/browse-1.0/browse", "#!/bin/sh\necho web\n");
    ::chmod((dir + "/browse-1.0/browse").c_str(), 0755);
    qmtest::WriteFile(dir + "/browse-1.0/browse.desktop",
                      "[Desktop Entry]\nType=Application\nName=Browse\nExec=browse %u\n"
                      "MimeType=x-scheme-handler/https;text/html;image/png;\n");
    const std::string archive = dir + "/browse-1.0.tar.gz";
    ASSERT_EQ(qmtest::Run("cd '" + dir + "' && bsdtar -czf '" + archive + "' browse-1.0"), 0);
    TfrmMain w;
    OpenByCommand(w, archive);
    Answer<TfrmInstall>([](TfrmInstall& d) {
        EXPECT_TRUE(d.chkHandlers->isVisibleTo(&d));
        EXPECT_FALSE(d.chkHandlers->isChecked()) << "never preset";
        EXPECT_TRUE(d.chkHandlers->text().contains("x-scheme-handler/https"));
        EXPECT_TRUE(d.chkHandlers->text().contains("text/html"));
        EXPECT_FALSE(d.chkHandlers->text().contains("image/png"));
        d.chkHandlers->setChecked(true);
        return int(QDialog::Accepted);
    });
    w.actInstall->trigger();
    ASSERT_TRUE(TUiHooks::Messages.isEmpty()) << TUiHooks::Messages.join("|").toStdString();
    std::string text;
    for (const auto& entry :
         fs::recursive_directory_iterator(GetSpecialFolder(SF_STARTMENU) + "applications"))
        if (entry.path().extension() == ".desktop")
            text += qmtest::ReadFile(entry.path().string());
    EXPECT_NE(text.find("x-scheme-handler/https;text/html;image/png;"), std::string::npos) << text;

    // A Windows program's archive asks nothing of the kind.
    OpenByCommand(w, MakeAppZip("tool-1.0.zip", {}));
    Answer<TfrmInstall>([](TfrmInstall& d) {
        EXPECT_FALSE(d.chkHandlers->isVisibleTo(&d));
        return int(QDialog::Rejected);
    });
    w.actInstall->trigger();
}

// The window and the command line give one plan for one archive, a new install and the next
// version alike: name, version, main program, help file and every member's destination and
// shortcuts come from the model, not from either front end.
TEST_F(Handoff, TheWindowAndQuillGiveOnePlan) {
    const auto quillPlan = [](const std::string& archive) {
        FILE* pipe = ::popen(
            ("'" + std::string(QM_QUILL) + "' plan --json '" + archive + "' 2>/dev/null </dev/null")
                .c_str(),
            "r");
        std::string out;
        char buffer[4096];
        for (std::size_t got;
             pipe != nullptr && (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            out.append(buffer, got);
        if (pipe != nullptr)
            ::pclose(pipe);
        return QJsonDocument::fromJson(QByteArray::fromStdString(out)).object();
    };
    const auto compare = [&](TfrmMain& w, const std::string& archive) {
        const QJsonObject q = quillPlan(archive);
        ASSERT_FALSE(q.isEmpty()) << archive;
        const TInstallAppInfo& plan = *w.InstallInfo();
        EXPECT_EQ(q["name"].toString(), w.edtAppName->text());
        EXPECT_EQ(q["version"].toString(), w.edtAppVersion->text());
        EXPECT_EQ(q["update_of"].isNull(), !w.IsUpdate);
        const QJsonArray members = q["members"].toArray();
        ASSERT_EQ(members.size(), plan.Members.Count());
        for (int i = 0; i < plan.Members.Count(); ++i) {
            const TFileMember& m = plan.Members.Items(i);
            const QJsonObject j = members[i].toObject();
            EXPECT_EQ(j["path"].toString().toStdString(), m.ArchivePath + m.FileName);
            EXPECT_EQ(j["destination"].toString().toStdString(), m.GetInstallDir() + m.FileName);
            EXPECT_EQ(j["install"].toBool(), m.IsTarget && !m.IsExcluded()) << m.FileName;
            EXPECT_EQ(j["role"].toString() == "main", m.Role() == mrMain) << m.FileName;
            EXPECT_EQ(j["shortcuts"].toArray().contains(QStringLiteral("desktop")),
                      (m.ShortcutFlags() & scDesktop) != 0)
                << m.FileName;
        }
    };
    const std::string v1 = MakeAppZip("tool-1.0.zip", {{"doc/manual.chm", "help"}, {"a.dat", "x"}});
    TfrmMain w;
    OpenByCommand(w, v1);
    compare(w, v1);
    // Installed with a desktop shortcut, the next version takes it over in both.
    TFileMembers& plan = w.InstallInfo()->Members;
    plan.Items(plan.MainIndex()).SetShortcutFlags(scDesktop | scStartMenu);
    AcceptInstall();
    w.actInstall->trigger();
    ASSERT_EQ(Database()->Count(), 1);
    const std::string v2 =
        MakeAppZip("tool-1.1.zip", {{"doc/manual.chm", "help 2"}, {"b.dat", "y"}});
    Answer<TfrmSelUpdate>([](TfrmSelUpdate&) { return int(QDialog::Rejected); });
    OpenByCommand(w, v2);
    ASSERT_TRUE(w.IsUpdate);
    compare(w, v2);

    // The wizard proposes what the plan and quill give: name, main program, help file, folder;
    // for what vendors really ship: both builds of a Windows program, a launcher beside helpers,
    // an archive named by its platform only.
    const auto compareWizard = [&](TfrmMain& window, const std::string& archive) {
        const QJsonObject q = quillPlan(archive);
        ASSERT_FALSE(q.isEmpty()) << archive;
        Answer<TfrmWizard>([&](TfrmWizard& d) {
            d.edtArchive->setText(QString::fromStdString(archive));
            d.btnNextClick();
            d.btnNextClick();
            EXPECT_EQ(d.AppName(), q["name"].toString().toStdString()) << archive;
            d.btnNextClick();
            if (d.PageIndex() == 3) {
                EXPECT_EQ(d.InstallFolder(), q["install_folder"].toString().toStdString())
                    << archive;
                d.btnNextClick();
            }
            EXPECT_EQ(d.MainExe(), q["main"].toString().toStdString()) << archive;
            EXPECT_EQ(d.HelpFile(), q["help"].toString().toStdString()) << archive;
            return int(QDialog::Rejected);
        });
        window.actWizard->trigger();
        compare(window, archive);
    };
    const std::string dir = qmtest::MakeTempFolder("vendors");
    fs::create_directories(dir + "/notifu");
    fs::copy_file(qmtest::TestDataFolder() + "/pe/tool32.exe", dir + "/notifu/notifu.exe");
    fs::copy_file(qmtest::TestDataFolder() + "/pe/tool64.exe", dir + "/notifu/notifu64.exe");
    qmtest::WriteFile(dir + "/notifu/README", "read me");
    qmtest::WriteFile(dir + "/notifu/LICENSE.txt", "licence");
    fs::create_directories(dir + "/idea-IC-243.1/bin");
    qmtest::WriteFile(dir + "/main.c", "int main(void) { return 0; }\n");
    ASSERT_EQ(qmtest::Run("cd '" + dir + "' && cc -o idea-IC-243.1/bin/fsnotifier main.c && " +
                          "printf '#!/bin/sh\\n' > idea-IC-243.1/bin/idea.sh && chmod 755 " +
                          "idea-IC-243.1/bin/idea.sh && mkdir -p plat && cp idea-IC-243.1/bin/" +
                          "idea.sh plat/mytool && zip -qr notifu-1.7.zip notifu && bsdtar -czf " +
                          "ideaIC-2024.3.tar.gz idea-IC-243.1 && cd plat && zip -q " +
                          "../app-x86_64-unknown-linux-gnu.zip mytool"),
              0);
    for (const char* archive :
         {"notifu-1.7.zip", "ideaIC-2024.3.tar.gz", "app-x86_64-unknown-linux-gnu.zip"}) {
        TfrmMain fresh;
        OpenByCommand(fresh, dir + "/" + archive);
        compareWizard(fresh, dir + "/" + archive);
    }
}

// The window opens an archive at a URL: downloaded, verified by the checksum beside it, said so
// in the plan; its install keeps the URL as its source. The installed applications' list finds
// a newer file there and its update button opens it as the update.
TEST_F(Handoff, AnArchiveFromAUrlAndItsUpdateFromTheList) {
    qmtest::LoopbackServer server(qmtest::MakeTempFolder("www"));
    ASSERT_TRUE(server.Running());
    const std::string root = server.Root();
    fs::create_directories(root + "/linux");
    const auto publish = [&](const std::string& version) {
        const std::string name = "tool-" + version + ".zip";
        fs::copy_file(MakeAppZip(name, {{"manual.chm", "help " + version}}),
                      root + "/linux/" + name);
        qmtest::WriteFile(root + "/linux/" + name + ".sha256",
                          Sha256Hex(qmtest::ReadFile(root + "/linux/" + name)) + "\n");
    };
    publish("1.0");
    TfrmMain w;
    ASSERT_TRUE(w.OpenSourceText(server.Url("/linux/tool-1.0.zip")));
    EXPECT_NE(w.lblUpdate->text().indexOf(QStringLiteral("tool-1.0.zip.sha256")), -1)
        << w.lblUpdate->text().toStdString();
    AcceptInstall();
    w.actInstall->trigger();
    ASSERT_TRUE(TUiHooks::Messages.isEmpty()) << TUiHooks::Messages.join("|").toStdString();
    const std::int32_t id = Database()->Items(0).AppId;
    ASSERT_TRUE(fs::exists(AppSourcePath(GetDataFolder(), id, false)));
    // The vendor's folder listing as the source, set in the details dialog.
    {
        std::unique_ptr<TInstallList> db = Database();
        TfrmAppInfo details(w, &w);
        details.Show(db->Items(0));
        EXPECT_EQ(details.edtSource->text().toStdString(), server.Url("/linux/tool-1.0.zip"));
        details.edtSource->setText(QString::fromStdString(server.Url("/linux/")));
        details.btnSetSourceClick();
        const TAppSource listing = LoadSource(GetDataFolder(), id, false);
        EXPECT_EQ(listing.Kind, TSourceKind::Listing);
        EXPECT_EQ(listing.Asset, "tool-1.0.zip");
    }

    publish("1.1");
    Answer<TfrmAppList>([](TfrmAppList& d) {
        d.btnCheckClick();
        d.lvApp->setCurrentItem(d.lvApp->topLevelItem(0));
        EXPECT_EQ(d.lvApp->topLevelItem(0)->text(6), QStringLiteral("1.1"));
        EXPECT_TRUE(d.btnUpdate->isEnabled());
        d.btnUpdateClick();
        return d.result();
    });
    ChooseUpdate(0);
    w.mitAppList->trigger();
    ASSERT_TRUE(w.IsUpdate);
    EXPECT_EQ(w.UpdateInfo()->AppId, id);
    AcceptInstall();
    w.actInstall->trigger();
    EXPECT_EQ(qmtest::ReadFile(InstallRoot() + "manual.chm"), "help 1.1");
    EXPECT_EQ(LoadSource(GetDataFolder(), id, false).Asset, "tool-1.1.zip");
}

// A folder the user cannot write, and no pkexec to ask for the rights: the message says that
// folder, not the all-users install the user did not ask for.
TEST_F(Handoff, NoRightsForTheFolderSaysSo) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write anywhere";
    const std::string zip = MakeAppZip("tool-5.0.zip", {});
    const std::string locked = qmtest::MakeTempFolder("locked");
    ::chmod(locked.c_str(), 0555);
    const std::string path = std::getenv("PATH");
    ::setenv("PATH", qmtest::MakeTempFolder("nopkexec").c_str(), 1);
    TfrmMain w;
    OpenByCommand(w, zip);
    w.InstallInfo()->Members.SetInstallRoot(locked + "/Tool/");
    AcceptInstall();
    w.actInstall->trigger();
    ::setenv("PATH", path.c_str(), 1);
    ::chmod(locked.c_str(), 0755);
    ASSERT_EQ(TUiHooks::Messages.size(), 1);
    EXPECT_NE(
        TUiHooks::Messages[0].indexOf(QStringLiteral("インストール先に書き込む権限がありません")),
        -1)
        << TUiHooks::Messages[0].toStdString();
}
