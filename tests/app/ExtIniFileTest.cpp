#include "platform/AnsiCodec.h"
#include "settings/ConfigKeys.h"
#include "settings/ExtIniFile.h"

#include "CrashSave.h"
#include "Sandbox.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <limits>
#include <thread>

#include <fcntl.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace qm;
using qmtest::MakeTempFolder;
using qmtest::ReadFile;
using qmtest::WriteFile;

namespace {

// A store whose "program" lives in a fresh sandbox folder, so its default file is ours.
struct Store {
    std::string folder = MakeTempFolder("ini");
    std::string program = folder + "/Quillmate";
    std::string iniPath = folder + "/Quillmate.ini";
};

} // namespace

TEST(ExtIniFile, TypedReadsFollowTheStoredText) {
    SetAnsiCodePage(CP_SHIFT_JIS);
    Store s;
    WriteFile(s.iniPath, "[Options]\r\nWizard=yes\r\nA=TRUE\r\nB=1\r\nC=2\r\nD=\r\n"
                         "[Default]\r\nOverWrite=0x3\r\nConfirmMode=abc\r\nE=$1F\r\nF=-7\r\n"
                         "G=0x\r\nH=99999999999\r\nI=0XFFFFFFFF\r\nJ= 12\r\nK=12a\r\n");
    TExtIniFile ini(s.program);
    ini.AutoUpdate = false;
    EXPECT_FALSE(ReadConfigBool(ini, cfg::Wizard)); // "yes" is not a true value
    EXPECT_TRUE(ini.ReadBool("Options", "A", false));
    EXPECT_TRUE(ini.ReadBool("Options", "B", false));
    EXPECT_FALSE(ini.ReadBool("Options", "C", true));
    EXPECT_FALSE(ini.ReadBool("Options", "D", true));
    EXPECT_TRUE(ini.ReadBool("Options", "Missing", true));

    EXPECT_EQ(ReadConfigInt(ini, cfg::OverWrite), 3);
    EXPECT_EQ(ReadConfigInt(ini, cfg::ConfirmMode), cfg::ConfirmMode.Default);
    EXPECT_EQ(ini.ReadInteger("Default", "E", 0), 31);
    EXPECT_EQ(ini.ReadInteger("Default", "F", 0), -7);
    EXPECT_EQ(ini.ReadInteger("Default", "G", 5), 5);
    EXPECT_EQ(ini.ReadInteger("Default", "H", 5), 5); // beyond 32 bits
    EXPECT_EQ(ini.ReadInteger("Default", "I", 5), -1);
    EXPECT_EQ(ini.ReadInteger("Default", "J", 5), 12);
    EXPECT_EQ(ini.ReadInteger("Default", "K", 5), 5);
    EXPECT_EQ(ini.ReadInt64("Default", "H", 5), 99999999999);
    EXPECT_EQ(ini.ReadInt64("Default", "OverWrite", 5), 5); // no "0x" rule in 64 bits
    EXPECT_EQ(ini.ReadInt64("Default", "E", 5), 31);
}

TEST(ExtIniFile, ConfigurationTableGivesEveryDefaultOnAnEmptyStore) {
    Store s;
    TExtIniFile ini(s.program);
    ini.AutoUpdate = false;
    EXPECT_TRUE(ReadConfigBool(ini, cfg::Wizard));
    EXPECT_EQ(ReadConfigInt(ini, cfg::OverWrite), 1);
    EXPECT_EQ(ReadConfigInt(ini, cfg::UpdateMode), 0);
    EXPECT_FALSE(ReadConfigBool(ini, cfg::AutoExit));
    EXPECT_EQ(ColumnKey(cfg::ColsMain, 3), "Main.3");
    WriteConfigBool(ini, cfg::BootApp, true);
    WriteConfigInt(ini, cfg::OverWrite, 4);
    EXPECT_EQ(ini.ReadString("Default", "BootApp", ""), "1");
    EXPECT_EQ(ini.ReadString("Default", "OverWrite", ""), "4");
}

