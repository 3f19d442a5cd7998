#include "cmarc/ArchiverType.h"

#include "cmarc/Arj32.h"
#include "cmarc/Bga32.h"
#include "cmarc/Cab32.h"
#include "cmarc/Lha32.h"
#include "cmarc/Rar32.h"
#include "cmarc/SZip32.h"
#include "cmarc/Tar32.h"
#include "cmarc/Yz132.h"
#include "cmarc/Zip32.h"

#include <algorithm>
#include <filesystem>
#include <map>

namespace qm {

namespace {

std::string LowerExtension(const std::string& fileName) {
    const size_t sep = fileName.find_last_of("/\\:");
    const size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos || (sep != std::string::npos && dot < sep))
        return {};
    std::string ext = fileName.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

struct TProbe {
    int checkMode;      // CheckArchive with this mode must answer non-zero first; 0 for none
    bool requireExists; // the file must exist
};

// One content probe through a format's binding. Every error (a missing library or entry) is
// swallowed on purpose: a probe that cannot run simply does not recognise the file.
template <class Driver> bool Probe(const std::string& fileName, TProbe probe) {
    try {
        Driver::ClassLoadDLL();
        TCustomArchiverDll* dll = Driver::ClassDLL();
        if (dll == nullptr)
            return false;
        const std::string full = ExpandFileName(fileName);
        if (probe.checkMode != 0 && dll->CheckArchive(full, probe.checkMode) == 0)
            return false;
        if (probe.requireExists && !std::filesystem::exists(full))
            return false;
        HARC handle = dll->OpenArchive(nullptr, full, 0x800002);
        // A null handle is never handed back to a library: closing nothing is at best a no-op
        // and at worst a crash inside the library.
        if (handle != nullptr)
            dll->CloseArchive(handle);
        return handle != nullptr;
    } catch (...) {
        return false;
    }
}

TArchiverType ProbeTar(const std::string& fileName) {
    try {
        TTar32::ClassLoadDLL();
        TArchiverDll* dll = TTar32::ClassDLL();
        if (dll == nullptr)
            return atNone;
        const int code = dll->GetArchiveType(fileName);
        if (code == 1)
            return atTar;
        // Compressed tar of any filter the library reads: gzip, compress, xz (10), and lzma,
        // lzip, zstd, lz4 (15).
        if ((code >= 2 && code <= 5) || code == 10 || code == 15)
            return atTgz;
        if (code == 6 || code == 7)
            return atBZ2;
        return atNone;
    } catch (...) {
        return atNone; // no library, no entry: not recognised
    }
}

TArchiverType ByContent(const std::string& fileName) {
    TArchiverType result = ProbeTar(fileName);
    // A 7z archive behind a Windows program (a self-extractor, as portable programs ship):
    // the others below, older kinds of self-extractor among them, win over it.
    if (result == atNone && Probe<TSevenZip32>(fileName, {0, false}))
        result = at7z;
    if (Probe<TRar32>(fileName, {0, false}))
        result = atRar;
    if (Probe<TArj32>(fileName, {0, false}))
        result = atArj;
    if (Probe<TZip32>(fileName, {24, true}))
        result = atZip;
    if (Probe<TBGA32>(fileName, {0, true}))
        result = atBga;
    if (Probe<TYZ1>(fileName, {0, true}))
        result = atYz1;
    if (Probe<TCab32>(fileName, {0, false}))
        result = atCab;
    if (Probe<TLha32>(fileName, {16, false}))
        result = atLha;
    return result;
}

} // namespace

TArchiverType GetArchiverType(const std::string& fileName, bool byExtension) {
    if (!byExtension)
        return ByContent(fileName);
    static const std::map<std::string, TArchiverType> byExt = {
        {".lzh", atLha},
        {".cab", atCab},
        {".jar", atZip},
        {".ear", atZip},
        {".war", atZip},
        {".zip", atZip},
        {".arj", atArj},
        {".rar", atRar},
        {".yz1", atYz1},
        {".gca", atGCA},
        {".gza", atBga},
        {".bza", atBga},
        {".bz2", atBZ2},
        {".a", atTar},
        {".lib", atTar},
        {".tar", atTar},
        {".deb", atTar},
        {".rpm", atTar},
        {".cpio", atTar},
        {".z", atTgz},
        {".gz", atTgz},
        {".tgz", atTgz},
        {".taz", atTgz},
        {".7z", at7z},
        // Compressed tar of the filters Linux programs ship in, through the tar family.
        {".xz", atTgz},
        {".txz", atTgz},
        {".zst", atTgz},
        {".tzst", atTgz},
        {".lz4", atTgz},
        {".lzma", atTgz},
        {".tlz", atTgz},
        {".lz", atTgz},
    };
    const std::string ext = LowerExtension(fileName);
    if (ext == ".exe")
        return ByContent(fileName);
    auto it = byExt.find(ext);
    return it == byExt.end() ? atNone : it->second;
}

std::unique_ptr<TArchiver> CreateArchiver(TArchiverType type) {
    std::unique_ptr<TArchiver> driver;
    switch (type) {
    case atLha:
        driver = std::make_unique<TLha32>();
        break;
    case atZip:
        driver = std::make_unique<TZip32>();
        break;
    case atCab:
        driver = std::make_unique<TCab32>();
        break;
    case atArj:
        driver = std::make_unique<TArj32>();
        break;
    case atTar:
        driver = std::make_unique<TTar32>();
        break;
    case atTgz:
        driver = std::make_unique<TTgz32>();
        break;
    case atBZ2:
        driver = std::make_unique<TBZ232>();
        break;
    case atRar:
        driver = std::make_unique<TRar32>();
        break;
    case atBga:
        driver = std::make_unique<TBGA32>();
        break;
    case atYz1:
        driver = std::make_unique<TYZ1>();
        break;
    case at7z:
        driver = std::make_unique<TSevenZip32>();
        break;
    default:
        return nullptr;
    }
    // Making a driver loads its library at once, so a missing one is reported here.
    driver->LoadDLL();
    return driver;
}

void FreeArchiverDlls() {
    TLha32::ClassFreeDLL();
    TZip32::ClassFreeDLL();
    TCab32::ClassFreeDLL();
    TArj32::ClassFreeDLL();
    TTar32::ClassFreeDLL();
    TRar32::ClassFreeDLL();
    TBGA32::ClassFreeDLL();
    TYZ1::ClassFreeDLL();
    TSevenZip32::ClassFreeDLL();
}

} // namespace qm
