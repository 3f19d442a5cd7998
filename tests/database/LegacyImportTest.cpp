// The one-time import of the legacy database: field mapping from files written here in the
// legacy layout, the signature, backup names, and never importing the same file twice.
#include "Bytes.h"
#include "Sandbox.h"

#include "model/FileUtils.h"
#include "model/InstallList.h"
#include "model/LegacyImport.h"
#include "platform/Exception.h"

#include <gtest/gtest.h>

#include <climits>

using namespace qm;
using dbtest::Bytes;

namespace {

struct LegacyMember {
    std::string path; // Shift_JIS bytes, backslash folders
    std::string installDir;
    std::uint8_t isTarget = 1;
    std::uint8_t bits = 0;
};

Bytes LegacyRecord(const std::string& archive, const std::string& mainExe, std::uint8_t ownFolder,
                   const std::vector<LegacyMember>& members) {
    Bytes r;
    r.raw("\x01\x02\x03\x04\x05\x06") // six bytes nobody reads
        .str(archive)
        .str("\x83\x63\x81\x5b\x83\x8b")
        .str("2.0") // AppName ツール
        .str("/opt/Apps")
        .str("Tools")
        .str("/custom/")
        .u8(ownFolder)
        .f64(40000.25)
        .str(mainExe)
        .u16(static_cast<std::uint16_t>(members.size()));
    for (const LegacyMember& m : members) {
        r.str(m.path)
            .f64(39999.5)
            .str(m.installDir)
            .u8(m.isTarget)
            .u8(m.bits)
            .str("short")
            .u8(2)
            .str("desc")
            .str("-a")
            .str("/work/");
    }
    return r;
}

Bytes LegacyFile(const std::vector<Bytes>& records, const std::string& signature = "Quillmate") {
    Bytes file;
    file.str(signature).i32(static_cast<std::int32_t>(records.size()));
    for (const Bytes& r : records)
        file.add(r);
    return file;
}

struct Places {
    std::string program;  // folder of the legacy file, trailing '/'
    std::string legacy;   // its Quillmate.dat
    std::string database; // Quillmate.his in a folder not made yet
};

Places MakePlaces() {
    Places p;
    p.program = qmtest::MakeTempFolder("prog") + "/";
    p.legacy = p.program + "Quillmate.dat";
    p.database = qmtest::MakeTempFolder("data") + "/Quillmate/Quillmate.his";
    return p;
}

bool NeverMoves(const std::string&, const std::string&) {
    return false;
}

} // namespace

