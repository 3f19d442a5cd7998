// The database file: its layout against bytes written from the tables, the list operations, and
// reading hostile files (truncated, absurd counts) without losing what was read.
#include "Bytes.h"
#include "Sandbox.h"

#include "model/InstallList.h"
#include "platform/AnsiCodec.h"
#include "platform/Exception.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

using namespace qm;
using dbtest::Bytes;

namespace {

const std::string kToolSjis = "\x83\x63\x81\x5b\x83\x8b"; // ツール

Bytes Head(std::int32_t header, std::int32_t nextId, std::int32_t count) {
    Bytes b;
    b.i32(header).i32(nextId).i32(count).zeros(8);
    return b;
}

// Two records: one with two members and Japanese names, one empty.
Bytes TwoRecordFile() {
    Bytes first;
    first.i32(3)
        .str(kToolSjis)
        .str("1.2")
        .str("tool12.zip")
        .f64(45000.0)
        .f64(45100.5)
        .zeros(8)
        .i32(2)
        .add(dbtest::Member("tool.exe", "", 1))
        .add(dbtest::Member("readme.txt", "doc/"));
    Bytes second;
    second.i32(7).str("").str("").str("").f64(0).f64(0).zeros(8).i32(0);
    Bytes file = Head(0x12345678, 8, 2);
    file.add(dbtest::Record(first)).add(dbtest::Record(second));
    return file;
}

std::string Save(const TInstallList& list) {
    TMemoryStream stream;
    list.SaveToStream(stream);
    return stream.ToString();
}

} // namespace

TEST(InstallListLayout, EmptyListIsTwentyBytes) {
    TInstallList list;
    list.HeaderValue = -2;
    list.NextId = 0x01020304;
    EXPECT_EQ(Save(list), Head(-2, 0x01020304, 0).data());
}

TEST(InstallListLayout, RecordWithoutMembersHasLengthPrefix35) {
    TInstallList list;
    list.NextId = 5;
    TInstallAppInfo& record = list.Add();
    record.ArchiveName = "/dl/tool12.zip"; // only the file name is stored
    Bytes body;
    body.i32(5).str("").str("").str("tool12.zip").f64(0).f64(0).zeros(8).i32(0);
    Bytes expected = Head(0, 5, 1);
    expected.add(dbtest::Record(body));
    const std::string bytes = Save(list);
    EXPECT_EQ(bytes, expected.data());

    record.ArchiveName.clear();
    const std::string empty = Save(list);
    ASSERT_EQ(empty.size(), 20u + 8u + 35u);
    EXPECT_EQ(empty.substr(20, 8), Bytes().i64(35).data());
}

TEST(InstallListLayout, LoadAndSaveReproduceTheFileByteForByte) {
    SetAnsiCodePage(CP_SHIFT_JIS); // bytes as code page 932 stores them
    const Bytes file = TwoRecordFile();
    TMemoryStream in(file.data());
    TInstallList list;
    list.LoadFromStream(in);

    EXPECT_EQ(list.HeaderValue, 0x12345678);
    EXPECT_EQ(list.NextId, 8);
    ASSERT_EQ(list.Count(), 2);
    const TInstallAppInfo& first = list.Items(0);
    EXPECT_EQ(first.AppId, 3);
    EXPECT_EQ(first.AppName, "ツール");
    EXPECT_EQ(first.Version, "1.2");
    EXPECT_EQ(first.ArchiveName, "tool12.zip");
    EXPECT_EQ(first.LastUpdateDate, 45100.5);
    ASSERT_EQ(first.Members.Count(), 2);
    EXPECT_EQ(first.Members.Items(0).Role(), 1);
    EXPECT_EQ(first.Members.Items(1).ArchivePath, "doc/");
    EXPECT_EQ(list.Items(1).AppId, 7);

    EXPECT_EQ(Save(list), file.data());
}

TEST(InstallListLayout, CountsOfZeroOrLessReadNoRecord) {
    for (std::int32_t count : {0, -1, INT32_MIN}) {
        TInstallList list;
        list.Add();
        TMemoryStream in(Head(1, 2, count).data());
        list.LoadFromStream(in);
        EXPECT_EQ(list.Count(), 0) << count;
        EXPECT_EQ(list.NextId, 2);
    }
}

TEST(InstallListHostile, TruncatedFileKeepsTheRecordsReadBefore) {
    SetAnsiCodePage(CP_SHIFT_JIS); // bytes as code page 932 stores them
    const std::string file = TwoRecordFile().data();
    std::int64_t firstLength = 0;
    std::memcpy(&firstLength, file.data() + 20, 8);
    const size_t firstEnd = 20 + 8 + static_cast<size_t>(firstLength);
    for (size_t cut = 0; cut < file.size(); ++cut) {
        TInstallList list;
        list.HeaderValue = 99;
        TMemoryStream in(file.substr(0, cut));
        EXPECT_THROW(list.LoadFromStream(in), EReadError) << "cut at " << cut;
        // A head that was not read whole changes nothing.
        EXPECT_EQ(list.HeaderValue, cut < 20 ? 99 : 0x12345678) << cut;
        const int expected = cut < firstEnd ? 0 : 1;
        ASSERT_EQ(list.Count(), expected) << "cut at " << cut;
        if (expected == 1) {
            EXPECT_EQ(list.Items(0).AppName, "ツール");
            EXPECT_EQ(list.Items(0).Members.Count(), 2);
        }
    }
}

