#include "model/Stream.h"

#include "platform/AnsiCodec.h"
#include "platform/Catalogue.h"

#include <algorithm>
#include <cstring>
#include <sys/types.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace qm {

const char* const SReadError = QM_TRANSLATE_NOOP("Stream", "ストリームの読み込みエラー");
const char* const SWriteError = QM_TRANSLATE_NOOP("Stream", "ストリームの書き込みエラー");

// ---- TStream ---------------------------------------------------------------------------------

TStream::~TStream() = default;

std::int64_t TStream::Position() {
    return Seek(0, TSeekOrigin::soCurrent);
}

void TStream::SetPosition(std::int64_t position) {
    Seek(position, TSeekOrigin::soBeginning);
}

std::int64_t TStream::Size() {
    const std::int64_t here = Position();
    const std::int64_t end = Seek(0, TSeekOrigin::soEnd);
    Seek(here, TSeekOrigin::soBeginning);
    return end;
}

void TStream::ReadBuffer(void* buffer, std::size_t count) {
    if (count != 0 && Read(buffer, count) != count)
        throw EReadError(Tr("Stream", SReadError));
}

void TStream::WriteBuffer(const void* buffer, std::size_t count) {
    if (count != 0 && Write(buffer, count) != count)
        throw EWriteError(Tr("Stream", SWriteError));
}

void TStream::CopyFrom(TStream& source, std::int64_t count) {
    if (count < 0)
        count = source.Size() - source.Position();
    char chunk[65536];
    while (count > 0) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(count, sizeof chunk));
        source.ReadBuffer(chunk, n);
        WriteBuffer(chunk, n);
        count -= static_cast<std::int64_t>(n);
    }
}

bool TStream::ReadTerminated(std::string_view&) {
    return false;
}

namespace {

// The text before the next 0 of bytes[position..]; advances position past the 0.
bool TerminatedAt(std::string_view bytes, std::size_t& position, std::string_view& text) {
    if (position >= bytes.size())
        return false;
    const std::size_t zero = bytes.find('\0', position);
    if (zero == std::string_view::npos)
        return false;
    text = bytes.substr(position, zero - position);
    position = zero + 1;
    return true;
}

} // namespace

// ---- TBytesReader ----------------------------------------------------------------------------

std::size_t TBytesReader::Read(void* buffer, std::size_t count) {
    if (position_ >= data_.size())
        return 0;
    const std::size_t n = std::min(count, data_.size() - position_);
    std::memcpy(buffer, data_.data() + position_, n);
    position_ += n;
    return n;
}

std::int64_t TBytesReader::Seek(std::int64_t offset, TSeekOrigin origin) {
    std::int64_t base = 0;
    if (origin == TSeekOrigin::soCurrent)
        base = static_cast<std::int64_t>(position_);
    else if (origin == TSeekOrigin::soEnd)
        base = static_cast<std::int64_t>(data_.size());
    const std::int64_t target = base + offset;
    position_ = target < 0 ? 0 : static_cast<std::size_t>(target);
    return static_cast<std::int64_t>(position_);
}

bool TBytesReader::ReadTerminated(std::string_view& text) {
    return TerminatedAt(data_, position_, text);
}

// ---- TMemoryStream ---------------------------------------------------------------------------

bool TMemoryStream::ReadTerminated(std::string_view& text) {
    return TerminatedAt(std::string_view(reinterpret_cast<const char*>(data_.data()), data_.size()),
                        position_, text);
}

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
    if (position_ >= data_.size())
        return 0;
    const std::size_t n = std::min(count, data_.size() - position_);
    std::memcpy(buffer, data_.data() + position_, n);
    position_ += n;
    return n;
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
    if (count == 0)
        return 0;
    if (position_ + count > data_.size())
        data_.resize(position_ + count);
    std::memcpy(data_.data() + position_, buffer, count);
    position_ += count;
    return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    std::int64_t base = 0;
    if (origin == TSeekOrigin::soCurrent)
        base = static_cast<std::int64_t>(position_);
    else if (origin == TSeekOrigin::soEnd)
        base = static_cast<std::int64_t>(data_.size());
    // A position past the end is allowed (a later write fills the gap with zeros).
    position_ = static_cast<std::size_t>(std::max<std::int64_t>(0, base + offset));
    return static_cast<std::int64_t>(position_);
}

