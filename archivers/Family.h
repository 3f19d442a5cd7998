#pragma once
// The archive families the library answers for, and how each one opens an archive through
// libarchive: which formats it accepts and in which charset unflagged names are stored.
#include "archiver_abi.h"

#include <cstdint>
#include <locale.h>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

struct archive;
struct archive_entry;

namespace qm::arc {

class LhaReader;

enum class Family { Lha, Zip, Cab, Tar, Rar, SevenZip };

// What the program set for one family: the owner window for progress messages and the
// enumeration callback. Kept per family because the family names are links to one file, so
// every family shares this library's globals.
struct FamilyState {
    QM_HWND owner = nullptr;
    QM_ARCHIVERPROC ownerProc = nullptr;
    QM_ENUMMEMBERPROC64 enumProc = nullptr;
};

// A copy of the family's state, taken at the start of a command.
FamilyState GetFamilyState(Family family);
void UpdateFamilyState(Family family, const FamilyState& state);

// Name of the family for logs ("LHA", "ZIP", ...).
const char* FamilyName(Family family);

// Runs the caller's thread with a UTF-8 C locale while it lives, so libarchive converts names
// to UTF-8 whatever locale the host program chose; the process locale is left alone.
class Utf8LocaleScope {
public:
    Utf8LocaleScope();
    ~Utf8LocaleScope();
    Utf8LocaleScope(const Utf8LocaleScope&) = delete;
    Utf8LocaleScope& operator=(const Utf8LocaleScope&) = delete;

private:
    locale_t previous_ = nullptr;
    bool active_ = false;
};

// Owns the reader of one archive: liblhasa for the LHA family, libarchive for the others. Either
// way every member is described by a libarchive entry.
class Reader {
public:
    Reader();
    ~Reader();
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    // Opens the archive for the family; 0 or an ERROR_* code (ERROR_NOT_FIND_ARC_FILE when the
    // file is missing, ERROR_NOT_ARC_FILE when it is no archive of this family). The first
    // header is read; Pending() tells whether it is waiting to be taken.
    int Open(Family family, const std::string& path);
    // Next member header: 0, QM_ERROR_END_OF_SEARCH at the end, or an ERROR_* code.
    int Next();
    void Close();

    // The libarchive reader; null for the LHA family.
    archive* Handle() const { return a_; }
    archive_entry* Entry() const;
    Family GetFamily() const { return family_; }
    const std::string& Path() const { return path_; }
    // The last error text, for the log.
    std::string ErrorText() const;

    // The next block of the current member's data, with libarchive's results: ARCHIVE_OK with
    // a block, ARCHIVE_EOF at the end, ARCHIVE_WARN for a checksum that does not match, a
    // failure otherwise (ARCHIVE_FATAL: the archive cannot be read on).
    int ReadBlock(const void** block, size_t* length, int64_t* offset);
    // The ERROR_* code of the last failed ReadBlock.
    int ReadError() const;
    // Short text of the member's method or the archive's format ("-lh5-", "zip", ...).
    const char* ModeText() const;
    // What the format tells of the current member beyond the entry: its compressed size (-1
    // when unknown) and its data CRC (0 when none).
    int64_t CompressedSize() const;
    uint32_t Crc() const;
    // The LHA member's decoded name (MemberName); null for the other families.
    const LhaReader* Lha() const { return lha_.get(); }

private:
    std::unique_ptr<LhaReader> lha_;
    archive* a_ = nullptr;
    archive_entry* entry_ = nullptr;
    Family family_ = Family::Lha;
    std::string path_;
    bool pending_ = false;
    int pendingResult_ = 0;
};

// Whether the opened archive is one this family answers for (the TAR family refuses an
// uncompressed file read as raw data).
bool IsOwnFormat(Family family, archive* a);

// The member's name in UTF-8 with "/" separators, or nothing when it cannot be decoded. Names
// stored without a Unicode flag follow the codec's archive-name rule (valid UTF-8 as UTF-8,
// otherwise the archive charset). A compressed single file takes its name from the archive's
// name.
std::optional<std::string> MemberName(Reader& reader);
// A name or link target decoded as MemberName decodes names, from what libarchive gives for it
// (its UTF-8 form and its stored form; either may be null).
std::optional<std::string> DecodeStoredText(const char* utf8, const char* raw);

// Maps a failed libarchive read to an ERROR_* code.
int ReadErrorCode(archive* a, archive_entry* entry);

// The GetArchiveType code of a file for the TAR family (see archiver_abi.h).
int TarArchiveType(const std::string& path);

} // namespace qm::arc
