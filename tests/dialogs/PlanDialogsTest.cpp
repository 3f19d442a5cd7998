// The dialogs that edit the install plan: destination, shortcut settings and the shortcut
// folder with its quick settings.
#include "dialogs/frmEditPath.h"
#include "dialogs/frmInstallPath.h"
#include "dialogs/frmShortcut.h"
#include "platform/SpecialFolders.h"
#include "platform/WindowsVersion.h"
#include "widgets/DropDownButton.h"
#include "widgets/UiHooks.h"

#include "DialogTestApp.h"

#include "Sandbox.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>

#include <filesystem>

using namespace qm;
namespace fs = std::filesystem;

namespace {

class PlanDialogs : public ::testing::Test {
protected:
    static void SetUpTestSuite() { qmtest::EnsureApplication(); }
    void SetUp() override {
        TUiHooks::Reset();
        TUiHooks::Active = true;
    }
    void TearDown() override {
        TUiHooks::Reset();
        SetOsVersionOverride(std::nullopt);
    }
};

// Presses OK with the texts given; the answer is whether the dialog closed with OK, and each
// refusal leaves one message.
bool PressOk(QDialog& dialog, QPushButton* ok) {
    dialog.setResult(QDialog::Rejected);
    ok->click();
    return dialog.result() == QDialog::Accepted;
}

} // namespace

// Each refusal says what is wrong with the folder: none given, relative, the root, a ".." step,
// a folder of the kernel's (where the install could only fail later).
TEST_F(PlanDialogs, InstallPathRefusesNoFolderARelativeOneAndTheRoot) {
    TfrmInstallPath dialog;
    const struct {
        const char* folder;
        const char* says;
    } refused[] = {{"", "インストール先フォルダを指定してください。"},
                   {"opt/tool", "相対パス"},
                   {"/", "ルート"},
                   {"//", "ルート"},
                   {"/opt/../etc/tool", "\"..\""},
                   {"/proc/self/tool", "システムのフォルダ"}};
    for (const auto& bad : refused) {
        TUiHooks::Messages.clear();
        dialog.edtInstallPath->setText(QString::fromUtf8(bad.folder));
        EXPECT_FALSE(PressOk(dialog, dialog.btnOk)) << bad.folder;
        ASSERT_EQ(TUiHooks::Messages.size(), 1) << bad.folder;
        EXPECT_TRUE(TUiHooks::Messages.first().contains(QString::fromUtf8(bad.says)))
            << TUiHooks::Messages.first().toStdString();
    }
    // A folder the user may write (the dialog refuses the others).
    const std::string tool = qmtest::SandboxRoot() + "/opt/tool";
    dialog.SetInstallPath(tool);
    dialog.SetAllFiles(true);
    dialog.SetIgnorePaths(true);
    EXPECT_TRUE(PressOk(dialog, dialog.btnOk));
    EXPECT_EQ(dialog.InstallPath(), tool + "/"); // a typed folder gets its delimiter
    EXPECT_TRUE(dialog.AllFiles());
    EXPECT_TRUE(dialog.chkAbs->isChecked());
    dialog.SetAllFiles(false);
    EXPECT_FALSE(dialog.AllFiles());
}

TEST_F(PlanDialogs, ShortcutNamesThatWouldNotMakeOneFileInTheFolderAreRefused) {
    TfrmShortcut dialog;
    const QString message = "ショートカット名が不正です\nショートカット名に使用できない文字を"
                            "使用しているか、またはショートカット名が入力されていません。";
    for (const char* bad : {"", "a?b", "x|y", ".", "..", "sub/tool", "..\\tool"}) {
        TUiHooks::Messages.clear();
        dialog.edtDescription->setFocus();
        dialog.SetShortcutName(bad);
        EXPECT_FALSE(PressOk(dialog, dialog.btnOk)) << bad;
        ASSERT_EQ(TUiHooks::Messages.size(), 1) << bad;
        EXPECT_EQ(TUiHooks::Messages.first(), message);
        EXPECT_EQ(dialog.focusWidget(), dialog.edtShortcutName) << bad;
    }
    dialog.SetShortcutName("ツール 1.2");
    EXPECT_TRUE(PressOk(dialog, dialog.btnOk));
}

TEST_F(PlanDialogs, ShortcutPlacesOutsideTheirFolderAreRefused) {
    TfrmShortcut dialog;
    dialog.SetShortcutName("Tool");
    for (const char* bad : {"../Tools", "Tools/../../x", "/usr/share/applications"}) {
        TUiHooks::Messages.clear();
        dialog.SetStartMenuPath(bad);
        EXPECT_FALSE(PressOk(dialog, dialog.btnOk)) << bad;
        ASSERT_EQ(TUiHooks::Messages.size(), 1) << bad;
        EXPECT_TRUE(TUiHooks::Messages.first().startsWith("スタートメニューの場所が不正です"));
    }
    dialog.SetStartMenuPath("Tools/Quill");
    for (const char* bad : {"Desktop/", "/home/u/../../etc/"}) {
        TUiHooks::Messages.clear();
        dialog.SetCustomFolders({"/home/u/Desktop/", bad});
        EXPECT_FALSE(PressOk(dialog, dialog.btnOk)) << bad;
        ASSERT_EQ(TUiHooks::Messages.size(), 1) << bad;
        EXPECT_TRUE(TUiHooks::Messages.first().startsWith("カスタムフォルダが不正です"));
        EXPECT_EQ(dialog.lbxCustomPath->currentItem()->text(), QString::fromUtf8(bad));
    }
    dialog.SetCustomFolders({"/home/u/Desktop/"});
    EXPECT_TRUE(PressOk(dialog, dialog.btnOk));
}

