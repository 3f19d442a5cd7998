#include "cli/QuillOpen.h"

#include "cmarc/ArchiveFile.h"
#include "cmarc/ArchiverOptions.h"
#include "cmarc/BackgroundCheck.h"
#include "model/FileUtils.h"
#include "model/InstallList.h"
#include "model/UpdateTarget.h"
#include "platform/AnsiCodec.h"
#include "platform/Catalogue.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/FileTransfer.h"
#include "platform/TerminalProgress.h"
#include "platform/WinMessage.h"

#include <cstring>

namespace qm {

volatile std::sig_atomic_t QuillInterrupted = 0;

namespace {

struct TCancelled {};

intptr_t IgnoreMessage(void*, unsigned, uintptr_t, intptr_t) {
    return 0;
}

} // namespace

TOpenedArchive::~TOpenedArchive() {
    if (Plan)
        Plan->RemoveWorkFolder();
}

TOpenedArchive OpenArchiveForPlan(const std::string& path) {
    if (!FileExists(path) || GetFileFacts(path).isFolder)
        throw Exception(Args(Tr("QuillOpen", "ファイル \"%1\" が見つかりません。"), path));
    TOpenedArchive opened;
    opened.Plan = std::make_unique<TInstallAppInfo>();
    TInstallAppInfo& plan = *opened.Plan;
    TArchiveFile archive;
    archive.Options = ArcMainOptions();
    QmMessageSink sink{QM_SINK_MAGIC, &IgnoreMessage, nullptr};

    // As the window does: a check that reads the whole stream runs beside the extraction.
    TBackgroundCheck check;
    bool checking = false;
    plan.OnOpenArchive = [&](TInstallAppInfo&, const std::string& name, bool& accepted) {
        archive.SetFileName(name);
        checking = TBackgroundCheck::Worthwhile(archive);
        if (checking) {
            check.Start(archive);
            accepted = true;
        } else {
            accepted = archive.CheckArchive(1, 0) != 0;
        }
    };
    plan.OnExtractArchive = [&](TInstallAppInfo& sender) {
        TTerminalProgress progress(Tr("QuillOpen", "展開"));
        std::int64_t members = 0;
        std::uint64_t bytes = 0;
        archive.OnProgress = [&](TArchiveFile&, std::int32_t state, LPEXTRACTINGINFOEX info,
                                 bool& abort) {
            if (QuillInterrupted || (checking && check.Failed())) {
                abort = true;
                return;
            }
            if (state == QM_ARCEXTRACT_BEGIN && info != nullptr) {
                std::uint32_t size = 0;
                std::memcpy(&size, info->Head, sizeof size);
                ++members;
                bytes += size;
                std::string name;
                try {
                    name = FromAnsi(info->szSourceFileName);
                } catch (const Exception&) {
                    name = info->szSourceFileName;
                }
                progress.Step(name, members, 0, bytes);
            }
        };
        opened.ExtractResult = archive.Extract(&sink, nullptr, TFileArgs{}, sender.WorkFolder());
        archive.OnProgress = nullptr;
        progress.Finish();
        // A break does not wait for the check: it reads the whole stream, which may take long.
        if (QuillInterrupted) {
            if (checking)
                check.Abandon();
            throw TCancelled{};
        }
        if (checking && !check.Passed())
            throw Exception(Tr("QuillOpen", "ファイルが不正か、または非対応のアーカイブです。"));
    };
    try {
        if (!plan.OpenArchive(path))
            throw Exception(Tr("QuillOpen", "ファイルが不正か、または非対応のアーカイブです。"));
    } catch (const TCancelled&) {
        plan.RemoveWorkFolder();
        opened.Plan.reset();
        opened.Cancelled = true;
        return opened;
    } catch (...) {
        plan.RemoveWorkFolder();
        throw;
    }
    plan.OnOpenArchive = nullptr;
    plan.OnExtractArchive = nullptr;
    // Without a working folder nothing was extracted: an empty plan would pass for an empty
    // archive.
    if (plan.WorkFolder().empty())
        throw EWriteError(
            Args(Tr("QuillOpen", "%1 に作業フォルダを作成できません。"), GetDataFolder()));

    // The next version of an installed application takes over what the user set for it.
    TInstallList list;
    list.LoadInstalled(GetDataFolder() + InstallListFileName);
    if (const TInstallAppInfo* record = FindUpdateFor(list, plan)) {
        opened.UpdateOf = std::make_unique<TInstallAppInfo>();
        opened.UpdateOf->Assign(*record);
        TakeOverInstalled(plan.Members, opened.UpdateOf->Members);
        std::string name, version;
        plan.IdentityForUpdate(*opened.UpdateOf, name, version);
        plan.AppName = name;
        plan.Version = version;
    } else {
        plan.KeepOwnFolder(list, opened.FolderNote);
    }
    return opened;
}

} // namespace qm
