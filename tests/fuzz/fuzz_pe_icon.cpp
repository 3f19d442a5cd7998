// A Windows program's icon, read from the archive's bytes (group icon, icon images, their
// bitmaps) and written as a PNG for its desktop entry: any bytes give no PNG or a PNG.
#include "FuzzSupport.h"

#include "core/ProgramIcon.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = qmfuzz::WriteInput("program.exe", data, size);
    const std::string png = qm::ExtractProgramIconPng(path);
    QM_FUZZ_CHECK(png.empty() || png.compare(0, 8, "\x89PNG\r\n\x1a\n", 8) == 0);
    return 0;
}