TEST_F(PlanDialogs, CustomFoldersAreAddedSortedReplacedAndDeleted) {
    TfrmShortcut dialog;
    // Folders the user may write (the folder dialog refuses the others), sorted by name.
    const std::string r = qmtest::SandboxRoot();
    dialog.SetCustomFolders({r + "/b/", r + "/A/"});
    auto typeFolder = [](const std::string& folder, QString* startedWith = nullptr) {
        TUiHooks::NextDialogs.push_back([folder, startedWith](QDialog& d) {
            auto& edit = dynamic_cast<TfrmEditPath&>(d);
            if (startedWith != nullptr)
                *startedWith = edit.edtPath->text();
            edit.edtPath->setText(QString::fromStdString(folder));
            edit.btnOk->click();
            return edit.result();
        });
    };
    typeFolder(r + "/c");
    dialog.btnAdd->click();
    typeFolder(r + "/b/");
    dialog.btnAdd->click(); // the same folder twice is allowed
    EXPECT_EQ(dialog.CustomFolders(),
              (std::vector<std::string>{r + "/A/", r + "/b/", r + "/b/", r + "/c/"}));

    // Editing starts from an empty box and replaces the selected entry.
    dialog.lbxCustomPath->setCurrentRow(0);
    QString startedWith = "unset";
    typeFolder(r + "/z/", &startedWith);
    dialog.btnEdit->click();
    EXPECT_EQ(startedWith, "");
    EXPECT_EQ(dialog.CustomFolders(),
              (std::vector<std::string>{r + "/b/", r + "/b/", r + "/c/", r + "/z/"}));

    dialog.lbxCustomPath->setCurrentRow(2);
    dialog.btnDelete->click();
    EXPECT_EQ(dialog.CustomFolders(), (std::vector<std::string>{r + "/b/", r + "/b/", r + "/z/"}));

    // Cancelling the folder dialog adds nothing.
    dialog.btnAdd->click();
    EXPECT_EQ(dialog.lbxCustomPath->count(), 3);
}

TEST_F(PlanDialogs, EditPathRefusesNoFolderARelativeOneAndOneThatClimbs) {
    TfrmEditPath dialog;
    for (const char* bad : {"", "Desktop", "/home/u/../x"}) {
        TUiHooks::Messages.clear();
        dialog.edtPath->setText(QString::fromUtf8(bad));
        EXPECT_FALSE(PressOk(dialog, dialog.btnOk)) << bad;
        ASSERT_EQ(TUiHooks::Messages.size(), 1);
        EXPECT_TRUE(TUiHooks::Messages.first().contains("ショートカット作成先"));
    }
    TUiHooks::Messages.clear();
    dialog.edtPath->setText("");
    PressOk(dialog, dialog.btnOk);
    EXPECT_EQ(TUiHooks::Messages.first(), "パスが指定されていません\nショートカット作成先"
                                          "フォルダのパスを入力してください。");
    const std::string desktop = qmtest::SandboxRoot() + "/home/Desktop";
    dialog.edtPath->setText(QString::fromStdString(desktop));
    EXPECT_TRUE(PressOk(dialog, dialog.btnOk));
    EXPECT_EQ(dialog.Path(), desktop + "/");
}

TEST_F(PlanDialogs, QuickSettingsWriteTheSpecialFoldersAndOfferOnlyThoseThatExist) {
    TfrmEditPath dialog;
    EXPECT_EQ(dialog.btnQuick->DropDownMenu(), dialog.ppmQuick);
    dialog.pmitStartup->trigger();
    EXPECT_EQ(dialog.Path(), ShellFolderPath(CSIDL_STARTUP) + "/");
    dialog.pmitCommonStartMenu->trigger();
    EXPECT_EQ(dialog.Path(), ShellFolderPath(CSIDL_COMMON_STARTMENU) + "/");
    // Send-to and favourites have no folder here.
    for (QAction* none : {dialog.pmitSendTo, dialog.pmitFavorite, dialog.pmitCommonFavorite,
                          dialog.pmitCommonDesktop})
        EXPECT_FALSE(none->isEnabled()) << none->objectName().toStdString();
    EXPECT_TRUE(dialog.pmitCommonStartup->isEnabled());

    // Version 5.2 is not offered the all-users folders.
    SetOsVersionOverride(OsVersion{5, 2, true});
    TfrmEditPath old;
    EXPECT_FALSE(old.pmitCommonStartup->isEnabled());
    EXPECT_FALSE(old.pmitCommonStartMenu->isEnabled());
    EXPECT_TRUE(old.pmitStartMenu->isEnabled());
}

// The browser starts in the user's own start menu (installs are the user's unless chosen
// otherwise), not the all-users one.
TEST_F(PlanDialogs, StartMenuBrowseGivesTheFolderRelativeToTheStartMenu) {
    const std::string menu = ShellFolderPath(CSIDL_STARTMENU);
    fs::create_directories(menu + "/Tools/Quill");
    TfrmShortcut dialog;
    auto choose = [](const std::string& folder) {
        TUiHooks::NextDialogs.push_back([folder](QDialog& d) {
            auto& chooser = dynamic_cast<QFileDialog&>(d);
            chooser.selectFile(QString::fromStdString(folder));
            static_cast<QDialog&>(chooser).accept();
            return chooser.result();
        });
    };
    choose(menu + "/Tools/Quill");
    dialog.btnRefStartMenu->click();
    EXPECT_EQ(dialog.StartMenuPath(), "Tools/Quill");
    choose(menu);
    dialog.btnRefStartMenu->click();
    EXPECT_EQ(dialog.StartMenuPath(), "");
}
