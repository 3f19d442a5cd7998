// From archive to installed application: `quill install ARCHIVE --to DIR --no-shortcut --yes`
// (open, check, extraction into the working folder, plan, the installer, the record) against
// `bsdtar -xf` of the same archive into a folder on the same file system. A tar.gz of 10,000
// files (about 150 MB; --files N for another count). Each folder of --dirs (default /mnt/tmpfs,
// a tmpfs mounted for the purpose, as /dev/shm is no place to install into, and /var/tmp, a
// disk) gets its own rounds: each round times one pair in alternating
// order, every install into a fresh home (no update of the last one); removals are outside the
// timing. Also timed: `quill plan` of the same archive, the open alone (with its working folder
// removed whole, where the install's is left nearly empty by the installer's moves). The
// window's road is timed too (offscreen, in this process): the open as the File menu does it,
// then Install with the install dialog accepted as it comes, until the installer has ended; it
// is paired with a bsdtar of its own. The medians and their ratio are printed.
//
// usage: bench_road [--rounds N] [--files N] [--dirs DIR,DIR] [--no-window]
#include "BenchSupport.h"
#ifdef QM_BENCH_WINDOW
#include "app/Application.h"
#include "app/FileListModel.h"
#include "app/untMain.h"
#include "dialogs/frmInstall.h"
#include "widgets/UiHooks.h"

#include <QAction>
#include <QCoreApplication>
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/statfs.h>
#include <vector>

namespace fs = std::filesystem;
using qmbench::Clock;
using qmbench::Median;
using qmbench::Seconds;
using qmbench::Shell;

namespace {

double Timed(const std::string& command) {
    const Clock::time_point start = Clock::now();
    if (Shell(command) != 0)
        return -1;
    return Seconds(start);
}

std::string Quoted(const fs::path& path) {
    std::string quoted(1, '\'');
    quoted.append(path.string()).push_back('\'');
    return quoted;
}

// One pair of a round: the program's road and `bsdtar -xf` into out, in the order the round
// gives, each after a sync.
template <typename Program>
void TimePair(int round, const fs::path& archive, const fs::path& out, std::vector<double>& extract,
              const Program& program) {
    for (const bool programFirst : {round % 2 == 0, round % 2 != 0}) {
        Shell("sync");
        if (programFirst)
            program();
        else
            extract.push_back(Timed("bsdtar -xf " + Quoted(archive) + " -C " + Quoted(out)));
    }
}

std::size_t CountFiles(const fs::path& root) {
    std::size_t count = 0;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec);
         it != fs::recursive_directory_iterator(); it.increment(ec))
        if (it->is_regular_file(ec))
            ++count;
    return count;
}

#ifdef QM_BENCH_WINDOW
// The window's road in a home of its own: open, Install, the install dialog accepted; -1 when
// something went wrong (a message shown, or not every file installed).
double TimeWindow(const fs::path& archive, const fs::path& home, int files,
                  std::vector<double>& opens) {
    setenv("HOME", home.c_str(), 1);
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_CACHE_HOME");
    qm::TUiHooks::Reset();
    qm::TUiHooks::Active = true; // a message box would wait for a person
    double elapsed = -1;
    {
        qm::TfrmMain window;
        window.show();
        QCoreApplication::processEvents();
        qm::TUiHooks::NextDialogs.push_back([](QDialog& dialog) {
            return dynamic_cast<qm::TfrmInstall*>(&dialog) != nullptr ? int(QDialog::Accepted)
                                                                      : int(QDialog::Rejected);
        });
        const Clock::time_point start = Clock::now();
        const bool opened = window.OpenArchive(archive.string());
        opens.push_back(Seconds(start));
        if (opened)
            window.actInstall->trigger();
        elapsed = Seconds(start);
        if (!opened || !qm::TUiHooks::Messages.isEmpty()) {
            std::fprintf(stderr, "window: %s\n",
                         opened ? qm::TUiHooks::Messages.join(" | ").toUtf8().constData()
                                : "the open failed");
            elapsed = -1;
        }
    } // the window removes its working folder here, outside the timing
    if (elapsed >= 0 && CountFiles(home) < static_cast<std::size_t>(files)) {
        std::fprintf(stderr, "window: not every file was installed\n");
        elapsed = -1;
    }
    return elapsed;
}
#endif

} // namespace

