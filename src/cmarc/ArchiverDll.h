#pragma once
// Bindings to the archiver libraries: each loads one library family, looks its entries up by
// name once, and calls them. Strings go in as UTF-8 and reach the library in the ANSI code page.
// One binding per format lives for the whole process (see the drivers).
#include "cmarc/ArchiverAbi.h"

#include <array>
#include <cstdint>
#include <string>

namespace qm {

using LibraryHandle = void*;

// The entries every binding can call, in slot order.
enum TDllSlot {
    dsCommand,
    dsWriteCommand,
    dsCheckArchive,
    dsCloseArchive,
    dsExtractMem,
    dsFindFirst,
    dsFindNext,
    dsKillOwnerWindowEx,
    dsOpenArchive,
    dsSetOwnerWindowEx,
    dsGetWriteTimeEx,
    dsGetCreateTimeEx,
    dsGetAccessTimeEx,
    dsGetOriginalSizeEx,
    dsGetCompressedSizeEx,
    dsGetArchiveType,
    dsSetEnumMembersProc64,
    dsClearEnumMembersProc64,
    dsSlotCount
};

// Holds the resolved entries and calls them. Each operation returns the entry's result, or 0
// when an optional entry is not present.
class TCustomArchiverDll {
public:
    virtual ~TCustomArchiverDll() = default;
    TCustomArchiverDll() = default;
    TCustomArchiverDll(const TCustomArchiverDll&) = delete;
    TCustomArchiverDll& operator=(const TCustomArchiverDll&) = delete;

    virtual void LoadDLL() = 0;
    // Unloads and forgets every resolved entry, so a later LoadDLL starts afresh.
    virtual void FreeDLL();

    virtual int Command(void* window, const std::string& archiveFileName, std::uint32_t outputSize,
                        char* output, const std::string& commandLine);
    virtual int WriteCommand(void* window, const std::string& archiveFileName,
                             std::uint32_t outputSize, char* output,
                             const std::string& commandLine);
    virtual int CheckArchive(const std::string& fileName, int mode);
    virtual int CloseArchive(HARC archive);
    virtual int ExtractMem(void* window, const std::string& commandLine, std::uint8_t* buffer,
                           std::uint32_t size, std::uint32_t* written);
    // On success (0) the Extended part of the record is completed as well.
    virtual int FindFirst(HARC archive, const std::string& wildName, TArchiveMemberInfo& info);
    virtual int FindNext(HARC archive, TArchiveMemberInfo& info);
    virtual int KillOwnerWindowEx(void* window);
    virtual HARC OpenArchive(void* window, const std::string& fileName, std::uint32_t mode);
    virtual int SetOwnerWindowEx(void* window, void* notifyProc);
    virtual int GetWriteTimeEx(HARC archive, QmFileTime& time);
    virtual int GetCreateTimeEx(HARC archive, QmFileTime& time);
    virtual int GetAccessTimeEx(HARC archive, QmFileTime& time);
    virtual int GetOriginalSizeEx(HARC archive, std::uint64_t& size);
    virtual int GetCompressedSizeEx(HARC archive, std::uint64_t& size);
    virtual int GetArchiveType(const std::string& fileName);
    virtual int SetEnumMembersProc64(TEnumMembersProc proc, std::uint32_t recordSize);
    virtual int ClearEnumMembersProc64();

protected:
    // The entry of a slot, looked up on first use; nullptr for an optional entry the library
    // lacks. Raises for a missing library or required entry. The base class looks nothing up.
    virtual void* Entry(TDllSlot slot);

    std::array<void*, dsSlotCount> FEntries{};

private:
    void CompleteExtended(HARC archive, TArchiveMemberInfo& info);
    int CallCommand(TDllSlot slot, void* window, std::uint32_t outputSize, char* output,
                    const std::string& commandLine);
};

// One library file, one entry prefix.
class TArchiverDll : public TCustomArchiverDll {
public:
    TArchiverDll(std::string typeName, std::string dllName, std::string prefix);
    ~TArchiverDll() override;

    void LoadDLL() override;
    void FreeDLL() override;

    const std::string TypeName; // "LHA 形式書庫"
    const std::string DllName;  // "UNLHA32.DLL"
    const std::string Prefix;   // "Unlha"
    LibraryHandle Module() const { return FModule; }

protected:
    void* Entry(TDllSlot slot) override;
    // Looks `name` up once in the loaded library and keeps it in `entry`.
    void* ResolveEntry(void*& entry, const std::string& name, bool required);

private:
    LibraryHandle FModule = nullptr;
};

// The two library names of YZ1, tried in order; an empty slot is skipped.
extern std::array<std::string, 2> YZ1DllNames;

// YZ1: asks for a password through the library's own dialog while listing.
class TYZ1Dll : public TArchiverDll {
public:
    using TArchiverDll::TArchiverDll;

    HARC OpenArchive(void* window, const std::string& fileName, std::uint32_t mode) override;
    int FindFirst(HARC archive, const std::string& wildName, TArchiveMemberInfo& info) override;
    void FreeDLL() override;

private:
    void* FOwnerWindow = nullptr;
    void* FSetDefaultPassword = nullptr;
    void* FPasswordDialog = nullptr;
};

// The MS-DOS date and time (local time) as a UTC FILETIME; false when they are not a valid date.
bool DosDateTimeToUtcFileTime(std::uint16_t date, std::uint16_t time, QmFileTime& result);

} // namespace qm
