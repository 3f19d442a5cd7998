// The interface in English: the window, a dialog, Qt's own texts and the core's messages all
// come from the one choice of language.
#include "app/Application.h"
#include "app/FileListModel.h"
#include "app/untMain.h"
#include "dialogs/frmInstall.h"
#include "platform/SystemError.h"
#include "widgets/Language.h"
#include "widgets/UiHooks.h"

#include "Sandbox.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPushButton>

#include <cerrno>

using namespace qm;

TEST(EnglishInterface, TheWindowAndTheInstallDialogSpeakEnglish) {
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "test_gui";
        static char* argv[] = {name, nullptr};
        new TApplication(argc, argv); // never destroyed: Qt's globals may go first at exit
    }
    SetUpInterfaceLanguage(*QCoreApplication::instance(), TLanguage::English);
    struct TBackToJapanese {
        ~TBackToJapanese() {
            SetUpInterfaceLanguage(*QCoreApplication::instance(), TLanguage::Japanese);
        }
    } back;

    TfrmMain w;
    EXPECT_EQ(w.mitFile->title(), "&File");
    EXPECT_EQ(w.actInstall->text(), "&Install...");
    EXPECT_EQ(w.actOpen->toolTip(), "Open");
    EXPECT_EQ(w.lvFileModel->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(),
              "Install Path");
    EXPECT_EQ(w.stbMain->text(), "Files: 0");

    TfrmInstall dialog(w, &w);
    EXPECT_EQ(dialog.windowTitle(), "Install");
    dialog.SetAppName("Tool 1.0");
    EXPECT_EQ(dialog.lblAppName->text(), "Tool 1.0 will be installed.");
    EXPECT_EQ(dialog.cmbOverWrite->itemText(3), "Back up, then overwrite");
    EXPECT_EQ(dialog.btnInstall->text(), "&Install");

    // The help command opens the English guide, where there is one.
    TUiHooks::Reset();
    TUiHooks::Active = true;
    const std::string guide = qmtest::MakeTempFolder("guide") + "/Quillmate";
    qmtest::WriteFile(guide + ".txt", "ja");
    qmtest::WriteFile(guide + ".en.txt", "en");
    w.HelpBaseName = guide;
    w.mitShowHelp->trigger();
    EXPECT_EQ(TUiHooks::OpenedDocuments, QStringList{QString::fromStdString(guide + ".en.txt")});
    TUiHooks::Reset();

    // The core's messages and Qt's formats follow the same choice.
    EXPECT_EQ(SystemErrorText(ENOSPC), "Not enough free disk space");
    EXPECT_EQ(QLocale().language(), QLocale::English);
}
