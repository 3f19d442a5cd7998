#include "cmarc/ArchiveOpening.h"

#include "model/FileUtils.h"
#include "model/InstallList.h"
#include "model/UpdateTarget.h"
#include "platform/Catalogue.h"
#include "platform/FileSystem.h"
#include "platform/FileTransfer.h"

namespace qm {

EOpenCancelled::EOpenCancelled()
    : Exception(Tr("ArchiveOpening", "アーカイブの展開は取り消されました。")) {}

std::string OpenRefusedText() {
    return Tr("ArchiveOpening", "ファイルが不正か、または非対応のアーカイブです。");
}

void TArchiveOpening::Attach(TInstallAppInfo& plan) {
    plan.OnOpenArchive = [this](TInstallAppInfo&, const std::string& path, bool& accepted) {
        accepted = Accept(path);
    };
    plan.OnExtractArchive = [this](TInstallAppInfo& sender) { Extract(sender); };
}

bool TArchiveOpening::Accept(const std::string& path) {
    FArchive.SetFileName(path);
    FCheck.reset();
    if (TBackgroundCheck::Worthwhile(FArchive)) {
        // A check that reads the whole stream runs beside the extraction, which stops when the
        // check fails; the open then fails as a refused archive does.
        FCheck = std::make_unique<TBackgroundCheck>();
        FCheck->Start(FArchive);
        return true;
    }
    return FArchive.CheckArchive(1, 0) != 0;
}

void TArchiveOpening::Extract(TInstallAppInfo& plan) {
    Cancelled = false;
    ExtractResult = 0;
    FArchive.OnProgress = [this](TArchiveFile&, std::int32_t state, LPEXTRACTINGINFOEX info,
                                 bool& abort) {
        if ((FCheck && FCheck->Failed()) || (Interrupted && Interrupted())) {
            abort = true;
            return;
        }
        if (OnStep) {
            OnStep(state, info, abort);
            if (abort)
                Cancelled = true;
        }
    };
    struct Detach {
        TArchiveFile& arc;
        ~Detach() { arc.OnProgress = nullptr; }
    } detach{FArchive};
    // What was extracted is what the plan lists; a library that could not extract everything
    // (a damaged member, a name it refused to write) leaves its result for the front end.
    ExtractResult = FArchive.Extract(Sink, nullptr, TFileArgs{nullptr}, plan.WorkFolder());
    std::unique_ptr<TBackgroundCheck> check = std::move(FCheck);
    if (Interrupted && Interrupted())
        Cancelled = true;
    if (Cancelled) {
        // A break does not wait for the check: it reads the whole stream, which may take long.
        if (check)
            check->Abandon();
        plan.RemoveWorkFolder(); // nothing of a half-extracted archive stays behind
        throw EOpenCancelled();
    }
    if (check && !check->Passed()) {
        plan.RemoveWorkFolder(); // nothing of a refused archive stays behind
        throw Exception(OpenRefusedText());
    }
}

void RequireWorkFolder(const TInstallAppInfo& plan) {
    if (plan.WorkFolder().empty())
        throw EWriteError(
            Args(Tr("ArchiveOpening", "%1 に作業フォルダを作成できません。"), GetDataFolder()));
}

TInstallAppInfo* ChooseUpdateTarget(TInstallList& list, TInstallAppInfo& plan, bool newArchive,
                                    std::string& note) {
    note.clear();
    TInstallAppInfo* target = FindUpdateFor(list, plan);
    // A new install gets a folder no other application has.
    if (target == nullptr && newArchive)
        plan.KeepOwnFolder(list, note);
    return target;
}

} // namespace qm
