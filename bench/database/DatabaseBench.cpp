// A database of 10,000 records of 20 members each: reading its bytes, loading it, and the update
// detection that scores an opened archive against every record, in one run so the times compare.
#include "model/InstallList.h"
#include "platform/AtomicFile.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

using namespace qm;

namespace {

constexpr int kRecords = 10000;
constexpr int kMembers = 20;

std::string g_path;

void MakeDatabase() {
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/qmbench.XXXXXX";
    if (mkdtemp(folder.data()) == nullptr)
        std::abort();
    g_path = folder + "/Quillmate.his";
    TInstallList list;
    list.NextId = 1;
    for (int r = 0; r < kRecords; ++r) {
        TInstallAppInfo& record = list.Add();
        list.AssignNewId(record);
        // Mostly ASCII names as archives have them, every tenth one Japanese.
        const std::string stem = (r % 10 == 0 ? "ツール" : "tool") + std::to_string(r) + "x";
        record.AppName = stem;
        record.Version = "1.0." + std::to_string(r);
        record.ArchiveName = stem + "10.zip";
        record.FirstInstallDate = 45000.5;
        for (int m = 0; m < kMembers; ++m) {
            TFileMember& member = record.Members.Add();
            member.FileName = m == 0 ? stem + ".exe" : "file" + std::to_string(m) + ".dat";
            member.ArchivePath = m % 3 == 0 ? "" : "doc/";
            member.SetInstallDir("/home/user/.local/opt/" + stem + "/", false);
            member.FileSize = 1000 + m;
            member.IsTarget = true;
        }
    }
    list.SaveToFile(g_path);
}

std::string ReadBytes() {
    std::ifstream in(g_path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void BM_ReadFileBytes(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadBytes());
}

void BM_ReadFileBytesLocked(benchmark::State& state) {
    std::string bytes;
    for (auto _ : state) {
        ReadWholeFileLocked(g_path, bytes);
        benchmark::DoNotOptimize(bytes.data());
    }
}

void BM_LoadDatabase(benchmark::State& state) {
    for (auto _ : state) {
        TInstallList list;
        list.LoadFromFile(g_path);
        benchmark::DoNotOptimize(list.Count());
    }
}

// What the main window does after each opened archive: load, then score every record (an
// archive that matches nothing, so no record is skipped).
void BM_LoadAndFindUpdateTarget(benchmark::State& state) {
    for (auto _ : state) {
        TInstallList list;
        list.LoadFromFile(g_path);
        benchmark::DoNotOptimize(list.FindUpdateTarget("nothing-like-it12.zip", "other.exe"));
    }
}

void BM_FindUpdateTargetOnly(benchmark::State& state) {
    TInstallList list;
    list.LoadFromFile(g_path);
    for (auto _ : state)
        benchmark::DoNotOptimize(list.FindUpdateTarget("nothing-like-it12.zip", "other.exe"));
}

BENCHMARK(BM_ReadFileBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadFileBytesLocked)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadDatabase)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadAndFindUpdateTarget)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindUpdateTargetOnly)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    MakeDatabase();
    std::fprintf(stderr, "database: %ju bytes\n",
                 static_cast<std::uintmax_t>(std::filesystem::file_size(g_path)));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(std::filesystem::path(g_path).parent_path());
    return 0;
}
