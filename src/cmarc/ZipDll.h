#pragma once
// ZIP is spread over three libraries: "UNZIP32.DLL" extracts and lists, "ZIP32J.DLL" creates,
// "LMZIP32.DLL" does both. Each entry is looked up in a fixed order of the loaded ones.
#include "cmarc/ArchiverDll.h"

namespace qm {

class TZipDll : public TCustomArchiverDll {
public:
    enum TZipModule { zmUnzip, zmLmzip, zmZip32j, zmCount };

    ~TZipDll() override;
    // Loads each of the three libraries that is not loaded yet; a missing one is no error here
    // (the entry lookup reports what is missing).
    void LoadDLL() override;
    void FreeDLL() override;

    bool IsLoaded(TZipModule module) const { return FModules[module] != nullptr; }
    static const char* ModuleFileName(TZipModule module);

protected:
    void* Entry(TDllSlot slot) override;

private:
    std::array<LibraryHandle, zmCount> FModules{};
    // Entries resolved for the unzip command ("UnZip") and the zip command ("Zip").
    void* FUnZip = nullptr;
    void* FZip = nullptr;
};

} // namespace qm
