// The main window driven offscreen, with archives made by the real tools and opened through the
// real archiver libraries.
#include "app/Application.h"
#include "app/FileListModel.h"
#include "app/untMain.h"
#include "model/FileUtils.h"
#include "model/InstallAppInfo.h"
#include "model/InstallList.h"
#include "model/InstallOption.h"
#include "model/InstructionFiles.h"
#include "platform/AnsiCodec.h"
#include "platform/Exception.h"
#include "platform/WindowsVersion.h"
#include "widgets/DateText.h"
#include "widgets/UiHooks.h"

#include "GuiTestApp.h"
#include "Sandbox.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

// Readable failure messages for Qt texts.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* os) {
    *os << '[' << list.join(QStringLiteral(", ")).toStdString() << ']';
}

using namespace qm;
namespace fs = std::filesystem;

namespace {

void WaitUntil(const std::function<bool()>& done, int ms = 10000) {
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

std::string PeFile(const std::string& name) {
    return qmtest::TestDataFolder() + "/pe/" + name;
}

// A ZIP made by Info-ZIP from a folder: tool.exe (with version information), the help file
// manual.chm, B.doc and sub/a.dat, each with its own modification time.
std::string MakeSampleZip(const std::string& name = "sample.zip") {
    const std::string dir = qmtest::MakeTempFolder("src");
    fs::copy_file(PeFile("tool64.exe"), dir + "/tool.exe");
    qmtest::WriteFile(dir + "/manual.chm", "help");
    qmtest::WriteFile(dir + "/B.doc", "text");
    qmtest::WriteFile(dir + "/sub/a.dat", "data");
    const std::string cmd = "cd '" + dir +
                            "' && touch -d '2020-01-03 10:00' tool.exe && "
                            "touch -d '2020-01-01 10:00' manual.chm && "
                            "touch -d '2020-01-04 10:00' B.doc && "
                            "touch -d '2020-01-02 00:00' sub/a.dat && "
                            "zip -q -r '" +
                            dir + "/" + name + "' tool.exe manual.chm B.doc sub";
    EXPECT_EQ(qmtest::Run(cmd), 0);
    return dir + "/" + name;
}

QString Text(const TfrmMain& w, int row, int column) {
    return w.lvFileModel->data(w.lvFileModel->index(row, column), Qt::DisplayRole).toString();
}

int RowOf(const TfrmMain& w, const QString& name) {
    for (int i = 0; i < w.lvFileModel->Count(); ++i)
        if (w.lvFileModel->Text(i, TFileListModel::ColName) == name)
            return i;
    return -1;
}

QStringList Column(const TfrmMain& w, int column) {
    QStringList list;
    for (int i = 0; i < w.lvFileModel->Count(); ++i)
        list << Text(w, i, column);
    return list;
}

std::vector<std::string> WorkFolders() {
    std::vector<std::string> found;
    const fs::path data = GetDataFolder();
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(data, ec))
        if (entry.is_directory() && entry.path().filename().string().size() == 8)
            found.push_back(entry.path().string());
    return found;
}

class MainWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() { qmtest::GuiApp(); }
    void SetUp() override {
        TUiHooks::Reset();
        TUiHooks::Active = true;
        std::error_code ec;
        fs::remove_all(GetDataFolder(), ec);
        fs::remove_all(GetSpecialFolder(SF_APPDATA) + "test_gui", ec); // the settings
    }
    void TearDown() override { TUiHooks::Reset(); }

    // Opens through the open command, as the user would.
    static void OpenByCommand(TfrmMain& w, const std::string& path) {
        TUiHooks::NextOpenFileNames.push_back(QString::fromStdString(path));
        w.actOpenExecute();
    }
};

} // namespace

