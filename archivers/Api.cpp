#include "Api.h"

#include "CommandLine.h"
#include "Extractor.h"
#include "Records.h"
#include "ZipDirectory.h"
#include "platform/AnsiCodec.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"

#include <archive.h>
#include <archive_entry.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <set>

namespace qm::arc {

namespace {

// One OpenArchive: a reader positioned on the member of the last FindFirst/FindNext.
struct ArchiveHandle {
    Family family;
    std::string path;
    Reader reader;
    Command selector; // the wildcard of FindFirst
    bool searching = false;
    bool used = false; // a later FindFirst starts from the beginning again
    bool current = false;
};

std::mutex g_handleLock;
std::set<ArchiveHandle*> g_handles;

ArchiveHandle* Lookup(HARC handle) {
    std::lock_guard<std::mutex> guard(g_handleLock);
    auto* h = static_cast<ArchiveHandle*>(handle);
    return g_handles.count(h) != 0 ? h : nullptr;
}

void WriteOutput(const std::string& text, char* output, uint32_t size) {
    if (output == nullptr || size == 0)
        return;
    size_t n = std::min<size_t>(text.size(), size - 1);
    if (n < text.size()) {
        // The caller reads the log as text: a cut never splits a character.
        size_t whole = 0;
        for (size_t i = 0; i < n;) {
            i += IsAnsiLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
            if (i <= n)
                whole = i;
        }
        while (whole > 0 && (static_cast<unsigned char>(text[whole]) & 0xC0) == 0x80 &&
               GetAnsiCodePage() == CP_UTF8_PAGE)
            --whole;
        n = whole;
    }
    std::memcpy(output, text.data(), n);
    output[n] = '\0';
}

// Reads the next member that the handle's wildcard selects into the record.
int NextSelected(ArchiveHandle& h, INDIVIDUALINFO* info) {
    h.current = false;
    for (;;) {
        int r = h.reader.Next();
        if (r != 0)
            return r;
        std::optional<std::string> name = MemberName(h.reader);
        // A member whose name cannot be read is still listed, with an empty name, so the
        // caller sees that the archive holds it.
        if (name && !IsSelected(h.selector, *name))
            continue;
        if (info != nullptr)
            FillMemberInfo(*info, h.reader, name.value_or(""));
        h.current = true;
        return 0;
    }
}

} // namespace

int CommandEntry(Family family, QM_HWND /*window: no dialogs are shown*/, const char* line,
                 char* output, uint32_t size) {
    try {
        Utf8LocaleScope locale;
        CommandLog log(output != nullptr && size > 0);
        int result;
        try {
            Command command = ParseCommand(family, FromAnsi(line != nullptr ? line : ""));
            result = RunCommand(family, command, log);
        } catch (const CommandError& error) {
            log.Line(error.message);
            result = error.code;
        } catch (const EEncodingError&) {
            log.Line("the command line is not text of the ANSI code page");
            result = ERROR_COMMAND_NAME;
        }
        WriteOutput(log.Text(), output, size);
        return result;
    } catch (const std::bad_alloc&) {
        return ERROR_ENOUGH_MEMORY;
    } catch (...) {
        return ERROR_NOT_SUPPORT;
    }
}

QM_BOOL CheckArchive(Family family, const char* archive, int mode) {
    try {
        Utf8LocaleScope locale;
        Reader reader;
        if (archive == nullptr || reader.Open(family, FromAnsi(archive)) != 0)
            return 0;
        // The first header read already; the basic check reads every header, the full check
        // decodes every member's data so that checksums are verified.
        const bool headers = (mode & CHECKARCHIVE_BASIC) != 0 || (mode & CHECKARCHIVE_FULLCRC) != 0;
        const bool data = (mode & CHECKARCHIVE_FULLCRC) != 0;
        if (!headers)
            return 1;
        // A ZIP archive with a sound central directory has every member's header there (and
        // libarchive reads it through that directory): one read of it answers for all of them.
        if (!data && family == Family::Zip && ZipDirectoryIsSound(reader.Path()))
            return 1;
        for (;;) {
            int r = reader.Next();
            if (r == QM_ERROR_END_OF_SEARCH)
                return 1;
            if (r != 0)
                return 0;
            if (!data)
                continue;
            if (archive_entry_is_data_encrypted(reader.Entry()))
                continue; // cannot be verified without the password; not a broken archive
            const void* block;
            size_t length;
            int64_t offset;
            int d;
            // A warning here is a checksum mismatch.
            while ((d = reader.ReadBlock(&block, &length, &offset)) == ARCHIVE_OK) {
            }
            if (d != ARCHIVE_EOF)
                return 0;
        }
    } catch (...) {
        return 0;
    }
}

HARC OpenArchive(Family family, QM_HWND, const char* archive, uint32_t) {
    try {
        Utf8LocaleScope locale;
        if (archive == nullptr)
            return nullptr;
        auto h = std::make_unique<ArchiveHandle>();
        h->family = family;
        h->path = FromAnsi(archive);
        h->selector.bracketWildcards = family == Family::Zip;
        if (h->reader.Open(family, h->path) != 0)
            return nullptr;
        std::lock_guard<std::mutex> guard(g_handleLock);
        g_handles.insert(h.get());
        return h.release();
    } catch (...) {
        return nullptr;
    }
}

int CloseArchive(HARC handle) {
    ArchiveHandle* h = Lookup(handle);
    if (h == nullptr)
        return ERROR_HARC_ISNOT_OPENED;
    {
        std::lock_guard<std::mutex> guard(g_handleLock);
        g_handles.erase(h);
    }
    delete h;
    return 0;
}

int FindFirst(HARC handle, const char* wildcard, INDIVIDUALINFO* info) {
    try {
        Utf8LocaleScope locale;
        ArchiveHandle* h = Lookup(handle);
        if (h == nullptr)
            return ERROR_HARC_ISNOT_OPENED;
        if (h->used) {
            int r = h->reader.Open(h->family, h->path);
            if (r != 0)
                return r;
        }
        h->used = true;
        h->searching = true;
        h->selector.patterns.clear();
        std::string pattern = wildcard != nullptr ? FromAnsi(wildcard) : "";
        if (!pattern.empty() && pattern != "*" && pattern != "*.*")
            h->selector.patterns.push_back(pattern);
        return NextSelected(*h, info);
    } catch (const EEncodingError&) {
        return ERROR_NOT_FILENAME;
    } catch (...) {
        return ERROR_NOT_SUPPORT;
    }
}

int FindNext(HARC handle, INDIVIDUALINFO* info) {
    try {
        Utf8LocaleScope locale;
        ArchiveHandle* h = Lookup(handle);
        if (h == nullptr)
            return ERROR_HARC_ISNOT_OPENED;
        if (!h->searching)
            return ERROR_NOT_SEARCH_MODE;
        return NextSelected(*h, info);
    } catch (...) {
        return ERROR_NOT_SUPPORT;
    }
}

QM_BOOL GetTime(HARC handle, TimeKind kind, QM_FILETIME* time) {
    ArchiveHandle* h = Lookup(handle);
    if (h == nullptr || !h->current || time == nullptr)
        return 0;
    archive_entry* e = h->reader.Entry();
    switch (kind) {
    case TimeKind::Write:
        if (!archive_entry_mtime_is_set(e))
            return 0;
        *time =
            SplitFileTime(UnixTimeToFileTime(archive_entry_mtime(e), archive_entry_mtime_nsec(e)));
        return 1;
    case TimeKind::Create:
        if (!archive_entry_birthtime_is_set(e))
            return 0;
        *time = SplitFileTime(
            UnixTimeToFileTime(archive_entry_birthtime(e), archive_entry_birthtime_nsec(e)));
        return 1;
    case TimeKind::Access:
        if (!archive_entry_atime_is_set(e))
            return 0;
        *time =
            SplitFileTime(UnixTimeToFileTime(archive_entry_atime(e), archive_entry_atime_nsec(e)));
        return 1;
    }
    return 0;
}

QM_BOOL GetOriginalSize(HARC handle, int64_t* size) {
    ArchiveHandle* h = Lookup(handle);
    if (h == nullptr || !h->current || size == nullptr ||
        !archive_entry_size_is_set(h->reader.Entry()))
        return 0;
    *size = archive_entry_size(h->reader.Entry());
    return 1;
}

QM_BOOL GetCompressedSize(HARC handle, int64_t* size) {
    // libarchive does not tell a member's compressed size; the caller then falls back to the
    // record's 32-bit field.
    ArchiveHandle* h = Lookup(handle);
    if (h == nullptr || !h->current || size == nullptr || h->reader.CompressedSize() < 0)
        return 0;
    *size = h->reader.CompressedSize();
    return 1;
}

int GetArchiveType(Family family, const char* archive) {
    try {
        if (archive == nullptr)
            return -1;
        if (family == Family::Tar)
            return TarArchiveType(FromAnsi(archive));
        Utf8LocaleScope locale;
        Reader reader;
        int r = reader.Open(family, FromAnsi(archive));
        if (r == ERROR_NOT_FIND_ARC_FILE || r == ERROR_ARC_FILE_OPEN)
            return -1;
        return r == 0 ? 1 : 0;
    } catch (...) {
        return -1;
    }
}

QM_BOOL SetOwnerWindow(Family family, QM_HWND window, QM_ARCHIVERPROC proc) {
    if (window == nullptr && proc == nullptr)
        return 0;
    FamilyState state = GetFamilyState(family);
    state.owner = window;
    state.ownerProc = proc;
    UpdateFamilyState(family, state);
    return 1;
}

QM_BOOL KillOwnerWindow(Family family, QM_HWND window) {
    FamilyState state = GetFamilyState(family);
    if (state.owner != window)
        return 0;
    state.owner = nullptr;
    state.ownerProc = nullptr;
    UpdateFamilyState(family, state);
    return 1;
}

QM_BOOL SetEnumMembersProc(Family family, QM_ENUMMEMBERPROC64 proc, uint32_t size) {
    // The record is ours; a caller expecting another size would read it wrongly.
    if (proc == nullptr || size != QM_ENUM_MEMBER_INFO_SIZE)
        return 0;
    FamilyState state = GetFamilyState(family);
    state.enumProc = proc;
    UpdateFamilyState(family, state);
    return 1;
}

QM_BOOL ClearEnumMembersProc(Family family) {
    FamilyState state = GetFamilyState(family);
    state.enumProc = nullptr;
    UpdateFamilyState(family, state);
    return 1;
}

int ExtractMem(Family family, QM_HWND, const char* line, uint8_t* buffer, uint32_t size,
               int64_t* time, uint16_t* attributes, uint32_t* written) {
    try {
        Utf8LocaleScope locale;
        if (line == nullptr || (buffer == nullptr && size > 0))
            return ERROR_COMMAND_NAME;
        std::string text = FromAnsi(line);
        Command command;
        // The drivers build this command without a command word.
        try {
            command = ParseCommand(family, text);
        } catch (const CommandError&) {
            command = ParseCommand(family, "x " + text);
        }
        // Without a folder argument a second name ending in a delimiter is still a member.
        if (!command.destination.empty()) {
            command.patterns.insert(command.patterns.begin(), command.destination);
            command.destination.clear();
        }
        if (command.patterns.empty())
            return ERROR_NOT_FILENAME;
        return ExtractToMemory(family, command, buffer, size, time, attributes, written);
    } catch (const CommandError& error) {
        return error.code;
    } catch (const EEncodingError&) {
        return ERROR_COMMAND_NAME;
    } catch (...) {
        return ERROR_NOT_SUPPORT;
    }
}

} // namespace qm::arc
