#pragma once
// Byte streams for the stored formats: the installed-application database, the instruction files
// and the member records inside them. Every format is little-endian; a string is its bytes in the
// ANSI code page followed by one 0 byte. Read and Write report how much they moved; ReadBuffer and
// WriteBuffer insist on all of it and raise EReadError / EWriteError otherwise.
#include "platform/Exception.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// The messages of the two stream errors, kept as users know them: catalogue sources, shown
// through Tr("Stream", ...).
extern const char* const SReadError;  // "ストリームの読み込みエラー"
extern const char* const SWriteError; // "ストリームの書き込みエラー"

// A file that cannot be created or opened.
class EFCreateError : public Exception {
public:
    using Exception::Exception;
};
class EFOpenError : public Exception {
public:
    using Exception::Exception;
};

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    virtual ~TStream();

    // Moves up to count bytes; returns how many were moved (0 at the end or on failure).
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    // Returns the new position; a position before the start is clamped to 0.
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;

    std::int64_t Position();
    void SetPosition(std::int64_t position);
    virtual std::int64_t Size();

    // All or an error: EReadError when fewer than count bytes could be read, EWriteError when
    // fewer than count bytes could be written.
    void ReadBuffer(void* buffer, std::size_t count);
    void WriteBuffer(const void* buffer, std::size_t count);
    // Copies count bytes from source (all of source from its position when count is negative).
    void CopyFrom(TStream& source, std::int64_t count);

    // For streams over bytes in memory: the bytes from the position up to the next 0, without
    // the 0, moving the position past it; false (the position unchanged) when the stream cannot
    // tell or there is no 0 before the end.
    virtual bool ReadTerminated(std::string_view& text);
};

// A read-only stream over bytes it does not own: a file read whole is parsed where it lies.
class TBytesReader : public TStream {
public:
    explicit TBytesReader(std::string_view bytes) : data_(bytes) {}

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void*, std::size_t) override { return 0; }
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(data_.size()); }
    bool ReadTerminated(std::string_view& text) override;

private:
    std::string_view data_;
    std::size_t position_ = 0;
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<std::uint8_t> bytes) : data_(std::move(bytes)) {}
    explicit TMemoryStream(const std::string& bytes) : data_(bytes.begin(), bytes.end()) {}

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(data_.size()); }
    bool ReadTerminated(std::string_view& text) override;

    void Clear();
    void SetSize(std::int64_t size);
    const std::vector<std::uint8_t>& Bytes() const { return data_; }
    std::string ToString() const { return std::string(data_.begin(), data_.end()); }
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;

private:
    std::vector<std::uint8_t> data_;
    std::size_t position_ = 0;
};

enum class TFileMode {
    fmCreate,        // create or truncate, read and write
    fmOpenRead,      // an existing file, read only
    fmOpenReadWrite, // an existing file, read and write
};

class TFileStream : public TStream {
public:
    // Raises EFCreateError / EFOpenError naming the file when it cannot be created / opened.
    TFileStream(const std::string& fileName, TFileMode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override;
    // Pushes buffered bytes to the file; EWriteError when the system refuses them (a full disk
    // may show only here). Call it before the stream goes away: the destructor cannot report.
    void Flush();
    const std::string& FileName() const { return fileName_; }

private:
    std::string fileName_;
    std::FILE* file_ = nullptr;
    bool lastWasWrite_ = false;
    void SwitchTo(bool write);
};

// A stream over another that gives up after a number of bytes: reads and writes past the limit
// move nothing, as a truncated file or a full disk would. Used to prove every error path.
class TLimitedStream : public TStream {
public:
    TLimitedStream(TStream& inner, std::int64_t limit) : inner_(inner), limit_(limit) {}

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override;

private:
    TStream& inner_;
    std::int64_t limit_;
    std::size_t Allowed(std::size_t count);
};

// Little-endian numbers and ANSI strings on a stream. Every reader raises EReadError when the
// stream ends early; every writer raises EWriteError when the stream cannot take the bytes.
void WriteByte(TStream& stream, std::uint8_t value);
void WriteInt32(TStream& stream, std::int32_t value);
void WriteInt64(TStream& stream, std::int64_t value);
void WriteDouble(TStream& stream, double value);
void WriteZeros(TStream& stream, std::size_t count);
// The UTF-8 text in the ANSI code page plus one 0 byte. A text the code page cannot hold raises
// EEncodingError naming it; a text with a 0 character raises EEncodingError as well, since it
// would cut the string short and shift everything after it.
void WriteString(TStream& stream, const std::string& utf8);

std::uint8_t ReadByte(TStream& stream);
std::int32_t ReadInt32(TStream& stream);
std::int64_t ReadInt64(TStream& stream);
double ReadDouble(TStream& stream);
void SkipBytes(TStream& stream, std::size_t count);
// Bytes up to the next 0, converted to UTF-8. A stream that ends before the 0 raises EReadError;
// bytes not valid in the code page raise EEncodingError.
std::string ReadString(TStream& stream);
// The same for a format whose strings are in one fixed code page.
std::string ReadString(TStream& stream, int codePage);

} // namespace qm
