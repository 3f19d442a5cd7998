// The main window's sources: opening a URL or a forge release (typed, or dropped from a
// browser), the download with its progress and its verification, the source kept once the
// install has its ID, the list of installed applications with their latest versions, and the
// check at start.
#include "app/untMain.h"

#include "app/Busy.h"
#include "dialogs/frmAppList.h"
#include "model/FileUtils.h"
#include "model/InstallAppInfo.h"
#include "model/InstallList.h"
#include "net/SourceCheck.h"
#include "platform/Catalogue.h"
#include "platform/Exception.h"
#include "platform/FileTransfer.h"
#include "platform/TerminalProgress.h"
#include "settings/ConfigKeys.h"
#include "widgets/ShownText.h"
#include "widgets/UiHooks.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QLabel>
#include <QPointer>
#include <QProgressDialog>
#include <QTimer>

#include <thread>
#include <unistd.h>

namespace qm {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// "12.3 MB of 40.0 MB, 2.1 MB/s, 15 s left".
QString ProgressText(std::uint64_t done, std::uint64_t total, double seconds) {
    const double rate = seconds > 0.2 ? done / seconds : 0;
    QString text = total > 0 ? QCoreApplication::translate("qm::TfrmMain", "%1 / %2")
                                   .arg(Q(ByteText(done)), Q(ByteText(total)))
                             : Q(ByteText(done));
    if (rate > 0)
        text += QStringLiteral(", %1/s").arg(Q(ByteText(static_cast<std::uint64_t>(rate))));
    if (rate > 0 && total > done)
        text += QCoreApplication::translate("qm::TfrmMain", ", 残り %1 秒")
                    .arg(static_cast<qint64>((total - done) / rate) + 1);
    return text;
}

} // namespace

void TfrmMain::mitOpenUrlClick() {
    bool ok = false;
    const QString text = QInputDialog::getText(
        this, tr("URL を開く"), tr("アーカイブの URL (https)、または github:OWNER/REPO[@TAG]:"),
        QLineEdit::Normal, QString(), &ok);
    if (!ok || text.trimmed().isEmpty())
        return;
    OpenSourceText(text.trimmed().toStdString());
}

bool TfrmMain::OpenSourceText(const std::string& given) {
    TAppSource source;
    std::string why;
    if (!ParseSourceText(given, source, why)) {
        ShowMessageBox(this, QMessageBox::Warning, Q(why));
        return false;
    }
    TLatest latest;
    {
        TWaitCursor wait;
        latest = CheckSource(source, std::string());
    }
    if (!latest.Ok) {
        ShowMessageBox(this, QMessageBox::Warning, Q(latest.Error));
        return false;
    }
    return OpenLatest(latest);
}

bool TfrmMain::OpenLatest(const TLatest& latest) {
    if (FHandOff || FBusy)
        return false;
    QProgressDialog progress(this);
    progress.setObjectName(QStringLiteral("dlgDownload"));
    progress.setWindowTitle(tr("ダウンロード"));
    progress.setLabelText(ShownText(latest.FileName));
    progress.setCancelButtonText(tr("キャンセル"));
    progress.setRange(0, 0);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    QElapsedTimer clock;
    clock.start();
    qint64 shown = -1000;
    const TDownloaded got = DownloadLatest(
        latest, DownloadsFolderPath(), std::string(), [&](std::uint64_t done, std::uint64_t total) {
            if (clock.elapsed() - shown >= 100) {
                shown = clock.elapsed();
                if (total > 0 && total < (std::uint64_t(1) << 62)) {
                    progress.setMaximum(1000);
                    progress.setValue(static_cast<int>(done * 1000 / total));
                }
                progress.setLabelText(ShownText(latest.FileName) + QLatin1Char('\n') +
                                      ProgressText(done, total, clock.elapsed() / 1000.0));
                if (TUiHooks::OnProgressStep)
                    TUiHooks::OnProgressStep(progress, static_cast<int>(done));
                QCoreApplication::processEvents();
            }
            return !progress.wasCanceled();
        });
    progress.close();
    if (got.Cancelled)
        return false;
    if (!got.Ok) {
        ShowMessageBox(this, QMessageBox::Warning, Q(got.Error));
        return false;
    }
    RemoveDownloaded();
    FDownloadedFile = got.File;
    bool opened = false;
    try {
        opened = OpenArchiveChecked(got.File);
    } catch (const Exception& e) {
        RemoveDownloaded();
        ShowMessageBox(this, QMessageBox::Critical, Q(e.Message()));
        return false;
    }
    if (!opened) {
        RemoveDownloaded();
        return false;
    }
    FPendingSource = SourceAfterDownload(latest, got);
    FHasPendingSource = true;
    // The plan says where the archive came from and whether it was verified.
    lblUpdate->setText(lblUpdate->text() + QLatin1Char('\n') +
                       (got.Verified.empty()
                            ? tr("検証なし: 配布元はこのファイルのチェックサムを公開していません。")
                            : tr("検証済み: %1").arg(Q(got.Verified))));
    if (IsUpdate)
        SelectUpdate(FUpdateInfo.get());
    return true;
}

