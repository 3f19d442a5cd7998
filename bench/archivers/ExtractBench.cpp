// A tree of 10,000 files of about 200 MB as ZIP, tar.gz, LZH, tar, CAB and 7z. For ZIP, tar.gz
// and LZH: extraction through the archive file object with the program's options and a progress
// handler attached as the main window attaches one, against `bsdtar -xf` (`lhasa x` for the
// LZH), in alternating pairs. For every family: the archive check the main window runs before
// extracting (mode 1), against the extraction of the same archive. Prints medians and ratios.
//
// usage: bench_archivers [rounds] [zip|tgz|lzh|tar|cab|7z: that archive only]
// Everything is written below $TMPDIR (default /tmp) and removed at the end.
#include "BenchSupport.h"
#include "cmarc/ArchiveFile.h"
#include "cmarc/ArchiverOptions.h"
#include "platform/AnsiCodec.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using qmbench::Clock;
using qmbench::Median;
using qmbench::Seconds;
using qmbench::Shell;

constexpr int kFiles = 10000;
constexpr size_t kAverageSize = 20 * 1024;

intptr_t WindowProc(void*, unsigned, uintptr_t, intptr_t) {
    return 0;
}

// Extraction as the main window runs it: the program's options, a progress handler that takes
// the member name of every step. -1 on failure.
double TimeLibrary(const fs::path& archive, const fs::path& dest, long& steps) {
    fs::create_directories(dest);
    qm::TArchiveFile arc;
    arc.Options = qm::ArcMainOptions();
    arc.SetFileName(archive.string());
    std::string last;
    arc.OnProgress = [&steps, &last](qm::TArchiveFile&, int, LPEXTRACTINGINFOEX info, bool&) {
        ++steps;
        if (info != nullptr)
            last = info->szSourceFileName;
    };
    QmMessageSink window{QM_SINK_MAGIC, &WindowProc, nullptr};
    const Clock::time_point start = Clock::now();
    const int result = arc.Extract(&window, nullptr, qm::TFileArgs{nullptr}, dest.string() + "/");
    const double elapsed = Seconds(start);
    if (result != 0)
        std::fprintf(stderr, "%s: extraction failed: 0x%X\n", archive.c_str(), result);
    return result == 0 ? elapsed : -1;
}

// bsdtar, or lhasa for an LZH.
double TimeTool(const fs::path& archive, const fs::path& dest) {
    fs::create_directories(dest);
    const std::string command =
        archive.extension() == ".lzh"
            ? "cd '" + dest.string() + "' && lhasa xq '" + archive.string() + "'"
            : "bsdtar -xf '" + archive.string() + "' -C '" + dest.string() + "'";
    const Clock::time_point start = Clock::now();
    const int status = Shell(command);
    return status == 0 ? Seconds(start) : -1;
}

double TimeCheck(const fs::path& archive) {
    qm::TArchiveFile arc;
    arc.Options = qm::ArcMainOptions();
    arc.SetFileName(archive.string());
    const Clock::time_point start = Clock::now();
    const int result = arc.CheckArchive(1, 0);
    const double elapsed = Seconds(start);
    if (result == 0)
        std::fprintf(stderr, "%s: the check refused the archive\n", archive.c_str());
    return result != 0 ? elapsed : -1;
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::string only = argc > 2 ? argv[2] : "";
    auto wanted = [&only](const fs::path& archive) {
        return only.empty() || archive.extension() == "." + only;
    };
    const char* tmp = std::getenv("TMPDIR");
    std::string base = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/qmarc.XXXXXX";
    if (mkdtemp(base.data()) == nullptr)
        return 1;
    const fs::path work(base);
    const fs::path src = work / "src";
    std::printf("making %d files...\n", kFiles);
    std::fflush(stdout);
    qmbench::MakeSourceTree(src, kFiles, kAverageSize);
    const std::string s = src.string();
    const fs::path zip = work / "bench.zip", tgz = work / "bench.tgz", lzh = work / "bench.lzh",
                   tar = work / "bench.tar", cab = work / "bench.cab", sevenZip = work / "bench.7z";
    if ((wanted(zip) && Shell("cd '" + s + "' && zip -qr '" + zip.string() + "' .") != 0) ||
        (wanted(tgz) && Shell("bsdtar -czf '" + tgz.string() + "' -C '" + s + "' .") != 0) ||
        (wanted(lzh) &&
         Shell("cd '" + s + "' && jlha a '" + lzh.string() + "' dir* > /dev/null") != 0) ||
        (wanted(tar) && Shell("bsdtar -cf '" + tar.string() + "' -C '" + s + "' .") != 0) ||
        (wanted(cab) && Shell("cd '" + s +
                              "' && find . -type f | sed 's|^\\./||' | xargs gcab -c "
                              "-z '" +
                              cab.string() + "'") != 0) ||
        (wanted(sevenZip) &&
         Shell("cd '" + s + "' && 7z a -mx=1 -bd '" + sevenZip.string() + "' . > /dev/null") != 0))
        return 1;
    fs::remove_all(src);

    int status = 0;
    std::printf("\nextraction, with the program's progress handler, against bsdtar -xf (lhasa) "
                "(median of %d pairs)\n",
                rounds);
    std::vector<std::pair<fs::path, double>> extraction; // median extraction time per archive
    for (const fs::path& archive : {zip, tgz, lzh, tar, cab, sevenZip}) {
        if (!wanted(archive))
            continue;
        std::vector<double> library, bsdtar, ratios;
        long steps = 0;
        const bool paired = archive == zip || archive == tgz || archive == lzh;
        for (int round = 0; round < (paired ? rounds : 3); ++round) {
            double l = -1, b = 0;
            for (int turn = 0; turn < (paired ? 2 : 1); ++turn) {
                Shell("sync");
                if ((turn + round) % 2 == 0 || !paired) {
                    steps = 0;
                    l = TimeLibrary(archive, work / "lib", steps);
                    fs::remove_all(work / "lib");
                } else {
                    b = TimeTool(archive, work / "bsdtar");
                    fs::remove_all(work / "bsdtar");
                }
            }
            if (l < 0 || b < 0) {
                status = 1;
                continue;
            }
            library.push_back(l);
            if (paired) {
                bsdtar.push_back(b);
                ratios.push_back(l / b);
            }
        }
        if (library.empty())
            continue;
        extraction.emplace_back(archive, Median(library));
        if (paired)
            std::printf("%-10s %6.1f MB  library %.3f s  tool %.3f s  ratio %.2f (goal <= 1.15; "
                        "pairs %.2f..%.2f; %ld progress steps)\n",
                        archive.filename().c_str(), fs::file_size(archive) / 1e6, Median(library),
                        Median(bsdtar), Median(ratios),
                        *std::min_element(ratios.begin(), ratios.end()),
                        *std::max_element(ratios.begin(), ratios.end()), steps);
        std::fflush(stdout);
    }

    std::printf("\nthe archive check before extraction (mode 1), against extracting the same "
                "archive (medians)\n");
    for (const auto& [archive, extract] : extraction) {
        std::vector<double> checks;
        for (int round = 0; round < rounds; ++round) {
            const double c = TimeCheck(archive);
            if (c < 0) {
                status = 1;
                break;
            }
            checks.push_back(c);
        }
        if (checks.empty())
            continue;
        std::printf("%-10s check %8.1f ms  extraction %8.1f ms  check/extraction %.3f\n",
                    archive.filename().c_str(), Median(checks) * 1e3, extract * 1e3,
                    Median(checks) / extract);
        std::fflush(stdout);
    }
    fs::remove_all(work);
    return status;
}
