// The version reader on a whole PE file (headers, sections, resource tree) and on a version block
// alone. Any damage reads as "no version information"; a value found is valid UTF-8.
#include "FuzzSupport.h"

#include "platform/AnsiCodec.h"
#include "platform/VersionInfo.h"

#include <cstdio>
#include <vector>

namespace {

void Query(const qm::VersionInfo& info) {
    std::vector<std::uint32_t> translations = info.Translations();
    translations.push_back(0x04B00411); // the fallback the program asks for
    for (const std::uint32_t t : translations) {
        char block[64];
        std::snprintf(block, sizeof block, "StringFileInfo\\%04X%04X\\", t & 0xFFFF, t >> 16);
        for (const char* name :
             {"ProductName", "FileDescription", "ProductVersion", "FileVersion"}) {
            const auto value = info.QueryString(block + std::string(name));
            QM_FUZZ_CHECK(!value || qm::IsValidUtf8(*value));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (auto info = qm::VersionInfo::FromBlock(std::vector<std::uint8_t>(data, data + size)))
        Query(*info);
    const std::string path = qmfuzz::WriteInput("input.exe", data, size);
    if (auto info = qm::VersionInfo::Load(path))
        Query(*info);
    return 0;
}
