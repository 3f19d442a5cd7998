#include "Family.h"

#include "LhaReader.h"
#include "Records.h"
#include "platform/AnsiCodec.h"
#include "platform/Exception.h"

#include <archive.h>
#include <archive_entry.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace qm::arc {

namespace {

std::mutex g_stateLock;
std::array<FamilyState, 6> g_states;

// Names without a Unicode flag reach MemberName as stored, which reads them by the archive-name
// rule of the codec (valid UTF-8 as UTF-8, otherwise the archive charset). LHA archives are read
// by LhaReader.
void EnableFormats(Family family, archive* a) {
    switch (family) {
    case Family::Lha:
        break;
    case Family::Zip:
        archive_read_support_format_zip(a);
        break;
    case Family::Cab:
        archive_read_support_format_cab(a);
        break;
    case Family::Tar:
        archive_read_support_format_tar(a);
        archive_read_support_format_gnutar(a);
        archive_read_support_format_cpio(a);
        archive_read_support_format_ar(a);
        archive_read_support_format_raw(a);
        break;
    case Family::Rar:
        archive_read_support_format_rar(a);
        archive_read_support_format_rar5(a);
        break;
    case Family::SevenZip:
        archive_read_support_format_7zip(a);
        break;
    }
}

std::string BaseName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The name of the single file inside a compressed file: the archive's name without its
// compression suffix.
std::string RawMemberName(const std::string& archivePath) {
    std::string base = BaseName(archivePath);
    size_t dot = base.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        return base.substr(0, dot);
    return base + ".out";
}

// Some readers turn every "\\" byte of a stored name into "/" before the name is decoded, which
// breaks Shift_JIS characters whose second byte is 0x5C (表, ソ, 能). A lead byte followed by
// "/" never occurs in valid Shift_JIS, so such a pair is put back.
std::string RestoreTrailBackslashes(const std::string& raw) {
    std::string fixed = raw;
    for (size_t i = 0; i + 1 < fixed.size(); ++i) {
        if (!IsArchiveLeadByte(static_cast<unsigned char>(fixed[i])))
            continue;
        if (fixed[i + 1] == '/')
            fixed[i + 1] = '\\';
        ++i;
    }
    return fixed;
}

bool HasFilter(archive* a, int code) {
    for (int i = 0; i < archive_filter_count(a); ++i)
        if (archive_filter_code(a, i) == code)
            return true;
    return false;
}

// The compression part of a TAR-family type code.
int FilterOffset(archive* a) {
    switch (archive_filter_code(a, 0)) {
    case ARCHIVE_FILTER_NONE:
        return 0;
    case ARCHIVE_FILTER_GZIP:
        return 4;
    case ARCHIVE_FILTER_COMPRESS:
        return 5;
    case ARCHIVE_FILTER_BZIP2:
        return 7;
    case ARCHIVE_FILTER_XZ:
        return 11;
    default:
        return 15;
    }
}

} // namespace

FamilyState GetFamilyState(Family family) {
    std::lock_guard<std::mutex> guard(g_stateLock);
    return g_states[static_cast<size_t>(family)];
}

void UpdateFamilyState(Family family, const FamilyState& state) {
    std::lock_guard<std::mutex> guard(g_stateLock);
    g_states[static_cast<size_t>(family)] = state;
}

const char* FamilyName(Family family) {
    switch (family) {
    case Family::Lha:
        return "LHA";
    case Family::Zip:
        return "ZIP";
    case Family::Cab:
        return "CAB";
    case Family::Tar:
        return "TAR";
    case Family::Rar:
        return "RAR";
    case Family::SevenZip:
        return "7z";
    }
    return "?";
}

Utf8LocaleScope::Utf8LocaleScope() {
    // Made once and released when the library is unloaded, which a host may do many times.
    struct Locale {
        locale_t handle = newlocale(LC_ALL_MASK, "C.UTF-8", nullptr);
        ~Locale() {
            if (handle != nullptr)
                freelocale(handle);
        }
    };
    static const Locale utf8;
    if (utf8.handle != nullptr) {
        previous_ = uselocale(utf8.handle);
        active_ = true;
    }
}

Utf8LocaleScope::~Utf8LocaleScope() {
    if (active_)
        uselocale(previous_);
}

Reader::Reader() = default;

Reader::~Reader() {
    Close();
}

