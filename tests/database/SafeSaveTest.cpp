// Saving never loses the database: a write that fails midway leaves the old file whole, and
// processes that read and write at once never see or leave a damaged file.
#include "CrashSave.h"
#include "Sandbox.h"

#include "model/InstallList.h"
#include "model/InstructionFiles.h"
#include "platform/AnsiCodec.h"
#include "platform/AtomicFile.h"
#include "platform/Exception.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace qm;

namespace {

void Fill(TInstallList& list, int records, const std::string& name) {
    for (int r = 0; r < records; ++r) {
        TInstallAppInfo& record = list.Add();
        list.AssignNewId(record);
        record.AppName = name + std::to_string(r);
        record.ArchiveName = name + ".zip";
        for (int m = 0; m < 5; ++m)
            record.Members.Add().FileName = "file" + std::to_string(m) + ".txt";
    }
}

// Names in the folder other than the database and its lock file: left-over temporary files.
std::vector<std::string> Leftovers(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name != "Quillmate.his" && name != "Quillmate.his.lock")
            names.push_back(name);
    }
    return names;
}

// Runs body in a child process and returns its exit status (body returns the status).
template <typename F> pid_t Spawn(F body) {
    const pid_t pid = fork();
    if (pid == 0)
        _exit(body());
    return pid;
}

int Wait(pid_t pid) {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

struct SafeSave : ::testing::Test {
    std::string folder = qmtest::MakeTempFolder("safe");
    std::string path = folder + "/Quillmate.his";
    std::string old;

    void SetUp() override {
        TInstallList list;
        list.HeaderValue = 5;
        Fill(list, 3, "old");
        list.SaveToFile(path);
        old = qmtest::ReadFile(path);
        ASSERT_GT(old.size(), 100u);
    }
};

} // namespace

TEST_F(SafeSave, WriteFailingMidwayKeepsTheOldFile) {
    SetAnsiCodePage(CP_SHIFT_JIS); // bytes as code page 932 stores them
    TInstallList bigger;
    Fill(bigger, 50, "new");
    // The stream gives up after N bytes, as a full disk would, at several points of the file.
    for (std::int64_t limit : {0, 19, 20, 100, 1000}) {
        EXPECT_THROW(SaveFileAtomically(path,
                                        [&](TStream& file) {
                                            TLimitedStream limited(file, limit);
                                            bigger.SaveToStream(limited);
                                        }),
                     EWriteError)
            << limit;
        EXPECT_EQ(qmtest::ReadFile(path), old) << limit;
    }
    // A text that cannot be stored stops the save just the same.
    bigger.Items(40).AppName = "😀";
    EXPECT_THROW(bigger.SaveToFile(path), EEncodingError);
    EXPECT_EQ(qmtest::ReadFile(path), old);
    EXPECT_EQ(Leftovers(folder), std::vector<std::string>{});

    TInstallList reread;
    reread.LoadFromFile(path);
    EXPECT_EQ(reread.Count(), 3);
}

TEST_F(SafeSave, FullDiskKeepsTheOldFile) {
    // A file-size limit makes the kernel refuse the write itself (EFBIG), like a full disk.
    const pid_t child = Spawn([&] {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{static_cast<rlim_t>(old.size() + 10), RLIM_INFINITY};
        setrlimit(RLIMIT_FSIZE, &limit);
        TInstallList bigger;
        Fill(bigger, 5000, "new");
        try {
            bigger.SaveToFile(path);
        } catch (const EWriteError&) {
            return 0;
        } catch (...) {
            return 2;
        }
        return 1;
    });
    ASSERT_EQ(Wait(child), 0);
    EXPECT_EQ(qmtest::ReadFile(path), old);
    EXPECT_EQ(Leftovers(folder), std::vector<std::string>{});
}

TEST_F(SafeSave, WriterWaitsForTheLockHolder) {
    // The reader is a process of its own: a forked writer would inherit the lock otherwise.
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t reader = Spawn([&] {
        TFileLock lock(LockFileNameFor(path), TFileLock::Mode::Shared);
        if (!lock.Locked() || write(ready[1], "x", 1) != 1)
            return 3;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        return qmtest::ReadFile(path) == old ? 0 : 1; // nobody wrote while it held the lock
    });
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    const pid_t writer = Spawn([&] {
        TInstallList list;
        Fill(list, 1, "child");
        list.SaveToFile(path);
        return 0;
    });
    EXPECT_EQ(Wait(reader), 0);
    EXPECT_EQ(Wait(writer), 0);
    close(ready[0]);
    close(ready[1]);
    TInstallList list;
    list.LoadFromFile(path);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Items(0).AppName, "child0");
}