void TMemoryStream::Clear() {
    data_.clear();
    position_ = 0;
}

void TMemoryStream::SetSize(std::int64_t size) {
    data_.resize(static_cast<std::size_t>(std::max<std::int64_t>(0, size)));
    position_ = std::min(position_, data_.size());
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
    TFileStream file(fileName, TFileMode::fmOpenRead);
    // Read to the end rather than trusting the reported size, which a special file can make up.
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[65536];
    for (std::size_t n; (n = file.Read(chunk, sizeof chunk)) > 0;)
        bytes.insert(bytes.end(), chunk, chunk + n);
    data_ = std::move(bytes);
    position_ = 0;
}

void TMemoryStream::SaveToFile(const std::string& fileName) const {
    TFileStream file(fileName, TFileMode::fmCreate);
    file.WriteBuffer(data_.data(), data_.size());
    file.Flush();
}

// ---- TFileStream -----------------------------------------------------------------------------

namespace {

// 64-bit file positions: files of the database can outgrow what a long holds on some systems.
#ifdef _WIN32
int SeekTo(std::FILE* f, std::int64_t pos, int whence) {
    return _fseeki64(f, pos, whence);
}
std::int64_t Tell(std::FILE* f) {
    return _ftelli64(f);
}
#else
int SeekTo(std::FILE* f, std::int64_t pos, int whence) {
    return ::fseeko(f, static_cast<off_t>(pos), whence);
}
std::int64_t Tell(std::FILE* f) {
    return static_cast<std::int64_t>(::ftello(f));
}
#endif

} // namespace

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) : fileName_(fileName) {
    switch (mode) {
    case TFileMode::fmCreate:
        file_ = std::fopen(fileName.c_str(), "w+b");
        if (file_ == nullptr)
            throw EFCreateError(Args(Tr("Stream", "ファイル %1 を作成できません。"), fileName));
        return;
    case TFileMode::fmOpenRead:
        file_ = std::fopen(fileName.c_str(), "rb");
        break;
    case TFileMode::fmOpenReadWrite:
        file_ = std::fopen(fileName.c_str(), "r+b");
        break;
    }
#ifndef _WIN32
    // A folder opens for reading on POSIX, but it is no file to read.
    struct stat st {};
    if (file_ != nullptr && (::fstat(::fileno(file_), &st) != 0 || S_ISDIR(st.st_mode))) {
        std::fclose(file_);
        file_ = nullptr;
    }
#endif
    if (file_ == nullptr)
        throw EFOpenError(Args(Tr("Stream", "ファイル %1 を開けません。"), fileName));
}

TFileStream::~TFileStream() {
    if (file_ != nullptr)
        std::fclose(file_);
}

// C streams need a positioning call between a write and a read in either direction.
void TFileStream::SwitchTo(bool write) {
    if (write != lastWasWrite_)
        SeekTo(file_, 0, SEEK_CUR);
    lastWasWrite_ = write;
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
    SwitchTo(false);
    return std::fread(buffer, 1, count, file_);
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
    SwitchTo(true);
    return std::fwrite(buffer, 1, count, file_);
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    std::int64_t base = 0;
    if (origin == TSeekOrigin::soCurrent)
        base = Tell(file_);
    else if (origin == TSeekOrigin::soEnd)
        base = Size();
    const std::int64_t target = std::max<std::int64_t>(0, base + offset);
    SeekTo(file_, target, SEEK_SET);
    lastWasWrite_ = false;
    return Tell(file_);
}

std::int64_t TFileStream::Size() {
    const std::int64_t here = Tell(file_);
    SeekTo(file_, 0, SEEK_END);
    const std::int64_t end = Tell(file_);
    SeekTo(file_, here, SEEK_SET);
    lastWasWrite_ = false;
    return end;
}

void TFileStream::Flush() {
    if (std::fflush(file_) != 0)
        throw EWriteError(Tr("Stream", SWriteError));
}

