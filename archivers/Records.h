#pragma once
// Filling the records the program reads (member, progress, enumeration) from a libarchive entry.
#include "archiver_abi.h"

#include <cstdint>
#include <ctime>
#include <string>

struct archive;
struct archive_entry;

namespace qm::arc {

class Reader;

// The two halves of a FILETIME (see UnixTimeToFileTime).
QM_FILETIME SplitFileTime(uint64_t value);
// MS-DOS date and time in local time; both 0 before 1980 or for an unknown time.
void ToDosDateTime(time_t t, uint16_t& date, uint16_t& time);

// Copies a UTF-8 text into an ANSI field of the given size, NUL-terminated. A text the code
// page cannot hold leaves the field empty rather than naming a different file.
void CopyAnsiField(char* field, size_t size, const std::string& utf8);
// For log lines only: the text in the ANSI code page, characters it cannot hold as '?'.
std::string LogText(const std::string& utf8);

// Windows attribute bits (read-only 0x01, folder 0x10, archive 0x20) and the short text form.
uint32_t WindowsAttributes(archive_entry* entry);
std::string AttributeText(uint32_t attributes);
// Short text naming the member's format or method ("zip", "lha", ...).
const char* FormatText(archive* a);

// The records of the reader's current member. The progress record describes the member only
// when withMember is set (the steps of the archive itself name no member).
void FillMemberInfo(INDIVIDUALINFO& info, const Reader& reader, const std::string& name);
void FillProgressInfo(EXTRACTINGINFOEX& info, const Reader& reader, bool withMember,
                      const std::string& name, const std::string& destination);
void FillEnumInfo(ENUM_MEMBER_INFO64& info, const Reader& reader, const std::string& name,
                  uint32_t index);

} // namespace qm::arc
