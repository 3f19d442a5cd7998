// The update selection dialog and the install wizard, on the real main window offscreen.
#include "app/FileListModel.h"
#include "app/untMain.h"
#include "dialogs/frmAppList.h"
#include "dialogs/frmSelUpdate.h"
#include "dialogs/frmWizard.h"
#include "model/FileUtils.h"
#include "model/InstallList.h"
#include "model/InstallOption.h"
#include "platform/AnsiCodec.h"
#include "widgets/RadioGroup.h"
#include "widgets/UiHooks.h"

#include "DialogTestApp.h"
#include "Sandbox.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include <filesystem>

using namespace qm;
namespace fs = std::filesystem;

namespace {

// An archive with candidates of every kind: tool.exe (version information), extra/setup.MSI,
// help.Chm, doc/readme.txt and LICENSE, which has no extension.
std::string MakeWizardZip(const std::string& name) {
    const std::string dir = qmtest::MakeTempFolder("wiz");
    fs::copy_file(qmtest::TestDataFolder() + "/pe/tool64.exe", dir + "/tool.exe");
    for (const char* file : {"extra/setup.MSI", "help.Chm", "doc/readme.txt", "LICENSE"})
        qmtest::WriteFile(dir + "/" + file, file);
    EXPECT_EQ(qmtest::Run("cd '" + dir + "' && zip -q -r " + name +
                          " tool.exe extra help.Chm doc LICENSE"),
              0);
    return dir + "/" + name;
}

// Two installed applications; the first is an earlier version of the wizard's archive.
void WriteDatabase() {
    TInstallList db;
    db.NextId = 20;
    TInstallAppInfo& tool = db.Add();
    tool.AppId = 11;
    tool.AppName = "Tool";
    tool.Version = "1.0";
    tool.ArchiveName = "wiz-1.0.zip";
    TFileMember& main = tool.Members.Add();
    main.FileName = "tool.exe";
    main.SetRole(mrMain);
    main.SetShortcutFlags(scDesktop);
    main.SetInstallDir("/opt/tool/", true);
    TInstallAppInfo& other = db.Add();
    other.AppId = 12;
    other.AppName = "Other";
    other.Version = "3";
    other.ArchiveName = "other.lzh";
    db.SaveToFile(GetDataFolder() + InstallListFileName);
}

// The entries after "(なし)", sorted (members come in the order of the archive's scan).
QStringList Items(const QComboBox* list) {
    QStringList items;
    for (int i = 1; i < list->count(); ++i)
        items << list->itemText(i);
    items.sort();
    return items;
}

class UpdateAndWizard : public ::testing::Test {
protected:
    static void SetUpTestSuite() { qmtest::EnsureApplication(); }
    void SetUp() override {
        SetAnsiCodePage(CP_UTF8_PAGE);
        TUiHooks::Reset();
        TUiHooks::Active = true;
        std::error_code ec;
        fs::remove_all(GetDataFolder(), ec);
    }
    void TearDown() override { TUiHooks::Reset(); }
};

} // namespace

TEST_F(UpdateAndWizard, SelectionStartsFromTheCandidateAndReturnsADatabaseRecord) {
    TfrmMain w;
    {
        // No candidate: a new install, nothing chosen; an empty database keeps it so.
        TfrmSelUpdate d(w, &w);
        d.Init(nullptr, w.ListFileName);
        EXPECT_TRUE(d.rdoNew->isChecked());
        EXPECT_TRUE(d.edtTarget->text().isEmpty());
        EXPECT_EQ(d.cmbUpdateOption->currentIndex(), -1);
        EXPECT_EQ(d.UpdateOption(), 0);
        d.rdoUpdate->click();
        EXPECT_TRUE(d.rdoNew->isChecked());
        d.btnOkClick();
        EXPECT_EQ(d.result(), QDialog::Accepted);
        EXPECT_EQ(d.Target(), nullptr);
    }
    WriteDatabase();
    {
        // A candidate opens on its update with the window's current option.
        TInstallAppInfo candidate;
        candidate.AppId = 11;
        candidate.AppName = "Tool";
        candidate.Version = "1.0";
        w.UpdateMode = umCustomClean;
        TfrmSelUpdate d(w, &w);
        d.Init(&candidate, w.ListFileName);
        EXPECT_TRUE(d.rdoUpdate->isChecked());
        EXPECT_EQ(d.edtTarget->text(), "Tool 1.0");
        EXPECT_EQ(d.UpdateOption(), umCustomClean);
        d.btnOkClick();
        ASSERT_NE(d.Target(), nullptr);
        EXPECT_NE(d.Target(), &candidate); // the record as the database holds it
        EXPECT_EQ(d.Target()->Members.Count(), 1);
    }
    {
        // Choosing an update without a target asks for one at once.
        w.UpdateMode = umOverwrite;
        TUiHooks::NextDialogs.push_back([](QDialog& dialog) {
            auto& list = dynamic_cast<TfrmAppList&>(dialog);
            list.lvApp->setCurrentItem(list.lvApp->topLevelItem(1)); // sorted: Other, Tool
            list.btnSelectClick();
            return list.result();
        });
        TfrmSelUpdate d(w, &w);
        d.Init(nullptr, w.ListFileName);
        d.rdoUpdate->click();
        EXPECT_EQ(d.edtTarget->text(), "Tool 1.0");
        EXPECT_EQ(d.cmbUpdateOption->currentIndex(), umOverwrite);
        d.btnOkClick();
        ASSERT_NE(d.Target(), nullptr);
        EXPECT_EQ(d.Target()->AppId, 11);
    }
    {
        // The list cancelled: OK on an update without a target keeps the dialog open.
        TfrmSelUpdate d(w, &w);
        d.Init(nullptr, w.ListFileName);
        d.rdoUpdate->click();
        d.btnOkClick();
        EXPECT_EQ(d.result(), QDialog::Rejected);
        ASSERT_EQ(TUiHooks::Messages.size(), 1);
        // A target no longer in the database is refused the same way.
        TInstallAppInfo gone;
        gone.AppId = 99;
        TfrmSelUpdate d2(w, &w);
        d2.Init(&gone, w.ListFileName);
        d2.btnOkClick();
        EXPECT_EQ(d2.result(), QDialog::Rejected);
        EXPECT_EQ(TUiHooks::Messages.size(), 2);
    }
}

