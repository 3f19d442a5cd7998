// The two instruction files as the installer and the uninstaller read them (strictly: a record
// and its options and nothing else; a record and CR LF lines of paths). What the tools accept is
// written back by the program's writers and read again to the same plan.
#include "FuzzSupport.h"

#include "core/Instructions.h"
#include "model/InstructionFiles.h"
#include "platform/AnsiCodec.h"
#include "platform/Exception.h"

#include <vector>

namespace {

using namespace qm;

void Install(const std::string& path) {
    TInstallAppInfo plan;
    TInstallOption option;
    ReadInstallInstructions(path, plan, option);
    WriteInstallFile(path, plan, option);
    TInstallAppInfo plan2;
    TInstallOption option2;
    ReadInstallInstructions(path, plan2, option2);
    QM_FUZZ_CHECK(option2.WorkFolder == option.WorkFolder &&
                  option2.OverWrite == option.OverWrite &&
                  option2.UpdateMode == option.UpdateMode && option2.AllUsers == option.AllUsers);
    QM_FUZZ_CHECK(plan2.Members.Count() == plan.Members.Count());
    QM_FUZZ_CHECK(plan2.AppName == plan.AppName && plan2.Version == plan.Version);
}

void Uninstall(const std::string& path) {
    TInstallAppInfo record;
    std::vector<std::string> paths;
    bool hasList = false;
    ReadUninstallInstructions(path, record, paths, hasList);
    try {
        WriteUninstallFile(path, record, paths);
    } catch (const EEncodingError&) {
        return; // a path with a line break or a 0 byte: refused whole, as the program refuses it
    }
    TInstallAppInfo record2;
    std::vector<std::string> paths2;
    ReadUninstallInstructions(path, record2, paths2, hasList);
    QM_FUZZ_CHECK(paths2 == paths);
    QM_FUZZ_CHECK(record2.AppName == record.AppName && record2.AppId == record.AppId);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    SetAnsiCodePage(data[0] & 2 ? CP_UTF8_PAGE : CP_SHIFT_JIS);
    const std::string path = qmfuzz::WriteInput("instructions.tmp", data + 1, size - 1);
    try {
        if (data[0] & 1)
            Uninstall(path);
        else
            Install(path);
    } catch (const Exception&) {
        // A damaged file is refused with its error.
    }
    return 0;
}
