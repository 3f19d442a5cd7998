// The main window's commands on a real plan: an archive made by Info-ZIP, opened through the
// real archiver library, edited through the menus' actions with the dialogs answered by the
// test hooks.
#include "app/Application.h"
#include "app/CtlHook.h"
#include "app/DropDst.h"
#include "app/FileListModel.h"
#include "app/untMain.h"
#include "dialogs/frmInstallPath.h"
#include "dialogs/frmShortcut.h"
#include "model/FileUtils.h"
#include "model/InstallAppInfo.h"
#include "platform/AnsiCodec.h"
#include "platform/Exception.h"
#include "widgets/AboutBox.h"
#include "widgets/UiHooks.h"

#include "GuiTestApp.h"
#include "Sandbox.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>

#include <filesystem>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

using namespace qm;
namespace fs = std::filesystem;

namespace {

// tool.exe (version information "Tool" 1.2, the main executable: it lies at the top),
// manual.chm, B.doc, sub/a.dat and sub/viewer.exe ("ツール" 2.0).
std::string MakePlanZip() {
    const std::string dir = qmtest::MakeTempFolder("plan");
    const std::string pe = qmtest::TestDataFolder() + "/pe/";
    fs::create_directories(dir + "/sub");
    fs::copy_file(pe + "tool64.exe", dir + "/tool.exe");
    fs::copy_file(pe + "japanese.exe", dir + "/sub/viewer.exe");
    qmtest::WriteFile(dir + "/manual.chm", "help");
    qmtest::WriteFile(dir + "/B.doc", "text");
    qmtest::WriteFile(dir + "/sub/a.dat", "data");
    EXPECT_EQ(qmtest::Run("cd '" + dir + "' && zip -q -r plan.zip tool.exe manual.chm B.doc sub"),
              0);
    return dir + "/plan.zip";
}

class Commands : public ::testing::Test {
protected:
    static void SetUpTestSuite() { qmtest::GuiApp(); }
    void SetUp() override {
        SetAnsiCodePage(CP_SHIFT_JIS);
        TUiHooks::Reset();
        TUiHooks::Active = true;
        std::error_code ec;
        fs::remove_all(GetDataFolder(), ec);
        window = std::make_unique<TfrmMain>();
        TUiHooks::NextOpenFileNames.push_back(QString::fromStdString(MakePlanZip()));
        window->actOpenExecute();
        ASSERT_EQ(window->lvFileModel->Count(), 5);
        ASSERT_EQ(MemberOf("tool.exe").Role(), mrMain);
    }
    void TearDown() override {
        window.reset();
        TUiHooks::Reset();
    }

