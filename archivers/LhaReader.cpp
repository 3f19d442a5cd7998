#include "LhaReader.h"

#include "archiver_abi.h"
#include "platform/AnsiCodec.h"
#include "platform/Exception.h"

#include <archive.h>
#include <archive_entry.h>
#include <lhasa.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::arc {

namespace {

constexpr size_t kBlockSize = 64 * 1024;
constexpr size_t kMacBinaryHeader = 128;
// Seconds from 1601-01-01 to 1970-01-01, in FILETIME units.
constexpr uint64_t kFileTimeEpoch = 116444736000000000ULL;

// CRC-16 with the polynomial 0xA001 (reflected), as LHA stores it for each member's data.
const std::array<uint16_t, 256>& CrcTable() {
    static const std::array<uint16_t, 256> table = [] {
        std::array<uint16_t, 256> t{};
        for (unsigned i = 0; i < 256; ++i) {
            uint16_t c = static_cast<uint16_t>(i);
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? static_cast<uint16_t>((c >> 1) ^ 0xA001)
                            : static_cast<uint16_t>(c >> 1);
            t[i] = c;
        }
        return t;
    }();
    return table;
}

uint16_t UpdateCrc(uint16_t crc, const uint8_t* data, size_t size) {
    const auto& table = CrcTable();
    for (size_t i = 0; i < size; ++i)
        crc = static_cast<uint16_t>((crc >> 8) ^ table[(crc ^ data[i]) & 0xFF]);
    return crc;
}

// CRC-16/XMODEM, the checksum of a MacBinary II header.
uint16_t MacBinaryCrc(const uint8_t* data, size_t size) {
    uint16_t crc = 0;
    for (size_t i = 0; i < size; ++i) {
        crc = static_cast<uint16_t>(crc ^ (data[i] << 8));
        for (int k = 0; k < 8; ++k)
            crc = (crc & 0x8000) ? static_cast<uint16_t>((crc << 1) ^ 0x1021)
                                 : static_cast<uint16_t>(crc << 1);
    }
    return crc;
}

uint32_t Be32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

uint64_t Le(const uint8_t* p, size_t width) {
    uint64_t value = 0;
    for (size_t i = width; i > 0; --i)
        value = (value << 8) | p[i - 1];
    return value;
}

// The name as stored in the header bytes: the base header's path for levels 0 and 1, replaced
// in part by the extended headers 0x01 (file name) and 0x02 (folder, 0xFF between folders).
// Separators stay as stored, except 0xFF, which no charset uses as a character.
std::string StoredName(const LHAFileHeader& header) {
    const uint8_t* raw = header.raw_data;
    const size_t size = header.raw_data_len;
    std::string base, file, folder;
    bool haveFile = false, haveFolder = false;
    size_t next = 0, at = 0, width = 2;
    switch (header.header_level) {
    case 0:
    case 1:
        if (size > 22 && 22u + raw[21] <= size)
            base.assign(reinterpret_cast<const char*>(raw + 22), raw[21]);
        if (header.header_level == 1 && size > 0 && raw[0] + 2u <= size) {
            at = raw[0] + 2u;
            next = Le(raw + at - 2, 2);
        }
        break;
    case 2:
        at = 26;
        next = size >= at ? Le(raw + 24, 2) : 0;
        break;
    case 3:
        at = 32;
        width = 4;
        next = size >= at ? Le(raw + 28, 4) : 0;
        break;
    default:
        break;
    }
    // Each extended header: its type, its data, then the size of the one after it.
    while (next > width && at + next <= size) {
        const char* payload = reinterpret_cast<const char*>(raw + at + 1);
        const size_t length = next - 1 - width;
        if (raw[at] == 0x01) {
            file.assign(payload, length);
            haveFile = true;
        } else if (raw[at] == 0x02) {
            folder.assign(payload, length);
            haveFolder = true;
        }
        at += next;
        next = Le(raw + at - width, width);
    }
    std::string name = haveFile ? file : base;
    if (haveFolder) {
        if (!folder.empty() && folder.back() != '\xff' && folder.back() != '/' &&
            folder.back() != '\\')
            folder += '/';
        name = folder + name;
    }
    std::replace(name.begin(), name.end(), '\xff', '/');
    return name;
}

// Stored names carry no charset mark: the codec's archive-name rule reads them (valid UTF-8 as
// UTF-8, archives made on Linux and by newer tools; anything else in the archive charset, CP932
// unless chosen otherwise); "\" then separates folders.
std::optional<std::string> DecodeStoredName(const std::string& raw) {
    std::string name;
    try {
        name = ArchiveNameToUtf8(raw);
    } catch (const EEncodingError&) {
        return std::nullopt;
    }
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

void SetWindowsTime(archive_entry* entry, uint64_t fileTime, bool access) {
    if (fileTime < kFileTimeEpoch)
        return;
    const uint64_t units = fileTime - kFileTimeEpoch;
    const time_t seconds = static_cast<time_t>(units / 10000000);
    const long nanoseconds = static_cast<long>(units % 10000000) * 100;
    if (access)
        archive_entry_set_atime(entry, seconds, nanoseconds);
    else
        archive_entry_set_birthtime(entry, seconds, nanoseconds);
}

} // namespace

LhaReader::LhaReader() : entry_(archive_entry_new()) {}

LhaReader::~LhaReader() {
    Release();
    archive_entry_free(entry_);
}

void LhaReader::Release() {
    if (reader_ != nullptr)
        lha_reader_free(reader_);
    if (stream_ != nullptr)
        lha_input_stream_free(stream_);
    if (source_.fd >= 0)
        ::close(source_.fd);
    reader_ = nullptr;
    stream_ = nullptr;
    source_ = Source{};
    pending_ = false;
}

int LhaReader::SourceRead(void* handle, void* buffer, size_t size) {
    auto* source = static_cast<Source*>(handle);
    auto* out = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < size) {
        if (source->begin == source->end) {
            ssize_t n = ::read(source->fd, source->buffer.data(), source->buffer.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                if (done == 0)
                    return -1;
                break;
            }
            if (n == 0)
                break;
            source->begin = 0;
            source->end = static_cast<size_t>(n);
        }
        const size_t take = std::min(source->end - source->begin, size - done);
        std::memcpy(out + done, source->buffer.data() + source->begin, take);
        source->begin += take;
        done += take;
    }
    source->position += done;
    return static_cast<int>(done);
}