TEST(ExtIniFile, SectionNamesIgnoreBracketsAndCaseUnlessAsked) {
    Store s;
    WriteFile(s.iniPath, "stray=line before any section\r\n[default]\r\nUpdateMode=2\r\n"
                         "[DEFAULT]\r\nUpdateMode=9\r\n");
    TExtIniFile ini(s.program);
    ini.AutoUpdate = false;
    EXPECT_EQ(ini.ReadInteger("Default", "UpdateMode", 0), 2); // the first of two sections
    EXPECT_EQ(ini.ReadInteger("[Default]", "updatemode", 0), 2);
    EXPECT_EQ(ini.ReadInteger("[Default", "UPDATEMODE", 0), 2);
    EXPECT_FALSE(ini.ValueExists("Default", "stray"));
    ini.CaseSensitive = true;
    EXPECT_EQ(ini.ReadInteger("Default", "UpdateMode", 0), 0);
    EXPECT_EQ(ini.ReadInteger("DEFAULT", "UpdateMode", 0), 9);
    EXPECT_EQ(ini.ReadInteger("default", "updateMode", 0), 0);
}

TEST(ExtIniFile, WritesAnsiTextWithCrLfAndDropsOneCharacterLines) {
    SetAnsiCodePage(CP_SHIFT_JIS);
    Store s;
    // "名" is 96 BC in code page 932.
    WriteFile(s.iniPath, "[A]\nx\r\n;comment kept\r\nName=\x96\xBC\r\n\r\n[B]\rk=v");
    {
        TExtIniFile ini(s.program);
        EXPECT_EQ(ini.ReadString("A", "Name", ""), "名");
        ini.WriteString("B", "New", "値");
    }
    // "値" is 92 6C.
    EXPECT_EQ(ReadFile(s.iniPath), "[A]\r\n;comment kept\r\nName=\x96\xBC\r\n\r\n"
                                   "[B]\r\nk=v\r\nNew=\x92\x6C\r\n\r\n");
}

TEST(ExtIniFile, BytesInvalidInTheCodePageAreSkippedByLookupsAndWrittenBackUnchanged) {
    SetAnsiCodePage(CP_SHIFT_JIS);
    Store s;
    // Lead bytes without their second byte, in a line and in a section header.
    const std::string original = "[A]\r\nk=1\r\nbad=\x82\r\n[\x82 ]\r\nx=1\r\n[B]\r\nm=2\r\n";
    WriteFile(s.iniPath, original);
    {
        TExtIniFile ini(s.program);
        EXPECT_EQ(ini.ReadInteger("A", "k", 0), 1);
        EXPECT_FALSE(ini.ValueExists("A", "bad"));
        EXPECT_EQ(ini.ReadInteger("B", "m", 0), 2); // reading goes on past the damage
        EXPECT_EQ(ini.SectionCount(), 3);
        ini.WriteInteger("B", "n", 3);
    }
    EXPECT_EQ(ReadFile(s.iniPath),
              "[A]\r\nk=1\r\nbad=\x82\r\n\r\n[\x82 ]\r\nx=1\r\n\r\n[B]\r\nm=2\r\nn=3\r\n\r\n");
}

// Found by fuzzing: "]" as the second byte of a double-byte character ended a header on the
// bytes, but the text kept and saved did not end in "]", so the next load lost the section.
TEST(ExtIniFile, FuzzBracketAsTrailByteIsNoHeaderAndSurvivesSaveAndLoad) {
    SetAnsiCodePage(CP_SHIFT_JIS);
    Store s;
    const std::string original = "[A]\r\nk=1\r\n[\xED]\r\nx=2\r\n";
    WriteFile(s.iniPath, original);
    std::string first;
    {
        TExtIniFile ini(s.program);
        EXPECT_EQ(ini.SectionCount(), 1);
        EXPECT_EQ(ini.ReadInteger("A", "x", 0), 2); // the line belongs to [A]
        first = ini.Text();
    }
    // (The character is written back in its other code of code page 932, \xFA\x79.)
    TExtIniFile again(s.program);
    again.AutoUpdate = false;
    EXPECT_EQ(again.Text(), first);
    EXPECT_EQ(again.ReadInteger("A", "x", 0), 2);
}

