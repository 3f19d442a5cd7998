#pragma once
// Opening an archive into a plan, the same for the window and the command line: the check of
// the archive (the extraction itself when the check would read the whole stream), the extraction
// into the plan's working folder with a step for the front end's progress, and the choice of the
// installed application the opened plan updates. The front ends only show what happens.
#include "cmarc/ArchiveFile.h"
#include "cmarc/BackgroundCheck.h"
#include "model/InstallAppInfo.h"
#include "platform/Exception.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace qm {

class TInstallList;

// The extraction was cancelled: the open stops before a plan is made of a half-extracted folder.
struct EOpenCancelled : Exception {
    EOpenCancelled();
};

// An archive that did not pass its check; the message every front end shows.
std::string OpenRefusedText();

class TArchiveOpening {
public:
    explicit TArchiveOpening(TArchiveFile& archive) : FArchive(archive) {}

    // Each progress step of the extraction (the library's state and what it says of the member,
    // or null); setting abort cancels the open.
    std::function<void(std::int32_t state, LPEXTRACTINGINFOEX info, bool& abort)> OnStep;
    // Whether the front end wants the open to stop, asked at each step before OnStep.
    std::function<bool()> Interrupted;
    // The library's result of the extraction: not 0 when some members could not be extracted.
    std::int32_t ExtractResult = 0;
    bool Cancelled = false;
    // Messages of the archiver library go here (a dialog of the window, or nowhere).
    QmMessageSink* Sink = nullptr;

    // Hooks the plan's open and extract events to this opening.
    void Attach(TInstallAppInfo& plan);
    // The check before the extraction: false refuses the archive.
    bool Accept(const std::string& path);
    // Extracts into the plan's working folder. Raises EOpenCancelled when cancelled and the
    // refusal when the check after an extraction that stopped short failed; either way the
    // working folder is removed.
    void Extract(TInstallAppInfo& plan);

private:
    // The check after an extraction of a whole-stream archive that did not finish cleanly; false
    // when the front end cancelled it, else FRefused tells its answer.
    bool CheckStoppedExtraction();

    TArchiveFile& FArchive;
    bool FCheckAfter = false;
    bool FRefused = false;
};

// A plan without a working folder extracted nothing: an empty list would pass for an empty
// archive. Raises the error that says the data folder could not take it.
void RequireWorkFolder(const TInstallAppInfo& plan);

// The installed application an opened plan updates, or null. For a new install of an archive
// just opened (newArchive) the plan is moved out of another application's folder, and note says
// so.
TInstallAppInfo* ChooseUpdateTarget(TInstallList& list, TInstallAppInfo& plan, bool newArchive,
                                    std::string& note);

} // namespace qm