int LhaReader::SourceSkip(void* handle, size_t bytes) {
    auto* source = static_cast<Source*>(handle);
    struct stat st {};
    if (::fstat(source->fd, &st) != 0 ||
        source->position + bytes > static_cast<uint64_t>(st.st_size)) {
        source->shortSkip = true;
        return 0;
    }
    const size_t buffered = source->end - source->begin;
    if (bytes <= buffered) {
        source->begin += bytes;
    } else {
        if (::lseek(source->fd, static_cast<off_t>(bytes - buffered), SEEK_CUR) < 0)
            return 0;
        source->begin = source->end = 0;
    }
    source->position += bytes;
    source->headerStart = source->position;
    return 1;
}

void LhaReader::SourceClose(void*) {
    // The descriptor is closed by Release, after liblhasa let go of it.
}

int LhaReader::Open(const std::string& path) {
    Release();
    source_.buffer.resize(kBlockSize);
    source_.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (source_.fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? ERROR_NOT_FIND_ARC_FILE : ERROR_ARC_FILE_OPEN;
    struct stat st {};
    if (::fstat(source_.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        Release();
        return ERROR_NOT_ARC_FILE;
    }
    static const LHAInputStreamType type = {&LhaReader::SourceRead, &LhaReader::SourceSkip,
                                            &LhaReader::SourceClose};
    stream_ = lha_input_stream_new(&type, &source_);
    reader_ = stream_ != nullptr ? lha_reader_new(stream_) : nullptr;
    if (reader_ == nullptr) {
        Release();
        return ERROR_ENOUGH_MEMORY;
    }
    // Folders are reported once, where the archive holds them; their times are set by the
    // extraction after everything below them is written.
    lha_reader_set_dir_policy(reader_, LHA_READER_DIR_PLAIN);
    LHAFileHeader* header = lha_reader_next_file(reader_);
    if (header == nullptr) {
        Release();
        return ERROR_NOT_ARC_FILE;
    }
    int taken = Take(header);
    if (taken != 0) {
        Release();
        return taken;
    }
    pending_ = true;
    return 0;
}

int LhaReader::Next() {
    if (reader_ == nullptr)
        return ERROR_HARC_ISNOT_OPENED;
    if (pending_) {
        pending_ = false;
        return 0;
    }
    for (;;) {
        source_.headerStart = source_.position;
        source_.shortSkip = false;
        LHAFileHeader* header = lha_reader_next_file(reader_);
        if (header == nullptr)
            break;
        if (lha_reader_current_is_fake(reader_))
            continue;
        return Take(header);
    }
    // liblhasa answers the end of the archive and a header it cannot read alike. The end is
    // the end of the file or the zero byte that closes an archive; anything else is damage.
    if (source_.shortSkip)
        return Fail(ERROR_UNEXPECTED_EOF, "the last member's data is cut short");
    struct stat st {};
    if (::fstat(source_.fd, &st) != 0)
        return Fail(ERROR_CANNOT_READ, std::strerror(errno));
    if (source_.headerStart >= static_cast<uint64_t>(st.st_size))
        return QM_ERROR_END_OF_SEARCH;
    uint8_t first = 1;
    if (::pread(source_.fd, &first, 1, static_cast<off_t>(source_.headerStart)) == 1 && first == 0)
        return QM_ERROR_END_OF_SEARCH;
    return Fail(ERROR_HEADER_BROKEN, "a member header cannot be read");
}

int LhaReader::Take(LHAFileHeader* header) {
    std::memcpy(method_, header->compress_method, sizeof method_);
    method_[sizeof method_ - 1] = '\0';
    compressed_ = static_cast<int64_t>(header->compressed_length);
    crc_ = header->crc;
    osType_ = header->os_type;
    length_ = header->length;
    decoded_ = 0;
    running_ = 0;
    dataDone_ = false;
    macBinary_ = false;
    forkLength_ = 0;
    held_.clear();
    errorCode_ = 0;
    errorText_.clear();

    const bool link = header->symlink_target != nullptr;
    const bool folder = !link && std::strcmp(method_, LHA_COMPRESS_TYPE_DIR) == 0;
    std::string stored = StoredName(*header);
    if (link)
        stored = stored.substr(0, stored.find('|'));
    name_ = DecodeStoredName(stored);

    archive_entry_clear(entry_);
    archive_entry_copy_pathname(entry_, name_ ? name_->c_str() : stored.c_str());
    archive_entry_set_filetype(entry_, folder ? AE_IFDIR : link ? AE_IFLNK : AE_IFREG);
    mode_t perm = folder ? 0755 : 0644;
    if (LHA_FILE_HAVE_EXTRA(header, LHA_FILE_UNIX_PERMS))
        perm = header->unix_perms & 07777;
    else if (header->header_level <= 1 && header->raw_data_len > 19 &&
             (header->raw_data[19] & 0x01) != 0)
        perm &= ~0222u; // the MS-DOS read-only attribute
    archive_entry_set_perm(entry_, perm);
    archive_entry_set_mtime(entry_, static_cast<time_t>(header->timestamp), 0);
    if (LHA_FILE_HAVE_EXTRA(header, LHA_FILE_WINDOWS_TIMESTAMPS)) {
        SetWindowsTime(entry_, header->win_creation_time, false);
        SetWindowsTime(entry_, header->win_access_time, true);
    }
    if (link) {
        std::optional<std::string> target = DecodeStoredName(header->symlink_target);
        archive_entry_copy_symlink(entry_, target ? target->c_str() : header->symlink_target);
    }
    archive_entry_set_size(entry_, folder || link ? 0 : static_cast<la_int64_t>(length_));

    // MacLHA stored a Mac file as MacBinary; its data fork is the file. liblhasa is kept from
    // unwrapping it itself, so the CRC is checked over the bytes as stored.
    if (osType_ == LHA_OS_TYPE_MACOS) {
        header->os_type = LHA_OS_TYPE_UNKNOWN;
        if (!folder && !link && length_ >= kMacBinaryHeader && StartMacBinary())
            archive_entry_set_size(entry_, static_cast<la_int64_t>(forkLength_));
    }
    return 0;
}

bool LhaReader::StartMacBinary() {
    held_.resize(kMacBinaryHeader);
    size_t got = 0;
    while (got < kMacBinaryHeader) {
        size_t n = 0;
        if (Decode(held_.data() + got, kMacBinaryHeader - got, n) != 0 || n == 0)
            break;
        got += n;
    }
    held_.resize(got);
    if (got < kMacBinaryHeader)
        return false;
    const uint8_t* h = held_.data();
    const uint64_t data = Be32(h + 83), resource = Be32(h + 87);
    auto padded = [](uint64_t n) { return (n + 127) / 128 * 128; };
    const bool crcOk = MacBinaryCrc(h, 124) == ((h[124] << 8) | h[125]) ||
                       (h[122] == 0 && h[124] == 0 && h[125] == 0); // MacBinary I: no CRC
    if (h[0] != 0 || h[74] != 0 || h[82] != 0 || h[1] == 0 || h[1] > 63 || !crcOk ||
        kMacBinaryHeader + data > length_ ||
        length_ > kMacBinaryHeader + padded(data) + padded(resource))
        return false;
    macBinary_ = true;
    forkLength_ = data;
    return true;
}

int LhaReader::Decode(uint8_t* buffer, size_t size, size_t& got) {
    got = 0;
    if (decoded_ == 0 && length_ > 0 && lha_decoder_for_name(method_) == nullptr)
        return Fail(ERROR_METHOD, std::string("method ") + method_ + " is not supported");
    got = lha_reader_read(reader_, buffer, size);
    running_ = UpdateCrc(running_, buffer, got);
    decoded_ += got;
    return 0;
}

int LhaReader::Fail(int code, const std::string& text) {
    errorCode_ = code;
    errorText_ = text;
    return code;
}

int LhaReader::ReadBlock(const void** block, size_t* length, int64_t* offset) {
    *block = nullptr;
    *length = 0;
    if (errorCode_ == ERROR_METHOD)
        return ARCHIVE_FAILED;
    // Bytes decoded ahead while looking for a MacBinary header come first, unless they were it.
    if (!held_.empty()) {
        buffer_.swap(held_);
        held_.clear();
        if (!macBinary_) {
            *block = buffer_.data();
            *length = buffer_.size();
            *offset = 0;
            return ARCHIVE_OK;
        }
    }
    if (buffer_.size() < kBlockSize)
        buffer_.resize(kBlockSize);
    for (;;) {
        if (dataDone_)
            return ARCHIVE_EOF;
        const uint64_t start = decoded_;
        size_t n = 0;
        if (Decode(buffer_.data(), kBlockSize, n) != 0)
            return ARCHIVE_FAILED;
        if (n == 0) {
            dataDone_ = true;
            if (decoded_ != length_) {
                Fail(ERROR_UNEXPECTED_EOF, "data ends after " + std::to_string(decoded_) + " of " +
                                               std::to_string(length_) + " bytes");
                return ARCHIVE_FAILED;
            }
            if (running_ != crc_) {
                Fail(ERROR_FILE_CRC, "CRC does not match");
                return ARCHIVE_WARN;
            }
            return ARCHIVE_EOF;
        }
        if (!macBinary_) {
            *block = buffer_.data();
            *length = n;
            *offset = static_cast<int64_t>(start);
            return ARCHIVE_OK;
        }
        // Only the data fork leaves a MacBinary member.
        const uint64_t from = std::max<uint64_t>(start, kMacBinaryHeader);
        const uint64_t to = std::min<uint64_t>(start + n, kMacBinaryHeader + forkLength_);
        if (from < to) {
            *block = buffer_.data() + (from - start);
            *length = static_cast<size_t>(to - from);
            *offset = static_cast<int64_t>(from - kMacBinaryHeader);
            return ARCHIVE_OK;
        }
    }
}

} // namespace qm::arc