TEST_F(MainWindow, StartsEmptyWithEveryCommandInPlace) {
    TfrmMain w;
    EXPECT_EQ(w.windowTitle(), "Quillmate");
    EXPECT_EQ(w.lvFileModel->Count(), 0);
    // With nothing open, the one line says what to do first.
    EXPECT_TRUE(w.stbMain->text().startsWith("アーカイブを開くか"))
        << w.stbMain->text().toStdString();
    EXPECT_TRUE(w.stbMain->text().contains("Ctrl+O")) << w.stbMain->text().toStdString();
    EXPECT_FALSE(w.lblUpdate->isVisibleTo(&w));
    EXPECT_EQ(w.lvFileModel->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(),
              "インストールパス");
    // Wide enough for a typical plan; the install path takes the free width.
    EXPECT_GE(w.width(), 900);
    EXPECT_EQ(w.lvFile->header()->sectionResizeMode(2), QHeaderView::Stretch);
    // Enabled at start: open and the plain menu items (the commands still waiting for their
    // handlers stay disabled); the rest wait for an archive or a selection.
    for (const char* name : {"actOpen", "mitExit", "mitShowHelp", "mitAbout"})
        EXPECT_TRUE(w.findChild<QAction*>(name)->isEnabled()) << name;
    for (const char* name : {"actShortCut", "actAddInstall", "actNoInstall", "actChangeFolder",
                             "actSetMain", "actUpdate", "actInstall", "actClearShortcut",
                             "mitClose", "mitSetHelp", "pmitFileSetHelp"})
        EXPECT_FALSE(w.findChild<QAction*>(name)->isEnabled()) << name;
    for (const char* name : {"actUninstall", "actWizard", "mitOption"})
        EXPECT_EQ(w.findChild<QAction*>(name)->isEnabled(),
                  !TfrmMain::IsPendingCommand(w.findChild<QAction*>(name)))
            << name;
    EXPECT_EQ(w.actShortCut->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
    EXPECT_EQ(w.mitExit->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    EXPECT_EQ(w.actSetMain->toolTip(), "メイン実行ファイルに指定");
    EXPECT_FALSE(w.actOpen->icon().isNull());
    EXPECT_TRUE(w.actClearShortcut->icon().isNull());
    EXPECT_EQ(w.toolTarget->menu(), w.ppmTarget);

    // Menu items that name an action show its caption, image and shortcut and follow its state.
    const struct {
        const char* item;
        QAction* action;
    } linked[] = {{"mitOpen", w.actOpen},
                  {"mitShortCut", w.actShortCut},
                  {"mitClearShortcut", w.actClearShortcut},
                  {"mitAddInstall", w.actAddInstall},
                  {"mitNoInstall", w.actNoInstall},
                  {"mitChangeFolder", w.actChangeFolder},
                  {"mitSetMain", w.actSetMain},
                  {"mitUpdate", w.actUpdate},
                  {"mitInstall", w.actInstall},
                  {"mitUninstall", w.actUninstall},
                  {"mitWizard", w.actWizard},
                  {"ppmTargetAdd", w.actAddInstall},
                  {"ppmTargetDel", w.actNoInstall},
                  {"pmitFileAddIns", w.actAddInstall},
                  {"pmitFileDelIns", w.actNoInstall},
                  {"pmitFileShortcut", w.actShortCut},
                  {"pmitClearShortcut", w.actClearShortcut},
                  {"pmitFileChangeFolder", w.actChangeFolder},
                  {"pmitFileSetMain", w.actSetMain}};
    for (const auto& l : linked) {
        const QAction* item = w.findChild<QAction*>(l.item);
        ASSERT_NE(item, nullptr) << l.item;
        EXPECT_TRUE(item->text().startsWith(l.action->text())) << l.item;
        EXPECT_EQ(item->icon().cacheKey(), l.action->icon().cacheKey()) << l.item;
        EXPECT_EQ(item->isEnabled(), l.action->isEnabled()) << l.item;
    }
    const QAction* mitShortCut = w.findChild<QAction*>("mitShortCut");
    EXPECT_EQ(mitShortCut->text(), "ショートカット(&C)...\tCtrl+S");
    EXPECT_TRUE(mitShortCut->shortcut().isEmpty()); // the key stays the action's alone
    w.actShortCut->setEnabled(true);
    EXPECT_TRUE(mitShortCut->isEnabled());
    EXPECT_EQ(w.findChild<QMenu*>("ppmFile")->actions().size(), 8); // with its separator

    // The open dialog offers the archives first.
    EXPECT_EQ(w.OpenArcDialog()->windowTitle(), "アーカイブを開く");
    ASSERT_EQ(w.OpenArcDialog()->nameFilters().size(), 6);
    EXPECT_TRUE(w.OpenArcDialog()->nameFilters().first().startsWith("すべてのアーカイブ (*.lzh "));
    EXPECT_TRUE(w.OpenArcDialog()->nameFilters().last().startsWith("自己解凍書庫(*.exe) (*.exe"));
}

TEST_F(MainWindow, OpeningARealArchiveFillsTheCheckedList) {
    const std::string zip = MakeSampleZip();
    TfrmMain w;
    OpenByCommand(w, zip);

    ASSERT_EQ(w.lvFileModel->Count(), 4);
    EXPECT_TRUE(TUiHooks::Messages.isEmpty()); // everything extracted, nothing to report
    EXPECT_EQ(w.stbMain->text(), "ファイル数:4");
    EXPECT_EQ(w.edtAppName->text(), "Tool");
    EXPECT_EQ(w.edtAppVersion->text(), "1.2");
    EXPECT_EQ(w.windowTitle(), "Quillmate - sample.zip");
    for (const char* name : {"mitClose", "actChangeFolder", "actUpdate", "actInstall",
                             "mitChangeFolder", "pmitFileChangeFolder"}) {
        const auto* action = w.findChild<QAction*>(name);
        EXPECT_EQ(action->isEnabled(), !TfrmMain::IsPendingCommand(action)) << name;
    }
    // Nothing installed matches: a new install.
    EXPECT_FALSE(w.IsUpdate);
    EXPECT_TRUE(w.lblUpdate->isVisibleTo(&w));
    EXPECT_EQ(w.lblUpdate->text(), "このアプリケーションは新規にインストールされます。");

    const std::string root = GetSpecialFolder(SF_PROGRAM_FILES) + "Tool/";
    for (int i = 0; i < w.lvFileModel->Count(); ++i) {
        const TFileRow& row = w.lvFileModel->Row(i);
        ASSERT_NE(row.Member, nullptr);
        EXPECT_TRUE(row.Checked);
        EXPECT_TRUE(row.Member->IsTarget);
        EXPECT_EQ(w.lvFileModel->data(w.lvFileModel->index(i, 0), Qt::CheckStateRole).toInt(),
                  Qt::Checked);
        EXPECT_TRUE(Text(w, i, 2).startsWith(QString::fromStdString(root)));
        EXPECT_TRUE(Text(w, i, 2).endsWith('/'));
        EXPECT_FALSE(w.lvFileModel->data(w.lvFileModel->index(i, 0), Qt::DecorationRole)
                         .value<QIcon>()
                         .isNull());
    }
    const int exe = RowOf(w, "tool.exe");
    const int help = RowOf(w, "manual.chm");
    const int sub = RowOf(w, "a.dat");
    // The chosen main executable and help file carry a start-menu shortcut: their images show
    // the role and the shortcut mark.
    EXPECT_EQ(w.lvFileModel->Row(exe).ImageIndex, 1 + 3);
    EXPECT_EQ(w.lvFileModel->Row(help).ImageIndex, 2 + 3);
    EXPECT_EQ(w.lvFileModel->Row(RowOf(w, "B.doc")).ImageIndex, 0);
    EXPECT_EQ(Text(w, sub, 1), "sub/");
    EXPECT_EQ(Text(w, sub, 2), QString::fromStdString(root + "sub/"));
    // The date column leaves out a time of exactly midnight.
    EXPECT_FALSE(Text(w, sub, 3).contains(':')) << Text(w, sub, 3).toStdString();
    // Other times in the short 24-hour form with seconds, whatever the locale's long time says.
    EXPECT_TRUE(Text(w, exe, 3).endsWith(" 10:00:00")) << Text(w, exe, 3).toStdString();

    // The hints of buttons and menu items never hide the file count.
    w.show();
    w.statusBar()->showMessage(w.actSetMain->statusTip());
    EXPECT_TRUE(w.stbMain->isVisible());
    EXPECT_EQ(w.stbMain->text(), "ファイル数:4");
    w.statusBar()->clearMessage();

    // Unchecking a row takes the member out of the install.
    w.lvFileModel->SetChecked(sub, false);
    EXPECT_FALSE(w.lvFileModel->Row(sub).Member->IsTarget);

    // A change of a member's shortcut reaches its row's image.
    w.lvFileModel->Row(sub).Member->SetShortcutFlags(1);
    EXPECT_EQ(w.lvFileModel->Row(sub).ImageIndex, 3);
}

TEST_F(MainWindow, JapaneseNamesStoredInCodePage932ShowAsTheyWereWritten) {
    SetAnsiCodePage(CP_SHIFT_JIS); // the sort below follows the bytes of code page 932
    const std::string dir = qmtest::MakeTempFolder("ja");
    qmtest::WriteFile(dir + "/ツール/説明書.txt", "help");
    qmtest::WriteFile(dir + "/ツール/データ/設定.ini", "[s]");
    qmtest::WriteFile(dir + "/ツール/あ.doc", "1");
    qmtest::WriteFile(dir + "/ツール/Ａ.doc", "2");
    const std::string zip = dir + "/ツール12.zip";
    ASSERT_EQ(qmtest::Run("cd '" + dir +
                          "' && bsdtar --format zip --options zip:hdrcharset=CP932 "
                          "-cf '" +
                          zip + "' ツール"),
              0);
    TfrmMain w;
    OpenByCommand(w, zip);
    ASSERT_EQ(w.lvFileModel->Count(), 4);
    EXPECT_EQ(w.windowTitle(), "Quillmate - ツール12.zip");
    const int ini = RowOf(w, "設定.ini");
    ASSERT_GE(ini, 0);
    EXPECT_EQ(Text(w, ini, 1), "ツール/データ/");
    // The single top folder's contents go into the install folder directly.
    EXPECT_TRUE(Text(w, ini, 2).endsWith("/データ/"));
    EXPECT_FALSE(Text(w, ini, 2).contains("ツール/データ/"));
    EXPECT_GE(RowOf(w, "説明書.txt"), 0);
    // Names order by their bytes in the code page, where the full-width Ａ (82 60) comes before
    // あ (82 A0), although in UTF-8 it comes after; 設 (90 DD) before 説 (90 E0).
    emit w.lvFile->header()->sectionClicked(0);
    EXPECT_EQ(Column(w, 0), QStringList({"Ａ.doc", "あ.doc", "設定.ini", "説明書.txt"}));
}

namespace {
// Sets environment variables for the object's lifetime.
class ScopedEnvironment {
public:
    ScopedEnvironment(std::initializer_list<std::pair<const char*, std::string>> values) {
        for (const auto& [name, value] : values) {
            const char* old = std::getenv(name);
            saved_.emplace_back(name, old != nullptr ? std::optional<std::string>(old)
                                                     : std::optional<std::string>());
            setenv(name, value.c_str(), 1);
        }
    }
    ~ScopedEnvironment() {
        for (const auto& [name, old] : saved_) {
            if (old)
                setenv(name, old->c_str(), 1);
            else
                unsetenv(name);
        }
        ResetAnsiCodePage();
    }

private:
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};
} // namespace

TEST_F(MainWindow, NamesOutsideCodePage932OpenAndTheirPlanIsWrittenAndReadBack) {
    // A user whose home folder and archive carry characters code page 932 cannot hold.
    const std::string home = qmtest::MakeTempFolder("home") + "/josé";
    ScopedEnvironment env{{"LC_ALL", "C.UTF-8"},
                          {"HOME", home},
                          {"XDG_DATA_HOME", home + "/.local/share"},
                          {"XDG_CONFIG_HOME", home + "/.config"}};
    ResetAnsiCodePage();
    ASSERT_EQ(GetAnsiCodePage(), CP_UTF8_PAGE);
    const std::string dir = home + "/Downloads";
    fs::create_directories(dir + "/Ångström");
    fs::copy_file(PeFile("cafe.exe"), dir + "/app.exe");
    qmtest::WriteFile(dir + "/Ångström/读我.txt", "read me");
    ASSERT_EQ(qmtest::Run("cd '" + dir + "' && zip -q -r café.zip app.exe Ångström"), 0);

    TfrmMain w;
    OpenByCommand(w, dir + "/café.zip");
    ASSERT_EQ(w.lvFileModel->Count(), 2) << TUiHooks::Messages.join(' ').toStdString();
    EXPECT_EQ(w.windowTitle(), "Quillmate - café.zip");
    const int readMe = RowOf(w, "读我.txt");
    ASSERT_GE(readMe, 0);
    EXPECT_EQ(Text(w, readMe, 1), "Ångström/");
    EXPECT_EQ(w.edtAppName->text(), "Café™");
    const std::string root = home + "/.local/opt/Café™/";
    EXPECT_EQ(Text(w, readMe, 2), QString::fromStdString(root + "Ångström/"));

    // The instructions for the installer hold the names and come back unchanged.
    const std::string file = GetInstallFileName();
    WriteInstallFile(file, *w.InstallInfo(), TInstallOption());
    TMemoryStream stream(qmtest::ReadFile(file));
    TInstallAppInfo read;
    read.LoadFromStream(stream);
    EXPECT_EQ(read.AppName, "Café™");
    EXPECT_EQ(read.ArchiveName, "café.zip");
    ASSERT_EQ(read.Members.Count(), 2);
    const TFileMember* member = read.Members.Find("读我.txt", "Ångström/");
    ASSERT_NE(member, nullptr);
    EXPECT_EQ(member->InstallDir(), root + "Ångström/");
}

TEST_F(MainWindow, ShiftJisArchivesOpenWithTheSameNamesUnderEitherCodePage) {
    // Names without a Unicode flag, as Japanese Windows writes them; 表 and ソ end in 0x5C.
    const std::string dir = qmtest::MakeTempFolder("sjis");
    qmtest::WriteFile(dir + "/src/ソフト/表示.txt", "1");
    qmtest::WriteFile(dir + "/src/ソフト/説明.doc", "2");
    ASSERT_EQ(qmtest::Run("cd '" + dir +
                          "/src' && JAVA_TOOL_OPTIONS=-XX:-UsePerfData jlha ay ../a.lzh "
                          "ソフト/表示.txt ソフト/説明.doc >/dev/null 2>&1 && bsdtar --format zip "
                          "--options zip:hdrcharset=CP932 -cf ../a.zip ソフト"),
              0);
    for (const int codePage : {CP_SHIFT_JIS, CP_UTF8_PAGE}) {
        SetAnsiCodePage(codePage);
        for (const char* archive : {"a.lzh", "a.zip"}) {
            TfrmMain w;
            OpenByCommand(w, dir + "/" + archive);
            ASSERT_EQ(w.lvFileModel->Count(), 2) << archive << " " << codePage;
            const int row = RowOf(w, "表示.txt");
            ASSERT_GE(row, 0) << archive << " " << codePage;
            EXPECT_EQ(Text(w, row, 1), "ソフト/") << archive << " " << codePage;
            EXPECT_GE(RowOf(w, "説明.doc"), 0) << archive << " " << codePage;
        }
    }
}

TEST_F(MainWindow, SortsOnceByTheClickedColumn) {
    const std::string zip = MakeSampleZip();
    TfrmMain w;
    OpenByCommand(w, zip);
    QHeaderView* header = w.lvFile->header();

    emit header->sectionClicked(0);
    EXPECT_EQ(w.SortColumn, 0);
    EXPECT_EQ(Column(w, 0), QStringList({"a.dat", "B.doc", "manual.chm", "tool.exe"}));
    emit header->sectionClicked(1);
    EXPECT_EQ(Column(w, 1).last(), "sub/");
    emit header->sectionClicked(3);
    EXPECT_EQ(w.SortColumn, 3);
    EXPECT_EQ(Column(w, 0), QStringList({"manual.chm", "a.dat", "tool.exe", "B.doc"}));
    emit header->sectionClicked(2);
    EXPECT_EQ(Column(w, 0).last(), "a.dat"); // the only one in a subfolder
    // The rows still find their members after the moves.
    const int exe = RowOf(w, "tool.exe");
    w.lvFileModel->Row(exe).Member->SetShortcutFlags(0);
    EXPECT_EQ(w.lvFileModel->Row(exe).ImageIndex, 1);
}

// An archive named on the command line that does not open says why, as any other open does.
TEST_F(MainWindow, AnArchiveNamedAtStartThatDoesNotOpenIsReported) {
    const std::string bad =
        qmtest::WriteFile(qmtest::MakeTempFolder("bad") + "/broken.tar.xz", "not an archive");
    for (const std::string& path : {bad, std::string("/no/such/archive.zip")}) {
        TUiHooks::Messages.clear();
        TfrmMain w(QStringList{QString::fromStdString(path)});
        w.show(); // the first show opens the archive, right after painting
        for (int i = 0; i < 20 && TUiHooks::Messages.isEmpty(); ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_EQ(TUiHooks::Messages.size(), 1) << path;
        EXPECT_TRUE(TUiHooks::Messages.first().contains(
            path == bad ? QStringLiteral("非対応のアーカイブ") : QStringLiteral("見つかりません")))
            << TUiHooks::Messages.first().toStdString();
        EXPECT_EQ(w.lvFileModel->Count(), 0);
    }
}

// A session started with an archive opens the next one in that archive's folder.
TEST_F(MainWindow, TheFirstOpenStartsInTheFolderOfTheArchiveNamedAtStart) {
    const std::string zip = MakeSampleZip("started.zip");
    TfrmMain w(QStringList{QString::fromStdString(zip)});
    w.show();
    for (int i = 0; i < 50 && w.lvFileModel->Count() == 0; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_GT(w.lvFileModel->Count(), 0);
    TUiHooks::NextDialogs.clear();
    w.actOpenExecute(); // no file queued: the dialog is cancelled
    EXPECT_EQ(w.OpenArcDialog()->directory().absolutePath().toStdString(),
              fs::path(zip).parent_path().string());
}

// The check of a compressed tar runs beside its extraction: when it fails, the extraction stops,
// its working folder goes, and the error is the check's, as when the check ran first.
TEST_F(MainWindow, AFailingCheckDuringTheExtractionLeavesNothing) {
    const std::string zip = MakeSampleZip();
    const std::string dir = qmtest::MakeTempFolder("cut");
    std::string big;
    for (int i = 0; i < 20000; ++i)
        big += std::to_string(i * 7919 % 104729) + (i % 13 == 0 ? "\n" : " ");
    for (int i = 0; i < 30; ++i)
        qmtest::WriteFile(dir + "/app/f" + std::to_string(i) + ".dat", big + std::to_string(i));
    ASSERT_EQ(qmtest::Run("cd '" + dir + "' && bsdtar -czf whole.tar.gz app"), 0);
    const std::string bytes = qmtest::ReadFile(dir + "/whole.tar.gz");
    const std::string cut =
        qmtest::WriteFile(dir + "/cut.tar.gz", bytes.substr(0, bytes.size() * 2 / 3));
    TfrmMain w;
    OpenByCommand(w, zip);
    const TInstallAppInfo* plan = w.InstallInfo();
    try {
        OpenByCommand(w, cut);
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "ファイルが不正か、または非対応のアーカイブです。");
    }
    EXPECT_EQ(w.InstallInfo(), plan);
    EXPECT_EQ(w.windowTitle(), "Quillmate - sample.zip");
    EXPECT_EQ(WorkFolders().size(), 1u);
    // The whole archive still opens.
    OpenByCommand(w, dir + "/whole.tar.gz");
    EXPECT_EQ(w.lvFileModel->Count(), 30);
}

TEST_F(MainWindow, ARefusedArchiveLeavesEverythingAsItWas) {
    const std::string zip = MakeSampleZip();
    const std::string bad =
        qmtest::WriteFile(qmtest::MakeTempFolder("bad") + "/broken.zip", "this is not an archive");
    TfrmMain w;
    OpenByCommand(w, zip);
    const TInstallAppInfo* plan = w.InstallInfo();
    const std::string work = plan->WorkFolder();
    w.edtAppName->setText("typed by the user");

    try {
        OpenByCommand(w, bad);
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "ファイルが不正か、または非対応のアーカイブです。");
    }
    EXPECT_EQ(w.InstallInfo(), plan);
    EXPECT_EQ(w.lvFileModel->Count(), 4);
    EXPECT_EQ(w.edtAppName->text(), "typed by the user");
    EXPECT_EQ(w.windowTitle(), "Quillmate - sample.zip");
    EXPECT_TRUE(fs::is_directory(work));
    EXPECT_EQ(WorkFolders().size(), 1u);

    // A name without a known extension is no archive either; the error names why.
    const std::string odd = qmtest::WriteFile(qmtest::MakeTempFolder("odd") + "/notes.xyz", "x");
    EXPECT_THROW(OpenByCommand(w, odd), Exception);
    EXPECT_EQ(w.lvFileModel->Count(), 4);
    EXPECT_EQ(w.windowTitle(), "Quillmate - sample.zip");

    // A cancelled file dialog does nothing at all.
    w.actOpenExecute();
    EXPECT_EQ(w.lvFileModel->Count(), 4);
}

TEST_F(MainWindow, AnOpenWithoutAWorkFolderFailsAndKeepsTheShownPlan) {
    const std::string zip = MakeSampleZip();
    TfrmMain w;
    OpenByCommand(w, zip);
    const TInstallAppInfo* plan = w.InstallInfo();
    // Every folder name drawn is taken already, as when the data folder cannot be written:
    // nothing can be extracted, which must not pass for an empty archive.
    const std::string taken = GetDataFolder() + "0000ABCD";
    fs::create_directories(taken);
    TInstallAppInfo::WorkFolderNumber = [] { return 0xABCDu; };
    try {
        OpenByCommand(w, MakeSampleZip("second.zip"));
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_NE(std::string(e.what()).find(GetDataFolder()), std::string::npos) << e.what();
    }
    TInstallAppInfo::WorkFolderNumber = nullptr;
    EXPECT_EQ(w.InstallInfo(), plan);
    EXPECT_EQ(w.lvFileModel->Count(), 4);
    EXPECT_EQ(w.windowTitle(), "Quillmate - sample.zip");
    EXPECT_TRUE(fs::is_directory(plan->WorkFolder()));
    EXPECT_TRUE(fs::is_empty(taken));
}

TEST_F(MainWindow, OpeningAnotherArchiveReplacesThePlanAndItsWorkFolder) {
    const std::string first = MakeSampleZip("first.zip");
    const std::string second = MakeSampleZip("second.zip");
    TfrmMain w;
    OpenByCommand(w, first);
    const std::string oldWork = w.InstallInfo()->WorkFolder();
    OpenByCommand(w, second);
    EXPECT_EQ(w.windowTitle(), "Quillmate - second.zip");
    EXPECT_FALSE(fs::exists(oldWork));
    EXPECT_TRUE(fs::is_directory(w.InstallInfo()->WorkFolder()));
    EXPECT_EQ(WorkFolders().size(), 1u);
    EXPECT_EQ(w.lvFileModel->Count(), 4);
    EXPECT_EQ(w.lvFileModel->Row(0).Member->Owner(), &w.InstallInfo()->Members);
}

TEST_F(MainWindow, ACancelledExtractionLeavesNothingBehind) {
    const std::string first = MakeSampleZip("first.zip");
    const std::string second = MakeSampleZip("second.zip");
    TfrmMain w;
    OpenByCommand(w, first);
    const TInstallAppInfo* plan = w.InstallInfo();

    int steps = 0;
    QString label;
    const QStringList members{"tool.exe", "manual.chm", "B.doc", "sub/a.dat"};
    TUiHooks::OnProgressStep = [&](QProgressDialog& dialog, int) {
        ++steps;
        // Cancelled as soon as the dialog names a member being extracted.
        if (members.contains(dialog.labelText())) {
            label = dialog.labelText();
            dialog.cancel();
        }
    };
    OpenByCommand(w, second); // cancelled by the user: no error box
    EXPECT_GT(steps, 0);
    // The dialog names the member being extracted.
    EXPECT_FALSE(label.isEmpty());
    EXPECT_TRUE(TUiHooks::Messages.isEmpty());
    EXPECT_EQ(w.InstallInfo(), plan);
    EXPECT_EQ(w.windowTitle(), "Quillmate - first.zip");
    EXPECT_EQ(w.lvFileModel->Count(), 4);
    const std::vector<std::string> folders = WorkFolders();
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_EQ(folders[0] + "/", plan->WorkFolder());
}

TEST_F(MainWindow, TheProgressDialogFollowsAnExtractionOfManyMembersOnlyNowAndThen) {
    const std::string dir = qmtest::MakeTempFolder("many");
    const std::string zip = dir + "/many.zip";
    ASSERT_EQ(qmtest::Run("python3 -c \"import zipfile; z = zipfile.ZipFile('" + zip +
                          "', 'w'); [z.writestr('m%03d.txt' % i, 'x' * i) for i in range(300)]; "
                          "z.close()\""),
              0);
    TfrmMain w;
    int steps = 0;
    QStringList labels;
    TUiHooks::OnProgressStep = [&](QProgressDialog& dialog, int) {
        ++steps;
        if (labels.isEmpty() || labels.back() != dialog.labelText())
            labels << dialog.labelText();
    };
    QElapsedTimer clock;
    clock.start();
    OpenByCommand(w, zip);
    const qint64 elapsed = clock.elapsed();
    ASSERT_EQ(w.lvFileModel->Count(), 300);
    // Every member was reported, but the label moved on only at the first member and then at
    // most every 50 ms (and once at the end).
    EXPECT_GE(steps, 300);
    EXPECT_TRUE(labels.contains("m000.txt")) << labels.join(' ').toStdString();
    EXPECT_LE(labels.size(), 3 + elapsed / 50) << labels.join(' ').toStdString();
}

TEST_F(MainWindow, ClosingDuringAnExtractionCancelsItAndClosesWhenItHasEnded) {
    const std::string zip = MakeSampleZip();
    TfrmMain w;
    w.show();
    bool closeRefused = false;
    TUiHooks::OnProgressStep = [&](QProgressDialog&, int step) {
        if (step == 1)
            closeRefused = !w.close(); // the user closes the window while it extracts
    };
    OpenByCommand(w, zip);
    EXPECT_TRUE(closeRefused);
    EXPECT_EQ(w.lvFileModel->Count(), 0);
    EXPECT_TRUE(WorkFolders().empty());
    WaitUntil([&] { return !w.isVisible(); }, 2000);
    EXPECT_FALSE(w.isVisible());
}

TEST_F(MainWindow, APlanOpenedInPlaceNeverLeavesRowsWithoutMembers) {
    const std::string first = MakeSampleZip("first.zip");
    const std::string second = MakeSampleZip("second.zip");
    TfrmMain w;
    OpenByCommand(w, first);
    TInstallAppInfo& plan = *w.InstallInfo();
    TUiHooks::OnProgressStep = [](QProgressDialog& dialog, int) { dialog.cancel(); };
    try {
        plan.OpenArchive(second);
        FAIL() << "not cancelled";
    } catch (const Exception& e) {
        EXPECT_FALSE(std::string(e.what()).empty());
    }
    // The members went with the open, so did their rows, and the half-extracted folder.
    EXPECT_EQ(plan.Members.Count(), 0);
    EXPECT_EQ(w.lvFileModel->Count(), 0);
    EXPECT_EQ(w.stbMain->text(), "ファイル数:0");
    EXPECT_TRUE(WorkFolders().empty());

    TUiHooks::OnProgressStep = nullptr;
    ASSERT_TRUE(plan.OpenArchive(second));
    ASSERT_EQ(w.lvFileModel->Count(), 4);
    EXPECT_EQ(w.lvFileModel->Row(0).Member->Owner(), &plan.Members);
}

TEST_F(MainWindow, MembersTheLibraryRefusesAreMissingAndReported) {
    // Made with Python: a name that climbs out of the extraction folder. In a tar.gz the
    // extraction stands in for the check of the whole stream, and a refused name must not make
    // the sound stream look broken.
    const std::string dir = qmtest::MakeTempFolder("evil");
    const std::string zip = dir + "/evil.zip", tgz = dir + "/evil.tar.gz";
    ASSERT_EQ(qmtest::Run("python3 -c \"import zipfile; z = zipfile.ZipFile('" + zip +
                          "', 'w'); z.writestr('../escaped.txt', 'x'); z.writestr('ok.txt', 'y'); "
                          "z.close()\""),
              0);
    ASSERT_EQ(qmtest::Run("cd '" + dir + "' && echo x >escaped.txt && echo y >ok.txt && " +
                          "bsdtar -czf evil.tar.gz -s ',^escaped,../escaped,' escaped.txt ok.txt"),
              0);
    for (const std::string& archive : {zip, tgz}) {
        TUiHooks::Messages.clear();
        TfrmMain w;
        OpenByCommand(w, archive);
        ASSERT_EQ(w.lvFileModel->Count(), 1) << archive;
        EXPECT_EQ(w.lvFileModel->Text(0, TFileListModel::ColName), "ok.txt");
        ASSERT_EQ(TUiHooks::Messages.size(), 1);
        EXPECT_TRUE(TUiHooks::Messages.first().startsWith(
            "アーカイブの一部のファイルを展開できませんでした"));
        EXPECT_FALSE(fs::exists(GetDataFolder() + "escaped.txt"));
    }
}

TEST_F(MainWindow, AMemberLeftOutHasNoRow) {
    const std::string zip = MakeSampleZip();
    TfrmMain w;
    OpenByCommand(w, zip);
    TInstallAppInfo& plan = *w.InstallInfo();
    TFileMember* left = w.lvFileModel->Row(RowOf(w, "B.doc")).Member;
    left->SetRole(mrExcluded);
    w.FillFileList(plan);
    EXPECT_EQ(plan.Members.Count(), 4);
    EXPECT_EQ(w.lvFileModel->Count(), 3);
    EXPECT_EQ(RowOf(w, "B.doc"), -1);
    EXPECT_EQ(w.stbMain->text(), "ファイル数:3");
}

TEST_F(MainWindow, UpdateTargetHandsOldSettingsToMatchingMembers) {
    const std::string zip = MakeSampleZip();
    TfrmMain w;
    OpenByCommand(w, zip);

    TInstallAppInfo installed;
    installed.AppName = "Tool";
    installed.Version = "1.0";
    TFileMember& old = installed.Members.Add();
    old.FileName = "B.DOC"; // the same file, other letter case
    old.ArchivePath = "";
    old.SetInstallDir("/opt/elsewhere/", true);
    old.IsTarget = false;
    w.SetUpdateTarget(&installed);

    EXPECT_TRUE(w.IsUpdate);
    EXPECT_TRUE(w.lblUpdate->isVisibleTo(&w));
    EXPECT_EQ(w.lblUpdate->text(), "アップデート対象: Tool 1.0");
    // The version the update installs is the new main program's, not the installed one.
    EXPECT_EQ(w.edtAppVersion->text(), "1.2");
    const int row = RowOf(w, "B.doc");
    EXPECT_EQ(Text(w, row, 2), "/opt/elsewhere/");
    EXPECT_EQ(w.lvFileModel->Row(row).Checked, w.lvFileModel->Row(row).Member->IsTarget);
    // The take-over refreshes the list once; a member changed afterwards still shows at once.
    w.lvFileModel->Row(row).Member->SetRole(mrHelp);
    EXPECT_EQ(w.lvFileModel->Row(row).ImageIndex % 3, 2);

    w.SetUpdateTarget(nullptr);
    EXPECT_FALSE(w.IsUpdate);
    EXPECT_EQ(w.lblUpdate->text(), "このアプリケーションは新規にインストールされます。");
    EXPECT_EQ(w.UpdateInfo()->Version, "1.0"); // kept, only no longer the target
}

TEST_F(MainWindow, OpeningFindsTheInstalledApplicationItUpdates) {
    const std::string zip = MakeSampleZip("tool13.zip");
    const std::string other = MakeSampleZip("other.zip");
    TfrmMain w;
    {
        TInstallList list;
        TInstallAppInfo& record = list.Add();
        record.AppName = "Tool";
        record.Version = "1.2";
        record.ArchiveName = "tool12.zip";
        record.Members.Add().FileName = "tool.exe";
        list.SaveToFile(w.ListFileName);
    }
    // Through the menu item, which runs the open command.
    TUiHooks::NextOpenFileNames.push_back(QString::fromStdString(zip));
    w.findChild<QAction*>("mitOpen")->trigger();
    ASSERT_EQ(w.lvFileModel->Count(), 4);
    EXPECT_TRUE(w.IsUpdate);
    EXPECT_EQ(w.lblUpdate->text(), "アップデート対象: Tool 1.2");
    EXPECT_EQ(w.UpdateInfo()->ArchiveName, "tool12.zip");

    // The next archive is looked up afresh and replaces the target.
    OpenByCommand(w, other);
    EXPECT_FALSE(w.IsUpdate);
    EXPECT_EQ(w.lblUpdate->text(), "このアプリケーションは新規にインストールされます。");

    // A database that can no longer be read is reported, and leaves no earlier archive's target
    // with the new one.
    OpenByCommand(w, zip);
    ASSERT_TRUE(w.IsUpdate);
    qmtest::WriteFile(w.ListFileName, "damaged beyond reading");
    EXPECT_THROW(OpenByCommand(w, other), Exception);
    EXPECT_EQ(w.windowTitle(), "Quillmate - other.zip");
    EXPECT_FALSE(w.IsUpdate);
    EXPECT_FALSE(w.lblUpdate->text().contains("Tool 1.2"));
}

TEST_F(MainWindow, SelectionEnablesTheRowCommands) {
    const std::string zip = MakeSampleZip();
    TfrmMain w;
    OpenByCommand(w, zip);
    w.lvFile->selectionModel()->select(w.lvFileModel->index(1, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    for (const char* name : {"actShortCut", "actAddInstall", "actNoInstall", "actClearShortcut",
                             "actSetMain", "mitSetHelp", "pmitFileSetHelp"})
        EXPECT_TRUE(w.findChild<QAction*>(name)->isEnabled()) << name;
    // Refreshing the rows from their members keeps the selection.
    w.RefreshFileList();
    EXPECT_TRUE(w.lvFile->selectionModel()->isRowSelected(1, {}));
    EXPECT_TRUE(w.actShortCut->isEnabled());
    w.lvFile->clearSelection();
    EXPECT_FALSE(w.actShortCut->isEnabled());
    EXPECT_FALSE(w.pmitFileSetHelp->isEnabled());
}

TEST_F(MainWindow, PlacementAndColumnWidthsComeBackAtTheNextStart) {
    int menuHeight = 0;
    {
        TfrmMain w;
        w.setGeometry(40, 50, 640, 480);
        w.lvFile->header()->resizeSection(0, 222);
        w.lvFile->header()->resizeSection(3, 95);
        w.layout()->activate();
        menuHeight = w.menuBar()->height();
    }
    const std::string ini = GetSpecialFolder(SF_APPDATA) + "test_gui/Quillmate.ini";
    const std::string text = qmtest::ReadFile(ini);
    EXPECT_NE(text.find("[Cols]\r\nMain.0=222\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("frmMain=FORM\r\n"), std::string::npos) << text;
    // The client height is what lies below the menu bar.
    ASSERT_GT(menuHeight, 0);
    EXPECT_NE(text.find("frmMain.cheight=" + std::to_string(480 - menuHeight) + "\r\n"),
              std::string::npos)
        << text;
    {
        TfrmMain w;
        EXPECT_EQ(w.lvFile->header()->sectionSize(0), 222);
        EXPECT_EQ(w.lvFile->header()->sectionSize(3), 95);
        EXPECT_EQ(w.geometry(), QRect(40, 50, 640, 480));
        EXPECT_FALSE(w.isMaximized());
        w.show();
        w.showMaximized();
        WaitUntil([&] { return w.isMaximized(); });
    }
    {
        TfrmMain w;
        EXPECT_TRUE(w.windowState() & Qt::WindowMaximized);
        w.show();
        w.showMinimized();
        WaitUntil([&] { return w.isMinimized(); });
    }
    TfrmMain w; // a window closed minimised opens normal
    EXPECT_FALSE(w.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized));
}

TEST_F(MainWindow, AStoredRectangleNoScreenCanHoldIsCutToTheScreen) {
    // A damaged or hand-edited settings file: a window this large could never be painted.
    const std::string ini = GetSpecialFolder(SF_APPDATA) + "test_gui/Quillmate.ini";
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    for (const char* rect : {"left=100\r\nfrmMain.top=100\r\nfrmMain.right=100000\r\n"
                             "frmMain.bottom=100000",
                             "left=-2147483648\r\nfrmMain.top=-2147483648\r\n"
                             "frmMain.right=2147483647\r\nfrmMain.bottom=2147483647"}) {
        qmtest::WriteFile(ini, std::string("[Forms]\r\nfrmMain=FORM\r\nfrmMain.") + rect + "\r\n");
        TfrmMain w;
        EXPECT_GT(w.width(), 0) << rect;
        EXPECT_GT(w.height(), 0) << rect;
        EXPECT_LE(w.width(), screen.width()) << rect;
        EXPECT_LE(w.height(), screen.height()) << rect;
    }
}

TEST_F(MainWindow, CommandLineArchiveOpensOnceTheWindowShows) {
    const std::string zip = MakeSampleZip();
    TfrmMain w({QString::fromStdString(zip), QStringLiteral("ignored.zip")});
    EXPECT_EQ(w.lvFileModel->Count(), 0);
    w.show();
    WaitUntil([&] { return w.lvFileModel->Count() == 4; });
    EXPECT_EQ(w.lvFileModel->Count(), 4);
    EXPECT_EQ(w.windowTitle(), "Quillmate - sample.zip");

    // A relative name is taken from the current folder and kept as a full path, so a name that
    // begins with "-" never reaches the archiver looking like a switch.
    const std::string dashed = MakeSampleZip("-dashed.zip");
    const QString previous = QDir::currentPath();
    QDir::setCurrent(QFileInfo(QString::fromStdString(dashed)).absolutePath());
    {
        TfrmMain relative({QStringLiteral("-dashed.zip")});
        relative.show();
        WaitUntil([&] { return relative.lvFileModel->Count() == 4; });
        EXPECT_EQ(relative.lvFileModel->Count(), 4);
        EXPECT_EQ(relative.InstallInfo()->ArchiveName, dashed);
    }
    QDir::setCurrent(previous);

    // (A name that is no file, or no archive, is reported: AnArchiveNamedAtStartThatDoesNot...)
    EXPECT_TRUE(TUiHooks::Messages.isEmpty());
}

namespace {
class Thrower : public QObject {
protected:
    bool event(QEvent*) override { throw Exception("kaputt"); }
};
} // namespace

TEST_F(MainWindow, UncaughtErrorsReachTheApplicationsErrorBox) {
    Thrower target;
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&target, &event);
    ASSERT_EQ(TUiHooks::Messages.size(), 1);
    EXPECT_EQ(TUiHooks::Messages.first(), "kaputt");
}

TEST_F(MainWindow, NamesThatLookLikeMarkupShowAsTheyAre) {
    const std::string dir = qmtest::MakeTempFolder("markup");
    const std::string zip = dir + "/markup.zip";
    ASSERT_EQ(qmtest::Run("python3 -c \"import zipfile; z = zipfile.ZipFile('" + zip +
                          "', 'w'); z.writestr('<b>bold</b>.txt', 'x'); z.close()\""),
              0);
    TfrmMain w;
    // The progress label naming the member.
    std::optional<Qt::TextFormat> labelFormat;
    TUiHooks::OnProgressStep = [&](QProgressDialog& dialog, int) {
        if (dialog.labelText() == "<b>bold</b>.txt")
            labelFormat = dialog.findChild<QLabel*>()->textFormat();
    };
    OpenByCommand(w, zip);
    ASSERT_TRUE(labelFormat.has_value());
    EXPECT_EQ(*labelFormat, Qt::PlainText);

    // The update line naming an installed application.
    TInstallAppInfo installed;
    installed.AppName = "<i>Tool</i>";
    w.SetUpdateTarget(&installed);
    EXPECT_EQ(w.lblUpdate->textFormat(), Qt::PlainText);

    // A message box naming a file.
    TUiHooks::Active = false;
    std::optional<Qt::TextFormat> boxFormat;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            boxFormat = box->textFormat();
            box->done(QMessageBox::Ok);
        }
    });
    ShowMessageBox(nullptr, QMessageBox::Critical, "<b>bold</b>.zip");
    ASSERT_TRUE(boxFormat.has_value());
    EXPECT_EQ(*boxFormat, Qt::PlainText);

    // Its buttons speak the program's language, whatever the locale.
    QStringList buttons;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            for (QAbstractButton* button : box->buttons())
                buttons << button->text();
            box->done(QMessageBox::No);
        }
    });
    ShowMessageBox(nullptr, QMessageBox::Question, "?", QMessageBox::Yes | QMessageBox::No);
    buttons.sort();
    EXPECT_EQ(buttons, QStringList({"いいえ(&N)", "はい(&Y)"}));
}