TEST_F(UpdateAndWizard, WizardPagesListsAndFolders) {
    const std::string zip = MakeWizardZip("wiz-2.0.zip");
    TfrmMain w;
    TfrmWizard d(w, &w);
    EXPECT_FALSE(d.btnBack->isVisibleTo(&d));
    d.btnNextClick(); // nothing to open yet
    EXPECT_EQ(d.PageIndex(), 0);
    d.SetArchiveName(zip);
    d.btnNextClick();
    ASSERT_EQ(d.PageIndex(), 1);
    EXPECT_EQ(d.edtAppName->text(), "Tool");
    // The folder shown is the one the application's folder goes into; the ticked box adds it.
    EXPECT_EQ(d.edtInstallFolder->text().toStdString(), GetSpecialFolder(SF_PROGRAM_FILES));
    EXPECT_TRUE(d.chkMakeSub->isChecked());
    EXPECT_EQ(d.InstallFolder(), GetSpecialFolder(SF_PROGRAM_FILES) + "Tool/");
    d.btnNextClick();
    // Candidates by extension, case ignored; a name without one is in neither list.
    EXPECT_EQ(d.cmbMainExe->itemText(0), "(なし)");
    EXPECT_EQ(Items(d.cmbMainExe), QStringList({"extra/setup.MSI", "tool.exe"}));
    EXPECT_EQ(Items(d.cmbHelpFile), QStringList({"doc/readme.txt", "help.Chm"}));
    EXPECT_EQ(d.cmbMainExe->currentText(), "tool.exe");
    d.btnNextClick();
    ASSERT_EQ(d.PageIndex(), 3);
    // A new install goes back from the program page to the folder page (an update skips it).
    d.btnNextClick();
    ASSERT_EQ(d.PageIndex(), 4);
    d.btnBackClick();
    ASSERT_EQ(d.PageIndex(), 3);

    // The install folder: the box adds exactly one subfolder named after the application as
    // the name page has it, never twice; the preview shows the final folder.
    d.edtInstallFolder->setText("/srv/apps");
    EXPECT_EQ(d.InstallFolder(), "/srv/apps/Tool/");
    EXPECT_TRUE(d.lblFolderPreview->text().contains("/srv/apps/Tool/"));
    d.edtInstallFolder->setText("/srv/apps/Tool/");
    EXPECT_EQ(d.InstallFolder(), "/srv/apps/Tool/");
    d.edtInstallFolder->setText("/srv/apps");
    d.edtAppName->setText("Wizard Tool");
    EXPECT_EQ(d.InstallFolder(), "/srv/apps/Wizard Tool/");
    d.chkMakeSub->setChecked(false);
    EXPECT_EQ(d.InstallFolder(), "/srv/apps/");
    d.cmbMainExe->setCurrentIndex(0);
    EXPECT_EQ(d.MainExe(), "");
    // Empty, relative and root folders are refused.
    for (const char* bad : {"", "apps", "/"}) {
        TUiHooks::Messages.clear();
        d.edtInstallFolder->setText(bad);
        d.btnNextClick();
        EXPECT_EQ(d.PageIndex(), 3) << bad;
        EXPECT_EQ(TUiHooks::Messages.size(), 1) << bad;
    }
    // A folder the user may write: the page refuses the others.
    d.edtInstallFolder->setText(QString::fromStdString(qmtest::SandboxRoot() + "/apps"));
    for (int i = 0; i < 3; ++i)
        d.btnNextClick();
    EXPECT_EQ(d.PageIndex(), 6);
    EXPECT_FALSE(d.btnNext->isVisibleTo(&d));
    d.btnBackClick();
    EXPECT_TRUE(d.btnNext->isVisibleTo(&d));
}

