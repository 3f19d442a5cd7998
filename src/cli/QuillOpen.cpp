#include "cli/QuillOpen.h"

#include "cmarc/ArchiveFile.h"
#include "cmarc/ArchiveOpening.h"
#include "cmarc/ArchiverOptions.h"
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
    TArchiveOpening opening(archive);
    opening.Sink = &sink;
    opening.Attach(plan);
    opening.Interrupted = [] { return QuillInterrupted != 0; };
    std::unique_ptr<TTerminalProgress> progress;
    std::int64_t members = 0;
    std::uint64_t bytes = 0;
    opening.OnStep = [&](std::int32_t state, LPEXTRACTINGINFOEX info, bool&) {
        if (state != QM_ARCEXTRACT_BEGIN || info == nullptr)
            return;
        if (!progress)
            progress = std::make_unique<TTerminalProgress>(Tr("QuillOpen", "展開"));
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
        progress->Step(name, members, 0, bytes);
    };
    try {
        const bool accepted = plan.OpenArchive(path);
        if (progress)
            progress->Finish();
        if (!accepted)
            throw Exception(OpenRefusedText());
    } catch (const EOpenCancelled&) {
        if (progress)
            progress->Finish();
        plan.RemoveWorkFolder();
        opened.Plan.reset();
        opened.Cancelled = true;
        return opened;
    } catch (...) {
        if (progress)
            progress->Finish();
        plan.RemoveWorkFolder();
        throw;
    }
    plan.OnOpenArchive = nullptr;
    plan.OnExtractArchive = nullptr;
    opened.ExtractResult = opening.ExtractResult;
    RequireWorkFolder(plan);

    // The next version of an installed application takes over what the user set for it.
    TInstallList list;
    list.LoadInstalled(GetDataFolder() + InstallListFileName);
    if (const TInstallAppInfo* record = ChooseUpdateTarget(list, plan, true, opened.FolderNote)) {
        opened.UpdateOf = std::make_unique<TInstallAppInfo>();
        opened.UpdateOf->Assign(*record);
        std::string name, version;
        TakeOverUpdate(plan, *opened.UpdateOf, name, version);
        plan.AppName = name;
        plan.Version = version;
    }
    return opened;
}

} // namespace qm