// Found by fuzzing: negating the smallest 64-bit value overflowed.
TEST(ExtIniFile, FuzzNegatedSmallestHexValueReadsWithoutOverflow) {
    std::int64_t value = 0;
    ASSERT_TRUE(TryParseInt64("-$8000000000000000", value));
    EXPECT_EQ(value, std::numeric_limits<std::int64_t>::min());
    ASSERT_TRUE(TryParseInt64("-$FFFFFFFFFFFFFFFF", value));
    EXPECT_EQ(value, 1);
    EXPECT_FALSE(TryParseInt64("-$10000000000000000", value));
    std::int32_t small = 0;
    ASSERT_TRUE(TryParseInt32("-$80000000", small));
    EXPECT_EQ(small, std::numeric_limits<std::int32_t>::min());
}

TEST(ExtIniFile, WritingKeepsLinesInPlaceAndMovesEmptiedKeysToTheEnd) {
    Store s;
    WriteFile(s.iniPath, "[S]\r\na=1\r\nb=2\r\nc=3\r\n");
    TExtIniFile ini(s.program);
    ini.AutoUpdate = false;
    ini.WriteString("S", "A", "10"); // found ignoring case, replaced in place with this spelling
    ini.WriteString("S", "b", "");
    ini.WriteString("S", "d", "4");
    ini.WriteString("T", "x", "");
    EXPECT_EQ(ini.Text(), "[S]\r\nA=10\r\nc=3\r\nb=\r\nd=4\r\n\r\n[T]\r\nx=\r\n\r\n");
    EXPECT_TRUE(ini.ValueExists("S", "b"));
    EXPECT_EQ(ini.ReadInteger("S", "b", 7), 7);
}

TEST(ExtIniFile, FileIsWrittenAtDestructionOrAfterEachTypedWriteWhenAsked) {
    Store s;
    {
        TExtIniFile ini(s.program);
        ini.AutoUpdate = false;
        ini.WriteInteger("S", "k", 1);
    }
    EXPECT_FALSE(std::filesystem::exists(s.iniPath));
    {
        TExtIniFile ini(s.program); // an empty store is still written at the end
    }
    EXPECT_EQ(ReadFile(s.iniPath), "");

    int updates = 0;
    TExtIniFile ini(s.program);
    ini.OnUpdate = [&](TExtIniFile&) { ++updates; };
    ini.SetUpdateAtOnce(true);
    EXPECT_EQ(updates, 1);
    ini.WriteString("S", "text", "only in memory");
    EXPECT_EQ(ReadFile(s.iniPath), "");
    ini.WriteInteger("S", "n", 5);
    EXPECT_EQ(updates, 2);
    EXPECT_EQ(ReadFile(s.iniPath), "[S]\r\ntext=only in memory\r\nn=5\r\n\r\n");
}

