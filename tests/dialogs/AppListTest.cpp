// The installed-application list and the details dialog over a real database file written by
// the model, with real files in the temporary home.
#include "DialogTest.h"

#include "app/untMain.h"
#include "dialogs/frmAppInfo.h"
#include "dialogs/frmAppList.h"
#include "platform/Exception.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace qm;
using namespace dlgtest;

namespace {

class AppList : public DialogTest {};

// Three applications whose orders differ by every column.
void WriteThreeApps() {
    TInstallList list;
    TInstallAppInfo& b = AddRecord(list, "beta");
    b.Version = "10";
    b.FirstInstallDate = 45000.5; // the newest
    b.LastUpdateDate = 45001.0;
    b.ArchiveName = "b.zip";
    for (int i = 0; i < 10; ++i)
        AddMember(b, "/x/", "f" + std::to_string(i));
    TInstallAppInfo& a = AddRecord(list, "Alpha");
    a.Version = "9";
    a.FirstInstallDate = 40000.25; // the oldest
    a.LastUpdateDate = 45002.0;
    a.ArchiveName = "C.zip";
    for (int i = 0; i < 9; ++i)
        AddMember(a, "/x/", "f" + std::to_string(i));
    TInstallAppInfo& g = AddRecord(list, "gamma");
    g.Version = "1.0";
    g.FirstInstallDate = 42000.0;
    g.LastUpdateDate = 45000.0;
    g.ArchiveName = "a.zip";
    for (int i = 0; i < 100; ++i)
        AddMember(g, "/x/", "f" + std::to_string(i));
    list.SaveToFile(DatabaseFile());
}

} // namespace

TEST_F(AppList, SortsByEveryColumnWithItsOwnComparison) {
    WriteThreeApps();
    TfrmMain main;
    TfrmAppList dialog(main, &main);
    EXPECT_EQ(dialog.windowTitle(), "インストール済みアプリケーションリスト");
    // First shown by name, ASCII letters ignoring case.
    EXPECT_EQ(Column(dialog.lvApp, 0), QStringList({"Alpha", "beta", "gamma"}));
    EXPECT_EQ(Column(dialog.lvApp, 5), QStringList({"9", "10", "100"}));

    const struct {
        int column;
        QStringList names;
    } orders[] = {
        {1, {"gamma", "beta", "Alpha"}}, // versions as texts: "1.0" < "10" < "9"
        {2, {"Alpha", "gamma", "beta"}}, // first installation, oldest first
        {3, {"gamma", "beta", "Alpha"}}, // last update
        {4, {"gamma", "beta", "Alpha"}}, // archive names ignoring case: a, b, C
        {5, {"Alpha", "beta", "gamma"}}, // member counts as numbers: 9, 10, 100
    };
    for (const auto& o : orders) {
        dialog.lvApp->header()->sectionClicked(o.column);
        EXPECT_EQ(dialog.SortColumn(), o.column);
        EXPECT_EQ(Column(dialog.lvApp, 0), o.names) << "column " << o.column;
    }
}

