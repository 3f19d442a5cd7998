// The settings file as the program loads it. Loading, saving and loading again gives the same
// store: no line, section or key is lost or changes its meaning on the way.
#include "FuzzSupport.h"

#include "platform/AnsiCodec.h"
#include "settings/ExtIniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    qm::SetAnsiCodePage(data[0] & 1 ? qm::CP_UTF8_PAGE : qm::CP_SHIFT_JIS);
    const std::string program = qmfuzz::Folder() + "/Quillmate";
    qmfuzz::WriteInput("Quillmate.ini", data + 1, size - 1);
    std::string first;
    {
        qm::TExtIniFile ini(program);
        ini.AutoUpdate = false;
        first = ini.Text();
        // Every reader copes with whatever the values hold.
        ini.ReadFormState("Form", {"frmMain", {}, qm::TWindowState::Normal, 0, 0, false});
        ini.ReadInt64("Default", "OverWrite", 0);
        ini.ReadInteger("Default", "OverWrite", 0);
        ini.UpdateFile();
    }
    qm::TExtIniFile again(program);
    again.AutoUpdate = false;
    QM_FUZZ_CHECK(again.Text() == first);
    return 0;
}