TEST_F(MainWindow, ALongMemberNameKeepsTheProgressDialogOnTheScreen) {
    const std::string dir = qmtest::MakeTempFolder("long");
    const std::string zip = dir + "/long.zip";
    ASSERT_EQ(qmtest::Run("python3 -c \"import zipfile; z = zipfile.ZipFile('" + zip +
                          "', 'w'); z.writestr('/'.join(['folder%02d' % i for i in range(20)]) + "
                          "'/' + 'N' * 200 + '.txt', 'x'); z.close()\""),
              0);
    TfrmMain w;
    int widest = 0;
    QString label;
    TUiHooks::OnProgressStep = [&](QProgressDialog& dialog, int) {
        if (dialog.labelText().endsWith("NNN.txt")) {
            widest = std::max(widest, dialog.width());
            label = dialog.labelText();
        }
    };
    OpenByCommand(w, zip);
    ASSERT_EQ(w.lvFileModel->Count(), 1);
    ASSERT_FALSE(label.isEmpty());
    EXPECT_TRUE(label.startsWith("folder00/")) << label.toStdString();
    EXPECT_LE(widest, QGuiApplication::primaryScreen()->availableGeometry().width());
}

TEST_F(MainWindow, ATerminationSignalClosesTheWindowWithItsCleanUp) {
    const std::string zip = MakeSampleZip();
    // Termination, and Ctrl+C in a terminal.
    for (const int signal : {SIGTERM, SIGINT}) {
        {
            TfrmMain w;
            OpenByCommand(w, zip);
            ASSERT_EQ(WorkFolders().size(), 1u);
            QTimer guard; // a signal that ended nothing must not leave the test waiting
            guard.setSingleShot(true);
            QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
            guard.start(10000);
            QTimer::singleShot(0, [signal] { ::raise(signal); });
            EXPECT_EQ(QCoreApplication::exec(), 0) << signal;
        }
        EXPECT_TRUE(WorkFolders().empty()) << signal;
    }
}