void Reader::Close() {
    if (a_ != nullptr)
        archive_read_free(a_);
    a_ = nullptr;
    entry_ = nullptr;
    lha_.reset();
    pending_ = false;
}

archive_entry* Reader::Entry() const {
    return lha_ ? lha_->Entry() : entry_;
}

int Reader::Open(Family family, const std::string& path) {
    Close();
    family_ = family;
    path_ = path;
    if (family == Family::Lha) {
        lha_ = std::make_unique<LhaReader>();
        int opened = lha_->Open(path);
        if (opened != 0)
            lha_.reset();
        return opened;
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? ERROR_NOT_FIND_ARC_FILE : ERROR_ARC_FILE_OPEN;
    if (!S_ISREG(st.st_mode))
        return ERROR_NOT_ARC_FILE;

    a_ = archive_read_new();
    if (a_ == nullptr)
        return ERROR_ENOUGH_MEMORY;
    archive_read_support_filter_all(a_);
    EnableFormats(family, a_);
    if (archive_read_open_filename(a_, path.c_str(), 64 * 1024) != ARCHIVE_OK) {
        int code = archive_errno(a_) == EACCES ? ERROR_ARC_FILE_OPEN : ERROR_NOT_ARC_FILE;
        Close();
        return code;
    }
    // The first header decides whether this is an archive of the family at all.
    int r = archive_read_next_header(a_, &entry_);
    if (r == ARCHIVE_EOF) {
        // An empty archive is still an archive when a format took it.
        if (archive_format(a_) == 0 || !IsOwnFormat(family, a_)) {
            Close();
            return ERROR_NOT_ARC_FILE;
        }
        pending_ = true;
        pendingResult_ = QM_ERROR_END_OF_SEARCH;
        return 0;
    }
    if (r < ARCHIVE_WARN || !IsOwnFormat(family, a_)) {
        Close();
        return ERROR_NOT_ARC_FILE;
    }
    pending_ = true;
    pendingResult_ = 0;
    return 0;
}

int Reader::Next() {
    if (lha_)
        return lha_->Next();
    if (a_ == nullptr)
        return ERROR_HARC_ISNOT_OPENED;
    for (;;) {
        if (pending_) {
            pending_ = false;
            if (pendingResult_ != 0)
                return pendingResult_;
        } else {
            int r = archive_read_next_header(a_, &entry_);
            if (r == ARCHIVE_EOF)
                return QM_ERROR_END_OF_SEARCH;
            if (r < ARCHIVE_WARN)
                return ReadErrorCode(a_, nullptr);
        }
        // The linker's symbol index of an ar archive (every static or import library has one)
        // is part of the format, not a member: named "/", it would be refused as an absolute
        // name and make a sound library look damaged.
        if ((archive_format(a_) & ARCHIVE_FORMAT_BASE_MASK) == ARCHIVE_FORMAT_AR) {
            const char* name = archive_entry_pathname(entry_);
            if (name != nullptr &&
                (std::strcmp(name, "/") == 0 || std::strcmp(name, "/SYM64/") == 0))
                continue;
        }
        return 0;
    }
}

std::string Reader::ErrorText() const {
    if (lha_)
        return lha_->ErrorText().empty() ? "unknown error" : lha_->ErrorText();
    const char* s = a_ != nullptr ? archive_error_string(a_) : nullptr;
    return s != nullptr ? s : "unknown error";
}

int Reader::ReadBlock(const void** block, size_t* length, int64_t* offset) {
    if (lha_)
        return lha_->ReadBlock(block, length, offset);
    la_int64_t at = 0;
    int r = archive_read_data_block(a_, block, length, &at);
    *offset = at;
    return r;
}

int Reader::ReadError() const {
    return lha_ ? lha_->ErrorCode() : ReadErrorCode(a_, entry_);
}

const char* Reader::ModeText() const {
    return lha_ ? lha_->Method() : FormatText(a_);
}

int64_t Reader::CompressedSize() const {
    return lha_ ? lha_->CompressedSize() : -1;
}

uint32_t Reader::Crc() const {
    return lha_ ? lha_->Crc() : 0;
}

bool IsOwnFormat(Family family, archive* a) {
    int format = archive_format(a) & ARCHIVE_FORMAT_BASE_MASK;
    switch (family) {
    case Family::Lha:
        return format == ARCHIVE_FORMAT_LHA;
    case Family::Zip:
        return format == ARCHIVE_FORMAT_ZIP;
    case Family::Cab:
        return format == ARCHIVE_FORMAT_CAB;
    case Family::Tar:
        if (format == ARCHIVE_FORMAT_RAW)
            return archive_filter_count(a) > 1; // only a compressed single file
        return format == ARCHIVE_FORMAT_TAR || format == ARCHIVE_FORMAT_CPIO ||
               format == ARCHIVE_FORMAT_AR;
    case Family::Rar:
        return format == ARCHIVE_FORMAT_RAR || format == ARCHIVE_FORMAT_RAR_V5;
    case Family::SevenZip:
        return format == ARCHIVE_FORMAT_7ZIP;
    }
    return false;
}

std::optional<std::string> DecodeStoredText(const char* utf8, const char* raw) {
    // A text flagged as Unicode, or stored as valid UTF-8, arrives here as UTF-8.
    if (utf8 != nullptr && IsValidUtf8(utf8))
        return std::string(utf8);
    if (raw == nullptr)
        return std::nullopt;
    const std::string text = raw;
    try {
        return ArchiveNameToUtf8(text);
    } catch (const EEncodingError&) {
    }
    try {
        return ArchiveNameToUtf8(RestoreTrailBackslashes(text));
    } catch (const EEncodingError&) {
        return std::nullopt;
    }
}

std::optional<std::string> MemberName(Reader& reader) {
    if (reader.Lha() != nullptr)
        return reader.Lha()->Name();
    archive_entry* entry = reader.Entry();
    if ((archive_format(reader.Handle()) & ARCHIVE_FORMAT_BASE_MASK) == ARCHIVE_FORMAT_RAW)
        return RawMemberName(reader.Path());
    return DecodeStoredText(archive_entry_pathname_utf8(entry), archive_entry_pathname(entry));
}

int ReadErrorCode(archive* a, archive_entry* entry) {
    if (entry != nullptr && archive_entry_is_encrypted(entry))
        return ERROR_PASSWORD_FILE;
    if (archive_errno(a) == ENOMEM)
        return ERROR_ENOUGH_MEMORY;
    const char* text = archive_error_string(a);
    std::string s = text != nullptr ? text : "";
    auto has = [&](const char* word) { return s.find(word) != std::string::npos; };
    if (has("assword") || has("ncrypt"))
        return ERROR_PASSWORD_FILE;
    if (has("nsupported") || has("not supported"))
        return ERROR_METHOD;
    if (has("runcated") || has("nexpected end") || has("remature"))
        return ERROR_UNEXPECTED_EOF;
    if (has("CRC") || has("hecksum"))
        return ERROR_FILE_CRC;
    if (has("header") || has("Header"))
        return ERROR_HEADER_BROKEN;
    return ERROR_BROKEN_DATA;
}

int TarArchiveType(const std::string& path) {
    Utf8LocaleScope locale;
    Reader reader;
    int r = reader.Open(Family::Tar, path);
    if (r == ERROR_NOT_FIND_ARC_FILE || r == ERROR_ARC_FILE_OPEN)
        return -1;
    if (r != 0)
        return 0;
    archive* a = reader.Handle();
    int format = archive_format(a) & ARCHIVE_FORMAT_BASE_MASK;
    int offset = FilterOffset(a);
    if (HasFilter(a, ARCHIVE_FILTER_RPM))
        return ARCHIVETYPE_RPM;
    switch (format) {
    case ARCHIVE_FORMAT_TAR:
        switch (offset) {
        case 0:
            return ARCHIVETYPE_TAR;
        case 4:
            return ARCHIVETYPE_TARGZ;
        case 5:
            return ARCHIVETYPE_TARZ;
        case 7:
            return ARCHIVETYPE_TARBZ2;
        case 11:
            return ARCHIVETYPE_TARXZ;
        default:
            return ARCHIVETYPE_TAROTHER;
        }
    case ARCHIVE_FORMAT_RAW:
        switch (offset) {
        case 4:
            return ARCHIVETYPE_GZ;
        case 5:
            return ARCHIVETYPE_Z;
        case 7:
            return ARCHIVETYPE_BZ2;
        case 11:
            return ARCHIVETYPE_XZ;
        default:
            return ARCHIVETYPE_OTHER;
        }
    case ARCHIVE_FORMAT_CPIO:
        return ARCHIVETYPE_CPIO + offset;
    case ARCHIVE_FORMAT_AR:
        return ARCHIVETYPE_AR + offset;
    default:
        return 0;
    }
}

} // namespace qm::arc
