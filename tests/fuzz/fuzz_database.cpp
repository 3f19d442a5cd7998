// The installed-application database ("Quillmate.his") as it is loaded. Whatever loads must save
// and load again to the same bytes: a database the program can read is one it can keep.
#include "FuzzSupport.h"

#include "model/InstallList.h"
#include "platform/AnsiCodec.h"
#include "platform/Exception.h"

namespace {

std::string Save(const qm::TInstallList& list) {
    qm::TMemoryStream out;
    list.SaveToStream(out);
    return out.ToString();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    // The first byte picks the code page the stored texts are read in.
    qm::SetAnsiCodePage(data[0] & 1 ? qm::CP_UTF8_PAGE : qm::CP_SHIFT_JIS);
    qm::TMemoryStream in(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
    qm::TInstallList list;
    try {
        list.LoadFromStream(in);
    } catch (const qm::Exception&) {
        // A damaged file is an error; the records read before it must still save.
    }
    const std::string saved = Save(list);
    qm::TMemoryStream again(saved);
    qm::TInstallList reloaded;
    reloaded.LoadFromStream(again); // must not throw: it is our own output
    QM_FUZZ_CHECK(reloaded.Count() == list.Count());
    QM_FUZZ_CHECK(Save(reloaded) == saved);
    return 0;
}
