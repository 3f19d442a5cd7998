// The main window's opening of an archive: the file dialog, the check and the extraction with
// its progress dialog, and the plan that replaces the shown one once it is complete.
#include "app/untMain.h"

#include "app/FileListModel.h"
#include "cmarc/ArchiveOpening.h"
#include "cmarc/Archives.h"
#include "dialogs/frmOption.h"
#include "model/FileUtils.h"
#include "model/InstallAppInfo.h"
#include "platform/AnsiCodec.h"
#include "platform/Catalogue.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/SpecialFolders.h"
#include "settings/ConfigKeys.h"
#include "widgets/ShownText.h"
#include "widgets/UiHooks.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QTimer>

namespace qm {

namespace {

// The widest member name the progress dialog shows, in pixels.
const int kMaxMemberLabelWidth = 400;
// How often the progress dialog follows the extraction, and how long an extraction runs before
// the dialog shows (milliseconds).
const qint64 kProgressInterval = 50;
const qint64 kProgressDelay = 300;

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

// --- opening an archive ----------------------------------------------------------------------

QStringList TfrmMain::OpenArchiveFilters() {
    const char* const pairs[][2] = {
        {QT_TRANSLATE_NOOP("qm::TfrmMain", "すべてのアーカイブ"),
         "*.lzh;*.lha;*.lzs;*.zip;*.jar;*.cab;*.arj;*.tar;*.tgz;*.taz;*.gz;*.z;*.bz2;*.cpio;*.rpm;"
         "*.deb;*.rar;*.ish;*.gza;*.bza;*.yz1;*.yz2;*.gca;*.bel;*.7z;*.imp;*.bh;*.noa;*.hki;*.ace;"
         "*.dz;*.ha;*.pma;*.jak;*.exe;"
         // Compressed tar as Linux programs ship it, after the specified patterns.
         "*.xz;*.txz;*.zst;*.tzst;*.lz4;*.lzma;*.tlz;*.lz;*.AppImage"},
        {QT_TRANSLATE_NOOP("qm::TfrmMain", "すべてのファイル(*.*)"), "*"},
        {QT_TRANSLATE_NOOP("qm::TfrmMain", "LZH書庫(*.lzh;*.lha;*.lzs)"), "*.lzh;*.lha;*.lzs"},
        {QT_TRANSLATE_NOOP("qm::TfrmMain", "ZIP書庫(*.zip;*.jar)"), "*.zip;*.jar"},
        {QT_TRANSLATE_NOOP("qm::TfrmMain", "CAB書庫(*.cab)"), "*.cab"},
        {QT_TRANSLATE_NOOP("qm::TfrmMain", "自己解凍書庫(*.exe)"), "*.exe"},
    };
    QStringList filters;
    for (const auto& pair : pairs) {
        // Qt separates patterns with blanks, and names differ in case on this system.
        QStringList patterns;
        for (const QString& p : QString::fromUtf8(pair[1]).split(QLatin1Char(';'))) {
            patterns << p;
            if (p != p.toUpper())
                patterns << p.toUpper();
        }
        filters << QStringLiteral("%1 (%2)").arg(tr(pair[0]), patterns.join(QLatin1Char(' ')));
    }
    return filters;
}

void TfrmMain::actOpenExecute() {
    // The dialog starts where the last archive came from, else in the downloads folder.
    std::string folder =
        FIniMain->ReadString(cfg::LastFolderSection, cfg::LastFolderKey, std::string());
    if (folder.empty() || !FolderExists(folder))
        folder = DownloadFolderPath();
    QFileDialog* dialog = OpenArcDialog();
    if (!folder.empty() && FolderExists(folder))
        dialog->setDirectory(Q(folder));
    const QString fileName = RunOpenFileDialog(*dialog);
    if (fileName.isEmpty())
        return;
    if (OpenArchiveChecked(fileName.toStdString()) && IsUpdate)
        SelectUpdate(FUpdateInfo.get());
}

bool TfrmMain::OpenArchiveChecked(const std::string& fileName) {
    if (FHandOff) {
        // The installer may still be reading the working folder of the open archive.
        ShowMessageBox(this, QMessageBox::Information,
                       tr("インストーラの終了を待っています。終了してから開いてください。"));
        return false;
    }
    if (!OpenArchive(fileName) && !FExtractCancelled)
        throw Exception(Tr("qm::TfrmMain", "ファイルが不正か、または非対応のアーカイブです。"));
    // However it came (the open dialog, the command line, a drop, the wizard), the next open
    // starts in the folder this archive came from.
    if (!FExtractCancelled)
        FIniMain->WriteString(
            cfg::LastFolderSection, cfg::LastFolderKey,
            ExtractFilePath(QFileInfo(Q(fileName)).absoluteFilePath().toStdString()));
    return !FExtractCancelled;
}

std::string TfrmMain::AppNameText() const {
    return edtAppName->text().toStdString();
}

std::string TfrmMain::AppVersionText() const {
    return edtAppVersion->text().toStdString();
}

void TfrmMain::mitOptionClick() {
    TfrmOption dialog(*this, this);
    ExecDialog(dialog);
}

bool TfrmMain::OpenArchive(const std::string& fileName) {
    if (FBusy)
        return false;
    FBusy = true;
    FExtractCancelled = false;
    // The archive opens into a plan of its own, which replaces the window's plan only once it
    // is complete; so a refused, failed or cancelled open leaves the shown plan as it was. A new
    // archive starts from scratch: nothing of the previous one's name, version or record comes
    // along.
    auto plan = std::make_unique<TInstallAppInfo>();
    AttachPlan(*plan);
    FOpening = plan.get();
    const QString caption = windowTitle();

    // Once FillFileList has adopted the new plan the window owns it, and the open counts as
    // done even if something after the list fill fails.
    auto finish = [&](bool failed) {
        const bool adopted = FInstallInfo.get() == FOpening;
        if (adopted)
            (void)plan.release();
        else if (failed) {
            plan->RemoveWorkFolder(); // nothing of a half-extracted archive stays behind
            setWindowTitle(caption);
        }
        FOpening = nullptr;
        FRetiredPlan.reset();
        FBusy = false;
        if (FCloseWhenIdle) {
            FCloseWhenIdle = false;
            QTimer::singleShot(0, this, &QWidget::close);
        }
    };
    bool opened = false;
    FExtractResult = 0;
    try {
        opened = plan->OpenArchive(fileName);
    } catch (const EOpenCancelled&) {
        FExtractCancelled = true;
        finish(true);
        return false;
    } catch (...) {
        finish(true);
        throw;
    }
    finish(!opened);
    // The plan of a downloaded archive is gone once another archive is open.
    if (opened && fileName != FDownloadedFile)
        RemoveDownloaded();
    if (opened && FExtractResult != 0)
        ShowMessageBox(this, QMessageBox::Warning,
                       tr("アーカイブの一部のファイルを展開できませんでした (エラー 0x%1)。"
                          "一覧にないファイルはインストールされません。")
                           .arg(static_cast<quint32>(FExtractResult), 0, 16));
    return opened;
}

void TfrmMain::OpenArchiveFile(TInstallAppInfo& plan, const std::string& path, bool& accepted) {
    accepted = FOpener->Accept(path);
    if (!accepted)
        return;
    setWindowTitle(
        QStringLiteral("%1 - %2").arg(QLatin1String(kCaption), Q(ExtractFileName(path))));
    // The shown plan opening in place (not through OpenArchive) is about to drop its members:
    // the rows must not outlive them.
    if (&plan == FInstallInfo.get() && &plan != FOpening) {
        lvFileModel->Clear();
        UpdateStatusBar();
    }
}

void TfrmMain::ExtractArchiveFile(TInstallAppInfo& plan) {
    QProgressDialog progress(this);
    progress.setObjectName(QStringLiteral("dlgProgress"));
    progress.setWindowTitle(tr("展開"));
    // The label shows member names as they are: a name that looks like markup is no markup.
    auto* label = new QLabel(&progress);
    label->setTextFormat(Qt::PlainText);
    progress.setLabel(label);
    FProgressLabel = label;
    progress.setLabelText(tr("アーカイブを展開しています..."));
    progress.setCancelButtonText(tr("キャンセル"));
    progress.setRange(0, 0);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.hide();
    FProgress = &progress;
    FProgressSteps = 0;
    FExtractCancelled = false;
    QElapsedTimer clock;
    clock.start();
    FProgressStart = 0;
    FProgressShown = -kProgressInterval; // the first step updates the window
    FProgressNamed = false;

    FOpener->Sink = &FHandle;
    FOpener->OnStep = [this, &clock](std::int32_t state, LPEXTRACTINGINFOEX lpEis, bool& abort) {
        FProgressStart = clock.elapsed();
        ExtractProgress(state, lpEis != nullptr ? lpEis->szSourceFileName : nullptr, abort);
    };
    struct Detach {
        TArchiveOpening& opening;
        ~Detach() { opening.OnStep = nullptr; }
    } detach{*FOpener};
    // A library that could not extract everything is reported once the list is shown.
    FOpener->Extract(plan);
    FExtractResult = FOpener->ExtractResult;
}

void TfrmMain::ExtractProgress(int state, const char* memberName, bool& abort) {
    QProgressDialog* dialog = FProgress.data();
    if (dialog == nullptr)
        return;
    ++FProgressSteps;
    // Only the steps of one member name a member; the others name the archive itself.
    const bool memberStep = state == QM_ARCEXTRACT_BEGIN || state == QM_ARCEXTRACT_INPROCESS;
    const bool named = memberStep && memberName != nullptr && memberName[0] != '\0';
    // The library reports every member and every block of data: the window follows at most
    // every kProgressInterval, at the first member and at the end, so an archive of many small
    // files is not slowed down by its own progress display.
    const bool due = FProgressStart - FProgressShown >= kProgressInterval ||
                     state == QM_ARCEXTRACT_END || (named && !FProgressNamed);
    if (due) {
        FProgressShown = FProgressStart;
        if (named) {
            FProgressNamed = true;
            QString name;
            try {
                name = Q(FromAnsi(memberName));
            } catch (const Exception&) {
                name = QString::fromLatin1(memberName);
            }
            // A short extraction finishes before the dialog would only flash.
            if (!dialog->isVisible() && FProgressStart >= kProgressDelay) {
                SetProgressLabel(*dialog, name);
                dialog->show();
            } else if (dialog->isVisible()) {
                SetProgressLabel(*dialog, name);
            } else {
                // Hidden: the text waits in the label, neither shortened nor laid out.
                FProgressLabel->setText(name);
            }
        } else if (!dialog->isVisible() && FProgressStart >= kProgressDelay) {
            SetProgressLabel(*dialog, FProgressLabel->text());
            dialog->show();
        }
    }
    if (TUiHooks::OnProgressStep)
        TUiHooks::OnProgressStep(*dialog, FProgressSteps);
    // The window keeps painting; input reaches only the modal dialog, once it shows.
    if (due)
        QCoreApplication::processEvents(dialog->isVisible() ? QEventLoop::AllEvents
                                                            : QEventLoop::ExcludeUserInputEvents);
    if (dialog->wasCanceled()) {
        FExtractCancelled = true;
        abort = true;
    }
}

void TfrmMain::SetProgressLabel(QProgressDialog& dialog, const QString& name) {
    // The dialog grows with its label: a long name (a deep path) would push it, and its cancel
    // button, off the screen. The name is shortened in the middle instead.
    dialog.setLabelText(
        dialog.fontMetrics().elidedText(ShownText(name), Qt::ElideMiddle, kMaxMemberLabelWidth));
}

} // namespace qm
