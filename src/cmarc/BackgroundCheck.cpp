#include "cmarc/BackgroundCheck.h"

namespace qm {

TBackgroundCheck::~TBackgroundCheck() {
    if (FThread.joinable())
        FThread.join();
}

bool TBackgroundCheck::Worthwhile(const TArchiveFile& archive) {
    return archive.ArchiverType() == atTgz || archive.ArchiverType() == atBZ2;
}

void TBackgroundCheck::Start(const TArchiveFile& archive) {
    // The archive object (and its library) is made here, on the caller's thread; only the check
    // itself runs on the other. No events: nothing of the library's shared hooks is touched.
    FShared = std::make_shared<TShared>();
    FShared->Archive = std::make_unique<TArchiveFile>();
    TArchiveFile& check = *FShared->Archive;
    check.Options = archive.Options;
    check.Options.IncludeExtraStreams = false;
    check.SetFileName(archive.FileName());
    check.SetArchiverType(archive.ArchiverType());
    FThread = std::thread([shared = FShared] {
        bool passed = false;
        try {
            passed = shared->Archive->CheckArchive(1, 0) != 0;
        } catch (...) {
            passed = false;
        }
        shared->State = passed ? kPassed : kFailed;
    });
}

bool TBackgroundCheck::Passed() {
    if (FThread.joinable())
        FThread.join();
    return FShared->State.load() == kPassed;
}

void TBackgroundCheck::Abandon() {
    if (FThread.joinable())
        FThread.detach();
}

} // namespace qm
