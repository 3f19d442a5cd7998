// Names as archives and vendors write them: the name and version of an archive's file name, a
// program's name without its version, the order of two versions (the same backwards, and every
// text equal to itself), and the visible form of any name.
#include "FuzzSupport.h"

#include "model/ArchiveName.h"
#include "model/FileUtils.h"
#include "model/VisibleText.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const qm::TArchiveNameParts parts = qm::ParseArchiveName(text);
    QM_FUZZ_CHECK(parts.Version.size() <= text.size() + 8);
    (void)qm::VersionlessProgramName(text);
    (void)qm::ProgramShortcutName(text);
    const std::size_t half = text.find('\n');
    const std::string a = text.substr(0, half);
    const std::string b = half == std::string::npos ? std::string() : text.substr(half + 1);
    QM_FUZZ_CHECK(qm::CompareVersionTexts(a, b) == -qm::CompareVersionTexts(b, a));
    QM_FUZZ_CHECK(qm::CompareVersionTexts(a, a) == 0);
    const std::string shown = qm::VisibleText(text);
    QM_FUZZ_CHECK(shown.find("\xE2\x80\xAE") == std::string::npos); // no right-to-left override
    return 0;
}
