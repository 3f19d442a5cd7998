#pragma once
// LHA archives through liblhasa, which decodes every method LHA tools wrote (lh0-lh7, lhx, lzs,
// lz4, lz5, pm0-pm2, lk7) and every header level. Member names are read from the stored header
// bytes rather than from liblhasa's own parse, which lower-cases MS-DOS names (the second byte
// of a Shift_JIS character with them) and drops ".." folders silently. Each member is described
// by a libarchive entry, so listing and extraction treat it like the members of other families.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct archive_entry;
typedef struct _LHAReader LHAReader;
typedef struct _LHAInputStream LHAInputStream;
typedef struct _LHAFileHeader LHAFileHeader;

namespace qm::arc {

class LhaReader {
public:
    LhaReader();
    ~LhaReader();
    LhaReader(const LhaReader&) = delete;
    LhaReader& operator=(const LhaReader&) = delete;

    // Opens the archive and reads the first header: 0, or ERROR_NOT_ARC_FILE when no LHA header
    // is found (an empty archive too), ERROR_ARC_FILE_OPEN when the file cannot be read.
    int Open(const std::string& path);
    // The next member: 0, QM_ERROR_END_OF_SEARCH at the end, or an ERROR_* code for a header
    // that cannot be read. The first call after Open takes the header Open read.
    int Next();

    archive_entry* Entry() const { return entry_; }
    // The member's name in UTF-8 with "/" separators; nothing when it cannot be decoded.
    const std::optional<std::string>& Name() const { return name_; }
    // "-lh5-" and so on.
    const char* Method() const { return method_; }
    int64_t CompressedSize() const { return compressed_; }
    uint16_t Crc() const { return crc_; }
    unsigned OsType() const { return osType_; }

    // The next block of the current member's data: ARCHIVE_OK with a block, ARCHIVE_EOF once
    // the data ended whole and matched its CRC, or a failure (ARCHIVE_WARN for a CRC that does
    // not match, ARCHIVE_FAILED for a method liblhasa cannot decode, ARCHIVE_FATAL for data
    // cut short) whose ERROR_* code ErrorCode() tells.
    int ReadBlock(const void** block, size_t* length, int64_t* offset);
    int ErrorCode() const { return errorCode_; }
    const std::string& ErrorText() const { return errorText_; }

private:
    int Take(LHAFileHeader* header);
    int Fail(int code, const std::string& text);
    int Decode(uint8_t* buffer, size_t size, size_t& got);
    bool StartMacBinary();
    void Release();

    // The archive as liblhasa reads it, counting what it reads for the end-of-archive test.
    struct Source {
        int fd = -1;
        uint64_t position = 0;    // of the next byte liblhasa gets
        uint64_t headerStart = 0; // where liblhasa began to read the header it looks for
        bool shortSkip = false;   // it tried to skip data past the end of the file
        // The decoders ask for a few bytes at a time: they are served from this buffer.
        std::vector<uint8_t> buffer;
        size_t begin = 0, end = 0;
    };
    static int SourceRead(void* handle, void* buffer, size_t size);
    static int SourceSkip(void* handle, size_t bytes);
    static void SourceClose(void* handle);

    Source source_;
    LHAInputStream* stream_ = nullptr;
    LHAReader* reader_ = nullptr;
    archive_entry* entry_ = nullptr;
    bool pending_ = false;
    std::optional<std::string> name_;
    char method_[6] = {};
    int64_t compressed_ = -1;
    uint16_t crc_ = 0;
    unsigned osType_ = 0;
    // Data of the current member.
    size_t length_ = 0;    // as stored, the MacBinary header included
    size_t decoded_ = 0;   // bytes liblhasa gave so far
    uint16_t running_ = 0; // CRC of those bytes
    bool dataDone_ = false;
    // A Mac member wrapped in MacBinary: the data fork follows a 128-byte header.
    bool macBinary_ = false;
    uint64_t forkLength_ = 0;
    std::vector<uint8_t> held_; // bytes decoded ahead while looking for the MacBinary header
    std::vector<uint8_t> buffer_;
    int errorCode_ = 0;
    std::string errorText_;
};

} // namespace qm::arc
