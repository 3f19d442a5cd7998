#include "cmarc/ZipDll.h"

#include "cmarc/ArchiveCommon.h"
#include "platform/Catalogue.h"
#include "platform/DynamicLibrary.h"

namespace qm {

namespace {
using M = TZipDll::TZipModule;
constexpr M U = TZipDll::zmUnzip;
constexpr M L = TZipDll::zmLmzip;
constexpr M Z = TZipDll::zmZip32j;

struct TZipRule {
    const char* name; // as written; "LMZIP32.DLL" spells a third letter "Z" in lower case
    std::initializer_list<M> modules;
    bool required;
    bool loadsFirst;
};

// nullptr name: the entry is not looked up and the operation answers 0.
const TZipRule& RuleFor(TDllSlot slot) {
    static const TZipRule none{nullptr, {}, false, false};
    static const TZipRule rules[dsSlotCount] = {
        {"UnZip", {U, L}, true, true},
        {"Zip", {Z, L}, true, true},
        {"UnZipCheckArchive", {U, L, Z}, true, true},
        {"UnZipCloseArchive", {L, Z, U}, true, true},
        {"UnZipExtractMem", {U, L, Z}, true, false},
        {"UnZipFindFirst", {L, Z, U}, true, true},
        {"UnZipFindNext", {L, Z, U}, true, false},
        {"UnZipKillOwnerWindowEx", {U}, true, false},
        {"UnZipOpenArchive", {L, Z, U}, true, true},
        {"UnZipSetOwnerWindowEx", {U}, true, false},
        {"UnzipGetWriteTimeEx", {L, Z, U}, false, false},
        {"UnZipGetCreateTimeEx", {L, Z, U}, false, false},
        {"UnZipGetAccessTimeEx", {L, Z, U}, false, false},
        none, // GetOriginalSizeEx
        none, // GetCompressedSizeEx
        none, // GetArchiveType
        none, // SetEnumMembersProc64
        none, // ClearEnumMembersProc64
    };
    return rules[slot];
}
} // namespace

const char* TZipDll::ModuleFileName(TZipModule module) {
    static const char* const names[zmCount] = {"UNZIP32.DLL", "LMZIP32.DLL", "ZIP32J.DLL"};
    return names[module];
}

TZipDll::~TZipDll() {
    for (LibraryHandle& module : FModules)
        FreeDynamicLibrary(module);
}

void TZipDll::LoadDLL() {
    for (int m = 0; m < zmCount; ++m)
        if (FModules[m] == nullptr)
            FModules[m] = LoadDynamicLibrary(ModuleFileName(static_cast<TZipModule>(m)));
}

void TZipDll::FreeDLL() {
    for (LibraryHandle& module : FModules) {
        FreeDynamicLibrary(module);
        module = nullptr;
    }
    FUnZip = nullptr;
    FZip = nullptr;
    TCustomArchiverDll::FreeDLL();
}

void* TZipDll::Entry(TDllSlot slot) {
    const TZipRule& rule = RuleFor(slot);
    if (rule.name == nullptr)
        return nullptr;
    if (rule.loadsFirst)
        LoadDLL();
    void*& entry = slot == dsCommand ? FUnZip : slot == dsWriteCommand ? FZip : FEntries[slot];
    if (entry != nullptr)
        return entry;
    for (M module : rule.modules) {
        if (FModules[module] == nullptr)
            continue;
        std::string name = rule.name;
        if (module == L && name.size() > 2 && name[2] == 'Z')
            name[2] = 'z';
        entry = FindLibraryEntry(FModules[module], name.c_str());
        if (entry != nullptr)
            return entry;
    }
    if (rule.required)
        throw EEntryNotFound(Args(Tr("ZipDll", "%1 のエントリが DLL に見つかりませんでした。"),
                                  std::string(rule.name)));
    return nullptr;
}

} // namespace qm
