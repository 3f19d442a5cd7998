// Byte streams and the little-endian number and ANSI string encodings of the stored formats.
#include "model/Stream.h"
#include "HexBytes.h"
#include "Sandbox.h"
#include "platform/AnsiCodec.h"

#include <gtest/gtest.h>

using namespace qm;
using qmtest::Hex;
using qmtest::ToHex;

TEST(Stream, NumbersAreLittleEndian) {
    TMemoryStream s;
    WriteByte(s, 0xAB);
    WriteInt32(s, 0x12345678);
    WriteInt32(s, -2);
    WriteInt64(s, 0x0102030405060708LL);
    WriteDouble(s, 1.5);
    WriteZeros(s, 3);
    EXPECT_EQ(ToHex(s.Bytes()), ToHex(Hex("ab 78563412 feffffff 0807060504030201"
                                          "000000000000f83f 000000")));
    s.SetPosition(0);
    EXPECT_EQ(ReadByte(s), 0xAB);
    EXPECT_EQ(ReadInt32(s), 0x12345678);
    EXPECT_EQ(ReadInt32(s), -2);
    EXPECT_EQ(ReadInt64(s), 0x0102030405060708LL);
    EXPECT_EQ(ReadDouble(s), 1.5);
    SkipBytes(s, 3);
    EXPECT_THROW(ReadByte(s), EReadError);
}

TEST(Stream, StringsAreAnsiWithOneZero) {
    SetAnsiCodePage(CP_SHIFT_JIS); // bytes as code page 932 stores them
    TMemoryStream s;
    WriteString(s, "");
    WriteString(s, "ツール");
    WriteString(s, "a");
    EXPECT_EQ(ToHex(s.Bytes()), ToHex(Hex("00 8363815b838b00 6100")));
    s.SetPosition(0);
    EXPECT_EQ(ReadString(s), "");
    EXPECT_EQ(ReadString(s), "ツール");
    EXPECT_EQ(ReadString(s), "a");
}

TEST(Stream, BytesReaderReadsAFileImageWhereItLies) {
    SetAnsiCodePage(CP_SHIFT_JIS); // bytes as code page 932 stores them
    const std::string bytes = Hex("78563412 8363815b838b00 6100 62");
    TBytesReader s(bytes);
    EXPECT_EQ(ReadInt32(s), 0x12345678);
    EXPECT_EQ(ReadString(s), "ツール");
    EXPECT_EQ(ReadString(s), "a");
    EXPECT_EQ(s.Position(), 13);
    // The last text lacks its 0: the read error, as for a file cut short.
    EXPECT_THROW(ReadString(s), EReadError);
    EXPECT_EQ(s.Write("x", 1), 0u);
}

TEST(Stream, StringErrorsNameTheProblem) {
    SetAnsiCodePage(CP_SHIFT_JIS); // bytes as code page 932 stores them
    // A string cut off before its 0 is a read error, not a shorter string.
    TMemoryStream unterminated(std::string("abc"));
    try {
        ReadString(unterminated);
        FAIL() << "no error";
    } catch (const EReadError& e) {
        EXPECT_STREQ(e.what(), "ストリームの読み込みエラー");
    }
    // A character the code page cannot hold is refused before anything is written.
    TMemoryStream s;
    try {
        WriteString(s, "café");
        FAIL() << "no error";
    } catch (const EEncodingError& e) {
        EXPECT_NE(std::string(e.what()).find("café"), std::string::npos) << e.what();
    }
    EXPECT_EQ(s.Size(), 0);
    // A 0 inside the text would end the string early and shift every later field.
    EXPECT_THROW(WriteString(s, std::string("a\0b", 3)), EEncodingError);
    EXPECT_EQ(s.Size(), 0);
    // Bytes that are not valid in the code page.
    TMemoryStream bad(Hex("81 00"));
    EXPECT_THROW(ReadString(bad), EEncodingError);
}

TEST(Stream, LimitedStreamFailsLikeAFullDisk) {
    TMemoryStream inner;
    TLimitedStream limited(inner, 5);
    WriteInt32(limited, 7);
    try {
        WriteInt32(limited, 8);
        FAIL() << "no error";
    } catch (const EWriteError& e) {
        EXPECT_STREQ(e.what(), "ストリームの書き込みエラー");
    }
    EXPECT_EQ(inner.Size(), 5);

    TMemoryStream source(Hex("01000000 02000000"));
    TLimitedStream truncated(source, 6);
    EXPECT_EQ(ReadInt32(truncated), 1);
    EXPECT_THROW(ReadInt32(truncated), EReadError);
}

TEST(Stream, MemoryStreamSeekAndOverwrite) {
    TMemoryStream s;
    WriteInt32(s, 0x11111111);
    s.SetPosition(2);
    WriteByte(s, 0x22);
    EXPECT_EQ(s.Size(), 4);
    s.Seek(2, TSeekOrigin::soEnd); // past the end: the gap reads as zeros
    WriteByte(s, 0x33);
    EXPECT_EQ(ToHex(s.Bytes()), "11 11 22 11 00 00 33");
    EXPECT_EQ(s.Seek(-100, TSeekOrigin::soCurrent), 0);
}

TEST(Stream, FileStreamModes) {
    SetAnsiCodePage(CP_SHIFT_JIS); // bytes as code page 932 stores them
    const std::string folder = qmtest::MakeTempFolder("stream");
    const std::string path = folder + "/data.bin";
    {
        TFileStream f(path, TFileMode::fmCreate);
        WriteInt32(f, 1);
        WriteString(f, "表示");
        // Reading right after writing must see the file, not stale buffer state.
        f.SetPosition(0);
        EXPECT_EQ(ReadInt32(f), 1);
        EXPECT_EQ(f.Size(), 4 + 5);
    }
    {
        TFileStream f(path, TFileMode::fmOpenReadWrite);
        f.Seek(0, TSeekOrigin::soEnd);
        WriteByte(f, 9);
    }
    TFileStream f(path, TFileMode::fmOpenRead);
    EXPECT_EQ(ReadInt32(f), 1);
    EXPECT_EQ(ReadString(f), "表示");
    EXPECT_EQ(ReadByte(f), 9);
    EXPECT_THROW(ReadByte(f), EReadError);
    EXPECT_EQ(f.Write("x", 1), 0u); // read-only

    try {
        TFileStream missing(folder + "/missing.bin", TFileMode::fmOpenRead);
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_NE(std::string(e.what()).find("missing.bin"), std::string::npos);
    }
    EXPECT_THROW(TFileStream(folder + "/no/such/folder.bin", TFileMode::fmCreate), EFCreateError);
    // A folder is no file, whatever size the system reports for it.
    EXPECT_THROW(TFileStream(folder, TFileMode::fmOpenRead), EFOpenError);
    TMemoryStream loaded;
    EXPECT_THROW(loaded.LoadFromFile(folder), EFOpenError);
    loaded.LoadFromFile(path);
    EXPECT_EQ(loaded.Size(), 4 + 5 + 1);
}
