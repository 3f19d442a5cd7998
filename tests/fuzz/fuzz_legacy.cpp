// The legacy database ("Quillmate.dat") as the one-time import reads it. What it adds to the
// database must save and load again.
#include "FuzzSupport.h"

#include "model/InstallList.h"
#include "model/LegacyImport.h"
#include "platform/AnsiCodec.h"
#include "platform/Exception.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qmfuzz::Folder(); // the special folders the import asks for point into the sandbox
    qm::SetAnsiCodePage(qm::CP_SHIFT_JIS); // a legacy database is always code page 932
    qm::TInstallList list;
    list.NextId = 7;
    int added = 0;
    try {
        added =
            qm::AppendLegacyRecords(std::string(reinterpret_cast<const char*>(data), size), list);
    } catch (const qm::Exception&) {
        return 0;
    }
    QM_FUZZ_CHECK(added < 0 || list.Count() == added);
    qm::TMemoryStream out;
    list.SaveToStream(out);
    qm::TMemoryStream again(out.ToString());
    qm::TInstallList reloaded;
    reloaded.LoadFromStream(again);
    QM_FUZZ_CHECK(reloaded.Count() == list.Count());
    return 0;
}
