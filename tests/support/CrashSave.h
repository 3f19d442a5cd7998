#pragma once
// Crash tests of a save: a child process saves a file and is killed with SIGKILL at a chosen step
// of the write (through the save step hook of the atomic writer); after each kill the file must
// be the old version or the new one, complete, and load; the temporaries left by killed writers
// are counted and must be gone after the next save.
#include "platform/AtomicFile.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

namespace qmtest {

struct CrashSaveCounts {
    int kills = 0;           // children that were killed in the middle of a save
    int leftTemporaries = 0; // temporaries found after a kill, before the next save
    int oldVersion = 0;      // kills after which the file was the old version
    int newVersion = 0;      // ... the new one
};

namespace crashsave {
inline int StepCount = 0;
inline int KillAt = -1;
inline void CountStep(qm::TSaveStep, std::uint64_t) {
    ++StepCount;
}
inline void KillAtStep(qm::TSaveStep, std::uint64_t) {
    if (StepCount++ == KillAt)
        ::kill(::getpid(), SIGKILL);
}
} // namespace crashsave

// The temporaries beside path ("<name>.<hex>.tmp").
inline int CountTemporaries(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const std::string folder = path.substr(0, slash);
    const std::string prefix = path.substr(slash + 1) + ".";
    int count = 0;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.size() > prefix.size() + 4 && name.compare(0, prefix.size(), prefix) == 0 &&
                name.compare(name.size() - 4, 4, ".tmp") == 0)
                ++count;
        }
        ::closedir(dir);
    }
    return count;
}

// save(v) writes version v (0 or 1) of the file at path; read() returns the bytes on disk;
// load() loads the file as the program does and fails the test when it cannot. The kills are
// spread evenly over every step of a save, `kills` (more than 3) of them.
inline CrashSaveCounts RunCrashSaves(const std::string& path, const std::function<void(int)>& save,
                                     const std::function<std::string()>& read,
                                     const std::function<void()>& load, int kills) {
    CrashSaveCounts counts;
    // The two versions, and the number of steps a save takes.
    std::string bytes[2];
    int stepsOf[2] = {0, 0};
    for (const int version : {1, 0}) {
        crashsave::StepCount = 0;
        qm::SetSaveStepHook(crashsave::CountStep);
        save(version);
        qm::SetSaveStepHook(nullptr);
        bytes[version] = read();
        stepsOf[version] = crashsave::StepCount;
        EXPECT_GT(stepsOf[version], 3);
    }
    EXPECT_NE(bytes[0], bytes[1]);
    int current = 0;
    for (int i = 0; i < kills && !::testing::Test::HasFailure(); ++i) {
        const int next = 1 - current;
        const pid_t child = ::fork();
        if (child == 0) {
            crashsave::StepCount = 0;
            // Spread over the writing; the last kills fall after the last write, after the
            // flush and after the rename.
            const int steps = stepsOf[next];
            const int spread = kills - 3;
            crashsave::KillAt =
                i < spread ? static_cast<int>(static_cast<long long>(i) * (steps - 3) / spread)
                           : steps - (kills - i);
            qm::SetSaveStepHook(crashsave::KillAtStep);
            save(next);
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "kill " << i;
        ++counts.kills;
        const std::string onDisk = read();
        if (onDisk == bytes[current]) {
            ++counts.oldVersion;
        } else if (onDisk == bytes[next]) {
            ++counts.newVersion;
            current = next;
        } else {
            ADD_FAILURE() << "kill " << i << " left a file that is neither version ("
                          << onDisk.size() << " bytes)";
        }
        load();
        const int temporaries = CountTemporaries(path);
        EXPECT_LE(temporaries, 1) << "kill " << i; // earlier ones went with the next save
        counts.leftTemporaries += temporaries;
    }
    // A save that is not killed leaves no temporary at all.
    save(1 - current);
    EXPECT_EQ(read(), bytes[1 - current]);
    EXPECT_EQ(CountTemporaries(path), 0);
    return counts;
}

} // namespace qmtest