TEST_F(SafeSave, ProcessesWritingAtOnceLeaveAReadableDatabase) {
    // Two writers replace the file with lists of different sizes while a reader keeps loading.
    auto writer = [&](int records, const char* name) {
        return Spawn([=, this] {
            for (int i = 0; i < 40; ++i) {
                TInstallList list;
                Fill(list, records, name);
                try {
                    list.SaveToFile(path);
                } catch (...) {
                    return 1;
                }
            }
            return 0;
        });
    };
    const pid_t a = writer(20, "a");
    const pid_t b = writer(300, "b");
    const pid_t reader = Spawn([&] {
        for (int i = 0; i < 200; ++i) {
            TInstallList list;
            try {
                list.LoadFromFile(path);
            } catch (...) {
                return 1;
            }
            if (list.Count() != 3 && list.Count() != 20 && list.Count() != 300)
                return 2;
        }
        return 0;
    });
    EXPECT_EQ(Wait(a), 0);
    EXPECT_EQ(Wait(b), 0);
    EXPECT_EQ(Wait(reader), 0);
    TInstallList list;
    list.LoadFromFile(path);
    EXPECT_TRUE(list.Count() == 20 || list.Count() == 300) << list.Count();
    EXPECT_EQ(Leftovers(folder), std::vector<std::string>{});
}

TEST(AtomicFile, UncommittedWriterLeavesNothingBehind) {
    const std::string folder = qmtest::MakeTempFolder("atomic");
    const std::string path = folder + "/f.bin";
    {
        TAtomicFileWriter writer(path);
        writer.Write("abc", 3);
    }
    EXPECT_FALSE(std::filesystem::exists(path));
    {
        TAtomicFileWriter writer(path);
        writer.Write("abc", 3);
        writer.Commit();
        EXPECT_THROW(writer.Write("d", 1), EWriteError);
    }
    EXPECT_EQ(qmtest::ReadFile(path), "abc");
    std::string bytes;
    EXPECT_TRUE(ReadWholeFileLocked(path, bytes));
    EXPECT_EQ(bytes, "abc");
    EXPECT_FALSE(ReadWholeFileLocked(folder + "/none", bytes));
    EXPECT_THROW(ReadWholeFileLocked(folder, bytes), EReadError); // a folder is no file
    // A pipe in the file's place is refused at once instead of waiting for a writer.
    const std::string pipe = folder + "/pipe";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_THROW(ReadWholeFileLocked(pipe, bytes), EReadError);
    TInstallList list;
    EXPECT_THROW(list.LoadFromFile(pipe), EReadError);
    EXPECT_THROW(ReadWholeFileLocked("/dev/zero", bytes), EReadError);
    EXPECT_THROW(TAtomicFileWriter(folder + "/missing/f.bin"), EWriteError);
}

// A process killed at any point of saving the database leaves the old or the new file, and the
// temporary it leaves is removed by the next save.
TEST_F(SafeSave, KilledAtAnyStepOfTheSaveLeavesTheOldOrTheNewDatabase) {
    auto save = [&](int version) {
        TInstallList list;
        Fill(list, version == 0 ? 200 : 230, version == 0 ? "zero" : "one");
        list.SaveToFile(path);
    };
    auto load = [&] {
        TInstallList list;
        EXPECT_NO_THROW(list.LoadFromFile(path));
        EXPECT_TRUE(list.Count() == 200 || list.Count() == 230) << list.Count();
    };
    const auto counts = qmtest::RunCrashSaves(
        path, save, [&] { return qmtest::ReadFile(path); }, load, 300);
    EXPECT_EQ(counts.kills, 300);
    EXPECT_GT(counts.oldVersion, 250); // killed before the rename
    EXPECT_GT(counts.newVersion, 0);   // killed after it
    EXPECT_GT(counts.leftTemporaries, 250);
}

TEST(CrashSave, KilledWhileWritingInstructionFilesLeavesTheOldOrTheNewFile) {
    const std::string folder = qmtest::MakeTempFolder("instr");
    for (const char* name : {InstallInstructionName, UninstallInstructionName}) {
        const std::string path = folder + "/" + name;
        const bool install = name == std::string(InstallInstructionName);
        auto save = [&](int version) {
            TInstallAppInfo plan;
            plan.AppName = version == 0 ? "Viewer" : "Viewer 2";
            for (int m = 0; m < 40 + version * 10; ++m)
                plan.Members.Add().FileName = "file" + std::to_string(m) + ".dat";
            if (install) {
                TInstallOption option;
                option.WorkFolder = folder + "/work/";
                WriteInstallFile(path, plan, option);
            } else {
                WriteUninstallFile(path, plan, {"/opt/viewer/a.exe", "/opt/viewer/"});
            }
        };
        auto load = [&] {
            const std::string bytes = qmtest::ReadFile(path);
            TMemoryStream stream(bytes);
            TInstallAppInfo record;
            EXPECT_NO_THROW(record.LoadFromStream(stream));
            EXPECT_TRUE(record.AppName == "Viewer" || record.AppName == "Viewer 2");
        };
        const auto counts = qmtest::RunCrashSaves(
            path, save, [&] { return qmtest::ReadFile(path); }, load, 150);
        EXPECT_GT(counts.oldVersion, 0) << name;
        EXPECT_GT(counts.newVersion, 0) << name;
    }
}
