#pragma once
// Opening an archive from the command line as the window opens it: the check, the extraction
// into a working folder (removed when the plan goes), the plan, the update detection and the
// take-over of what the user set for the installed copy.
#include "model/InstallAppInfo.h"

#include <csignal>
#include <cstdint>
#include <memory>
#include <string>

namespace qm {

// Set by SIGINT and SIGTERM: an extraction stops at the next member.
extern volatile std::sig_atomic_t QuillInterrupted;

struct TOpenedArchive {
    std::unique_ptr<TInstallAppInfo> Plan;
    // The installed application the plan updates (a copy of its record); null for a new install.
    std::unique_ptr<TInstallAppInfo> UpdateOf;
    // The archiver library's result: not 0 when some members could not be extracted.
    std::int32_t ExtractResult = 0;
    bool Cancelled = false;
    // Said when a new install was moved out of another application's folder.
    std::string FolderNote;

    TOpenedArchive() = default;
    TOpenedArchive(TOpenedArchive&&) = default;
    ~TOpenedArchive();
};

// Raises Exception with the message the window shows for an archive that does not open. A
// cancelled extraction gives Cancelled and no plan.
TOpenedArchive OpenArchiveForPlan(const std::string& path);

} // namespace qm
