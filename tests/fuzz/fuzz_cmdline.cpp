// The archiver libraries' command-line parser and response files ("@file"). A line that parses
// gives UTF-8 names, and member selection copes with any pattern.
#include "FuzzSupport.h"

#include "CommandLine.h"
#include "platform/AnsiCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    using namespace qm::arc;
    qm::SetAnsiCodePage(data[0] & 8 ? qm::CP_UTF8_PAGE : qm::CP_SHIFT_JIS);
    const Family family = static_cast<Family>((data[0] & 7) % 6);
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    try {
        if (data[0] & 16) {
            const std::string path = qmfuzz::WriteInput("names.txt", data + 1, size - 1);
            for (const std::string& name : ReadResponseFile(path))
                QM_FUZZ_CHECK(qm::IsValidUtf8(name));
            return 0;
        }
        if (!qm::IsValidUtf8(rest))
            return 0; // the library converts the line to UTF-8 before it parses
        const Command command = ParseCommand(family, rest);
        QM_FUZZ_CHECK(qm::IsValidUtf8(command.archive) && qm::IsValidUtf8(command.destination));
        for (const char* member : {"a.txt", "dir/b.exe", "./c", "[x].txt", "日本語/名前.txt"})
            IsSelected(command, member);
    } catch (const CommandError& e) {
        QM_FUZZ_CHECK(e.code != 0 && !e.message.empty());
    }
    return 0;
}