void TfrmMain::RemoveDownloaded() {
    if (FDownloadedFile.empty())
        return;
    RemoveFileEntry(FDownloadedFile);
    ::rmdir(ExtractFilePath(FDownloadedFile).c_str());
    FDownloadedFile.clear();
    FHasPendingSource = false;
}

void TfrmMain::KeepSourceOfInstall(std::int32_t id, bool allUsers) {
    const bool downloaded = FHasPendingSource && FInstallInfo->ArchiveName == FDownloadedFile;
    KeepSourceAfterInstall(id, allUsers, downloaded ? &FPendingSource : nullptr,
                           FInstallInfo->ArchiveName);
}

void TfrmMain::mitAppListClick() {
    std::unique_ptr<TfrmAppList> list;
    try {
        list = std::make_unique<TfrmAppList>(*this, this);
    } catch (const Exception& e) {
        ShowMessageBox(this, QMessageBox::Critical, Q(e.Message()));
        return;
    }
    list->SetSelectable(false);
    list->SetLatest(FLatest);
    if (ExecDialog(*list) != TfrmAppList::UpdateChosen)
        return;
    const TLatest latest = list->ChosenLatest();
    FLatest = list->Latest();
    list.reset();
    OpenLatest(latest);
}

void TfrmMain::CheckSourcesAtStart() {
    if (!ReadConfigBool(*FIniMain, cfg::CheckUpdates))
        return;
    const std::string today = QDate::currentDate().toString(Qt::ISODate).toStdString();
    if (FIniMain->ReadString(cfg::CheckUpdates.Section, cfg::LastCheckKey, std::string()) == today)
        return;
    FIniMain->WriteString(cfg::CheckUpdates.Section, cfg::LastCheckKey, today);
    // Only applications with a source are asked about; none means no request at all.
    std::vector<TSourceCheckItem> items;
    try {
        TInstallList list;
        list.LoadInstalled(ListFileName);
        for (int i = 0; i < list.Count(); ++i) {
            const TInstallAppInfo& r = list.Items(i);
            TSourceCheckItem item{r.AppId,
                                  r.AllUsers,
                                  r.AppName,
                                  r.Version,
                                  LoadSource(GetDataFolder(), r.AppId, r.AllUsers),
                                  TLatest()};
            if (!item.Source.Empty())
                items.push_back(std::move(item));
        }
    } catch (const Exception&) {
        return;
    }
    if (items.empty())
        return;
    // The checks run beside the window; their result comes back through the event loop.
    QPointer<TfrmMain> self(this);
    std::thread([self, items]() mutable {
        for (TSourceCheckItem& item : items)
            item.Latest = CheckSource(item.Source, item.Version.empty() ? "?" : item.Version);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, items] {
                if (self)
                    self->SourcesChecked(items);
            },
            Qt::QueuedConnection);
    }).detach();
}

void TfrmMain::SourcesChecked(const std::vector<TSourceCheckItem>& items) {
    QStringList newer, failed;
    for (const TSourceCheckItem& item : items) {
        FLatest[{item.AppId, item.AllUsers}] = item.Latest;
        if (!item.Latest.Ok)
            failed << ShownText(item.Name);
        else if (item.Latest.Newer)
            newer << ShownText(item.Name) + QLatin1Char(' ') + Q(item.Latest.Version);
    }
    // Said quietly in the status bar, never in a box that interrupts.
    QString note;
    if (!newer.isEmpty())
        note = tr("新しいバージョンがあります: %1 (ツール → インストール済みアプリケーション)")
                   .arg(newer.join(QStringLiteral(", ")));
    if (!failed.isEmpty())
        note += (note.isEmpty() ? QString() : QStringLiteral("  ")) +
                tr("確認できませんでした: %1").arg(failed.join(QStringLiteral(", ")));
    if (!note.isEmpty())
        stbMain->setText(note);
}

} // namespace qm
