// The main window's file list with many rows: the resident memory each shown member costs (its
// member in the plan and its row, painted), then the time of filling the list from a plan,
// sorting it by a text column and by the date column, and refreshing every row from its member.
// Runs offscreen.
#include "app/Application.h"
#include "app/FileListModel.h"
#include "app/untMain.h"
#include "model/InstallAppInfo.h"

#include <benchmark/benchmark.h>

#include <QHeaderView>
#include <QTreeView>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

qm::TfrmMain* g_window = nullptr;

// A plan of n members in a few hundred folders, with names and dates in no particular order.
std::unique_ptr<qm::TInstallAppInfo> MakePlan(int n) {
    auto plan = std::make_unique<qm::TInstallAppInfo>();
    unsigned seed = 12345;
    for (int i = 0; i < n; ++i) {
        seed = seed * 1103515245u + 12345u;
        qm::TFileMember& m = plan->Members.Add();
        m.FileName = "ファイル" + std::to_string(seed % 100000) + ".dat";
        m.ArchivePath = "folder" + std::to_string(i % 300) + "/";
        m.FileDate = 40000.0 + (seed % 5000) / 7.0;
    }
    // As the plan sets them after scanning the extracted folder.
    plan->Members.SetInstallRoot("/home/user/.local/opt/Tool/");
    return plan;
}

long ResidentBytes() {
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

// What the plan's members and the shown list hold per member, at 100,000 members: the growth of
// the resident memory from the empty window to the filled and painted list.
void ReportMemoryPerMember() {
    constexpr int n = 100000;
    QCoreApplication::processEvents();
    const long before = ResidentBytes();
    auto plan = MakePlan(n);
    const long planned = ResidentBytes();
    g_window->FillFileList(*plan);
    g_window->lvFile->viewport()->repaint();
    QCoreApplication::processEvents();
    const long after = ResidentBytes();
    std::printf("resident memory per shown member at %d members: %ld B (goal <= 400): the plan's "
                "member %ld B (object %zu B), its row in the list and the view %ld B\n",
                n, (after - before) / n, (planned - before) / n, sizeof(qm::TFileMember),
                (after - planned) / n);
    std::fflush(stdout);
    g_window->lvFileModel->Clear();
}

void BM_FillFileList(benchmark::State& state) {
    auto plan = MakePlan(static_cast<int>(state.range(0)));
    for (auto _ : state)
        g_window->FillFileList(*plan);
    g_window->lvFileModel->Clear();
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FillFileList)->Arg(1000)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_SortByColumn(benchmark::State& state) {
    auto plan = MakePlan(static_cast<int>(state.range(0)));
    g_window->FillFileList(*plan);
    int column = 0;
    for (auto _ : state) {
        // Alternating columns, so every sort has work to do.
        emit g_window->lvFile->header()->sectionClicked(column);
        column = column == 0 ? 3 : 0;
    }
    g_window->lvFileModel->Clear();
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SortByColumn)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_RefreshFileList(benchmark::State& state) {
    auto plan = MakePlan(static_cast<int>(state.range(0)));
    g_window->FillFileList(*plan);
    for (auto _ : state)
        g_window->RefreshFileList();
    g_window->lvFileModel->Clear();
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RefreshFileList)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // No display is needed, and the settings the window writes go to a throw-away home.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    char home[] = "/tmp/qmbench.XXXXXX";
    if (mkdtemp(home) == nullptr)
        return 1;
    setenv("HOME", home, 1);
    setenv("XDG_DATA_HOME", (std::string(home) + "/data").c_str(), 1);
    // The interface language the goal was set in, whatever the environment asks: English text
    // paints through font caches of about 2 MB that the Japanese interface does not fill, a
    // fixed cost that would show as about 20 B per member at 100,000 members.
    setenv("QUILLMATE_LANG", "ja", 0);
    qm::TApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    {
        qm::TfrmMain window;
        window.show();
        g_window = &window;
        ReportMemoryPerMember();
        benchmark::RunSpecifiedBenchmarks();
        g_window = nullptr;
    }
    benchmark::Shutdown();
    std::system((std::string("rm -rf '") + home + "'").c_str());
    return 0;
}
