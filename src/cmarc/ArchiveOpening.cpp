#include "cmarc/ArchiveOpening.h"

#include "model/FileUtils.h"
#include "model/InstallList.h"
#include "model/UpdateTarget.h"
#include "platform/Catalogue.h"
#include "platform/FileSystem.h"
#include "platform/FileTransfer.h"

#include <chrono>
#include <thread>

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
    // A check that reads the whole stream would decompress it once more than the extraction:
    // the extraction stands in for it, and the check follows only one that stopped short.
    FCheckAfter = TBackgroundCheck::Worthwhile(FArchive);
    return FCheckAfter || FArchive.CheckArchive(1, 0) != 0;
}

void TArchiveOpening::Extract(TInstallAppInfo& plan) {
    Cancelled = false;
    FRefused = false;
    ExtractResult = 0;
    FArchive.OnProgress = [this](TArchiveFile&, std::int32_t state, LPEXTRACTINGINFOEX info,
                                 bool& abort) {
        if (Interrupted && Interrupted()) {
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
    if (Interrupted && Interrupted())
        Cancelled = true;
    // An extraction without an error read every header to the end: the check has nothing to add.
    if (!Cancelled && FCheckAfter && ExtractResult != 0 && !CheckStoppedExtraction())
        Cancelled = true;
    if (Cancelled) {
        plan.RemoveWorkFolder(); // nothing of a half-extracted archive stays behind
        throw EOpenCancelled();
    }
    if (FRefused) {
        plan.RemoveWorkFolder(); // nothing of a refused archive stays behind
        throw Exception(OpenRefusedText());
    }
}

bool TArchiveOpening::CheckStoppedExtraction() {
    // The check reads the stream again; the front end's progress goes on and may cancel it. A
    // cancel does not wait for it: the process ends soon and waits for nothing.
    TBackgroundCheck check;
    check.Start(FArchive);
    while (!check.Done()) {
        bool abort = false;
        if (OnStep)
            OnStep(QM_ARCEXTRACT_INPROCESS, nullptr, abort);
        if (abort || (Interrupted && Interrupted())) {
            check.Abandon();
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    FRefused = !check.Passed();
    return true;
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
