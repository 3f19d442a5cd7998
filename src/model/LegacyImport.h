#pragma once
// The one-time import of the legacy database file "Quillmate.dat" from the program's folder into
// the installed-application database, after which the legacy file is moved to a ".bak" name.
//
// The same legacy file is never imported twice. After a successful import its identity (size
// and a 64-bit hash of its bytes) is added to a marker file beside the database; a legacy file
// whose identity is listed there is not imported again, so a move to the backup name that fails
// (a read-only program folder) costs nothing but another move attempt at the next start. The
// whole import runs under the database's exclusive lock, so two instances started at once
// cannot both import it.
#include <functional>
#include <string>

namespace qm {

extern const char* const LegacyDatabaseName; // "Quillmate.dat"
extern const char* const LegacySignature;    // "Quillmate"

class TInstallList;

// Adds the records of a legacy database, given as the file's bytes, to list and returns how
// many; -1 when the bytes are no legacy database. A truncated or damaged file raises EReadError
// (records read before it stay in the list).
int AppendLegacyRecords(const std::string& bytes, TInstallList& list);

// ProgramFolder() + "Quillmate.dat".
std::string LegacyDatabaseFileName();
// databaseFileName + ".imported": the identities of the legacy files already imported.
std::string LegacyImportMarkerName(const std::string& databaseFileName);

enum class TLegacyImportStatus {
    NoFile,          // there was no legacy file: nothing done
    Imported,        // records were added and the database saved
    NoSignature,     // not a legacy database: nothing added, the database saved unchanged
    AlreadyImported, // imported before: the database was left alone
};

struct TLegacyImportResult {
    TLegacyImportStatus Status = TLegacyImportStatus::NoFile;
    int RecordCount = 0;    // records added
    std::string BackupName; // the name the legacy file was to be moved to
    bool Moved = false;     // whether that move succeeded
};

// Moves a file; false when it could not (never raises). The default is MoveFileEntry.
using TFileMover = std::function<bool(const std::string& from, const std::string& to)>;

// Imports legacyFileName into the database at databaseFileName, then moves the legacy file to
// its backup name (Quillmate.bak, else Quillmate_1.bak, Quillmate_2.bak, ...). A read error in
// the legacy file (a truncated file) or in the database raises the stream's error before
// anything is saved or moved: the database stays as it was and the import is tried again at
// the next start.
TLegacyImportResult ImportLegacyDatabase(const std::string& legacyFileName,
                                         const std::string& databaseFileName,
                                         const TFileMover& mover = {});

} // namespace qm
