// The two instruction files as the installer and the uninstaller read them: the install file is
// a record, eight option bytes and the working folder; the uninstall file a record and CR LF
// lines of paths. What reads is written back by the program's writers to bytes that read the
// same.
#include "FuzzSupport.h"

#include "model/InstructionFiles.h"
#include "platform/AnsiCodec.h"
#include "platform/Exception.h"

#include <vector>

namespace {

using namespace qm;

TInstallOption ReadOption(TStream& stream) {
    std::uint8_t b[8];
    stream.ReadBuffer(b, sizeof b);
    TInstallOption option;
    option.ConfirmMode = b[0];
    option.IsUpdate = b[1] != 0;
    option.OverWrite = b[2];
    option.AllUsers = b[3] != 0;
    option.UpdateMode = b[4];
    option.AutoExit = b[5] != 0;
    option.BootApp = b[6] != 0;
    option.BootHelp = b[7] != 0;
    option.WorkFolder = ReadString(stream);
    return option;
}

// The rest of the file, one path a line; a last line without its CR LF counts too.
std::vector<std::string> ReadPaths(TMemoryStream& stream) {
    const std::string all = stream.ToString().substr(static_cast<size_t>(stream.Position()));
    std::vector<std::string> paths;
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find("\r\n", start);
        if (end == std::string::npos)
            end = all.size();
        paths.push_back(FromAnsi(all.substr(start, end - start)));
        start = end + 2;
    }
    return paths;
}

void Install(TMemoryStream& in) {
    TInstallAppInfo plan;
    plan.LoadFromStream(in);
    const TInstallOption option = ReadOption(in);
    TMemoryStream out;
    WriteInstallInstructions(out, plan, option);
    TMemoryStream again(out.ToString());
    TInstallAppInfo plan2;
    plan2.LoadFromStream(again);
    const TInstallOption option2 = ReadOption(again);
    QM_FUZZ_CHECK(again.Position() == again.Size());
    QM_FUZZ_CHECK(option2.WorkFolder == option.WorkFolder && option2.OverWrite == option.OverWrite);
    QM_FUZZ_CHECK(plan2.Members.Count() == plan.Members.Count());
}

void Uninstall(TMemoryStream& in) {
    TInstallAppInfo record;
    record.LoadFromStream(in);
    const std::vector<std::string> paths = ReadPaths(in);
    TMemoryStream out;
    try {
        WriteUninstallInstructions(out, record, paths);
    } catch (const EEncodingError&) {
        // A lone CR, a 0 byte: refused whole, as the program refuses such a path.
        QM_FUZZ_CHECK(out.Size() == 0);
        return;
    }
    TMemoryStream again(out.ToString());
    TInstallAppInfo record2;
    record2.LoadFromStream(again);
    QM_FUZZ_CHECK(ReadPaths(again) == paths);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    SetAnsiCodePage(data[0] & 2 ? CP_UTF8_PAGE : CP_SHIFT_JIS);
    TMemoryStream in(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
    try {
        if (data[0] & 1)
            Uninstall(in);
        else
            Install(in);
    } catch (const Exception&) {
        // A damaged file is refused with its error.
    }
    return 0;
}