TEST(LegacyImport, FieldMappingAndShortcutBits) {
    const Places p = MakePlaces();
    const Bytes record =
        LegacyRecord("tool12.zip", "app.exe", 1,
                     {
                         {"bin\\App.exe", "", 1, 8}, // desktop; main by name, any case
                         {"\x95\x5c.txt", "", 0, 2}, // 表.txt: its 0x5C is no folder
                         {"doc\\\x83\x63\x81\x5b\x83\x8b\\read.me", "", 1, 1}, // doc\ツール\read.me
                         {"x.dat", "/elsewhere/", 1, 4},                       // "Send to"
                         {"all.exe", "", 1, 0xFF}, // every bit, unknown ones dropped
                     });
    qmtest::WriteFile(p.legacy, LegacyFile({record, LegacyRecord("b.zip", "", 0, {})}).data());

    const TLegacyImportResult result = ImportLegacyDatabase(p.legacy, p.database);
    EXPECT_EQ(result.Status, TLegacyImportStatus::Imported);
    EXPECT_EQ(result.RecordCount, 2);
    EXPECT_TRUE(result.Moved);
    EXPECT_EQ(result.BackupName, p.program + "Quillmate.bak");
    EXPECT_FALSE(FileExists(p.legacy));
    EXPECT_TRUE(FileExists(p.program + "Quillmate.bak"));

    TInstallList list;
    list.LoadFromFile(p.database);
    ASSERT_EQ(list.Count(), 2);
    const TInstallAppInfo& app = list.Items(0);
    EXPECT_EQ(app.AppId, 1); // never 0, which means "no installed application"
    EXPECT_EQ(list.Items(1).AppId, 2);
    EXPECT_EQ(list.NextId, 3);
    EXPECT_EQ(app.ArchiveName, "tool12.zip");
    EXPECT_EQ(app.AppName, "ツール");
    EXPECT_EQ(app.Version, "2.0");
    EXPECT_EQ(app.FirstInstallDate, 40000.25);
    EXPECT_EQ(app.LastUpdateDate, 40000.25);
    ASSERT_EQ(app.Members.Count(), 5);

    const TFileMember& exe = app.Members.Items(0);
    EXPECT_EQ(exe.ArchivePath, "bin/");
    EXPECT_EQ(exe.FileName, "App.exe");
    EXPECT_EQ(exe.Role(), mrMain);
    EXPECT_EQ(exe.InstallDir(), "/opt/Apps/app/"); // own folder: F + main name without extension
    EXPECT_EQ(exe.ShortcutFlags(), scDesktop);
    EXPECT_TRUE(exe.IsTarget);
    EXPECT_EQ(exe.FileDate, 39999.5);
    EXPECT_EQ(exe.InstallDate, 40000.25);
    EXPECT_EQ(exe.FileSize, 0);
    EXPECT_EQ(exe.ShortcutOption.ShortcutName, "short");
    EXPECT_EQ(exe.ShortcutOption.WindowSize, 2);
    EXPECT_EQ(exe.ShortcutOption.Description, "desc");
    EXPECT_EQ(exe.ShortcutOption.Arguments, "-a");
    EXPECT_EQ(exe.ShortcutOption.WorkingDirectory, "/work/");

    const TFileMember& sjis = app.Members.Items(1);
    EXPECT_EQ(sjis.FileName, "表.txt");
    EXPECT_EQ(sjis.ArchivePath, "");
    EXPECT_FALSE(sjis.IsTarget);
    EXPECT_EQ(sjis.Role(), mrNormal);
    EXPECT_EQ(sjis.ShortcutFlags(), scStartMenu);
    EXPECT_EQ(sjis.StartMenuPath, "Tools");

    const TFileMember& nested = app.Members.Items(2);
    EXPECT_EQ(nested.ArchivePath, "doc/ツール/");
    EXPECT_EQ(nested.FileName, "read.me");
    EXPECT_EQ(nested.ShortcutFlags(), scFolders);
    EXPECT_EQ(nested.ShortcutFolders, std::vector<std::string>{"/custom/"});

    // This system has no "Send to" folder: the flag stays, no empty folder is added.
    const TFileMember& sendTo = app.Members.Items(3);
    EXPECT_EQ(sendTo.InstallDir(), "/elsewhere/");
    EXPECT_EQ(sendTo.ShortcutFlags(), scFolders);
    EXPECT_EQ(sendTo.ShortcutFolders, std::vector<std::string>{});

    const TFileMember& all = app.Members.Items(4);
    EXPECT_EQ(all.ShortcutFlags(), scDesktop | scStartMenu | scFolders);
    EXPECT_EQ(all.ShortcutFolders, std::vector<std::string>{"/custom/"});
    EXPECT_EQ(all.StartMenuPath, "Tools");

    // Without the own-folder switch the install folder is taken as stored.
    EXPECT_EQ(list.Items(1).Members.Count(), 0);
}

TEST(LegacyImport, AddsAfterExistingRecordsWithFreshIdentifiers) {
    const Places p = MakePlaces();
    TInstallList existing;
    existing.HeaderValue = 77;
    existing.NextId = 3;
    existing.Add().AppId = 10; // an identifier above the counter
    existing.SaveToFile(p.database);

    qmtest::WriteFile(p.legacy,
                      LegacyFile({LegacyRecord("a.zip", "a.exe", 0, {{"a.exe", ""}})}).data());
    ImportLegacyDatabase(p.legacy, p.database);

    TInstallList list;
    list.LoadFromFile(p.database);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.HeaderValue, 77);
    EXPECT_EQ(list.Items(0).AppId, 10);
    EXPECT_EQ(list.Items(1).AppId, 11);
    EXPECT_EQ(list.NextId, 12);
    EXPECT_EQ(list.Items(1).Members.Items(0).InstallDir(), "/opt/Apps");
}

TEST(LegacyImport, SignatureIsCheckedIgnoringCase) {
    const Places p = MakePlaces();
    qmtest::WriteFile(p.legacy, LegacyFile({LegacyRecord("a.zip", "", 0, {})}, "QUILLMATE").data());
    EXPECT_EQ(ImportLegacyDatabase(p.legacy, p.database).Status, TLegacyImportStatus::Imported);

    // Another signature, a file without any 0 byte, an empty file: nothing is imported, but the
    // database is saved and the file still gets its backup name.
    const std::string others[] = {
        LegacyFile({LegacyRecord("a.zip", "", 0, {})}, "Quillmat").data(),
        "just some text without a terminator",
        "",
    };
    int n = 0;
    for (const std::string& content : others) {
        const Places q = MakePlaces();
        qmtest::WriteFile(q.legacy, content);
        const TLegacyImportResult result = ImportLegacyDatabase(q.legacy, q.database);
        EXPECT_EQ(result.Status, TLegacyImportStatus::NoSignature) << n;
        EXPECT_TRUE(result.Moved) << n;
        EXPECT_EQ(qmtest::ReadFile(q.database), Bytes().zeros(20).data()) << n;
        ++n;
    }
}

