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
    FArchive = std::make_unique<TArchiveFile>();
    FArchive->Options = archive.Options;
    FArchive->Options.IncludeExtraStreams = false;
    FArchive->SetFileName(archive.FileName());
    FArchive->SetArchiverType(archive.ArchiverType());
    FState = kRunning;
    FThread = std::thread([this] {
        bool passed = false;
        try {
            passed = FArchive->CheckArchive(1, 0) != 0;
        } catch (...) {
            passed = false;
        }
        FState = passed ? kPassed : kFailed;
    });
}

bool TBackgroundCheck::Passed() {
    if (FThread.joinable())
        FThread.join();
    return FState.load() == kPassed;
}

} // namespace qm