    TfrmMain& w() { return *window; }
    int RowOf(const char* name) const {
        for (int i = 0; i < window->lvFileModel->Count(); ++i)
            if (window->lvFileModel->Text(i, TFileListModel::ColName) == QString::fromUtf8(name))
                return i;
        ADD_FAILURE() << name;
        return -1;
    }
    TFileMember& MemberOf(const char* name) { return *w().lvFileModel->Row(RowOf(name)).Member; }
    QString InstallColumn(const char* name) const {
        const int row = RowOf(name);
        return window->lvFileModel->data(window->lvFileModel->index(row, 2), Qt::DisplayRole)
            .toString();
    }
    void Select(std::initializer_list<const char*> names) {
        QItemSelectionModel* selection = w().lvFile->selectionModel();
        selection->clearSelection();
        for (const char* name : names)
            selection->select(w().lvFileModel->index(RowOf(name), 0),
                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    // The next install path dialog: its preset is noted, then fill changes it and OK is pressed.
    struct TPreset {
        std::string path;
        bool all = false;
        bool ignore = false;
    };
    void AnswerInstallPath(TPreset* preset, std::function<void(TfrmInstallPath&)> fill = {}) {
        TUiHooks::NextDialogs.push_back([preset, fill](QDialog& d) {
            auto& dialog = dynamic_cast<TfrmInstallPath&>(d);
            *preset = {dialog.InstallPath(), dialog.AllFiles(), dialog.IgnorePaths()};
            if (fill)
                fill(dialog);
            dialog.btnOk->click();
            return dialog.result();
        });
    }

    std::unique_ptr<TfrmMain> window;
};

} // namespace

TEST_F(Commands, TargetsFollowTheSelectionAndTheButtonRepeatsTheLastOne) {
    Select({"tool.exe", "B.doc"});
    w().actNoInstall->trigger();
    for (const char* name : {"tool.exe", "B.doc"}) {
        EXPECT_FALSE(MemberOf(name).IsTarget) << name;
        EXPECT_FALSE(w().lvFileModel->Row(RowOf(name)).Checked) << name;
    }
    EXPECT_TRUE(MemberOf("manual.chm").IsTarget);
    EXPECT_EQ(w().toolTarget->defaultAction(), w().actNoInstall);
    EXPECT_EQ(w().toolTarget->menu(), w().ppmTarget);

    Select({"B.doc"});
    w().actAddInstall->trigger();
    EXPECT_TRUE(MemberOf("B.doc").IsTarget);
    EXPECT_FALSE(MemberOf("tool.exe").IsTarget);
    EXPECT_EQ(w().toolTarget->defaultAction(), w().actAddInstall);
}

TEST_F(Commands, ChangeFolderWithoutSelectionPutsEveryFileIntoTheFolder) {
    const std::string root = w().InstallInfo()->Members.InstallRoot;
    TPreset preset;
    AnswerInstallPath(&preset);
    w().actChangeFolder->trigger();
    EXPECT_EQ(preset.path, WithTrailingDelim(root));
    EXPECT_TRUE(preset.all);
    EXPECT_TRUE(preset.ignore);
    EXPECT_EQ(MemberOf("a.dat").GetInstallDir(), WithTrailingDelim(root));
    EXPECT_EQ(InstallColumn("a.dat"), QString::fromStdString(WithTrailingDelim(root)));
}

TEST_F(Commands, ChangeFolderCutsBeforeTheArchiveFolderOnlyWhereTheInstallFolderEndsWithIt) {
    const std::string root = WithTrailingDelim(w().InstallInfo()->Members.InstallRoot);
    // Folders the user may write: the dialog refuses the others.
    const std::string x = qmtest::SandboxRoot() + "/x", y = qmtest::SandboxRoot() + "/y",
                      z = qmtest::SandboxRoot() + "/z";
    Select({"a.dat"});
    TPreset preset;
    AnswerInstallPath(&preset, [&](TfrmInstallPath& d) { d.SetInstallPath(x + "/Datasub"); });
    w().actChangeFolder->trigger();
    EXPECT_EQ(preset.path, root);
    EXPECT_FALSE(preset.all);
    EXPECT_FALSE(preset.ignore);
    EXPECT_EQ(MemberOf("a.dat").GetInstallDir(), x + "/Datasub/sub/");
    EXPECT_EQ(InstallColumn("a.dat").toStdString(), x + "/Datasub/sub/");
    EXPECT_EQ(MemberOf("B.doc").GetInstallDir(), root); // not selected

    // "sub/" also occurs inside "Datasub/": only the end counts, and OK unchanged moves nothing.
    AnswerInstallPath(&preset);
    w().actChangeFolder->trigger();
    EXPECT_EQ(preset.path, x + "/Datasub/");
    EXPECT_FALSE(preset.ignore);
    EXPECT_EQ(MemberOf("a.dat").GetInstallDir(), x + "/Datasub/sub/");

    // The archive folder is found whatever the case of its ASCII letters.
    MemberOf("a.dat").SetInstallDir(y + "/SUB/", true);
    AnswerInstallPath(&preset);
    w().actChangeFolder->trigger();
    EXPECT_EQ(preset.path, y + "/");
    EXPECT_FALSE(preset.ignore);

    // A destination without the archive folder is offered whole, with the ignore box checked.
    MemberOf("a.dat").SetInstallDir(z + "/other/", true);
    TUiHooks::NextDialogs.push_back([&preset](QDialog& d) {
        auto& dialog = dynamic_cast<TfrmInstallPath&>(d);
        preset = {dialog.InstallPath(), dialog.AllFiles(), dialog.IgnorePaths()};
        dialog.SetInstallPath("/elsewhere/");
        return int(QDialog::Rejected); // cancelled: nothing changes
    });
    w().actChangeFolder->trigger();
    EXPECT_EQ(preset.path, z + "/other/");
    EXPECT_TRUE(preset.ignore);
    EXPECT_EQ(MemberOf("a.dat").GetInstallDir(), z + "/other/");
}

TEST_F(Commands, SettingTheMainExecutableSwapsItAndReadsItsVersion) {
    Select({"viewer.exe"});
    w().actSetMain->trigger();
    EXPECT_EQ(MemberOf("viewer.exe").Role(), mrMain);
    EXPECT_EQ(MemberOf("tool.exe").Role(), mrNormal);
    EXPECT_EQ(w().edtAppName->text(), "ツール");
    EXPECT_EQ(w().edtAppVersion->text(), "2.0");
    // The shortcuts go with the mark: the menu starts the main program.
    EXPECT_EQ(w().lvFileModel->Row(RowOf("viewer.exe")).ImageIndex, 1 + 3);
    EXPECT_EQ(w().lvFileModel->Row(RowOf("tool.exe")).ImageIndex, 0);
    EXPECT_EQ(std::string(MemberOf("viewer.exe").ShortcutOption.ShortcutName),
              w().InstallInfo()->AppName)
        << "called after the application";

    // Choosing it again leaves no main executable; the edits are set again from the plan.
    w().edtAppName->setText("typed");
    w().actSetMain->trigger();
    EXPECT_EQ(w().InstallInfo()->Members.MainIndex(), -1);
    EXPECT_EQ(w().edtAppName->text(), "ツール");
}

TEST_F(Commands, TheHelpFileIsSwappedAndAMainExecutableChosenAsHelpStopsBeingMain) {
    Select({"tool.exe"});
    w().mitSetHelp->trigger();
    EXPECT_EQ(MemberOf("tool.exe").Role(), mrHelp);
    EXPECT_EQ(MemberOf("manual.chm").Role(), mrNormal);
    EXPECT_EQ(w().InstallInfo()->Members.MainIndex(), -1);
    EXPECT_EQ(w().lvFileModel->Row(RowOf("tool.exe")).ImageIndex, 2 + 3);
    EXPECT_EQ(w().lvFileModel->Row(RowOf("manual.chm")).ImageIndex, 0 + 3);

    w().pmitFileSetHelp->trigger(); // the list's menu runs the same command: now no help file
    EXPECT_EQ(MemberOf("tool.exe").Role(), mrNormal);
    EXPECT_EQ(w().InstallInfo()->Members.HelpIndex(), -1);
}

TEST_F(Commands, ShortcutSettingsOfTheFirstSelectedFileGoToEverySelectedFile) {
    TFileMember& doc = MemberOf("B.doc");
    doc.ShortcutOption.ShortcutName = "Document";
    doc.ShortcutOption.Arguments = "-v";
    doc.SetShortcutFlags(scDesktop);
    Select({"B.doc", "a.dat"});
    QString shownName;
    bool shownDesktop = false;
    TUiHooks::NextDialogs.push_back([&](QDialog& d) {
        auto& dialog = dynamic_cast<TfrmShortcut&>(d);
        shownName = dialog.edtShortcutName->text();
        shownDesktop = dialog.chkDesktop->isChecked();
        dialog.SetShortcutName("Both");
        dialog.SetDesktop(false);
        dialog.SetStartMenu(true);
        dialog.SetStartMenuPath("Tools");
        dialog.SetCustom(true);
        dialog.SetCustomFolders({"/home/u/Desktop/"});
        dialog.SetWindowSize(2);
        dialog.btnOk->click();
        return dialog.result();
    });
    w().actShortCut->trigger();
    EXPECT_EQ(shownName, "Document");
    EXPECT_TRUE(shownDesktop);
    for (const char* name : {"B.doc", "a.dat"}) {
        const TFileMember& m = MemberOf(name);
        EXPECT_EQ(m.ShortcutFlags(), scStartMenu | scFolders) << name;
        EXPECT_EQ(m.StartMenuPath, "Tools");
        EXPECT_EQ(m.ShortcutFolders, std::vector<std::string>{"/home/u/Desktop/"});
        EXPECT_EQ(m.ShortcutOption.ShortcutName, "Both");
        EXPECT_EQ(m.ShortcutOption.Arguments, "-v");
        EXPECT_EQ(m.ShortcutOption.WindowSize, 2);
        EXPECT_EQ(w().lvFileModel->Row(RowOf(name)).ImageIndex, 3) << name;
    }

    // Cancelled: nothing changes.
    w().actShortCut->trigger();
    EXPECT_EQ(MemberOf("a.dat").ShortcutOption.ShortcutName, "Both");

    // Clearing takes only the places; the rest stays for the next time.
    w().actClearShortcut->trigger();
    EXPECT_EQ(MemberOf("a.dat").ShortcutFlags(), 0);
    EXPECT_EQ(MemberOf("a.dat").StartMenuPath, "Tools");
    EXPECT_EQ(MemberOf("a.dat").ShortcutOption.ShortcutName, "Both");
    EXPECT_EQ(w().lvFileModel->Row(RowOf("a.dat")).ImageIndex, 0);
}

TEST_F(Commands, ClosingEmptiesTheWindowAndKeepsTheWorkFolderUntilTheNextOpen) {
    const std::string work = w().InstallInfo()->WorkFolder();
    Select({"B.doc"});
    w().findChild<QAction*>("mitClose")->trigger();
    EXPECT_EQ(w().lvFileModel->Count(), 0);
    EXPECT_EQ(w().InstallInfo()->Members.Count(), 0);
    EXPECT_TRUE(w().stbMain->text().startsWith("アーカイブを開くか")) << "what to do next";
    EXPECT_TRUE(w().edtAppName->text().isEmpty());
    EXPECT_FALSE(w().lblUpdate->isVisibleTo(&w()));
    EXPECT_EQ(w().windowTitle(), "Quillmate");
    for (QAction* a : {w().mitClose, w().actChangeFolder, w().actShortCut, w().actSetMain})
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    EXPECT_TRUE(fs::is_directory(work));
}

TEST_F(Commands, ShowHelpOpensTheFirstHelpFileThatExists) {
    const std::string base = qmtest::MakeTempFolder("prog") + "/Quillmate";
    w().HelpBaseName = base;
    w().mitShowHelp->trigger();
    EXPECT_TRUE(TUiHooks::OpenedDocuments.isEmpty());
    EXPECT_TRUE(TUiHooks::Messages.isEmpty());
    qmtest::WriteFile(base + ".txt", "guide");
    qmtest::WriteFile(base + ".pdf", "guide");
    w().mitShowHelp->trigger();
    EXPECT_EQ(TUiHooks::OpenedDocuments, QStringList{QString::fromStdString(base + ".pdf")});
    // The guide the build puts beside the program is the one a fresh window finds.
    EXPECT_TRUE(fs::is_regular_file(ProgramFolder() + "Quillmate.txt"));
}

TEST_F(Commands, TheAboutBoxShowsTheProgramFromTheBuild) {
    QString name, version, comments;
    TUiHooks::NextDialogs.push_back([&](QDialog& d) {
        auto& box = dynamic_cast<TAboutBox&>(d);
        name = box.lblProductName->text();
        version = box.lblVersion->text();
        comments = box.lblComments->text();
        box.btnOk->click();
        return box.result();
    });
    w().mitAbout->trigger();
    EXPECT_EQ(name, "Quillmate");
    EXPECT_TRUE(version.contains(QRegularExpression(QStringLiteral("\\d+\\.\\d+\\.\\d+"))))
        << version.toStdString();
    EXPECT_EQ(comments, "このアプリケーションの実行には、アーカイブに対応するライブラリ(DLL"
                        "ファイル)が必要です。");
}

// --- drops ---------------------------------------------------------------------------------

namespace {

// Drags files over a widget and drops them there, as the desktop does: the drop reaches only
// a widget that accepted the drag.
bool DragOver(QWidget* target, const QList<QUrl>& urls, bool drop) {
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted() || !drop)
        return enter.isAccepted();
    QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
    return dropped.isAccepted();
}

QList<QUrl> Files(std::initializer_list<std::string> paths) {
    QList<QUrl> urls;
    for (const std::string& p : paths)
        urls << QUrl::fromLocalFile(QString::fromStdString(p));
    return urls;
}

} // namespace

TEST_F(Commands, ADropOfThreeFilesOpensTheFirst) {
    const std::string dir = qmtest::MakeTempFolder("drop");
    const std::string other = dir + "/other.zip";
    ASSERT_EQ(qmtest::Run("cd '" + dir + "' && echo x > one.txt && zip -q other.zip one.txt"), 0);
    ASSERT_TRUE(DragOver(w().lvFile->viewport(), Files({other, dir + "/one.txt", other}), true));
    // The drop has ended before the archive opens: the file manager does not wait for it.
    EXPECT_EQ(w().windowTitle(), "Quillmate - plan.zip");
    QCoreApplication::processEvents();
    EXPECT_TRUE(TUiHooks::Messages.isEmpty());
    ASSERT_EQ(w().lvFileModel->Count(), 1);
    EXPECT_EQ(w().windowTitle(), "Quillmate - other.zip");
}

TEST_F(Commands, ADroppedFileThatIsNoArchiveIsReportedAndThePlanStays) {
    const std::string bad = qmtest::WriteFile(qmtest::MakeTempFolder("bad") + "/notes.zip", "no");
    const TInstallAppInfo* plan = w().InstallInfo();
    EXPECT_TRUE(DragOver(w().lvFile->viewport(), Files({bad}), true));
    QCoreApplication::processEvents();
    ASSERT_EQ(TUiHooks::Messages.size(), 1);
    EXPECT_EQ(TUiHooks::Messages.first(), "ファイルが不正か、または非対応のアーカイブです。");
    EXPECT_EQ(w().InstallInfo(), plan);
    EXPECT_EQ(w().lvFileModel->Count(), 5);
    EXPECT_EQ(w().windowTitle(), "Quillmate - plan.zip");
}

TEST_F(Commands, OnlyLocalFilesDroppedOnTheListAreAccepted) {
    const std::string zip = MakePlanZip();
    EXPECT_FALSE(DragOver(w().edtAppName, Files({zip}), false));
    EXPECT_FALSE(DragOver(w().tbrMain, Files({zip}), false));
    EXPECT_FALSE(DragOver(w().lvFile->viewport(),
                          {QUrl::fromLocalFile(QString::fromStdString(zip)),
                           QUrl(QStringLiteral("https://example.com/tool.zip"))},
                          false));
    EXPECT_TRUE(DragOver(w().lvFile->viewport(), Files({zip}), false));

    // Switched off the list takes nothing; switched on again it does.
    w().dndArc->SetAcceptDrop(false);
    EXPECT_FALSE(DragOver(w().lvFile->viewport(), Files({zip}), false));
    w().dndArc->SetAcceptDrop(true);
    EXPECT_TRUE(DragOver(w().lvFile->viewport(), Files({zip}), false));
}

TEST_F(Commands, TheListStillTakesDropsAfterItsInputWidgetWasReplaced) {
    const std::string zip = MakePlanZip();
    auto* viewport = new QWidget;
    w().lvFile->setViewport(viewport);
    QCoreApplication::processEvents();
    EXPECT_EQ(w().dndArc->HookedHandle(), viewport);
    EXPECT_TRUE(DragOver(viewport, Files({zip}), true));
    EXPECT_TRUE(TUiHooks::Messages.isEmpty());
    EXPECT_EQ(w().lvFileModel->Count(), 5);
}

TEST(ControlHook, AFormHookWithoutAFormIsAnError) {
    qmtest::GuiApp();
    TControlHook hook;
    try {
        hook.SetHookTarget(THookTarget::htForm);
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "フック先を特定できません。");
    }
    // A control hook without a control is simply no hook.
    hook.SetHookTarget(THookTarget::htControl);
    EXPECT_EQ(hook.HookedWindow(), nullptr);
}