TEST_F(MainWindow, AStartDeletesWorkFoldersNoRunningProgramHolds) {
    // One left by a killed program, one of a program still running, and a folder of the user's.
    const std::string data = GetDataFolder();
    qmtest::WriteFile(data + "0000BEEF/tool.exe", "x");
    qmtest::WriteFile(data + "Notes/keep.txt", "x");
    TInstallAppInfo running;
    const std::string held = running.MakeWorkFolder();
    ASSERT_FALSE(held.empty());
    qmtest::WriteFile(held + "tool.exe", "x");

    TfrmMain w;
    EXPECT_FALSE(fs::exists(data + "0000BEEF"));
    EXPECT_TRUE(fs::exists(held + "tool.exe"));
    EXPECT_TRUE(fs::exists(data + "Notes/keep.txt"));
    running.RemoveWorkFolder();
}

TEST_F(MainWindow, WithoutADisplayTheProgramSaysSoInOneLine) {
    const std::string err = qmtest::MakeTempFolder("nodisplay") + "/err.txt";
    const std::string program = QM_PROGRAM_PATH;
    for (const char* display : {"-u DISPLAY", "DISPLAY=:97"}) {
        const int status = qmtest::Run(std::string("env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ") +
                                       display + " '" + program + "' 2>'" + err + "'");
        EXPECT_EQ(status, 1) << display;
        const std::string text = qmtest::ReadFile(err);
        EXPECT_EQ(text.rfind("Quillmate needs a graphical desktop session: ", 0), 0u) << text;
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    }
}

