#include "cmarc/ArchiverDll.h"

#include "cmarc/ArchiveCommon.h"
#include "platform/AnsiCodec.h"
#include "platform/Catalogue.h"
#include "platform/DynamicLibrary.h"
#include "platform/FileSystem.h"

#include <ctime>

namespace qm {

// ---- calling wrappers --------------------------------------------------------------------

void* TCustomArchiverDll::Entry(TDllSlot slot) {
    return FEntries[slot];
}

void TCustomArchiverDll::FreeDLL() {
    FEntries.fill(nullptr);
}

int TCustomArchiverDll::CallCommand(TDllSlot slot, void* window, std::uint32_t outputSize,
                                    char* output, const std::string& commandLine) {
    auto fn = reinterpret_cast<TArcCommandFn>(Entry(slot));
    if (fn == nullptr)
        return 0;
    const std::string line = ToAnsi(commandLine);
    return fn(window, line.c_str(), outputSize == 0 ? nullptr : output, outputSize);
}

int TCustomArchiverDll::Command(void* window, const std::string&, std::uint32_t outputSize,
                                char* output, const std::string& commandLine) {
    return CallCommand(dsCommand, window, outputSize, output, commandLine);
}

int TCustomArchiverDll::WriteCommand(void* window, const std::string&, std::uint32_t outputSize,
                                     char* output, const std::string& commandLine) {
    return CallCommand(dsWriteCommand, window, outputSize, output, commandLine);
}

int TCustomArchiverDll::CheckArchive(const std::string& fileName, int mode) {
    auto fn = reinterpret_cast<TArcCheckArchiveFn>(Entry(dsCheckArchive));
    return fn == nullptr ? 0 : fn(ToAnsi(fileName).c_str(), mode);
}

int TCustomArchiverDll::CloseArchive(HARC archive) {
    auto fn = reinterpret_cast<TArcCloseArchiveFn>(Entry(dsCloseArchive));
    return fn == nullptr ? 0 : fn(archive);
}

int TCustomArchiverDll::ExtractMem(void* window, const std::string& commandLine,
                                   std::uint8_t* buffer, std::uint32_t size,
                                   std::uint32_t* written) {
    auto fn = reinterpret_cast<TArcExtractMemFn>(Entry(dsExtractMem));
    if (fn == nullptr)
        return 0;
    return fn(window, ToAnsi(commandLine).c_str(), buffer, size, nullptr, nullptr, written);
}

int TCustomArchiverDll::FindFirst(HARC archive, const std::string& wildName,
                                  TArchiveMemberInfo& info) {
    auto fn = reinterpret_cast<TArcFindFirstFn>(Entry(dsFindFirst));
    if (fn == nullptr)
        return 0;
    const int result = fn(archive, ToAnsi(wildName).c_str(), &info);
    if (result == 0)
        CompleteExtended(archive, info);
    return result;
}

int TCustomArchiverDll::FindNext(HARC archive, TArchiveMemberInfo& info) {
    auto fn = reinterpret_cast<TArcFindNextFn>(Entry(dsFindNext));
    if (fn == nullptr)
        return 0;
    const int result = fn(archive, &info);
    if (result == 0)
        CompleteExtended(archive, info);
    return result;
}

int TCustomArchiverDll::KillOwnerWindowEx(void* window) {
    auto fn = reinterpret_cast<TArcKillOwnerWindowExFn>(Entry(dsKillOwnerWindowEx));
    return fn == nullptr ? 0 : fn(window);
}

HARC TCustomArchiverDll::OpenArchive(void* window, const std::string& fileName,
                                     std::uint32_t mode) {
    auto fn = reinterpret_cast<TArcOpenArchiveFn>(Entry(dsOpenArchive));
    return fn == nullptr ? nullptr : fn(window, ToAnsi(fileName).c_str(), mode);
}

int TCustomArchiverDll::SetOwnerWindowEx(void* window, void* notifyProc) {
    auto fn = reinterpret_cast<TArcSetOwnerWindowExFn>(Entry(dsSetOwnerWindowEx));
    return fn == nullptr ? 0 : fn(window, notifyProc);
}

int TCustomArchiverDll::GetWriteTimeEx(HARC archive, QmFileTime& time) {
    auto fn = reinterpret_cast<TArcGetTimeExFn>(Entry(dsGetWriteTimeEx));
    return fn == nullptr ? 0 : fn(archive, &time);
}

int TCustomArchiverDll::GetCreateTimeEx(HARC archive, QmFileTime& time) {
    auto fn = reinterpret_cast<TArcGetTimeExFn>(Entry(dsGetCreateTimeEx));
    return fn == nullptr ? 0 : fn(archive, &time);
}

int TCustomArchiverDll::GetAccessTimeEx(HARC archive, QmFileTime& time) {
    auto fn = reinterpret_cast<TArcGetTimeExFn>(Entry(dsGetAccessTimeEx));
    return fn == nullptr ? 0 : fn(archive, &time);
}

int TCustomArchiverDll::GetOriginalSizeEx(HARC archive, std::uint64_t& size) {
    auto fn = reinterpret_cast<TArcGetSizeExFn>(Entry(dsGetOriginalSizeEx));
    return fn == nullptr ? 0 : fn(archive, &size);
}

int TCustomArchiverDll::GetCompressedSizeEx(HARC archive, std::uint64_t& size) {
    auto fn = reinterpret_cast<TArcGetSizeExFn>(Entry(dsGetCompressedSizeEx));
    return fn == nullptr ? 0 : fn(archive, &size);
}

int TCustomArchiverDll::GetArchiveType(const std::string& fileName) {
    auto fn = reinterpret_cast<TArcGetArchiveTypeFn>(Entry(dsGetArchiveType));
    return fn == nullptr ? 0 : fn(ToAnsi(fileName).c_str());
}

int TCustomArchiverDll::SetEnumMembersProc64(TEnumMembersProc proc, std::uint32_t recordSize) {
    auto fn = reinterpret_cast<TArcSetEnumMembersProc64Fn>(Entry(dsSetEnumMembersProc64));
    return fn == nullptr ? 0 : fn(proc, recordSize);
}

int TCustomArchiverDll::ClearEnumMembersProc64() {
    auto fn = reinterpret_cast<TArcClearEnumMembersProc64Fn>(Entry(dsClearEnumMembersProc64));
    return fn == nullptr ? 0 : fn();
}

// ---- the extended member record -----------------------------------------------------------

bool DosDateTimeToUtcFileTime(std::uint16_t date, std::uint16_t time, QmFileTime& result) {
    std::tm local{};
    local.tm_year = 80 + (date >> 9);
    local.tm_mon = ((date >> 5) & 0x0F) - 1;
    local.tm_mday = date & 0x1F;
    local.tm_hour = time >> 11;
    local.tm_min = (time >> 5) & 0x3F;
    local.tm_sec = (time & 0x1F) * 2;
    local.tm_isdst = -1;
    if (local.tm_mon < 0 || local.tm_mon > 11 || local.tm_mday < 1 || local.tm_hour > 23 ||
        local.tm_min > 59 || local.tm_sec > 59)
        return false;
    const int month = local.tm_mon;
    const int day = local.tm_mday;
    const std::time_t utc = std::mktime(&local);
    // mktime rolls a day that the month does not have (30 February) into the next month; the
    // system's conversion refuses such a stamp, and so do we.
    if (utc == static_cast<std::time_t>(-1) || local.tm_mon != month || local.tm_mday != day)
        return false;
    const std::uint64_t ticks = UnixTimeToFileTime(utc);
    result.dwLowDateTime = static_cast<std::uint32_t>(ticks);
    result.dwHighDateTime = static_cast<std::uint32_t>(ticks >> 32);
    return true;
}

namespace {
void DosFallback(const TArchiveMemberInfo& info, QmFileTime& field) {
    if (info.wDate == 0 && info.wTime == 0) {
        field = QmFileTime{0, 0};
        return;
    }
    QmFileTime converted{};
    if (DosDateTimeToUtcFileTime(info.wDate, info.wTime, converted))
        field = converted; // an invalid MS-DOS value leaves the field as it was
}
} // namespace

void TCustomArchiverDll::CompleteExtended(HARC archive, TArchiveMemberInfo& info) {
    // The record is packed: work on aligned copies.
    QmFileTime t = info.Extended.ftWriteTime;
    if (GetWriteTimeEx(archive, t) == 0)
        DosFallback(info, t);
    info.Extended.ftWriteTime = t;

    t = info.Extended.ftAccessTime;
    if (GetAccessTimeEx(archive, t) == 0)
        DosFallback(info, t);
    info.Extended.ftAccessTime = t;

    t = info.Extended.ftCreateTime;
    if (GetCreateTimeEx(archive, t) == 0)
        DosFallback(info, t);
    info.Extended.ftCreateTime = t;

    std::uint64_t size = 0;
    if (GetOriginalSizeEx(archive, size) == 0)
        size = info.dwOriginalSize;
    info.Extended.ullOriginalSize = size;

    size = 0;
    if (GetCompressedSizeEx(archive, size) == 0)
        size = info.dwCompressedSize;
    info.Extended.ullCompressedSize = size;
}

// ---- one library, one prefix ---------------------------------------------------------------

namespace {
struct TEntryRule {
    const char* suffix;
    bool loadsFirst;
    bool required;
};
// Per slot: the entry name after the prefix, whether the library is loaded before the lookup,
// and whether a missing entry is an error.
constexpr TEntryRule kEntryRules[dsSlotCount] = {
    {"", true, true},                        // Command
    {"", true, true},                        // WriteCommand
    {"CheckArchive", true, true},            //
    {"CloseArchive", true, true},            //
    {"ExtractMem", false, true},             //
    {"FindFirst", true, true},               //
    {"FindNext", false, true},               //
    {"KillOwnerWindowEx", false, false},     //
    {"OpenArchive", true, true},             //
    {"SetOwnerWindowEx", false, false},      //
    {"GetWriteTimeEx", false, false},        //
    {"GetCreateTimeEx", false, false},       //
    {"GetAccessTimeEx", false, false},       //
    {"GetOriginalSizeEx", false, false},     //
    {"GetCompressedSizeEx", false, false},   //
    {"GetArchiveType", true, true},          //
    {"SetEnumMembersProc64", true, false},   //
    {"ClearEnumMembersProc64", true, false}, //
};
} // namespace

TArchiverDll::TArchiverDll(std::string typeName, std::string dllName, std::string prefix)
    : TypeName(std::move(typeName)), DllName(std::move(dllName)), Prefix(std::move(prefix)) {}

TArchiverDll::~TArchiverDll() {
    if (FModule != nullptr)
        FreeDynamicLibrary(FModule);
}

void TArchiverDll::LoadDLL() {
    if (FModule != nullptr)
        return;
    FModule = LoadDynamicLibrary(DllName);
    if (FModule == nullptr)
        throw ENoArchiverDLL(
            Args(Tr("ArchiverDll", "%1 を扱うには %2 が 必要です。"), TypeName, DllName));
}

void TArchiverDll::FreeDLL() {
    if (FModule != nullptr)
        FreeDynamicLibrary(FModule);
    FModule = nullptr;
    TCustomArchiverDll::FreeDLL();
}

void* TArchiverDll::ResolveEntry(void*& entry, const std::string& name, bool required) {
    if (entry != nullptr)
        return entry;
    entry = FindLibraryEntry(FModule, name.c_str());
    if (entry == nullptr && required)
        throw EEntryNotFound(Args(Tr("ArchiverDll", "%1 に %2 のエントリが見つかりません。"),
                                  DynamicLibraryPath(FModule), name));
    return entry;
}

void* TArchiverDll::Entry(TDllSlot slot) {
    const TEntryRule& rule = kEntryRules[slot];
    // Entries that do not load first normally follow one that did; if the library is still not
    // there, load it rather than look the name up in nothing.
    if (rule.loadsFirst || FModule == nullptr)
        LoadDLL();
    return ResolveEntry(FEntries[slot], Prefix + rule.suffix, rule.required);
}

// ---- YZ1 -------------------------------------------------------------------------------------

std::array<std::string, 2> YZ1DllNames = {"YYZ32.DLL", "YZ1.DLL"};

HARC TYZ1Dll::OpenArchive(void* window, const std::string& fileName, std::uint32_t mode) {
    FOwnerWindow = window;
    return TArchiverDll::OpenArchive(window, fileName, mode);
}

int TYZ1Dll::FindFirst(HARC archive, const std::string& wildName, TArchiveMemberInfo& info) {
    int result = 0;
    for (int attempt = 0; attempt < 4; ++attempt) {
        result = TArchiverDll::FindFirst(archive, wildName, info);
        if (result != QM_ERROR_PASSWORD_FILE)
            break;
        auto dialog = reinterpret_cast<TArcPasswordDialogFn>(
            ResolveEntry(FPasswordDialog, Prefix + "PasswordDialog", false));
        char password[256] = {};
        const int answer = dialog == nullptr ? -1 : dialog(FOwnerWindow, password, 256);
        if (answer < 0)
            break;
        password[255] = '\0';
        auto setPassword = reinterpret_cast<TArcSetDefaultPasswordFn>(
            ResolveEntry(FSetDefaultPassword, Prefix + "SetDefaultPassword", false));
        if (setPassword != nullptr)
            setPassword(archive, password);
    }
    return result;
}

void TYZ1Dll::FreeDLL() {
    FSetDefaultPassword = nullptr;
    FPasswordDialog = nullptr;
    TArchiverDll::FreeDLL();
}

} // namespace qm