// Two files of one name from different archive folders put into one folder (the install path
// dialog ignores the archive's folders by default): both rows are marked, and the install asks
// before anything is handed over.
TEST_F(Commands, FilesSharingADestinationAreMarkedAndAskedAbout) {
    const std::string dir = qmtest::MakeTempFolder("clash");
    ASSERT_EQ(qmtest::Run("cd '" + dir +
                          "' && mkdir x y && echo 1 > x/readme.txt && "
                          "echo 2 > y/readme.txt && zip -q -r clash.zip x y"),
              0);
    TUiHooks::NextOpenFileNames.push_back(QString::fromStdString(dir + "/clash.zip"));
    w().actOpenExecute();
    ASSERT_EQ(w().lvFileModel->Count(), 2);
    EXPECT_FALSE(w().lvFileModel->Row(0).Clash);
    TPreset preset;
    AnswerInstallPath(&preset, [&](TfrmInstallPath& d) {
        d.edtInstallPath->setText(QString::fromStdString(dir + "/one"));
        d.SetAllFiles(true);
        d.SetIgnorePaths(true);
    });
    w().lvFile->selectionModel()->clearSelection();
    w().actChangeFolder->trigger();
    EXPECT_TRUE(w().lvFileModel->Row(0).Clash);
    EXPECT_TRUE(w().lvFileModel->Row(1).Clash);
    TUiHooks::Messages.clear();
    TUiHooks::NextAnswers.push_back(QMessageBox::No);
    w().actInstall->trigger(); // asked first; "no" hands nothing over (no install dialog)
    ASSERT_EQ(TUiHooks::Messages.size(), 1);
    EXPECT_TRUE(TUiHooks::Messages.first().contains("インストール先が同じ"));
    EXPECT_TRUE(TUiHooks::NextDialogs.empty());
    // Unchecking one of them ends the clash.
    w().lvFileModel->setData(w().lvFileModel->index(1, 0), Qt::Unchecked, Qt::CheckStateRole);
    EXPECT_FALSE(w().lvFileModel->Row(0).Clash);
}

// A second archive starts from scratch: an archive without a program of its own gets its own
// name and folder, not those of the archive opened before.
TEST_F(Commands, ASecondArchiveKeepsNothingOfTheFirst) {
    ASSERT_EQ(w().edtAppName->text(), "Tool");
    const std::string dir = qmtest::MakeTempFolder("second");
    ASSERT_EQ(
        qmtest::Run("cd '" + dir + "' && echo x > notes.txt && zip -q data-1.0.zip notes.txt"), 0);
    TUiHooks::NextOpenFileNames.push_back(QString::fromStdString(dir + "/data-1.0.zip"));
    w().actOpenExecute();
    ASSERT_EQ(w().lvFileModel->Count(), 1);
    EXPECT_NE(w().edtAppName->text(), "Tool");
    EXPECT_EQ(InstallColumn("notes.txt").indexOf("/Tool/"), -1)
        << InstallColumn("notes.txt").toStdString();
    EXPECT_FALSE(w().IsUpdate);
}