// ---- TLimitedStream --------------------------------------------------------------------------

std::size_t TLimitedStream::Allowed(std::size_t count) {
    const std::int64_t left = limit_ - inner_.Position();
    if (left <= 0)
        return 0;
    return static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(count)));
}

std::size_t TLimitedStream::Read(void* buffer, std::size_t count) {
    return inner_.Read(buffer, Allowed(count));
}

std::size_t TLimitedStream::Write(const void* buffer, std::size_t count) {
    return inner_.Write(buffer, Allowed(count));
}

std::int64_t TLimitedStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    return inner_.Seek(offset, origin);
}

std::int64_t TLimitedStream::Size() {
    return std::min(limit_, inner_.Size());
}

// ---- Numbers and strings ---------------------------------------------------------------------

namespace {

template <typename T> void WriteLE(TStream& stream, T value) {
    std::uint8_t bytes[sizeof(T)];
    std::uint64_t v = 0;
    std::memcpy(&v, &value, sizeof(T));
    for (std::size_t i = 0; i < sizeof(T); ++i)
        bytes[i] = static_cast<std::uint8_t>(v >> (8 * i));
    stream.WriteBuffer(bytes, sizeof bytes);
}

template <typename T> T ReadLE(TStream& stream) {
    std::uint8_t bytes[sizeof(T)];
    stream.ReadBuffer(bytes, sizeof bytes);
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        v |= static_cast<std::uint64_t>(bytes[i]) << (8 * i);
    T value;
    std::memcpy(&value, &v, sizeof(T));
    return value;
}

} // namespace

void WriteByte(TStream& stream, std::uint8_t value) {
    stream.WriteBuffer(&value, 1);
}
void WriteInt32(TStream& stream, std::int32_t value) {
    WriteLE(stream, value);
}
void WriteInt64(TStream& stream, std::int64_t value) {
    WriteLE(stream, value);
}
void WriteDouble(TStream& stream, double value) {
    WriteLE(stream, value);
}

void WriteZeros(TStream& stream, std::size_t count) {
    static const std::uint8_t zeros[64] = {};
    while (count > 0) {
        const std::size_t n = std::min(count, sizeof zeros);
        stream.WriteBuffer(zeros, n);
        count -= n;
    }
}

void WriteString(TStream& stream, const std::string& utf8) {
    if (utf8.find('\0') != std::string::npos)
        throw EEncodingError(Args(Tr("Stream", "0 の文字を含む文字列は保存できません: %1"),
                                  std::string(utf8.c_str())));
    const std::string ansi = ToAnsi(utf8);
    stream.WriteBuffer(ansi.c_str(), ansi.size() + 1);
}

std::uint8_t ReadByte(TStream& stream) {
    std::uint8_t value;
    stream.ReadBuffer(&value, 1);
    return value;
}

std::int32_t ReadInt32(TStream& stream) {
    return ReadLE<std::int32_t>(stream);
}
std::int64_t ReadInt64(TStream& stream) {
    return ReadLE<std::int64_t>(stream);
}
double ReadDouble(TStream& stream) {
    return ReadLE<double>(stream);
}

void SkipBytes(TStream& stream, std::size_t count) {
    // Read rather than seek, so a stream that ends inside the skipped bytes is a read error.
    char chunk[256];
    while (count > 0) {
        const std::size_t n = std::min(count, sizeof chunk);
        stream.ReadBuffer(chunk, n);
        count -= n;
    }
}

std::string ReadString(TStream& stream, int codePage) {
    // Stored files are read whole into memory first; there the text is converted where it
    // lies instead of being read byte by byte. Without its terminating 0 the byte-wise path
    // below raises the read error at the end of the data.
    std::string_view text;
    if (stream.ReadTerminated(text))
        return FromCodePage(text, codePage);
    std::string ansi;
    char c;
    for (;;) {
        stream.ReadBuffer(&c, 1);
        if (c == '\0')
            break;
        ansi.push_back(c);
    }
    return FromCodePage(ansi, codePage);
}

std::string ReadString(TStream& stream) {
    return ReadString(stream, GetAnsiCodePage());
}

} // namespace qm
