// The uninstall dialog over a real install in the temporary home: recorded files, files added
// afterwards, deleted files, folders and their subfolders, and the paths it hands on.
#include "DialogTest.h"

#include "app/untMain.h"
#include "dialogs/frmAppList.h"
#include "dialogs/frmUninstall.h"
#include "platform/Exception.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include <vector>

using namespace qm;
using namespace dlgtest;

namespace {

// An application installed into <home>/opt/Tool/ and <home>/opt/Tool/bin/, with what happened
// to it since: readme.txt deleted, settings.ini and Tool.EXE (a name that differs from a
// recorded one only in case) added, data/cache/ made two levels down. opt/ above the install
// folders holds a file of its own.
class Uninstall : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        opt = qmtest::MakeTempFolder("opt") + "/";
        tool = opt + "Tool/";
        qmtest::WriteFile(opt + "other.txt", "not ours");
        qmtest::WriteFile(tool + "tool.exe", "exe");
        qmtest::WriteFile(tool + "bin/helper.dll", "dll");
        qmtest::WriteFile(tool + "settings.ini", "[s]");
        qmtest::WriteFile(tool + "Tool.EXE", "another file");
        qmtest::WriteFile(tool + "data/cache/x.bin", "x");
        TInstallList list;
        AddRecord(list, "Other");
        TInstallAppInfo& record = AddRecord(list, "Tool");
        record.LastUpdateDate = 45000.5;
        AddMember(record, tool, "tool.exe");
        AddMember(record, tool, "readme.txt");
        AddMember(record, tool + "bin/", "helper.dll");
        AddMember(record, tool, "skipped.dat").SetRole(mrExcluded);
        toolId = record.AppId;
        list.SaveToFile(DatabaseFile());
    }

    // The rows as "name|kind|folder|checked".
    static QStringList Rows(const TfrmUninstall& dialog) {
        QStringList rows;
        for (int i = 0; i < dialog.lvFile->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* row = dialog.lvFile->topLevelItem(i);
            rows << QStringLiteral("%1|%2|%3|%4")
                        .arg(row->text(0), row->text(1), row->text(2))
                        .arg(row->checkState(0) == Qt::Checked ? 1 : 0);
        }
        return rows;
    }

    QString Q(const std::string& s) const { return QString::fromStdString(s); }

    std::string opt;
    std::string tool;
    std::int32_t toolId = 0;
};

} // namespace

TEST_F(Uninstall, ListsRecordedFilesOtherFilesAndFoldersInThatOrder) {
    TfrmMain main;
    TfrmUninstall dialog(main, &main);
    EXPECT_EQ(dialog.lblDate->text(), "最終インストール日時： 0000/00/00 00:00:00");
    EXPECT_EQ(dialog.lvFile->topLevelItemCount(), 0);
    dialog.LoadAppById(toolId);

    EXPECT_EQ(dialog.edtAppName->text(), "Tool");
    EXPECT_TRUE(dialog.lblDate->text().startsWith("最終インストール日時： "));
    EXPECT_NE(dialog.lblDate->text(), "最終インストール日時： 0000/00/00 00:00:00");
    EXPECT_EQ(dialog.UninstallInfo().AppName, "Tool");
    const QString t = Q(tool);
    EXPECT_EQ(Rows(dialog), QStringList({
                                // recorded files, checked where they still exist
                                "tool.exe|ファイル|" + t + "|1",
                                "readme.txt|ファイル|" + t + "|0",
                                "helper.dll|ファイル|" + t + "bin/|1",
                                // files found now
                                "Tool.EXE|ファイル|" + t + "|0",
                                "settings.ini|ファイル|" + t + "|0",
                                // the install folders, then their immediate subfolders
                                "Tool|フォルダ|" + Q(opt) + "|0",
                                "bin|フォルダ|" + t + "|0",
                                "data|フォルダ|" + t + "|0",
                            }));
}