TEST(ExtIniFile, APipeInPlaceOfTheFileReadsAsAnEmptyStoreWithoutWaiting) {
    Store s;
    ASSERT_EQ(::mkfifo(s.iniPath.c_str(), 0644), 0);
    std::promise<int> loaded;
    std::future<int> sections = loaded.get_future();
    std::thread reader([&] {
        TExtIniFile ini(s.program);
        ini.AutoUpdate = false;
        loaded.set_value(ini.SectionCount());
    });
    const bool done = sections.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    EXPECT_TRUE(done) << "the store waits for a writer to the pipe";
    if (!done) {
        // Ends the wait: a writer that closes at once gives the reader its end of file.
        const int fd = ::open(s.iniPath.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    }
    reader.join();
    EXPECT_EQ(sections.get(), 0);
}

TEST(ExtIniFile, SavingIsNotStoppedByWhatLiesBesideTheFile) {
    // A folder where a fixed temporary name would be (left by anything): the store is still
    // written, and written whole.
    Store s;
    std::filesystem::create_directories(s.iniPath + ".tmp");
    {
        TExtIniFile ini(s.program);
        ini.WriteInteger("S", "n", 5);
    }
    EXPECT_EQ(ReadFile(s.iniPath), "[S]\r\nn=5\r\n\r\n");
    EXPECT_TRUE(std::filesystem::is_directory(s.iniPath + ".tmp"));
}

TEST(ExtIniFile, AFileThatCannotBeReadIsNeverWrittenOver) {
    Store s;
    const std::string kept = "[Keep]\r\nPrecious=1\r\n";
    WriteFile(s.iniPath, kept);
    ASSERT_EQ(::chmod(s.iniPath.c_str(), 0), 0);
    // The store is used as the program would: it writes its values and saves at the end.
    const auto use = [&] {
        TExtIniFile ini(s.program);
        ini.WriteInteger("Cols", "Main.0", 150);
    };
    if (::geteuid() != 0) {
        use();
    } else {
        // Permissions do not bind the superuser: the store runs in a child that has given up
        // the right to pass over them.
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
            __user_cap_data_struct caps[2]{};
            if (::syscall(SYS_capget, &header, caps) != 0)
                ::_exit(2);
            caps[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
            if (::syscall(SYS_capset, &header, caps) != 0)
                ::_exit(2);
            use();
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    ASSERT_EQ(::chmod(s.iniPath.c_str(), 0644), 0);
    EXPECT_EQ(ReadFile(s.iniPath), kept);
}

TEST(ExtIniFile, AFileFarTooLargeIsNeitherReadNorWrittenOver) {
    Store s;
    WriteFile(s.iniPath, "[S]\r\nk=v\r\n");
    std::filesystem::resize_file(s.iniPath, 20u << 20); // damage: zeros after the settings
    {
        TExtIniFile ini(s.program);
        EXPECT_EQ(ini.ReadString("S", "k", "default"), "default");
        ini.WriteInteger("Cols", "Main.0", 150);
    }
    EXPECT_EQ(std::filesystem::file_size(s.iniPath), 20u << 20);
    EXPECT_EQ(ReadFile(s.iniPath).substr(0, 10), "[S]\r\nk=v\r\n");
}

TEST(ExtIniFile, ChangingThePathSavesTheOldFileAndLoadsTheNewOneWithoutCarryingOver) {
    Store s;
    const std::string appData = std::getenv("XDG_DATA_HOME");
    const std::string perUser = appData + "/Quillmate/Quillmate.ini";
    WriteFile(s.iniPath, "[Default]\r\nOverWrite=3\r\n");
    WriteFile(perUser, "[Default]\r\nOverWrite=2\r\n");
    int loads = 0;
    {
        TExtIniFile ini(s.program);
        ini.OnLoad = [&](TExtIniFile&) { ++loads; };
        ini.SetFileName("Quillmate.ini");
        EXPECT_EQ(ini.Path(), s.folder + "/Quillmate.ini");
        ini.WriteInteger("Default", "UpdateMode", 1);
        ini.SetDefaultFolder(TDefaultFolder::dfAppData);
        EXPECT_EQ(ini.Path(), perUser);
        EXPECT_EQ(ReadConfigInt(ini, cfg::OverWrite), 2);
        EXPECT_FALSE(ini.ValueExists("Default", "UpdateMode"));
        EXPECT_EQ(loads, 2);
    }
    // The old file got its change when the path moved away from it.
    EXPECT_EQ(ReadFile(s.iniPath), "[Default]\r\nOverWrite=3\r\nUpdateMode=1\r\n\r\n");

    // A per-user folder that does not exist yet is made.
    Store other;
    std::filesystem::remove_all(appData + "/Quillmate");
    TExtIniFile ini(other.program);
    ini.SetFileName("Quillmate.ini");
    loads = 0;
    ini.OnLoad = [&](TExtIniFile&) { ++loads; };
    ini.SetDefaultFolder(TDefaultFolder::dfAppData);
    EXPECT_TRUE(std::filesystem::is_directory(appData + "/Quillmate"));
    EXPECT_EQ(loads, 1); // a missing file loads as an empty store
    // An empty store writes nothing when it moves away; the next one is read as it stands.
    WriteFile(other.iniPath, "[Keep]\r\nk=1\r\n");
    ini.SetDefaultFolder(TDefaultFolder::dfApplication);
    EXPECT_FALSE(std::filesystem::exists(appData + "/Quillmate/Quillmate.ini"));
    EXPECT_EQ(ini.ReadInteger("Keep", "k", 0), 1);
}

TEST(ExtIniFile, FormStateRoundTripsAndOnlyMaximisedSurvivesAsState) {
    Store s;
    TExtIniFile ini(s.program);
    ini.AutoUpdate = false;
    TFormPlacement form;
    form.name = "frmMain";
    form.placement = {2, 3, -1, -1, -8, -8, 10, 20, 537, 460};
    form.windowState = TWindowState::Maximized;
    form.clientWidth = 527;
    form.clientHeight = 422;
    ini.WriteFormState("Forms", form);
    EXPECT_EQ(ini.ReadString("Forms", "frmMain", ""), "FORM");
    EXPECT_EQ(ini.ReadInteger("Forms", "frmMain.cwidth", 0), 527);

    TFormPlacement fresh;
    fresh.name = "frmMain";
    fresh.placement = {0, 1, -1, -1, -1, -1, 0, 0, 100, 100};
    TFormPlacement read = ini.ReadFormState("Forms", fresh);
    EXPECT_EQ(read.placement.left, 10);
    EXPECT_EQ(read.placement.bottom, 460);
    EXPECT_EQ(read.placement.maxX, -8);
    EXPECT_EQ(read.placement.flags, 2u);
    EXPECT_EQ(read.placement.showCmd, 0u); // hidden until the form shows itself
    EXPECT_EQ(read.windowState, TWindowState::Maximized);

    form.windowState = TWindowState::Minimized;
    ini.WriteFormState("Forms", form);
    EXPECT_EQ(ini.ReadFormState("Forms", fresh).windowState, TWindowState::Normal);

    // A form already showing takes the stored show command and keeps its own state.
    fresh.showing = true;
    fresh.windowState = TWindowState::Minimized;
    read = ini.ReadFormState("Forms", fresh);
    EXPECT_EQ(read.placement.showCmd, 3u);
    EXPECT_EQ(read.windowState, TWindowState::Minimized);

    // Nothing stored: the current placement stands.
    fresh.name = "frmAppList";
    fresh.showing = false;
    read = ini.ReadFormState("Forms", fresh);
    EXPECT_EQ(read.placement.right, 100);
    EXPECT_EQ(read.windowState, TWindowState::Normal);
}

// A process killed at any point of saving the settings leaves the old or the new file.
TEST(ExtIniFile, KilledAtAnyStepOfTheSaveLeavesTheOldOrTheNewFile) {
    Store s;
    auto save = [&](int version) {
        TExtIniFile ini(s.program);
        ini.AutoUpdate = false;
        for (int i = 0; i < 300 + version * 40; ++i)
            ini.WriteInteger("Recent", "File" + std::to_string(i), version);
        ini.UpdateFile();
    };
    auto load = [&] {
        TExtIniFile ini(s.program);
        ini.AutoUpdate = false;
        const int version = ini.ReadInteger("Recent", "File0", -1);
        EXPECT_TRUE(version == 0 || version == 1);
        EXPECT_TRUE(ini.ValueExists("Recent", "File" + std::to_string(299 + version * 40)));
    };
    const auto counts = qmtest::RunCrashSaves(
        s.iniPath, save, [&] { return ReadFile(s.iniPath); }, load, 200);
    EXPECT_GT(counts.oldVersion, 0);
    EXPECT_GT(counts.newVersion, 0);
    EXPECT_GT(counts.leftTemporaries, 100);
}

// Numbers at the edge of 32 bits: the largest and smallest values read, one beyond either is
// not a number. And "[]" is a section header (of the empty name), not a line of the section
// before it.
TEST(ExtIniFile, TheEdgesOfThirtyTwoBitsAndAnEmptySectionHeader) {
    SetAnsiCodePage(CP_SHIFT_JIS);
    Store s;
    WriteFile(s.iniPath, "[N]\r\nMax=2147483647\r\nOver=2147483648\r\nMin=-2147483648\r\n"
                         "Under=-2147483649\r\n[A]\r\nx=1\r\n[]\r\ny=2\r\n");
    TExtIniFile ini(s.program);
    ini.AutoUpdate = false;
    EXPECT_EQ(ini.ReadInteger("N", "Max", 5), 2147483647);
    EXPECT_EQ(ini.ReadInteger("N", "Over", 5), 5);
    EXPECT_EQ(ini.ReadInteger("N", "Min", 5), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(ini.ReadInteger("N", "Under", 5), 5);
    EXPECT_EQ(ini.ReadInteger("A", "x", 0), 1);
    EXPECT_EQ(ini.ReadInteger("A", "y", 0), 0) << "y belongs to the section after [A]";
}
