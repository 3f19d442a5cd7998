// Extracts a 10 000-file ZIP, tgz and LZH of about 200 MB each (about 400 MB once extracted)
// through the libraries' command entries and with `bsdtar -xf` (`lhasa x` for the LZH),
// alternately, and prints the best and the median time of each and their ratios.
//
// usage: bench_archivers [work folder] [rounds] [zip|tgz|lzh: that archive only]
// The work folder (default: $TMPDIR or /tmp) receives the source tree, the archives and the
// extraction folders; it is removed at the end.
#include "archiver_abi.h"
#include "platform/AnsiCodec.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kFiles = 10000;
constexpr size_t kAverageSize = 42 * 1024; // compresses to about half

int Shell(const std::string& command) {
    int status = std::system(command.c_str());
    if (status != 0)
        std::fprintf(stderr, "failed (%d): %s\n", status, command.c_str());
    return status;
}

// Text-like content that compresses about as well as program files do.
void MakeSourceTree(const fs::path& root) {
    static const char* words[] = {"install", "archive", "member",  "folder",  "setup", "value",
                                  "window",  "version", "library", "program", "data",  "file",
                                  "0x8000",  "return",  "static",  "config",  "\n",    "  "};
    uint32_t x = 2463534242u;
    auto next = [&x] {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        return x;
    };
    for (int i = 0; i < kFiles; ++i) {
        fs::path folder =
            root / ("dir" + std::to_string(i / 100)) / ("sub" + std::to_string(i % 7));
        fs::create_directories(folder);
        size_t size = kAverageSize / 2 + next() % kAverageSize;
        std::string data;
        data.reserve(size + 16);
        while (data.size() < size) {
            if (next() % 4 == 0) {
                for (int k = 0; k < 8; ++k)
                    data += static_cast<char>(next());
            } else {
                data += words[next() % (sizeof words / sizeof *words)];
                data += ' ';
            }
        }
        data.resize(size);
        std::ofstream(folder / ("file" + std::to_string(i) + ".dat"), std::ios::binary) << data;
    }
}

double Seconds(const std::chrono::steady_clock::time_point& start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double TimeLibrary(QM_COMMAND_PROC command, const std::string& line) {
    auto start = std::chrono::steady_clock::now();
    int result = command(nullptr, line.c_str(), nullptr, 0);
    double elapsed = Seconds(start);
    if (result != 0)
        std::fprintf(stderr, "command entry failed: 0x%X\n", result);
    return elapsed;
}

double TimeTool(const char* tool, const fs::path& archive, const fs::path& dest) {
    fs::create_directories(dest);
    const std::string command =
        std::string(tool) == "lhasa"
            ? "cd '" + dest.string() + "' && lhasa xq '" + archive.string() + "'"
            : "bsdtar -xf '" + archive.string() + "' -C '" + dest.string() + "'";
    auto start = std::chrono::steady_clock::now();
    Shell(command);
    return Seconds(start);
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    size_t n = times.size();
    return n % 2 == 1 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    const char* tmp = std::getenv("TMPDIR");
    fs::path work = fs::path(argc > 1 ? argv[1] : (tmp != nullptr ? tmp : "/tmp")) / "qm-arc-bench";
    int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    const std::string only = argc > 3 ? argv[3] : "";
    auto wanted = [&](const std::string& extension) { return only.empty() || only == extension; };
    fs::remove_all(work);
    fs::create_directories(work / "src");

    std::printf("making %d files...\n", kFiles);
    MakeSourceTree(work / "src");
    std::string src = (work / "src").string();
    if ((wanted("zip") && Shell("cd '" + src + "' && zip -qr ../bench.zip .") != 0) ||
        (wanted("tgz") &&
         Shell("bsdtar -czf '" + (work / "bench.tgz").string() + "' -C '" + src + "' .") != 0) ||
        (wanted("lzh") && Shell("cd '" + src + "' && jlha a ../bench.lzh dir* > /dev/null") != 0))
        return 1;

    std::string plugins = QM_BENCH_PLUGIN_DIR;
    struct Case {
        const char* archive;
        const char* library;
        const char* prefix;
        const char* lineFormat; // archive, destination
        const char* tool;       // the baseline
    } cases[] = {
        {"bench.zip", "UNZIP32.DLL", "UnZip", "-x -o --i  \"%s\" \"%s/\" ", "bsdtar"},
        {"bench.tgz", "TAR32.DLL", "Tar",
         "x -AH --display-dialog=0 -g --check-all-path=0 --use-directory=1 -z2  -f \"%s\" -o "
         "\"%s/\" ",
         "bsdtar"},
        {"bench.lzh", "UNLHA32.DLL", "Unlha",
         "x -+ -a1 -c1 -f1 -i0 -l0 -m1 -n1 -o2 -p0 -r1 -s1 -t0 -u0 -x1 -y1 \"%s\" \"%s/\" ",
         "lhasa"},
    };
    int status = 0;
    for (const Case& c : cases) {
        if (!wanted(fs::path(c.archive).extension().string().substr(1)))
            continue;
        void* module = dlopen((plugins + "/" + c.library).c_str(), RTLD_NOW);
        auto command =
            module ? reinterpret_cast<QM_COMMAND_PROC>(dlsym(module, c.prefix)) : nullptr;
        if (command == nullptr) {
            std::fprintf(stderr, "cannot load %s\n", c.library);
            return 1;
        }
        fs::path archive = work / c.archive;
        std::vector<double> library, tool;
        for (int round = 0; round < rounds; ++round) {
            // Nothing is deleted between timed runs (ext4 slows inode allocation right after
            // deletions), dirty pages are flushed before each run, and the order alternates.
            fs::path dest = work / (std::string(c.prefix) + "-lib" + std::to_string(round));
            fs::path reference =
                work / (std::string(c.prefix) + "-" + c.tool + std::to_string(round));
            char line[2048];
            std::snprintf(line, sizeof line, c.lineFormat, archive.c_str(), dest.c_str());
            for (int turn = 0; turn < 2; ++turn) {
                Shell("sync");
                if ((turn + round) % 2 == 0)
                    library.push_back(TimeLibrary(command, qm::ToAnsi(line)));
                else
                    tool.push_back(TimeTool(c.tool, archive, reference));
            }
            if (round == 0 && Shell("diff -r '" + dest.string() + "' '" + reference.string() +
                                    "' > /dev/null") != 0) {
                std::fprintf(stderr, "%s: extracted trees differ\n", c.archive);
                status = 1;
            }
        }
        const double bestLibrary = *std::min_element(library.begin(), library.end());
        const double bestTool = *std::min_element(tool.begin(), tool.end());
        std::printf("%-10s %6.1f MB  library best %.3f s median %.3f s  %s best %.3f s median "
                    "%.3f s  ratio best %.2f median %.2f (goal <= 1.15)\n",
                    c.archive, fs::file_size(archive) / 1e6, bestLibrary, Median(library), c.tool,
                    bestTool, Median(tool), bestLibrary / bestTool, Median(library) / Median(tool));
    }
    fs::remove_all(work);
    return status;
}