TEST(LegacyImport, BackupNameSkipsExistingFiles) {
    const Places p = MakePlaces();
    qmtest::WriteFile(p.program + "Quillmate.bak", "old");
    qmtest::WriteFile(p.program + "Quillmate_1.bak", "older");
    qmtest::WriteFile(p.legacy, LegacyFile({}).data());
    const TLegacyImportResult result = ImportLegacyDatabase(p.legacy, p.database);
    EXPECT_EQ(result.BackupName, p.program + "Quillmate_2.bak");
    EXPECT_TRUE(result.Moved);
    EXPECT_EQ(qmtest::ReadFile(p.program + "Quillmate.bak"), "old");
    EXPECT_EQ(qmtest::ReadFile(p.program + "Quillmate_2.bak"), LegacyFile({}).data());
    // No record: the new database is saved as the empty list it was, counter included.
    EXPECT_EQ(result.RecordCount, 0);
    EXPECT_EQ(qmtest::ReadFile(p.database), Bytes().zeros(20).data());
}

TEST(LegacyImport, FileThatCannotBeMovedIsNotImportedTwice) {
    const Places p = MakePlaces();
    const std::string content =
        LegacyFile({LegacyRecord("a.zip", "a.exe", 0, {{"a.exe", ""}})}).data();
    qmtest::WriteFile(p.legacy, content);

    TLegacyImportResult first = ImportLegacyDatabase(p.legacy, p.database, NeverMoves);
    EXPECT_EQ(first.Status, TLegacyImportStatus::Imported);
    EXPECT_FALSE(first.Moved);
    ASSERT_TRUE(FileExists(p.legacy));
    const std::string saved = qmtest::ReadFile(p.database);

    // The next starts find the same file again, also as a copy under the same name.
    TLegacyImportResult second = ImportLegacyDatabase(p.legacy, p.database, NeverMoves);
    EXPECT_EQ(second.Status, TLegacyImportStatus::AlreadyImported);
    qmtest::WriteFile(p.legacy, content);
    TLegacyImportResult third = ImportLegacyDatabase(p.legacy, p.database);
    EXPECT_EQ(third.Status, TLegacyImportStatus::AlreadyImported);
    EXPECT_TRUE(third.Moved); // the move is tried again each time
    EXPECT_EQ(qmtest::ReadFile(p.database), saved);

    // A different legacy file is still imported.
    qmtest::WriteFile(p.legacy, LegacyFile({LegacyRecord("b.zip", "", 0, {})}).data());
    EXPECT_EQ(ImportLegacyDatabase(p.legacy, p.database).Status, TLegacyImportStatus::Imported);
    TInstallList list;
    list.LoadFromFile(p.database);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Items(1).ArchiveName, "b.zip");
}

TEST(LegacyImport, ReadErrorLeavesDatabaseAndLegacyFileAlone) {
    const Places p = MakePlaces();
    TInstallList existing;
    existing.Add().AppName = "kept";
    existing.SaveToFile(p.database);
    const std::string before = qmtest::ReadFile(p.database);

    const std::string full =
        LegacyFile({LegacyRecord("a.zip", "a.exe", 1, {{"a.exe", ""}})}).data();
    for (size_t cut = 1; cut < full.size(); ++cut) {
        qmtest::WriteFile(p.legacy, full.substr(0, cut));
        EXPECT_THROW(ImportLegacyDatabase(p.legacy, p.database), EReadError) << cut;
        EXPECT_TRUE(FileExists(p.legacy)) << cut;
    }
    EXPECT_EQ(qmtest::ReadFile(p.database), before);

    // Two billion records claimed after the signature: a read error, not an allocation.
    Bytes absurd;
    absurd.str("Quillmate").i32(INT32_MAX).add(LegacyRecord("a.zip", "", 0, {}));
    qmtest::WriteFile(p.legacy, absurd.data());
    EXPECT_THROW(ImportLegacyDatabase(p.legacy, p.database), EReadError);
    EXPECT_EQ(qmtest::ReadFile(p.database), before);

    // Bytes that are no Shift_JIS text (a lead byte alone) are damage as well.
    qmtest::WriteFile(p.legacy, LegacyFile({LegacyRecord("a\x83.zip", "", 0, {})}).data());
    EXPECT_THROW(ImportLegacyDatabase(p.legacy, p.database), EReadError);
    EXPECT_EQ(qmtest::ReadFile(p.database), before);
    EXPECT_TRUE(FileExists(p.legacy));
}

TEST(LegacyImport, NoLegacyFileDoesNothing) {
    const Places p = MakePlaces();
    const TLegacyImportResult result = ImportLegacyDatabase(p.legacy, p.database);
    EXPECT_EQ(result.Status, TLegacyImportStatus::NoFile);
    EXPECT_FALSE(FileExists(p.database));
}
