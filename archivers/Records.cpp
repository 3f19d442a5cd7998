#include "Records.h"

#include "Family.h"
#include "platform/AnsiCodec.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace qm::arc {

namespace {

void CopyText(char* field, size_t size, const std::string& text) {
    size_t n = std::min(text.size(), size - 1);
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
}

void CommonDosTime(archive_entry* entry, uint16_t& date, uint16_t& time) {
    date = 0;
    time = 0;
    if (archive_entry_mtime_is_set(entry))
        ToDosDateTime(archive_entry_mtime(entry), date, time);
}

uint32_t Low32(int64_t value) {
    return static_cast<uint32_t>(static_cast<uint64_t>(value));
}

int64_t SizeOf(archive_entry* entry) {
    return archive_entry_size_is_set(entry) ? archive_entry_size(entry) : 0;
}

// Compressed size in per mille of the original, 0 when either is unknown.
uint16_t Ratio(int64_t compressed, int64_t original) {
    if (compressed < 0 || original <= 0)
        return 0;
    return static_cast<uint16_t>(std::min<int64_t>(compressed * 1000 / original, 0xFFFF));
}

} // namespace

QM_FILETIME SplitFileTime(uint64_t value) {
    return {static_cast<uint32_t>(value), static_cast<uint32_t>(value >> 32)};
}

void ToDosDateTime(time_t t, uint16_t& date, uint16_t& time) {
    date = 0;
    time = 0;
    struct tm local {};
    if (localtime_r(&t, &local) == nullptr || local.tm_year < 80 || local.tm_year > 207)
        return;
    date = static_cast<uint16_t>(((local.tm_year - 80) << 9) | ((local.tm_mon + 1) << 5) |
                                 local.tm_mday);
    time = static_cast<uint16_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
}

void CopyAnsiField(char* field, size_t size, const std::string& utf8) {
    try {
        CopyText(field, size, ToAnsi(utf8));
    } catch (const EEncodingError&) {
        field[0] = '\0';
    }
}

std::string LogText(const std::string& utf8) {
    try {
        return ToAnsi(utf8);
    } catch (const EEncodingError&) {
        std::string ascii;
        for (char c : utf8) {
            if (static_cast<unsigned char>(c) < 0x80)
                ascii += c;
            else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
                ascii += '?';
        }
        return ascii;
    }
}

uint32_t WindowsAttributes(archive_entry* entry) {
    uint32_t attributes = 0;
    if (archive_entry_filetype(entry) == AE_IFDIR)
        attributes |= 0x10;
    else
        attributes |= 0x20;
    if ((archive_entry_perm(entry) & 0222) == 0)
        attributes |= 0x01;
    return attributes;
}

std::string AttributeText(uint32_t attributes) {
    std::string text = "-----";
    if (attributes & 0x01)
        text[0] = 'R';
    if (attributes & 0x02)
        text[1] = 'H';
    if (attributes & 0x04)
        text[2] = 'S';
    if (attributes & 0x20)
        text[3] = 'A';
    if (attributes & 0x10)
        text[4] = 'D';
    return text;
}

const char* FormatText(archive* a) {
    if (a == nullptr)
        return "";
    switch (archive_format(a) & ARCHIVE_FORMAT_BASE_MASK) {
    case ARCHIVE_FORMAT_LHA:
        return "lha";
    case ARCHIVE_FORMAT_ZIP:
        return "zip";
    case ARCHIVE_FORMAT_CAB:
        return "cab";
    case ARCHIVE_FORMAT_TAR:
        return "tar";
    case ARCHIVE_FORMAT_CPIO:
        return "cpio";
    case ARCHIVE_FORMAT_AR:
        return "ar";
    case ARCHIVE_FORMAT_RAW:
        return "raw";
    case ARCHIVE_FORMAT_RAR:
    case ARCHIVE_FORMAT_RAR_V5:
        return "rar";
    case ARCHIVE_FORMAT_7ZIP:
        return "7z";
    default:
        return "";
    }
}

void FillMemberInfo(INDIVIDUALINFO& info, const Reader& reader, const std::string& name) {
    archive_entry* entry = reader.Entry();
    const int64_t compressed = reader.CompressedSize();
    std::memset(&info, 0, sizeof info);
    info.dwOriginalSize = Low32(SizeOf(entry));
    info.dwCompressedSize = compressed >= 0 ? Low32(compressed) : 0;
    info.dwCRC = reader.Crc();
    info.wRatio = Ratio(compressed, SizeOf(entry));
    CommonDosTime(entry, info.wDate, info.wTime);
    CopyAnsiField(info.szFileName, sizeof info.szFileName, name);
    CopyText(info.szAttribute, sizeof info.szAttribute, AttributeText(WindowsAttributes(entry)));
    CopyText(info.szMode, sizeof info.szMode, reader.ModeText());
}

void FillProgressInfo(EXTRACTINGINFOEX& info, const Reader& reader, bool withMember,
                      const std::string& name, const std::string& destination) {
    std::memset(&info, 0, sizeof info);
    if (withMember) {
        archive_entry* entry = reader.Entry();
        const int64_t compressed = reader.CompressedSize();
        info.dwFileSize = Low32(SizeOf(entry));
        info.dwCompressedSize = compressed >= 0 ? Low32(compressed) : 0;
        info.dwCRC = reader.Crc();
        info.wRatio = Ratio(compressed, SizeOf(entry));
        CommonDosTime(entry, info.wDate, info.wTime);
        CopyText(info.szAttribute, sizeof info.szAttribute,
                 AttributeText(WindowsAttributes(entry)));
    }
    CopyAnsiField(info.szSourceFileName, sizeof info.szSourceFileName, name);
    CopyAnsiField(info.szDestFileName, sizeof info.szDestFileName, destination);
    CopyText(info.szMode, sizeof info.szMode, reader.ModeText());
}

void FillEnumInfo(ENUM_MEMBER_INFO64& info, const Reader& reader, const std::string& name,
                  uint32_t index) {
    archive_entry* entry = reader.Entry();
    std::memset(&info, 0, sizeof info);
    info.dwStructSize = QM_ENUM_MEMBER_INFO_SIZE;
    info.dwIndex = index;
    info.llOriginalSize = static_cast<uint64_t>(SizeOf(entry));
    info.llCompressedSize = static_cast<uint64_t>(std::max<int64_t>(reader.CompressedSize(), 0));
    if (archive_entry_mtime_is_set(entry))
        info.ftLastWriteTime = SplitFileTime(
            UnixTimeToFileTime(archive_entry_mtime(entry), archive_entry_mtime_nsec(entry)));
    if (archive_entry_birthtime_is_set(entry))
        info.ftCreationTime = SplitFileTime(UnixTimeToFileTime(
            archive_entry_birthtime(entry), archive_entry_birthtime_nsec(entry)));
    if (archive_entry_atime_is_set(entry))
        info.ftLastAccessTime = SplitFileTime(
            UnixTimeToFileTime(archive_entry_atime(entry), archive_entry_atime_nsec(entry)));
    info.dwAttributes = WindowsAttributes(entry);
    CommonDosTime(entry, info.wDate, info.wTime);
    CopyAnsiField(info.szFileName, sizeof info.szFileName, name);
    CopyText(info.szAttribute, sizeof info.szAttribute, AttributeText(info.dwAttributes));
    CopyText(info.szMode, sizeof info.szMode, reader.ModeText());
}

} // namespace qm::arc