int main(int argc, char** argv) {
    int rounds = 6, files = 10000;
    std::string dirs = "/mnt/tmpfs,/var/tmp";
    bool window = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-window") == 0)
            window = false;
        else if (i + 1 >= argc)
            break;
        else if (std::strcmp(argv[i], "--rounds") == 0)
            rounds = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--files") == 0)
            files = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--dirs") == 0)
            dirs = argv[++i];
    }
#ifdef QM_BENCH_WINDOW
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qm::TApplication app(argc, argv);
#else
    window = false;
#endif
    if (rounds < 1) {
        std::fprintf(stderr, "--rounds must be at least 1\n");
        return 64;
    }
    const fs::path source = fs::temp_directory_path() / "quillmate-road-source";
    fs::remove_all(source);
    qmbench::MakeSourceTree(source / "tree", files, 15 * 1024);
    const fs::path archive = fs::temp_directory_path() / "quillmate-road-tree.tgz";
    if (Shell("bsdtar -czf " + Quoted(archive) + " -C " + Quoted(source) + " tree") != 0)
        return 1;
    fs::remove_all(source);
    std::printf("archive: %s, %d files, %.1f MB\n", archive.c_str(), files,
                fs::file_size(archive) / 1e6);

    std::size_t at = 0;
    while (at <= dirs.size()) {
        std::size_t comma = dirs.find(',', at);
        if (comma == std::string::npos)
            comma = dirs.size();
        const fs::path base = fs::path(dirs.substr(at, comma - at)) / "quillmate-road";
        at = comma + 1;
        std::error_code ec;
        fs::remove_all(base, ec);
        if (!fs::create_directories(base, ec)) {
            std::printf("%s: cannot be used, skipped\n", base.c_str());
            continue;
        }
        struct statfs fsInfo {};
        ::statfs(base.c_str(), &fsInfo);
        const bool tmpfs = fsInfo.f_type == 0x01021994;
        std::vector<double> extract, road, plan, extractBeside, windowRoad, windowOpen;
        for (int round = 0; round < rounds; ++round) {
            const fs::path home = base / ("home" + std::to_string(round));
            const fs::path to = base / ("installed" + std::to_string(round));
            const fs::path out = base / ("extracted" + std::to_string(round));
            fs::create_directories(home);
            fs::create_directories(out);
            const std::string env = "env -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u XDG_CACHE_HOME "
                                    "HOME=" +
                                    Quoted(home) + " ";
            TimePair(round, archive, out, extract, [&] {
                road.push_back(Timed(env + QM_QUILL " install " + Quoted(archive) + " --to " +
                                     Quoted(to) + " --no-shortcut --yes >/dev/null 2>&1"));
            });
            // The open alone, in a home of its own (where nothing is installed to update).
            const fs::path fresh = base / ("plan" + std::to_string(round));
            fs::create_directories(fresh);
            plan.push_back(Timed(
                "env -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u XDG_CACHE_HOME HOME=" + Quoted(fresh) +
                " " QM_QUILL " plan --json " + Quoted(archive) + " >/dev/null 2>&1"));
            fs::remove_all(fresh);
            fs::remove_all(home);
            fs::remove_all(to);
            fs::remove_all(out);
#ifdef QM_BENCH_WINDOW
            if (window) {
                const fs::path windowHome = base / ("window" + std::to_string(round));
                fs::create_directories(windowHome);
                fs::create_directories(out);
                TimePair(round, archive, out, extractBeside, [&] {
                    windowRoad.push_back(TimeWindow(archive, windowHome, files, windowOpen));
                });
                fs::remove_all(windowHome);
                fs::remove_all(out);
            }
#endif
        }
        fs::remove_all(base);
        const double e = Median(extract), r = Median(road), p = Median(plan);
        // quill plan removes its working folder of every file, where quill install leaves one
        // the installer moved out of: the plan is told beside the road, not taken from it.
        std::printf("%s (%s): bsdtar -xf %.3f s, quill install %.3f s (%.2fx); quill plan of the "
                    "same archive (the open, the plan, its working folder removed) %.3f s\n",
                    base.parent_path().c_str(), tmpfs ? "tmpfs" : "disk", e, r, r / e, p);
        if (!windowRoad.empty()) {
            const double eb = Median(extractBeside), w = Median(windowRoad),
                         wo = Median(windowOpen);
            std::printf("%s (%s): bsdtar -xf %.3f s, the window's open and install %.3f s "
                        "(%.2fx); of which the open %.3f s, the install %.3f s\n",
                        base.parent_path().c_str(), tmpfs ? "tmpfs" : "disk", eb, w, w / eb, wo,
                        w - wo);
        }
    }
    fs::remove(archive);
    return 0;
}
