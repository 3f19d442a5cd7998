#pragma once
// Which format a file is, and the driver for a format.
#include "cmarc/ArchiveCommon.h"

#include <memory>
#include <string>

namespace qm {

class TArchiver;

// By extension (case-insensitive; ".exe" is probed by content), or by content: every archiver
// library is asked in a fixed order and a later recognition overrides an earlier one (LHA
// wins over all). Probing never fails: a missing library or entry only means "not this one".
TArchiverType GetArchiverType(const std::string& fileName, bool byExtension);

// A new driver for the format with its library loaded (raising when the library is missing on
// the format's first use); null for atGCA, atBel, atNone and atAutoDetect, which have none.
std::unique_ptr<TArchiver> CreateArchiver(TArchiverType type);

// Destroys every format's binding and unloads its libraries.
void FreeArchiverDlls();

} // namespace qm