TEST_F(UpdateAndWizard, WizardUpdateSkipsTheFolderAndNewInstallTakesTheTargetBack) {
    WriteDatabase();
    const std::string zip = MakeWizardZip("wiz-2.0.zip");
    TfrmMain w;
    TfrmWizard d(w, &w);
    d.SetArchiveName(zip);
    d.btnNextClick();
    // Recognised: the update is chosen, the installed choices came over.
    ASSERT_TRUE(w.IsUpdate);
    EXPECT_TRUE(d.rdoInstallUpdate->isChecked());
    EXPECT_EQ(d.edtUpdateTarget->text(), "Tool 1.0");
    TFileMembers& plan = w.InstallInfo()->Members;
    EXPECT_EQ(plan.Items(plan.MainIndex()).GetInstallDir(), "/opt/tool/");
    d.rdgUpdateOption->SetItemIndex(umAutoClean);
    d.btnNextClick();
    EXPECT_EQ(w.UpdateMode, umAutoClean);
    EXPECT_TRUE(d.chkAddDesktop->isChecked());
    d.btnNextClick();
    EXPECT_EQ(d.PageIndex(), 4); // no folder to choose for an update
    d.btnBackClick();
    EXPECT_EQ(d.PageIndex(), 2);

    // Back to a new install: the plan is the archive's own again.
    d.btnBackClick();
    d.rdoInstallNew->setChecked(true);
    d.btnNextClick();
    EXPECT_FALSE(w.IsUpdate);
    EXPECT_EQ(plan.Items(plan.MainIndex()).ShortcutFlags(), scStartMenu);
    EXPECT_NE(plan.Items(plan.MainIndex()).GetInstallDir(), "/opt/tool/");
    EXPECT_EQ(w.edtAppName->text(), "Tool");
    EXPECT_EQ(w.lblUpdate->text(), "このアプリケーションは新規にインストールされます。");
}

// A program named to pose as a text file ("inv<RLO>txt.exe" shows as "invexe.txt"): the main
// list and the wizard's list show the override as a mark, and the wizard still hands back the
// member's real name.
TEST_F(UpdateAndWizard, ANameWithAHiddenOverrideShowsItInTheListAndTheWizard) {
    const std::string dir = qmtest::MakeTempFolder("rlo");
    const std::string zip = dir + "/rlo.zip";
    ASSERT_EQ(qmtest::Run("python3 -c \"import zipfile; z = zipfile.ZipFile('" + zip +
                          "', 'w'); z.writestr('inv\\u202etxt.exe', 'x'); z.close()\""),
              0);
    const std::string real = "inv\u202etxt.exe";
    TfrmMain w;
    TfrmWizard d(w, &w);
    d.SetArchiveName(zip);
    d.btnNextClick();
    ASSERT_EQ(d.PageIndex(), 1);
    ASSERT_EQ(w.lvFileModel->Count(), 1);
    EXPECT_EQ(w.lvFileModel->data(w.lvFileModel->index(0, 0), Qt::DisplayRole).toString(),
              "inv<U+202E>txt.exe");
    d.btnNextClick();
    ASSERT_EQ(d.cmbMainExe->count(), 2);
    d.cmbMainExe->setCurrentIndex(1);
    EXPECT_EQ(d.cmbMainExe->currentText(), "inv<U+202E>txt.exe");
    EXPECT_EQ(d.MainExe(), real);
}

// A wizard cancelled on its first page gives nothing back: the plan keeps its name, main program
// and folders. One cancelled after the names but before the program list keeps the main program.
TEST_F(UpdateAndWizard, AWizardCancelledEarlyLeavesThePlanAsItWas) {
    const std::string zip = MakeWizardZip("wiz-2.0.zip");
    TfrmMain w;
    {
        TfrmWizard d(w, &w);
        d.SetArchiveName(zip);
        d.btnNextClick();
        ASSERT_EQ(d.PageIndex(), 1);
    }
    const TFileMembers& members = w.InstallInfo()->Members;
    ASSERT_GE(members.MainIndex(), 0);
    const std::string mainName = members.Items(members.MainIndex()).FileName;
    const std::string folder = members.Items(0).GetInstallDir();

    w.actWizardExecute(); // no answer queued: cancelled on the first page
    EXPECT_EQ(w.edtAppName->text(), "Tool");
    ASSERT_GE(w.InstallInfo()->Members.MainIndex(), 0);
    EXPECT_EQ(w.InstallInfo()->Members.Items(w.InstallInfo()->Members.MainIndex()).FileName,
              mainName);
    EXPECT_EQ(w.InstallInfo()->Members.Items(0).GetInstallDir(), folder);

    TUiHooks::NextDialogs.push_back([](QDialog& dialog) {
        auto& d = static_cast<TfrmWizard&>(dialog);
        d.btnNextClick(); // the archive is open already: its values are loaded
        return static_cast<int>(QDialog::Rejected);
    });
    w.actWizardExecute();
    EXPECT_EQ(w.InstallInfo()->Members.Items(w.InstallInfo()->Members.MainIndex()).FileName,
              mainName);
}