TEST(InstallListHostile, AbsurdCountsEndWithReadErrorWithoutAllocating) {
    // Two billion records claimed, one present.
    Bytes body;
    body.i32(1).str("a").str("").str("a.zip").f64(0).f64(0).zeros(8).i32(0);
    Bytes file = Head(0, 2, INT32_MAX);
    file.add(dbtest::Record(body));
    TInstallList list;
    TMemoryStream in(file.data());
    EXPECT_THROW(list.LoadFromStream(in), EReadError);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Items(0).AppName, "a");

    // A record that claims two billion members: the record is dropped, the list stays usable.
    Bytes huge;
    huge.i32(2).str("b").str("").str("b.zip").f64(0).f64(0).zeros(8).i32(INT32_MAX);
    huge.add(dbtest::Member("x.exe", ""));
    Bytes file2 = Head(0, 3, 2);
    file2.add(dbtest::Record(body)).add(dbtest::Record(huge));
    TMemoryStream in2(file2.data());
    EXPECT_THROW(list.LoadFromStream(in2), EReadError);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Items(0).AppId, 1);
}

TEST(InstallListHostile, BytesInvalidInTheCodePageAreAnError) {
    Bytes body;
    body.i32(1).str("\x83").str("").str("").f64(0).f64(0).zeros(8).i32(0); // lead byte alone
    Bytes file = Head(0, 2, 1);
    file.add(dbtest::Record(body));
    TInstallList list;
    TMemoryStream in(file.data());
    // Damaged text is a damaged file: the same read error as a cut one.
    EXPECT_THROW(list.LoadFromStream(in), EReadError);
    EXPECT_EQ(list.Count(), 0);
}

TEST(InstallList, IdentifiersAndIndexes) {
    TInstallList list;
    list.NextId = 10;
    TInstallAppInfo& a = list.Add();
    TInstallAppInfo& b = list.Add();
    EXPECT_EQ(a.AppId, 10); // Add hands out NextId without moving it
    EXPECT_EQ(b.AppId, 10);
    list.AssignNewId(b);
    EXPECT_EQ(b.AppId, 10);
    EXPECT_EQ(list.NextId, 11);
    EXPECT_EQ(list.TakeNextId(), 11);
    EXPECT_EQ(list.NextId, 12);

    b.AppId = 42;
    TInstallAppInfo copy;
    copy.AppId = 42;
    EXPECT_EQ(list.IndexOfId(42), 1);
    EXPECT_EQ(list.IndexOfApp(copy), 1); // by identifier, not identity
    EXPECT_EQ(list.IndexOfId(7), -1);
    EXPECT_THROW(list.Items(2), EListError);
    EXPECT_THROW(list.Items(-1), EListError);

    // A counter at the top of the range, as a damaged file may hold it, wraps around.
    list.NextId = INT32_MAX;
    EXPECT_EQ(list.TakeNextId(), INT32_MAX);
    EXPECT_EQ(list.NextId, INT32_MIN);
}

TEST(InstallListFile, MissingFileClearsButKeepsTheCounters) {
    const std::string folder = qmtest::MakeTempFolder("db");
    TInstallList list;
    list.HeaderValue = 4;
    list.NextId = 9;
    list.Add();
    list.LoadFromFile(folder + "/none.his");
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.HeaderValue, 4);
    EXPECT_EQ(list.NextId, 9);
}

TEST(InstallListFile, SaveCreatesTheFolderAndRoundTrips) {
    SetAnsiCodePage(CP_SHIFT_JIS); // bytes as code page 932 stores them
    const std::string path = qmtest::MakeTempFolder("db") + "/a/b/Quillmate.his";
    const Bytes file = TwoRecordFile();
    TMemoryStream in(file.data());
    TInstallList list;
    list.LoadFromStream(in);
    list.SaveToFile(path);
    EXPECT_EQ(qmtest::ReadFile(path), file.data());

    TInstallList again;
    again.LoadFromFile(path);
    EXPECT_EQ(again.Count(), 2);
    EXPECT_EQ(again.HeaderValue, 0x12345678);

    // A truncated file on disk: read error, the first record kept.
    qmtest::WriteFile(path, file.data().substr(0, file.size() - 3));
    TInstallList cut;
    EXPECT_THROW(cut.LoadFromFile(path), EReadError);
    EXPECT_EQ(cut.Count(), 1);
}