TEST_F(Uninstall, HandsOnTheCheckedFilesAndFoldersAfterTheQuestion) {
    TfrmMain main;
    TfrmUninstall dialog(main, &main);
    dialog.LoadAppById(toolId);
    // Check the data folder through the pop-up menu: select its row, check it.
    QTreeWidgetItem* data = dialog.lvFile->topLevelItem(7);
    ASSERT_EQ(data->text(0), "data");
    data->setSelected(true);
    dialog.pmitCheck->trigger();

    // Declined: the dialog stays as it was.
    TUiHooks::NextAnswers.push_back(QMessageBox::No);
    dialog.btnUninstall->click();
    EXPECT_EQ(TUiHooks::Messages, QStringList({"アンインストールを開始してよろしいですか？"}));
    EXPECT_TRUE(dialog.Targets().empty());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);

    TUiHooks::NextAnswers.push_back(QMessageBox::Yes);
    dialog.btnUninstall->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Targets(), std::vector<std::string>(
                                    {tool + "tool.exe", tool + "bin/helper.dll", tool + "data/"}));

    // After sorting, the paths follow the rows as shown.
    dialog.lvFileColumnClick(0);
    TUiHooks::NextAnswers.push_back(QMessageBox::Yes);
    dialog.btnUninstallClick();
    EXPECT_EQ(dialog.Targets(), std::vector<std::string>(
                                    {tool + "data/", tool + "bin/helper.dll", tool + "tool.exe"}));
}

TEST_F(Uninstall, NothingCheckedStartsNothing) {
    TfrmMain main;
    TfrmUninstall dialog(main, &main);
    dialog.LoadAppById(toolId);
    dialog.pmitSelectAllClick();
    dialog.pmitUncheckClick();
    dialog.btnUninstallClick();
    // Told, not asked: there is nothing to confirm.
    ASSERT_EQ(TUiHooks::Messages.size(), 1);
    EXPECT_NE(TUiHooks::Messages[0], "アンインストールを開始してよろしいですか？");
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(dialog.Targets().empty());
}

TEST_F(Uninstall, PopupMenuChecksAndSelects) {
    TfrmMain main;
    TfrmUninstall dialog(main, &main);
    dialog.LoadAppById(toolId);
    const int count = dialog.lvFile->topLevelItemCount();
    dialog.lvFile->topLevelItem(0)->setSelected(true);
    dialog.lvFile->topLevelItem(1)->setSelected(true);
    dialog.pmitRevCheckClick(); // tool.exe off, readme.txt on
    EXPECT_EQ(dialog.lvFile->topLevelItem(0)->checkState(0), Qt::Unchecked);
    EXPECT_EQ(dialog.lvFile->topLevelItem(1)->checkState(0), Qt::Checked);
    dialog.pmitRevSelectClick();
    EXPECT_EQ(dialog.lvFile->selectedItems().size(), count - 2);
    EXPECT_FALSE(dialog.lvFile->topLevelItem(0)->isSelected());
    dialog.pmitClearSelectClick();
    EXPECT_TRUE(dialog.lvFile->selectedItems().isEmpty());
    EXPECT_EQ(dialog.ppmFile->actions().size(), 7); // with its separator
}

TEST_F(Uninstall, UnknownIdentifierIsAnErrorAndChangingTargetUsesTheList) {
    TfrmMain main;
    TfrmUninstall dialog(main, &main);
    EXPECT_THROW(dialog.LoadAppById(toolId + 100), Exception);
    EXPECT_EQ(dialog.lvFile->topLevelItemCount(), 0);
    EXPECT_TRUE(dialog.edtAppName->text().isEmpty());

    // The target button picks another application from the list.
    EXPECT_TRUE(dialog.CanChangeTarget());
    TUiHooks::NextDialogs.push_back([](QDialog& d) {
        auto& list = static_cast<TfrmAppList&>(d);
        list.lvApp->setCurrentItem(list.lvApp->topLevelItem(1)); // "Tool", sorted by name
        list.btnSelectClick();
        return d.result();
    });
    dialog.btnChangeTarget->click();
    EXPECT_EQ(dialog.edtAppName->text(), "Tool");
    EXPECT_EQ(dialog.UninstallInfo().AppId, toolId);
    dialog.SetCanChangeTarget(false);
    EXPECT_FALSE(dialog.btnChangeTarget->isEnabled());
}

TEST_F(Uninstall, DamagedRecordNeverChecksAPathOutsideItsFolder) {
    TInstallAppInfo record;
    record.AppName = "Bad";
    AddMember(record, tool, "../other.txt");      // climbs out of the folder
    AddMember(record, tool + "../", "other.txt"); // so does the folder
    AddMember(record, "Tool/", "tool.exe");       // relative to wherever we are
    TfrmMain main;
    TfrmUninstall dialog(main, &main);
    dialog.LoadApp(record);
    ASSERT_EQ(dialog.lvFile->topLevelItemCount(), 3); // listed, no folder looked into
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(dialog.lvFile->topLevelItem(i)->checkState(0), Qt::Unchecked) << i;
}