TEST_F(MainWindow, OnlyMajorVersionSixCountsAsWindows6ForTheShield) {
    QPushButton button;
    const QIcon plain = button.style()->standardIcon(QStyle::SP_FileIcon);
    button.setIcon(plain);
    for (unsigned major : {4u, 5u, 10u}) {
        SetOsVersionOverride(OsVersion{major, 0, true});
        EXPECT_FALSE(TfrmMain::IsWindows6()) << major;
        TfrmMain::SetShieldIcon(&button, true);
        EXPECT_EQ(button.icon().cacheKey(), plain.cacheKey()) << major;
    }
    SetOsVersionOverride(OsVersion{6, 2, true});
    EXPECT_TRUE(TfrmMain::IsWindows6());
    // With a shield in the style the button shows it and loses it again; a style without one
    // leaves the button's own image alone either way.
    const bool styleHasShield = !button.style()->standardIcon(QStyle::SP_VistaShield).isNull();
    TfrmMain::SetShieldIcon(&button, true);
    EXPECT_EQ(button.icon().cacheKey() != plain.cacheKey(), styleHasShield);
    TfrmMain::SetShieldIcon(&button, false);
    EXPECT_EQ(button.icon().isNull(), styleHasShield);
    if (!styleHasShield) {
        EXPECT_EQ(button.icon().cacheKey(), plain.cacheKey());
    }
    SetOsVersionOverride(std::nullopt);
}

