// The folder chooser and the shortening of paths for narrow lists.
#include "dialogs/FolderDialog.h"
#include "platform/SpecialFolders.h"
#include "widgets/UiHooks.h"

#include "DialogTestApp.h"
#include "Sandbox.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QWidget>

#include <filesystem>

using namespace qm;
namespace fs = std::filesystem;

namespace {

class FolderDialog : public ::testing::Test {
protected:
    static void SetUpTestSuite() { qmtest::EnsureApplication(); }
    void SetUp() override {
        TUiHooks::Reset();
        TUiHooks::Active = true;
    }
    void TearDown() override { TUiHooks::Reset(); }

    // Queues a user who types a folder into the chooser and presses its accept button; the
    // folder the chooser started in is noted.
    void ChooseNext(const QString& folder, QString* startedIn = nullptr) {
        TUiHooks::NextDialogs.push_back([folder, startedIn](QDialog& d) {
            auto& chooser = dynamic_cast<QFileDialog&>(d);
            if (startedIn != nullptr)
                *startedIn = chooser.directory().absolutePath();
            chooser.selectFile(folder);
            static_cast<QDialog&>(chooser).accept();
            return chooser.result();
        });
    }
};

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

TEST_F(FolderDialog, StartsAtThePresetFolderAndReturnsTheChosenOne) {
    QWidget owner;
    const std::string base = qmtest::MakeTempFolder("pick");
    fs::create_directories(base + "/start");
    fs::create_directories(base + "/other");
    TFolderDialog dialog(&owner);
    dialog.Title = QStringLiteral("インストール先フォルダを選択します。");
    dialog.Folder = Q(base + "/start");
    QString startedIn, caption;
    ChooseNext(Q(base + "/other"), &startedIn);
    TUiHooks::NextDialogs.front() = [first = TUiHooks::NextDialogs.front(), &caption](QDialog& d) {
        caption = d.windowTitle();
        return first(d);
    };
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(startedIn, Q(base + "/start"));
    EXPECT_EQ(caption, "インストール先フォルダを選択します。");
    EXPECT_EQ(dialog.Folder, Q(base + "/other"));
}

TEST_F(FolderDialog, AMissingPresetStartsAtHomeAndCancelKeepsIt) {
    QWidget owner;
    TFolderDialog dialog(&owner);
    dialog.Folder = QStringLiteral("/no/such/folder");
    QString startedIn;
    TUiHooks::NextDialogs.push_back([&startedIn](QDialog& d) {
        startedIn = dynamic_cast<QFileDialog&>(d).directory().absolutePath();
        return int(QDialog::Rejected);
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(startedIn, QDir::homePath());
    EXPECT_EQ(dialog.Folder, "/no/such/folder");
}

TEST_F(FolderDialog, AFolderOutsideTheStartMenuIsRefusedAndTheChooserStaysOpen) {
    QWidget owner;
    const std::string menu = ShellFolderPath(CSIDL_COMMON_STARTMENU);
    fs::create_directories(menu + "/Tools");
    const std::string outside = qmtest::MakeTempFolder("outside");
    TFolderDialog dialog(&owner);
    dialog.RootFolder = TRootFolder::rfCommonStartMenu;
    int acceptedFirst = -1;
    TUiHooks::NextDialogs.push_back([&](QDialog& d) {
        auto& chooser = dynamic_cast<QFileDialog&>(d);
        chooser.selectFile(Q(outside));
        static_cast<QDialog&>(chooser).accept();
        acceptedFirst = chooser.result();
        chooser.selectFile(Q(menu + "/Tools"));
        static_cast<QDialog&>(chooser).accept();
        return chooser.result();
    });
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(acceptedFirst, QDialog::Rejected);
    ASSERT_EQ(TUiHooks::Messages.size(), 1);
    EXPECT_EQ(dialog.Folder, Q(menu + "/Tools"));
    EXPECT_TRUE(TFolderDialog::IsInsideRoot(Q(menu + "/Tools"), Q(menu)));
    EXPECT_FALSE(TFolderDialog::IsInsideRoot(Q(menu + "x"), Q(menu)));
}

TEST(ShortenPath, EachStepDropsOneLeadingFolderAndFitsTheWidth) {
    qmtest::EnsureApplication();
    const QFontMetrics metrics(QApplication::font());
    const struct {
        const char* path;
        std::vector<const char*> steps;
        const char* name;
    } cases[] = {
        {"/Program Files/Vendor/Tool/",
         {"/.../Vendor/Tool/", "/.../Tool/", "/.../", ".../", ""},
         ""},
        {"/Tools/app.exe", {"/.../app.exe", ".../app.exe", "app.exe"}, "app.exe"},
    };
    for (const auto& c : cases) {
        const QString path = QString::fromUtf8(c.path);
        // A path that fits comes back as it is.
        EXPECT_EQ(ShortenPathForWidth(path, metrics, metrics.horizontalAdvance(path)), path);
        for (const char* step : c.steps) {
            const QString expected = QString::fromUtf8(step);
            EXPECT_EQ(ShortenPathForWidth(path, metrics, metrics.horizontalAdvance(expected)),
                      expected)
                << c.path;
        }
        // Nothing fits: the name alone stays, never cut.
        EXPECT_EQ(ShortenPathForWidth(path, metrics, 1), QString::fromUtf8(c.name));
    }
}

TEST(ShortenPath, AFolderStartingWithADotIsDroppedWholeLikeAnyOther) {
    // Only the marker of an earlier step is taken off as a marker.
    EXPECT_EQ(DropFirstFolder("/.x/b/c/"), "/.../b/c/");
    EXPECT_EQ(DropFirstFolder("/.../.local/share/"), "/.../share/");
    EXPECT_EQ(DropFirstFolder("/.../b/c/"), "/.../c/");
    EXPECT_EQ(DropFirstFolder("/"), "");
}
