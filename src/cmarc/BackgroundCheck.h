#pragma once
// The check of an archive that is one compressed stream (tar.gz, tar.xz, tar.zst, ...) reads and
// decompresses all of it. An extraction that read every header to the end has done that check
// already; only one that stopped short needs it, to tell a broken stream from a member it could
// not write. The check runs on a thread of its own through an archive object of its own with no
// events attached, so that the caller can keep its progress going and honour a cancel.
#include "cmarc/ArchiveFile.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>

namespace qm {

class TBackgroundCheck {
public:
    TBackgroundCheck() = default;
    ~TBackgroundCheck();
    TBackgroundCheck(const TBackgroundCheck&) = delete;
    TBackgroundCheck& operator=(const TBackgroundCheck&) = delete;

    // Whether the check of this archive reads the whole stream, so that the extraction stands in
    // for it. Where it is cheap (a ZIP's central directory, 7z and CAB headers, a plain tar) it
    // stays first.
    static bool Worthwhile(const TArchiveFile& archive);

    // Starts the check (mode 1, as before an extraction) of the archive's file with its kind.
    void Start(const TArchiveFile& archive);
    // The check has ended (never blocks).
    bool Done() const { return FShared->State.load() != kRunning; }
    // Waits for the check; true when it passed.
    bool Passed();
    // Leaves a running check to itself (a break: the process ends soon and waits for nothing);
    // what it reads stays alive with it.
    void Abandon();

private:
    static constexpr int kRunning = 0, kPassed = 1, kFailed = 2;
    struct TShared {
        std::unique_ptr<TArchiveFile> Archive;
        std::atomic<int> State{kRunning};
    };
    std::shared_ptr<TShared> FShared = std::make_shared<TShared>();
    std::thread FThread;
};

} // namespace qm