// With the interface in Japanese, Qt's own texts are too: the file dialog's labels and buttons
// and the standard buttons of a message box; and a date reads the same as in the lists. The
// dialog is grabbed as a picture, as a person would see it.
TEST(InterfaceLanguage, QtsOwnLabelsAndButtonsAreJapanese) {
    qmtest::GuiApp();
    const QRegularExpression english(QStringLiteral("\\b(Look|File|Files|Open|Cancel|Directory|"
                                                    "Detail|List|Yes|No|Save|Back|Forward|"
                                                    "Parent|Create)\\b"));
    QFileDialog dialog(nullptr, QStringLiteral("アーカイブを開く"),
                       QString::fromStdString(qmtest::MakeTempFolder("look")));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.show();
    QCoreApplication::processEvents();
    ASSERT_TRUE(dialog.grab().save(QString::fromStdString(qmtest::SandboxRoot() + "/dialog.png")));
    QStringList seen;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        if (label->isVisible() && !label->text().isEmpty())
            seen << label->text();
    for (const QAbstractButton* button : dialog.findChildren<QAbstractButton*>())
        if (button->isVisible() && !button->text().isEmpty())
            seen << button->text();
    ASSERT_FALSE(seen.isEmpty());
    for (const QString& text : seen)
        EXPECT_FALSE(english.match(text).hasMatch()) << text.toStdString();

    QMessageBox box(QMessageBox::Question, QStringLiteral("Quillmate"), QStringLiteral("?"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    for (const QAbstractButton* button : box.buttons())
        EXPECT_FALSE(english.match(button->text()).hasMatch()) << button->text().toStdString();

    EXPECT_EQ(DateText(43517.5), QStringLiteral("2019/02/21 12:00:00"));
}
