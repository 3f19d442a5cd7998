// Image facts from an archive's bytes (PNG, SVG, XPM sizes), which decide where an icon goes in
// the theme: any bytes give facts a theme folder can be made of, and "an image" only for the
// kind its name says.
#include "FuzzSupport.h"

#include "core/ThemeIcon.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (const char* name : {"icon.png", "icon.svg", "icon.xpm", "icon.txt"}) {
        const qm::TImageFacts facts = qm::ImageFactsOf(name, bytes);
        QM_FUZZ_CHECK(facts.Width >= 0 && facts.Height >= 0);
        QM_FUZZ_CHECK(!facts.Image || std::string(name) != "icon.txt");
        const std::string folder = qm::ThemeSubfolder(facts);
        QM_FUZZ_CHECK(folder.find("..") == std::string::npos);
    }
    return 0;
}