TEST_F(AppList, SelectsOnlyWithASelectedRow) {
    WriteThreeApps();
    TfrmMain main;
    {
        TfrmAppList dialog(main, &main);
        dialog.btnSelectClick();
        dialog.lvAppDblClick();
        EXPECT_EQ(dialog.result(), QDialog::Rejected); // still open, nothing chosen
        EXPECT_EQ(dialog.Selected(), nullptr);

        dialog.lvApp->setCurrentItem(dialog.lvApp->topLevelItem(1));
        ASSERT_NE(dialog.Selected(), nullptr);
        EXPECT_EQ(dialog.Selected()->AppName, "beta");
        dialog.lvAppDblClick();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    {
        // Not selectable: a double-click shows the details of the row instead.
        TfrmAppList dialog(main, &main);
        dialog.SetSelectable(false);
        dialog.lvApp->setCurrentItem(dialog.lvApp->topLevelItem(2));
        QString shown;
        TUiHooks::NextDialogs.push_back([&](QDialog& d) {
            shown = static_cast<TfrmAppInfo&>(d).edtAppName->text();
            return int(QDialog::Rejected);
        });
        dialog.lvAppDblClick();
        EXPECT_EQ(shown, "gamma");
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
}

TEST_F(AppList, DatabaseThatCannotBeReadGivesNoDialog) {
    WriteThreeApps();
    const std::string bytes = qmtest::ReadFile(DatabaseFile());
    qmtest::WriteFile(DatabaseFile(), bytes.substr(0, bytes.size() - 10)); // cut short
    TfrmMain main;
    EXPECT_THROW({ TfrmAppList dialog(main, &main); }, Exception);
    // Nothing of a half-read list was offered, so nothing of it was kept either.
    EXPECT_FALSE(main.iniMain().ValueExists("Cols", "AppList.0"));
}

TEST_F(AppList, KeepsItsColumnWidthsAndLeavesTheMainListAlone) {
    WriteThreeApps();
    TfrmMain main;
    const int mainWidth = main.lvFile->header()->sectionSize(0);
    {
        TfrmAppList dialog(main, &main);
        EXPECT_EQ(dialog.lvApp->header()->sectionSize(0), 150);
        dialog.lvApp->header()->resizeSection(0, 211);
        dialog.lvApp->setCurrentItem(dialog.lvApp->topLevelItem(0));
        TUiHooks::NextDialogs.push_back([](QDialog& d) {
            static_cast<TfrmAppInfo&>(d).lvFile->header()->resizeSection(1, 123);
            return int(QDialog::Rejected);
        });
        dialog.btnDetailClick();
    }
    TfrmAppList again(main, &main);
    EXPECT_EQ(again.lvApp->header()->sectionSize(0), 211);
    TfrmAppInfo details(main, &main);
    EXPECT_EQ(details.lvFile->header()->sectionSize(1), 123);
    EXPECT_EQ(main.lvFile->header()->sectionSize(0), mainWidth);
    EXPECT_EQ(main.iniMain().ReadInteger("Cols", "AppList.0", 0), 211);
    EXPECT_TRUE(main.iniMain().ValueExists("Forms", "frmAppList.left"));
}

TEST_F(AppList, DetailsMarkMissingFilesAndSortBySixtyFourBitSizes) {
    const std::string folder = qmtest::MakeTempFolder("app") + "/";
    qmtest::WriteFile(folder + "small.txt", "x");
    qmtest::WriteFile(folder + "huge.dat", "x");
    TInstallList list;
    TInstallAppInfo& record = AddRecord(list, "Tool");
    record.Version = "2.5";
    record.FirstInstallDate = 45000.0;
    AddMember(record, folder, "huge.dat", 5LL << 30);           // 5 GiB: low 32 bits 1 GiB
    AddMember(record, folder, "small.txt", 2);                  // 2 bytes
    AddMember(record, folder, "gone.dll", (4LL << 30) + 1);     // 4 GiB + 1: low 32 bits 1
    AddMember(record, folder, "setup.ini").SetRole(mrExcluded); // left out

    TfrmMain main;
    TfrmAppInfo details(main, &main);
    details.Show(record);
    EXPECT_EQ(details.edtAppName->text(), "Tool");
    EXPECT_EQ(details.edtVersion->text(), "2.5");
    EXPECT_FALSE(details.lblFirstDateValue->text().isEmpty());
    EXPECT_EQ(Column(details.lvFile, 0), QStringList({"gone.dll", "huge.dat", "small.txt"}));
    EXPECT_EQ(TfrmAppInfo::ImageIndex(details.lvFile->topLevelItem(0)), TfrmAppInfo::imgMissing);
    EXPECT_EQ(TfrmAppInfo::ImageIndex(details.lvFile->topLevelItem(1)), TfrmAppInfo::imgPresent);
    EXPECT_EQ(details.lvFile->topLevelItem(2)->text(1), QString::fromStdString(folder));

    details.lvFileColumnClick(2);
    EXPECT_EQ(Column(details.lvFile, 0), QStringList({"small.txt", "gone.dll", "huge.dat"}));
}
