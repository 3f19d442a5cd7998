#include "ToolTestSupport.h"

#include "Sandbox.h"

#include "model/FileUtils.h"
#include "model/InstructionFiles.h"

#include <filesystem>
#include <sys/stat.h>
#include <utime.h>

namespace fs = std::filesystem;

namespace tooltest {

namespace {

void Scan(qm::TFileMembers& members, const std::string& root, const std::string& relative) {
    std::vector<qm::FoundEntry> entries;
    qm::EnumerateFolder(root + relative, entries);
    for (const qm::FoundEntry& entry : entries) {
        if (entry.isFolder)
            Scan(members, root, relative + entry.name + "/");
        else
            members.AddFound(relative, entry);
    }
}

} // namespace

std::string MakeWorkFolder(const std::string& version) {
    const std::string work = qmtest::MakeTempFolder("work") + "/";
    qmtest::WriteFile(work + "app/tool.exe", "MZ tool " + version);
    qmtest::WriteFile(work + "app/readme.txt", "readme " + version);
    qmtest::WriteFile(work + "app/doc/manual.chm", "help " + version);
    qmtest::WriteFile(work + "app/bin/run.sh", "#!/bin/sh\necho " + version + "\n");
    ::chmod((work + "app/bin/run.sh").c_str(), 0755);
    // A date in the past, so "newer" means something.
    const std::time_t when = version == "v1" ? 1500000000 : 1600000000;
    for (const char* name :
         {"app/tool.exe", "app/readme.txt", "app/doc/manual.chm", "app/bin/run.sh"}) {
        struct utimbuf times {
            when, when
        };
        ::utime((work + name).c_str(), &times);
    }
    return work;
}

std::unique_ptr<qm::TInstallAppInfo> MakePlan(const std::string& workFolder,
                                              const std::string& root) {
    auto plan = std::make_unique<qm::TInstallAppInfo>();
    Scan(plan->Members, workFolder, "");
    for (int i = 0; i < plan->Members.Count(); ++i)
        plan->Members.Items(i).IsTarget = true;
    plan->Members.AutoSelect(qm::mrMain);
    plan->Members.AutoSelect(qm::mrHelp);
    plan->Members.SetInstallRoot(qm::IncludeTrailingPathDelimiter(root));
    plan->AppName = "Tool";
    plan->Version = "1.0";
    plan->ArchiveName = "/dl/tool10.zip";
    plan->FirstInstallDate = qm::NowDayCount();
    return plan;
}

void ResetDataFolder() {
    std::error_code ec;
    fs::remove_all(qm::GetDataFolder(), ec);
    fs::create_directories(qm::GetDataFolder());
}

Snapshot TakeSnapshot(const std::string& folder) {
    Snapshot shot;
    std::error_code ec;
    if (!fs::exists(folder, ec))
        return shot;
    for (auto it = fs::recursive_directory_iterator(folder, ec);
         it != fs::recursive_directory_iterator(); ++it) {
        struct stat st {};
        ::lstat(it->path().c_str(), &st);
        // A folder's own date changes with every name added or removed in it; what counts is
        // that it exists, with its permissions.
        std::string value = std::to_string(st.st_mode);
        if (!S_ISDIR(st.st_mode))
            value += " " + std::to_string(st.st_size) + " " + std::to_string(st.st_mtim.tv_sec) +
                     "." + std::to_string(st.st_mtim.tv_nsec);
        if (S_ISREG(st.st_mode))
            value += " " + qmtest::ReadFile(it->path().string());
        shot[it->path().string()] = value;
    }
    return shot;
}

void WriteInstructions(const qm::TInstallAppInfo& plan, const qm::TInstallOption& option) {
    qm::WriteInstallFile(qm::GetInstallFileName(), plan, option);
}

int RunTool(const std::string& name) {
    return qmtest::Run("QUILLMATE_UNATTENDED=1 " + std::string(QM_TOOLS_BIN_DIR) + "/" + name);
}

} // namespace tooltest
