// Bundled desktop entries and AppStream metainfo, as archives bring them: the entry reader keeps
// every line (its text reads back the same), the Exec split and the quoting of one argument
// agree, and the metainfo reader (libxml2, no network, no external entities) gives valid text.
#include "FuzzSupport.h"

#include "model/DesktopFile.h"
#include "platform/AnsiCodec.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const qm::TDesktopFile entry = qm::TDesktopFile::Parse(text);
    const std::string written = entry.Text();
    QM_FUZZ_CHECK(qm::TDesktopFile::Parse(written).Text() == written);
    for (const std::string& group : entry.Groups()) {
        const std::vector<std::string> words = qm::SplitExec(entry.Value("Exec", group));
        for (const std::string& word : words) {
            // An argument quoted for an Exec line splits back into itself (its '%' doubled).
            if (word.find('%') != std::string::npos || word.empty())
                continue;
            const std::vector<std::string> again = qm::SplitExec(qm::QuoteExecArgument(word));
            QM_FUZZ_CHECK(again.size() == 1 && again[0] == word);
        }
        (void)qm::EntryStartsProgram(entry, "program");
        (void)qm::HandlerTypesOf(entry);
    }
    const qm::TMetaInfo info = qm::ParseMetaInfo(text);
    QM_FUZZ_CHECK(qm::IsValidUtf8(info.Name) && qm::IsValidUtf8(info.Version));
    return 0;
}
