// One application record (length prefix, names, dates, members) as the database and the
// instruction files store it. A record that loads saves to bytes that load to the same record.
#include "FuzzSupport.h"

#include "model/InstallAppInfo.h"
#include "platform/AnsiCodec.h"
#include "platform/Exception.h"

namespace {

std::string Save(const qm::TInstallAppInfo& record) {
    qm::TMemoryStream out;
    record.SaveToStream(out);
    return out.ToString();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    qm::SetAnsiCodePage(data[0] & 1 ? qm::CP_UTF8_PAGE : qm::CP_SHIFT_JIS);
    qm::TMemoryStream in(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
    qm::TInstallAppInfo record;
    try {
        record.LoadFromStream(in);
    } catch (const qm::Exception&) {
        return 0; // a damaged record is refused as a whole
    }
    // The position after a record is where its length prefix said it ends.
    QM_FUZZ_CHECK(in.Position() <= in.Size());
    const std::string saved = Save(record);
    qm::TMemoryStream again(saved);
    qm::TInstallAppInfo reloaded;
    reloaded.LoadFromStream(again);
    QM_FUZZ_CHECK(again.Position() == again.Size());
    QM_FUZZ_CHECK(reloaded.Members.Count() == record.Members.Count());
    QM_FUZZ_CHECK(reloaded.AppName == record.AppName && reloaded.Version == record.Version);
    QM_FUZZ_CHECK(Save(reloaded) == saved);
    return 0;
}