// A wizard cancelled after walking its pages gives nothing back either: folders set by hand,
// the update target and the update line are as they were before it, although its pages chose
// a new install; and a second archive opened on its first page empties the program lists of
// the first one until they are filled again from the new plan.
TEST_F(UpdateAndWizard, ACancelledWizardLeavesThePlanAndTheTargetAndReopeningEmptiesTheLists) {
    WriteDatabase();
    const std::string zip = MakeWizardZip("wiz-2.0.zip");
    TfrmMain w;
    ASSERT_TRUE(w.OpenArchive(zip));
    ASSERT_TRUE(w.IsUpdate);
    TFileMembers& members = w.InstallInfo()->Members;
    const int help = members.HelpIndex();
    ASSERT_GE(help, 0);
    members.Items(help).SetInstallDir("/srv/mine/", true);
    const QString line = w.lblUpdate->text();

    const std::string elsewhere = qmtest::MakeTempFolder("elsewhere");
    TUiHooks::NextDialogs.push_back([elsewhere](QDialog& dialog) {
        auto& d = static_cast<TfrmWizard&>(dialog);
        d.btnNextClick();
        d.rdoInstallNew->setChecked(true);
        d.btnNextClick(); // page 1 makes it a new install in the window
        d.btnNextClick();
        d.edtInstallFolder->setText(QString::fromStdString(elsewhere));
        d.btnNextClick();
        EXPECT_EQ(d.PageIndex(), 4);
        return static_cast<int>(QDialog::Rejected);
    });
    w.actWizardExecute();
    EXPECT_TRUE(w.IsUpdate);
    EXPECT_EQ(w.UpdateInfo()->AppId, 11);
    EXPECT_EQ(w.lblUpdate->text(), line);
    EXPECT_EQ(w.InstallInfo()->Members.Items(help).GetInstallDir(), "/srv/mine/");
    const int main = w.InstallInfo()->Members.MainIndex();
    ASSERT_GE(main, 0);
    EXPECT_EQ(w.InstallInfo()->Members.Items(main).GetInstallDir(), "/opt/tool/");

    const std::string other = MakeWizardZip("other-1.0.zip");
    TfrmWizard d(w, &w);
    d.SetArchiveName(zip);
    d.btnNextClick();
    d.btnNextClick();
    ASSERT_TRUE(d.CandidatesLoaded());
    d.btnBackClick();
    d.btnBackClick();
    d.SetArchiveName(other);
    d.btnNextClick();
    ASSERT_EQ(d.PageIndex(), 1);
    EXPECT_FALSE(d.CandidatesLoaded());
    EXPECT_EQ(d.cmbMainExe->count(), 0);
    EXPECT_EQ(d.MainExe(), "");
}

namespace {

// The wizard's first page says a path that is not there was not found, as the window does, and
// its update controls are enabled only while an update is chosen.
TEST_F(UpdateAndWizard, AMissingArchiveIsNotFoundAndUpdateControlsFollowTheChoice) {
    TfrmMain w;
    TfrmWizard d(w, &w);
    d.SetArchiveName("/nonexistent/tool-1.0.zip");
    d.btnNextClick();
    EXPECT_EQ(d.PageIndex(), 0);
    ASSERT_EQ(TUiHooks::Messages.size(), 1);
    EXPECT_TRUE(TUiHooks::Messages[0].contains("/nonexistent/tool-1.0.zip"));
    EXPECT_TRUE(TUiHooks::Messages[0].contains(
        QCoreApplication::translate("qm::TfrmWizard", "ファイル \"%1\" が見つかりません。")
            .section(QLatin1String("%1"), 1)))
        << TUiHooks::Messages[0].toStdString();

    d.rdoInstallNew->setChecked(true);
    EXPECT_FALSE(d.rdgUpdateOption->isEnabled());
    EXPECT_FALSE(d.btnSelUpdateTarget->isEnabled());
    d.rdoInstallUpdate->setChecked(true);
    EXPECT_TRUE(d.rdgUpdateOption->isEnabled());
    EXPECT_TRUE(d.btnSelUpdateTarget->isEnabled());
}

} // namespace
