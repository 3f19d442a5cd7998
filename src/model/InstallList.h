#pragma once
// The installed-application database: the records of every application installed through the
// instruction files, with the identifier counter, stored in one file per user. Each user of the
// database loads a fresh copy, uses it and drops it; lists are never shared.
#include "model/InstallAppInfo.h"
#include "model/Stream.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qm {

// The database file name inside the data folder.
extern const char* const InstallListFileName; // "Quillmate.his"
// The database of the installs for every user, in the system's data folder.
std::string SystemInstallListFileName();

// Whether a file operation takes the database's lock itself or runs under a lock that the
// caller already holds (a load, change and save that no other writer may interleave with).
enum class TLocking { Take, AlreadyHeld };

class TInstallList {
public:
    TInstallList() = default;
    TInstallList(const TInstallList&) = delete;
    TInstallList& operator=(const TInstallList&) = delete;

    // First word of the file, kept as read and written back unchanged.
    std::int32_t HeaderValue = 0;
    // The identifier the next new record receives.
    std::int32_t NextId = 0;

    // A new empty record at the end, with AppId := NextId (the counter does not move).
    TInstallAppInfo& Add();
    void Clear() { FItems.clear(); }
    // Removes and frees the record at index; EListError when index is outside the list.
    void Delete(int index);
    int Count() const { return static_cast<int>(FItems.size()); }
    // EListError when index is outside the list.
    TInstallAppInfo& Items(int index);
    const TInstallAppInfo& Items(int index) const;

    // NextId, then the counter moves on by one.
    std::int32_t TakeNextId();
    void AssignNewId(TInstallAppInfo& record) { record.AppId = TakeNextId(); }
    // First record with that identifier; -1 when none. Records match by identifier, not identity.
    int IndexOfId(std::int32_t id) const;
    // The same, among the records of one database of a list that holds both (LoadInstalled).
    int IndexOfId(std::int32_t id, bool allUsers) const;
    int IndexOfApp(const TInstallAppInfo& record) const { return IndexOfId(record.AppId); }

    // A missing file is an empty database (header value and counter keep their values). A
    // truncated or malformed file raises the stream's read error; the records read before it
    // stay in the list, and a record cut short by the error is dropped.
    void LoadFromFile(const std::string& fileName, TLocking locking = TLocking::Take);
    // Every installed application, for showing and finding (never saved): the user's database,
    // then the system's (its records marked AllUsers), when it is there.
    void LoadInstalled(const std::string& userFileName);
    // Creates the folder when needed, then replaces the file as a whole: a failure at any point
    // leaves the previous file as it was.
    void SaveToFile(const std::string& fileName, TLocking locking = TLocking::Take) const;

    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const;

    // The installed record that an opened archive updates, or nullptr: the first record whose
    // NameScore against archiveFileName plus MemberScore against mainExeName reaches 300, among
    // those whose archive name is alike (ArchiveNamesAlike).
    // archiveFileName is the file-name part of the archive's path; mainExeName is the plan's
    // main executable's file name, empty when the plan has none.
    TInstallAppInfo* FindUpdateTarget(const std::string& archiveFileName,
                                      const std::string& mainExeName);

private:
    std::vector<std::unique_ptr<TInstallAppInfo>> FItems;
};

// The score at which FindUpdateTarget accepts a record.
constexpr int UpdateTargetThreshold = 300;

// Similarity of two archive file names (UTF-8), computed on their ANSI bytes: 100 when the parts
// before the first digit have the same length, plus up to about 100 for equal positions.
int NameScore(const std::string& a, const std::string& b);
// Whether two archive file names (UTF-8) may name versions of one application: at least half of
// the characters before their extensions, counted against the longer name, are equal at the same
// position (ASCII case ignored; compared on the ANSI bytes). FindUpdateTarget takes no record
// whose name fails this, whatever its score: a shared member name such as "setup.exe" or two
// names of equal length would otherwise make unrelated archives updates of each other.
bool ArchiveNamesAlike(const std::string& a, const std::string& b);
// 150 when exe is empty; 200 when exe (or its part before the first digit) names one of the
// record's members, ignoring case; else 0.
int MemberScore(const TInstallAppInfo& record, const std::string& exe);

// Writes a file through `write` so that it either replaces the old file completely or leaves it
// untouched: the bytes go to a temporary file beside it, which is flushed to disk and renamed
// over the old one only when `write` returned normally. The folder must exist. Raises what
// `write` raised, or EWriteError / EFCreateError when the disk refuses.
void SaveFileAtomically(const std::string& fileName, const std::function<void(TStream&)>& write,
                        TLocking locking = TLocking::Take);

} // namespace qm
