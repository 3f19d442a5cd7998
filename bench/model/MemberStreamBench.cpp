// How long a large member list takes to write and read, in memory and through a file: the
// database holds every installed application's members and is read whole by each of its users.
#include "model/FileMember.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <unistd.h>

using namespace qm;

namespace {

void Fill(TFileMembers& list, int count) {
    for (int i = 0; i < count; ++i) {
        TFileMember& m = list.Add();
        m.FileName = "ファイル" + std::to_string(i) + ".dat";
        m.ArchivePath = "app/データ/" + std::to_string(i % 50) + "/";
        m.SetInstallDir("/home/user/.local/opt/ツール/" + m.ArchivePath, true);
        m.FileSize = i * 1000;
        m.ShortcutOption.ShortcutName = "ショートカット";
    }
}

void BM_SaveMemory(benchmark::State& state) {
    TFileMembers list;
    Fill(list, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        TMemoryStream s;
        list.SaveToStream(s);
        benchmark::DoNotOptimize(s.Size());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_LoadMemory(benchmark::State& state) {
    TFileMembers list;
    Fill(list, static_cast<int>(state.range(0)));
    TMemoryStream s;
    list.SaveToStream(s);
    for (auto _ : state) {
        s.SetPosition(0);
        TFileMembers read;
        read.LoadFromStream(s);
        benchmark::DoNotOptimize(read.Count());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_LoadFile(benchmark::State& state) {
    TFileMembers list;
    Fill(list, static_cast<int>(state.range(0)));
    const std::string path = "/tmp/qm_bench_members." + std::to_string(::getpid());
    {
        TFileStream f(path, TFileMode::fmCreate);
        list.SaveToStream(f);
        f.Flush();
    }
    for (auto _ : state) {
        TFileStream f(path, TFileMode::fmOpenRead);
        TFileMembers read;
        read.LoadFromStream(f);
        benchmark::DoNotOptimize(read.Count());
    }
    std::remove(path.c_str());
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

} // namespace

BENCHMARK(BM_SaveMemory)->Arg(10000);
BENCHMARK(BM_LoadMemory)->Arg(10000);
BENCHMARK(BM_LoadFile)->Arg(10000);
