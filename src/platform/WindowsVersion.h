#pragma once
// The operating system version as the program's version tests see it. On POSIX it reports 6.x
// (per-user settings, shields, task-dialog style messages); tests inject any other version.
#include <optional>

namespace qm {

struct OsVersion {
    unsigned major = 6;
    unsigned minor = 1;
    bool ntPlatform = true;
};

OsVersion GetOsVersion();
// Replaces the reported version until called again with nothing.
void SetOsVersionOverride(std::optional<OsVersion> version);

} // namespace qm
