#include "RarBuilder.h"

#include <cstdint>

namespace qmtest {

namespace {

uint32_t Crc32(const std::string& bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char c : bytes) {
        crc ^= c;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void Put16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// A block: its header CRC (low 16 bits of CRC-32 over the rest of the header) in front.
std::string Block(const std::string& headerAfterCrc) {
    std::string block;
    Put16(block, Crc32(headerAfterCrc) & 0xFFFF);
    return block + headerAfterCrc;
}

} // namespace

std::string BuildStoredRar(const std::vector<RarMember>& members) {
    std::string out("Rar!\x1a\x07\x00", 7);

    std::string main;
    main += '\x73';  // archive header
    Put16(main, 0);  // flags
    Put16(main, 13); // header size
    Put16(main, 0);  // reserved
    Put32(main, 0);
    out += Block(main);

    for (const RarMember& member : members) {
        std::string file;
        file += '\x74';                                     // file header
        Put16(file, 0x8000 | (member.folder ? 0x00E0 : 0)); // data size follows; folder
        Put16(file, static_cast<uint32_t>(32 + member.name.size()));
        Put32(file, static_cast<uint32_t>(member.data.size())); // packed size
        Put32(file, static_cast<uint32_t>(member.data.size())); // unpacked size
        file += '\x02';                                         // made on Win32
        Put32(file, Crc32(member.data));
        Put32(file, (((2020 - 1980) << 9 | 6 << 5 | 15) << 16) | (12 << 11 | 30 << 5));
        file += '\x14'; // version 2.0 to extract
        file += '\x30'; // stored
        Put16(file, static_cast<uint32_t>(member.name.size()));
        Put32(file, member.folder ? 0x10 : 0x20); // attributes
        file += member.name;
        out += Block(file) + member.data;
    }

    std::string end;
    end += '\x7b';
    Put16(end, 0x4000);
    Put16(end, 7);
    out += Block(end);
    return out;
}

} // namespace qmtest
