// The program's open of an archive, from the command to the painted list (check, extraction,
// scan, plan, list filled and painted), against the system's extraction of the same archive
// (`bsdtar -xf`; `lhasa x` for LZH): ZIP, tar.gz, tar.xz, tar.zst, 7z and LZH of 1,000 and
// 10,000 files (100,000 with --large; one format with --only zip|tar.gz|...). The main window
// runs offscreen; every open uses a window of its own, so the previous open's working folder is
// removed outside the timing, as is the tool's folder. Each round times one pair, the order alternating; the medians and their
// ratio are printed.
//
// usage: bench_open [--large] [--rounds N] [--sizes N,N,...] [--only FORMAT]
// Everything is written below $TMPDIR (default /tmp) and removed at the end.
#include "BenchSupport.h"
#include "app/Application.h"
#include "app/FileListModel.h"
#include "app/untMain.h"
#include "widgets/UiHooks.h"

#include <QTreeView>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using qmbench::Clock;
using qmbench::Median;
using qmbench::Seconds;
using qmbench::Shell;

// n files in folders of about 100; about 20 KB a file up to 10,000 files, then smaller, so
// 100,000 files stay near 400 MB. The program's main executable and its help file beside them.
void MakeSourceTree(const fs::path& root, int n) {
    qmbench::MakeSourceTree(root, n, n <= 10000 ? 20 * 1024 : 4 * 1024);
    std::ofstream(root / "tool.exe", std::ios::binary) << "MZ";
    std::ofstream(root / "readme.txt", std::ios::binary) << "help";
}

// One open in a fresh main window, until its list is painted; -1 when the open failed.
double TimeProgram(const fs::path& archive, int expectedRows) {
    qm::TUiHooks::Reset();
    qm::TUiHooks::Active = true; // a message box would wait for a person
    double elapsed = -1;
    {
        qm::TfrmMain window;
        window.show();
        QCoreApplication::processEvents();
        const Clock::time_point start = Clock::now();
        const bool opened = window.OpenArchive(archive.string());
        window.lvFile->viewport()->repaint();
        QCoreApplication::processEvents();
        elapsed = Seconds(start);
        if (!opened || window.lvFileModel->Count() != expectedRows ||
            !qm::TUiHooks::Messages.isEmpty()) {
            std::fprintf(stderr, "%s: open failed (%d rows, %lld messages)\n", archive.c_str(),
                         window.lvFileModel->Count(),
                         static_cast<long long>(qm::TUiHooks::Messages.size()));
            elapsed = -1;
        }
    } // the window removes its working folder here, outside the timing
    return elapsed;
}

// The extraction by the system's own tool into an empty folder: bsdtar, or lhasa for LZH.
double TimeTool(const std::string& command, const fs::path& dest) {
    fs::create_directories(dest);
    const Clock::time_point start = Clock::now();
    const int status = Shell("cd '" + dest.string() + "' && " + command + " > /dev/null");
    const double elapsed = Seconds(start);
    fs::remove_all(dest);
    return status == 0 ? elapsed : -1;
}

struct TFormat {
    const char* Label;
    const char* Extension;
    std::string Make;  // the command that makes it from the source tree ($S) into $A
    std::string Tool;  // the system tool that extracts $A into the current folder
};

std::string Fill(std::string text, const fs::path& source, const fs::path& archive) {
    for (const auto& [key, value] : {std::pair<std::string, std::string>{"$S", source.string()},
                                     std::pair<std::string, std::string>{"$A", archive.string()}})
        for (std::size_t at = text.find(key); at != std::string::npos;
             at = text.find(key, at + value.size()))
            text.replace(at, key.size(), value);
    return text;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes{1000, 10000};
    int rounds = 7;
    std::string only;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc)
            only = argv[++i];
        else if (std::strcmp(argv[i], "--large") == 0)
            sizes.push_back(100000);
        else if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--sizes") == 0 && i + 1 < argc) {
            sizes.clear();
            for (const char* p = argv[++i]; *p != '\0';) {
                sizes.push_back(std::atoi(p));
                p = std::strchr(p, ',');
                if (p == nullptr)
                    break;
                ++p;
            }
        }
    }
    const char* tmp = std::getenv("TMPDIR");
    std::string base =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/qmopen.XXXXXX";
    if (mkdtemp(base.data()) == nullptr)
        return 1;
    const fs::path work(base);
    // The program's settings and working folders go to a throw-away home below the work folder.
    setenv("HOME", (work / "home").c_str(), 1);
    setenv("XDG_DATA_HOME", (work / "home/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (work / "home/config").c_str(), 1);
    fs::create_directories(work / "home/data");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qm::TApplication app(argc, argv);

    int status = 0;
    std::printf("%-8s %7s %8s  %9s %9s  %s\n", "format", "files", "MB", "program", "tool",
                "ratio (median of pairs)");
    const std::vector<TFormat> formats = {
        {"zip", ".zip", "cd '$S' && zip -qr '$A' .", "bsdtar -xf '$A'"},
        {"tar.gz", ".tar.gz", "bsdtar -czf '$A' -C '$S' .", "bsdtar -xf '$A'"},
        {"tar.xz", ".tar.xz", "bsdtar -cJf '$A' -C '$S' .", "bsdtar -xf '$A'"},
        {"tar.zst", ".tar.zst", "bsdtar --zstd -cf '$A' -C '$S' .", "bsdtar -xf '$A'"},
        {"7z", ".7z", "cd '$S' && 7z a -bd '$A' . > /dev/null", "bsdtar -xf '$A'"},
        {"lzh", ".lzh", "cd '$S' && jlha a '$A' dir* tool.exe readme.txt > /dev/null", "lhasa x '$A'"},
    };
    for (const int n : sizes) {
        const fs::path src = work / ("src" + std::to_string(n));
        MakeSourceTree(src, n);
        for (const TFormat& format : formats) {
            if (!only.empty() && only != format.Label)
                continue;
            const fs::path archive = work / ("open" + std::to_string(n) + format.Extension);
            if (Shell(Fill(format.Make, src, archive)) != 0) {
                status = 1;
                continue;
            }
            std::vector<double> program, tool, ratios;
            for (int round = 0; round < rounds; ++round) {
                double p = -1, b = -1;
                for (int turn = 0; turn < 2; ++turn) {
                    Shell("sync");
                    if ((turn + round) % 2 == 0)
                        p = TimeProgram(archive, n + 2);
                    else
                        b = TimeTool(Fill(format.Tool, src, archive), work / "tool");
                }
                if (p < 0 || b < 0) {
                    status = 1;
                    continue;
                }
                program.push_back(p);
                tool.push_back(b);
                ratios.push_back(p / b);
            }
            if (!ratios.empty()) {
                std::printf("%-8s %7d %8.1f  %8.3fs %8.3fs  %.2f (goal <= 1.15; pairs %.2f..%.2f)\n",
                            format.Label, n, fs::file_size(archive) / 1e6, Median(program),
                            Median(tool), Median(ratios),
                            *std::min_element(ratios.begin(), ratios.end()),
                            *std::max_element(ratios.begin(), ratios.end()));
                std::fflush(stdout);
            }
            fs::remove(archive);
        }
        fs::remove_all(src);
    }
    fs::remove_all(work);
    return status;
}
