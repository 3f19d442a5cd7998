// Installs a plan of 10,000 files (about 200 MB) with the real QuillInst, side by side with
// `cp -a` of the same working folder to the same disk, several rounds in alternating order, and
// prints the medians and their ratio. Everything lives below $TMPDIR (default /tmp), including
// the data folder the installer uses (HOME and XDG_DATA_HOME point there).
#include "model/FileUtils.h"
#include "model/InstallAppInfo.h"
#include "model/InstructionFiles.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace qm;

namespace {

constexpr int kFiles = 10000;
constexpr int kFolders = 100;
constexpr int kRounds = 5;

void Scan(TFileMembers& members, const std::string& root, const std::string& relative) {
    std::vector<FoundEntry> entries;
    EnumerateFolder(root + relative, entries);
    for (const FoundEntry& entry : entries) {
        if (entry.isFolder)
            Scan(members, root, relative + entry.name + "/");
        else
            members.AddFound(relative, entry);
    }
}

double Seconds(const std::string& command) {
    const auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main() {
    const char* tmp = std::getenv("TMPDIR");
    std::string base = std::string(tmp && *tmp ? tmp : "/tmp") + "/qmbench.XXXXXX";
    if (mkdtemp(base.data()) == nullptr)
        return 1;
    setenv("HOME", (base + "/home").c_str(), 1);
    setenv("XDG_DATA_HOME", (base + "/home/.local/share").c_str(), 1);
    setenv("QUILLMATE_UNATTENDED", "1", 1);
    fs::create_directories(base + "/home/.local/share");

    // The working folder: sizes from 1 to 39 KiB, 20 KiB on average.
    const std::string work = base + "/work/";
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> size(1024, 39 * 1024);
    std::vector<char> bytes(40 * 1024);
    for (char& c : bytes)
        c = static_cast<char>(random());
    std::uint64_t total = 0;
    for (int i = 0; i < kFiles; ++i) {
        const std::string folder = work + "dir" + std::to_string(i % kFolders) + "/";
        fs::create_directories(folder);
        std::ofstream out(folder + "file" + std::to_string(i) + ".dat", std::ios::binary);
        const int n = size(random);
        out.write(bytes.data() + (i % 1000), n);
        total += static_cast<std::uint64_t>(n);
    }
    std::printf("tree: %d files, %.1f MB\n", kFiles, total / 1e6);

    TInstallAppInfo plan;
    Scan(plan.Members, work, "");
    for (int i = 0; i < plan.Members.Count(); ++i)
        plan.Members.Items(i).IsTarget = true;
    plan.AppName = "Bench";
    TInstallOption option;
    option.WorkFolder = work;
    std::system("sync");

    std::vector<double> copy, install;
    for (int round = 0; round < kRounds; ++round) {
        const std::string cpTarget = base + "/cp" + std::to_string(round);
        const std::string instTarget = base + "/inst" + std::to_string(round) + "/";
        plan.Members.SetInstallRoot(instTarget);
        WriteInstallFile(GetInstallFileName(), plan, option);
        const auto runCopy = [&] { copy.push_back(Seconds("cp -a " + work + " " + cpTarget)); };
        const auto runInstall = [&] { install.push_back(Seconds(QM_QUILLINST)); };
        if (round % 2 == 0) {
            runCopy();
            runInstall();
        } else {
            runInstall();
            runCopy();
        }
        std::printf("round %d: cp -a %.3f s, QuillInst %.3f s\n", round, copy.back(),
                    install.back());
        fs::remove_all(cpTarget);
        fs::remove_all(instTarget);
        fs::remove(GetDataFolder() + "Quillmate.his");
        std::system("sync");
    }
    const double c = Median(copy), q = Median(install);
    std::printf("median: cp -a %.3f s, QuillInst %.3f s, ratio %.3f\n", c, q, q / c);
    fs::remove_all(base);
    return 0;
}
