// The interface in both languages: in English the window, a dialog, Qt's own texts and the
// core's messages all come from the one choice of language; and every window holds its texts
// whole in either language, no caption, label or choice cut by a layout too narrow for it. With
// QMTEST_SHOTS=folder set, each window is also saved as a picture there, to look at.
#include "widgets/Language.h"
#include "app/Application.h"
#include "app/FileListModel.h"
#include "app/untMain.h"
#include "dialogs/frmAppInfo.h"
#include "dialogs/frmAppList.h"
#include "dialogs/frmConvert.h"
#include "dialogs/frmEditPath.h"
#include "dialogs/frmInstall.h"
#include "dialogs/frmInstallPath.h"
#include "dialogs/frmOption.h"
#include "dialogs/frmSelUpdate.h"
#include "dialogs/frmShortcut.h"
#include "dialogs/frmUninstall.h"
#include "dialogs/frmWizard.h"
#include "platform/SystemError.h"
#include "widgets/AboutBox.h"
#include "widgets/UiHooks.h"

#include "GuiTestApp.h"
#include "Sandbox.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolButton>

#include <cerrno>
#include <cstdlib>

using namespace qm;

namespace {

// The texts of a shown window that do not fit their widgets.
QStringList CutTexts(QWidget* window, const QString& name) {
    window->show();
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    if (const char* shots = std::getenv("QMTEST_SHOTS"))
        window->grab().save(QString::fromUtf8(shots) + QLatin1Char('/') + name + ".png");
    QStringList cut;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window))
            continue;
        QString text;
        int needed = 0;
        if (auto* label = qobject_cast<QLabel*>(w)) {
            if (label->wordWrap())
                continue;
            text = label->text();
            needed = label->sizeHint().width();
        } else if (qobject_cast<QToolButton*>(w) != nullptr) {
            continue; // the toolbar shows images; its texts are tips
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            text = button->text();
            needed = button->sizeHint().width();
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            text = combo->currentText();
            needed = combo->minimumSizeHint().width();
        } else {
            continue;
        }
        if (!text.isEmpty() && w->width() < needed)
            cut << QStringLiteral("%1 %2 \"%3\" (%4 < %5)")
                       .arg(name, w->objectName(), text)
                       .arg(w->width())
                       .arg(needed);
    }
    window->hide();
    return cut;
}

} // namespace

TEST(Layouts, EveryWindowHoldsItsTextsInBothLanguages) {
    qmtest::GuiApp();
    QStringList cut;
    for (const TLanguage language : {TLanguage::Japanese, TLanguage::English}) {
        SetUpInterfaceLanguage(*QCoreApplication::instance(), language);
        const QString p = QString::fromUtf8(LanguageCode(language)) + QLatin1Char('-');
        TfrmMain w;
        w.resize(640, 400);
        cut << CutTexts(&w, p + "main");
        {
            TfrmInstall d(w, &w);
            d.SetAppName("Some Application 1.2");
            d.chkCommand->setVisible(true);
            cut << CutTexts(&d, p + "install");
        }
        {
            TfrmOption d(w, &w);
            for (int i = 0; i < d.pgcOpt->count(); ++i) {
                d.pgcOpt->setCurrentIndex(i);
                cut << CutTexts(&d, p + "options" + QString::number(i));
            }
        }
        {
            TfrmWizard d(w, &w);
            for (int i = 0; i < d.pgcWiz->count(); ++i) {
                d.pgcWiz->setCurrentIndex(i);
                cut << CutTexts(&d, p + "wizard" + QString::number(i));
            }
        }
        {
            TfrmShortcut d(&w);
            cut << CutTexts(&d, p + "shortcut");
        }
        {
            TfrmEditPath d(&w);
            cut << CutTexts(&d, p + "editpath");
        }
        {
            TfrmInstallPath d(&w);
            cut << CutTexts(&d, p + "installpath");
        }
        {
            TfrmAppList d(w, &w);
            cut << CutTexts(&d, p + "applist");
        }
        {
            TfrmAppInfo d(w, &w);
            cut << CutTexts(&d, p + "appinfo");
        }
        {
            TfrmUninstall d(w, &w);
            cut << CutTexts(&d, p + "uninstall");
        }
        {
            TfrmSelUpdate d(w, &w);
            cut << CutTexts(&d, p + "selupdate");
        }
        {
            TfrmConvert d(&w);
            cut << CutTexts(&d, p + "convert");
        }
        {
            TAboutBox d(&w);
            d.SetProductName("Quillmate");
            d.SetVersion("0.1.0");
            cut << CutTexts(&d, p + "about");
        }
    }
    SetUpInterfaceLanguage(*QCoreApplication::instance(), TLanguage::Japanese);
    EXPECT_TRUE(cut.isEmpty()) << cut.join(QLatin1Char('\n')).toStdString();
}

TEST(EnglishInterface, TheWindowAndTheInstallDialogSpeakEnglish) {
    qmtest::GuiApp();
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
    EXPECT_EQ(w.stbMain->text(), "Open an archive (Ctrl+O) or drop one here.");

    TfrmInstall dialog(w, &w);
    EXPECT_EQ(dialog.windowTitle(), "Install");
    dialog.SetAppName("Tool 1.0");
    EXPECT_EQ(dialog.lblAppName->text(), "Tool 1.0 will be installed.");
    EXPECT_EQ(dialog.cmbOverWrite->itemText(3), "Back up, then overwrite");
    EXPECT_EQ(dialog.btnInstall->text(), "&Install");
    // Words of this platform: the application menu, not a start menu.
    TfrmWizard wizard(w, &w);
    EXPECT_EQ(wizard.chkAddStartMenu->text(), "Add to the application menu");

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
