// What a file's headers say about the program it is: the kind (ELF, AppImage, script), a PE
// image's bitness, machine and subsystem, and an ELF program's needed libraries, from any bytes.
#include "FuzzSupport.h"

#include "platform/ProgramKind.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = qmfuzz::WriteInput("program", data, size);
    const qm::TProgramKind kind = qm::ProgramKindOf(path);
    const qm::TPeFacts pe = qm::PeFactsOf(path);
    QM_FUZZ_CHECK(!(pe.Pe && kind != qm::TProgramKind::None)); // "MZ" is never ELF or "#!"
    const std::vector<std::string> needed = qm::ElfNeededLibraries(path);
    QM_FUZZ_CHECK(needed.size() <= 256);
    (void)qm::LinksGuiLibraries(path);
    return 0;
}
