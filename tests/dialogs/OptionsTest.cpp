// The options dialog through the settings file, the options command of the main window, and the
// install dialog's values.
#include "DialogTest.h"

#include "app/untMain.h"
#include "dialogs/frmInstall.h"
#include "dialogs/frmOption.h"
#include "widgets/RadioGroup.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

using namespace qm;
using namespace dlgtest;

namespace {

class Options : public DialogTest {};

} // namespace

TEST_F(Options, RoundTripThroughTheSettingsFileWithAnOutOfRangeValue) {
    // A hand-edited file: an overwrite policy no list item names, the wizard switched off.
    qmtest::WriteFile(SettingsFile(), "[Default]\r\nOverWrite=7\r\nBootHelp=1\r\n\r\n"
                                      "[Options]\r\nWizard=0\r\n\r\n");
    {
        TfrmMain main;
        // Cancelled: nothing is written.
        TUiHooks::NextDialogs.push_back([](QDialog& d) {
            auto& o = static_cast<TfrmOption&>(d);
            EXPECT_EQ(o.windowTitle(), "オプションの設定");
            EXPECT_EQ(o.cmbOverWrite->currentIndex(), 1); // the default, not "no selection"
            EXPECT_EQ(o.cmbUpdateMode->currentIndex(), 0);
            EXPECT_TRUE(o.chkBootHelp->isChecked());
            EXPECT_FALSE(o.chkWizard->isChecked());
            o.chkBootApp->setChecked(true);
            o.btnCancel->click();
            return o.result();
        });
        main.mitOption->trigger();
        EXPECT_TRUE(TUiHooks::NextDialogs.empty());
        EXPECT_FALSE(main.iniMain().ValueExists("Default", "BootApp"));

        TUiHooks::NextDialogs.push_back([](QDialog& d) {
            auto& o = static_cast<TfrmOption&>(d);
            o.cmbUpdateMode->setCurrentIndex(2);
            o.cmbConfirm->setCurrentIndex(1);
            o.chkExitApp->setChecked(true);
            o.chkWizard->setChecked(true);
            o.btnOk->click();
            return o.result();
        });
        main.mitOption->trigger();
        // The store has the values at once; the file follows when the program ends.
        EXPECT_EQ(main.iniMain().ReadInteger("Default", "UpdateMode", -1), 2);
    }
    const std::string text = qmtest::ReadFile(SettingsFile());
    EXPECT_NE(text.find("[Default]\r\nOverWrite=1\r\nBootHelp=1\r\nUpdateMode=2\r\n"
                        "ConfirmMode=1\r\nBootApp=0\r\nAutoExit=1\r\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("[Options]\r\nWizard=1\r\n"), std::string::npos) << text;
}

TEST_F(Options, InstallDialogShowsItsValuesAndNeverHandsOnOneOutOfRange) {
    TfrmMain main;
    TfrmInstall dialog(main, &main);
    EXPECT_EQ(dialog.lblAppName->text(), "＊＊＊＊をインストールします。");
    dialog.SetAppName("");
    EXPECT_EQ(dialog.lblAppName->text(), "をインストールします。");
    dialog.SetAppName("<b>Tool</b>");
    EXPECT_EQ(dialog.lblAppName->text(), "<b>Tool</b>をインストールします。");
    EXPECT_EQ(dialog.lblAppName->textFormat(), Qt::PlainText);

    dialog.SetOverWrite(3);
    dialog.SetConfirmMode(1);
    dialog.SetBootApp(true);
    dialog.SetAutoExit(true);
    EXPECT_EQ(dialog.OverWrite(), 3);
    EXPECT_EQ(dialog.cmbOverWrite->currentText(), "バックアップして上書きする");
    EXPECT_EQ(dialog.ConfirmMode(), 1);
    EXPECT_EQ(dialog.cmbUpdateMode->currentText(), "スキップする");
    EXPECT_TRUE(dialog.BootApp());
    EXPECT_FALSE(dialog.BootHelp());
    EXPECT_TRUE(dialog.AutoExit());
    EXPECT_FALSE(dialog.AllUsers());
    dialog.rdgTarget->SetItemIndex(1);
    EXPECT_TRUE(dialog.AllUsers());

    // Stored values outside the lists (7, or the -1 an older options dialog wrote) give the
    // defaults, never the byte 255.
    dialog.SetOverWrite(7);
    dialog.SetConfirmMode(-1);
    EXPECT_EQ(dialog.OverWrite(), 1);
    EXPECT_EQ(dialog.ConfirmMode(), 0);
}
