#include "ToolMain.h"

#include "Installer.h"
#include "Instructions.h"
#include "Journal.h"
#include "ToolLog.h"
#include "Uninstaller.h"

#include "model/FileUtils.h"
#include "model/InstallList.h"
#include "model/InstructionFiles.h"
#include "platform/ActingUser.h"
#include "platform/Catalogue.h"
#include "platform/FileTransfer.h"
#include "platform/SpecialFolders.h"

#include <cstdlib>

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

namespace {

bool EnvSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// The instruction files are small; anything near this size is not one.
constexpr std::uint64_t kMaxInstructionSize = 256u << 20;

// As the user (in a child with the user's identity): takes the instruction file, reads it from
// a descriptor opened without following a link, only when it is a regular file of the user's,
// and removes it. The bytes come back.
std::string TakeAsUser(const std::string& name) {
    const std::string taken = TakeInstructionFile(name);
    const int fd = ::open(taken.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat st {};
    std::string bytes;
    const bool ok = fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                    st.st_uid == ::getuid() &&
                    static_cast<std::uint64_t>(st.st_size) <= kMaxInstructionSize;
    if (ok) {
        char buffer[65536];
        for (;;) {
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got > 0)
                bytes.append(buffer, static_cast<std::size_t>(got));
            else if (got == 0 || errno != EINTR)
                break;
        }
    }
    if (fd >= 0)
        ::close(fd);
    ::unlink(taken.c_str());
    if (!ok)
        throw EInstructionError(
            Args(Tr("ToolMain", "指示ファイル \"%1\" はユーザーの通常のファイルではありません。"),
                 taken));
    return bytes;
}

// The data folder of installs for every user: made when missing, and, for a run as root, only
// used when it is a real folder of root's that nobody else may write to.
std::string SystemDataFolder() {
    const std::string folder = SystemDataFolderPath() + PathDelim;
    if (ActingUser().Active && !IsRootsOwnPath(WithoutTrailingDelims(folder), true))
        throw EWriteError(
            Args(Tr("ToolMain", "フォルダ \"%1\" は管理者のフォルダではありません。"), folder));
    if (!CreateFolderPath(folder))
        throw EWriteError(Args(Tr("ToolMain", "フォルダ \"%1\" を作成できません。"), folder));
    if (::geteuid() == 0) {
        struct stat st {};
        const std::string plain = WithoutTrailingDelims(folder);
        if (::lstat(plain.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != 0 ||
            (ActingUser().Active && ((st.st_mode & 022) != 0 || !IsRootsOwnPath(plain, false))))
            throw EWriteError(
                Args(Tr("ToolMain", "フォルダ \"%1\" は管理者のフォルダではありません。"), folder));
        if ((st.st_mode & 022) != 0)
            ::chmod(plain.c_str(), 0755);
    }
    return folder;
}

bool IsWorkFolderName(const std::string& name) {
    if (name.size() != 8)
        return false;
    for (const char c : name)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')))
            return false;
    return true;
}

// The folders of relative below base, made one by one; one already there must be a real folder:
// a link of the archive's at a folder's place would lead the copy out of the stage.
void MakeFoldersBelow(const std::string& base, const std::string& relative) {
    std::string at = WithoutTrailingDelims(base);
    std::size_t start = 0;
    while (start < relative.size()) {
        std::size_t end = relative.find(PathDelim, start);
        if (end == std::string::npos)
            end = relative.size();
        const std::string part = relative.substr(start, end - start);
        start = end + 1;
        if (part.empty())
            continue;
        at += PathDelim + part;
        struct stat st {};
        if (::lstat(at.c_str(), &st) == 0) {
            if (!S_ISDIR(st.st_mode))
                throw EInstructionError(Args(
                    Tr("ToolMain", "作業フォルダの \"%1\" はフォルダではありません。"), relative));
            continue;
        }
        if (::mkdir(at.c_str(), 0700) != 0)
            throw EWriteError(Args(Tr("ToolMain", "フォルダ \"%1\" を作成できません。"), at));
    }
}

// Root on a user's behalf copies what it installs from the user's working folder into a folder
// of its own first, and only what the user may give: the working folder must be one of the
// program's own (the user's data folder + eight hexadecimal digits, the user's), and each file
// is opened without following a link on the way and must be the user's own regular file (a link
// of the archive stays a link). The install then reads only root's copies.
std::string StageFromUser(const TInstallAppInfo& plan, const std::string& workFolder,
                          const TActingUser& acting, const std::string& dataFolder) {
    const std::string userData = GetDataFolder();
    const std::string work = WithTrailingDelim(workFolder);
    if (userData.empty() || work.size() != userData.size() + 9 ||
        work.compare(0, userData.size(), userData) != 0 ||
        !IsWorkFolderName(work.substr(userData.size(), 8)))
        throw EInstructionError(
            Args(Tr("ToolMain", "作業フォルダ \"%1\" はこのユーザーの作業フォルダではありません。"),
                 workFolder));
    // Reached as the user reaches it: root resolves nothing of the user's path itself.
    std::string openError;
    const int folderFd = OpenUsersFolder(acting, WithoutTrailingDelims(work), openError);
    if (folderFd < 0)
        throw EInstructionError(
            Args(Tr("ToolMain", "作業フォルダ \"%1\" はこのユーザーの作業フォルダではありません。"),
                 workFolder));
    struct TClose {
        int Fd;
        ~TClose() { ::close(Fd); }
    } closeFolder{folderFd};
    const std::string stage = dataFolder + "stage-" + std::to_string(::getpid()) + PathDelim;
    DeleteTree(stage, false);
    if (::mkdir(WithoutTrailingDelims(stage).c_str(), 0700) != 0)
        throw EWriteError(Args(Tr("ToolMain", "フォルダ \"%1\" を作成できません。"), stage));
    for (int i = 0; i < plan.Members.Count(); ++i) {
        const TFileMember& m = plan.Members.Items(i);
        if (!m.IsTarget || m.IsExcluded())
            continue;
        if (!IsPlainName(m.FileName) || !IsSafeRelativePath(m.ArchivePath, '/'))
            throw EInstructionError(
                Args(Tr("ToolMain", "不正なファイル名です: %1%2"), m.ArchivePath, m.FileName));
        const std::string relative = m.ArchivePath + m.FileName;
        int fd = -1;
        bool isLink = false;
        std::string linkTarget, error;
        if (!OpenOwnedBelowAt(folderFd, relative, acting.Uid, fd, isLink, linkTarget, error))
            throw EInstructionError(
                Args(Tr("ToolMain", "作業フォルダのファイルを使えません: %1"), error));
        std::string folder = m.ArchivePath;
        std::replace(folder.begin(), folder.end(), '/', PathDelim);
        MakeFoldersBelow(stage, folder);
        const std::string target = stage + folder + m.FileName;
        if (isLink) {
            if (::symlink(linkTarget.c_str(), target.c_str()) != 0)
                throw EWriteError(
                    Args(Tr("ToolMain", "ファイル \"%1\" を作成できません。"), target));
            continue;
        }
        try {
            CopyOpenFileToNewFile(fd, relative, target);
        } catch (...) {
            ::close(fd);
            throw;
        }
        ::close(fd);
    }
    return stage;
}

// The common frame: the log, the journal's lock, the recovery of a killed run, then the work.
// The report of the run for the program that started it, in the user's data folder (written as
// the user when acting for one); a report that cannot be written leaves only the exit code.
void WriteReport(const char* instructionName, const TToolReport& report,
                 const TActingUser& acting) {
    const auto write = [&] {
        const std::string path = ToolReportFileName(instructionName);
        RemoveFileEntry(path);
        WriteNewFile(path, FormatToolReport(report), false);
        return std::string();
    };
    try {
        std::string output, error;
        if (acting.Active)
            RunAsUser(acting, write, output, error);
        else
            write();
    } catch (const Exception&) {
    }
}

int RunToolFrame(TToolUi& ui, const std::string& takenFile, const std::string& takeError,
                 const char* what, const std::function<bool()>& allUsers,
                 const std::function<int(TToolLog&, const std::string&)>& work,
                 TToolReport& report);

int RunTool(TToolUi& ui, const std::string& takenFile, const std::string& takeError,
            const char* what, const std::function<bool()>& allUsers,
            const std::function<int(TToolLog&, const std::string&)>& work, TToolReport& report) {
    report.Exit = RunToolFrame(ui, takenFile, takeError, what, allUsers, work, report);
    WriteReport(std::string(what) == "install" ? InstallInstructionName : UninstallInstructionName,
                report, ActingUser());
    return report.Exit;
}

int RunToolFrame(TToolUi& ui, const std::string& takenFile, const std::string& takeError,
                 const char* what, const std::function<bool()>& allUsers,
                 const std::function<int(TToolLog&, const std::string&)>& work,
                 TToolReport& report) {
    const TActingUser acting = ActingUser();
    std::string dataFolder;
    std::string failure = takeError;
    bool forAll = false;
    if (!takenFile.empty()) {
        try {
            forAll = allUsers();
            // With the administrator's rights only the system's installs are done: a user's own
            // data folder is never written by root.
            if (acting.Active && !forAll)
                throw EInstructionError(Tr("ToolMain",
                                           "管理者の権限では、すべてのユーザー向けの"
                                           "インストールとアンインストールだけを行います。"));
            dataFolder = forAll ? SystemDataFolder() : GetDataFolder();
        } catch (const Exception& e) {
            failure = e.Message();
        }
    }
    TToolLog log(dataFolder.empty() ? std::string() : dataFolder + ToolLogName);
    if (takenFile.empty() || dataFolder.empty()) {
        log.Line(std::string(what) + ": " + failure);
        report.Error = failure;
        ui.ShowError(failure);
        if (!takenFile.empty())
            RemoveFileEntry(takenFile);
        return ExitFailed;
    }
    int code = ExitFailed;
    try {
        TJournalLock lock(dataFolder);
        TJournal::Recover(dataFolder, log);
        code = work(log, dataFolder);
    } catch (const ECancelled& e) {
        log.Line(std::string(what) + " cancelled");
        code = ExitCancelled;
    } catch (const Exception& e) {
        log.Line(std::string(what) + " failed: " + e.Message());
        report.Error = e.Message();
        ui.ShowError(e.Message());
        code = ExitFailed;
    } catch (const std::exception& e) {
        log.Line(std::string(what) + " failed: " + e.what());
        report.Error = e.what();
        ui.ShowError(e.what());
        code = ExitFailed;
    }
    RemoveFileEntry(takenFile);
    log.Flush();
    // A run with raised rights for the user's own installs (sudo in the user's own session)
    // leaves the user's data files to the user. The system's data folder stays root's.
    if (!forAll && !acting.Active) {
        for (const char* name :
             {"Quillmate.his", "Quillmate.his.lock", "Quillmate.journal.lock", "Quillmate.log",
              "Quillmate.log.old", "instemp.tmp.lock", "uninstemp.tmp.lock", "icons", "apps"})
            GiveToFolderOwner(dataFolder + name);
        for (const char* folder : {"icons", "apps"}) {
            std::vector<FoundEntry> entries;
            EnumerateFolder(dataFolder + folder, entries);
            for (const FoundEntry& entry : entries)
                GiveToFolderOwner(dataFolder + folder + "/" + entry.name);
        }
    }
    return code;
}

} // namespace

bool CanShowWindows() {
    const char* unattended = std::getenv("QUILLMATE_UNATTENDED");
    if (unattended != nullptr && std::string(unattended) == "1")
        return false;
    return EnvSet("DISPLAY") || EnvSet("WAYLAND_DISPLAY");
}

std::string TakeInstructions(const std::string& name, std::string& error) {
    const TActingUser acting = ActingUser();
    try {
        if (!acting.Active)
            return TakeInstructionFile(name);
        // Root on a user's behalf: the file is taken and read as the user would, then kept in
        // root's own folder for the run.
        std::string bytes;
        if (!RunAsUser(
                acting, [&] { return TakeAsUser(name); }, bytes, error))
            return std::string();
        const std::string folder = SystemDataFolder();
        const std::string taken = folder + name + "." + std::to_string(::getpid());
        RemoveFileEntry(taken);
        WriteNewFile(taken, bytes, false);
        ::chmod(taken.c_str(), 0600);
        return taken;
    } catch (const Exception& e) {
        error = e.Message();
        return std::string();
    }
}

namespace {

// An elevated run does the work the approved command line names, and no other: the instruction
// file (which the user's processes could rewrite while the password was asked for) must be for
// the same application.
void CheckApproved(const TToolArguments& arguments, const std::string& appName,
                   std::int32_t appId) {
    const bool acting = ActingUser().Active;
    if ((arguments.HasAppName && arguments.AppName != appName) ||
        (arguments.HasAppId && arguments.AppId != appId) ||
        (acting && (!arguments.HasAppName || !arguments.HasAppId)))
        throw EInstructionError(
            Args(Tr("ToolMain", "指示ファイルのアプリケーション \"%1\" は、実行を認められた"
                                "アプリケーションではありません。"),
                 appName));
}

} // namespace

int RunInstall(TToolUi& ui, const std::string& takenFile, const std::string& takeError,
               const TToolArguments& arguments) {
    TToolReport report;
    TInstallAppInfo plan;
    TInstallOption option;
    return RunTool(
        ui, takenFile, takeError, "install",
        [&] {
            ReadInstallInstructions(takenFile, plan, option);
            CheckApproved(arguments, plan.AppName, plan.AppId);
            return option.AllUsers;
        },
        [&](TToolLog& log, const std::string& dataFolder) {
            const TActingUser acting = ActingUser();
            std::string stage;
            if (acting.Active) {
                stage = StageFromUser(plan, option.WorkFolder, acting, dataFolder);
                option.WorkFolder = stage;
            }
            struct TStage {
                const std::string& folder;
                ~TStage() {
                    if (!folder.empty())
                        DeleteTree(folder, false);
                }
            } cleanUp{stage};
            TInstaller installer(ui, log, dataFolder);
            installer.AllowHandlers = arguments.AllowHandlers;
            installer.LinkWorkingCopies = arguments.LinkWorkingCopies;
            installer.MoveWorkingCopies = arguments.MoveWorkingCopies;
            struct TNotices {
                TInstaller& i;
                TToolReport& r;
                ~TNotices() { r.Notices = i.Notices(); }
            } notices{installer, report};
            installer.Install(plan, option);
            const TInstallStats& stats = installer.Stats();
            report.AppId = installer.AppId();
            report.AppName = plan.AppName;
            report.Installed = stats.Created;
            report.Replaced = stats.Replaced; // a backed-up file is one of them, counted once
            report.Skipped = stats.Skipped;
            return ExitSuccess;
        },
        report);
}

bool IsUserSetting(const std::string& name) {
    static const char* const kSettings[] = {"HOME",
                                            "XDG_DATA_HOME",
                                            "XDG_CONFIG_HOME",
                                            "XDG_RUNTIME_DIR",
                                            "QUILLMATE_CODEPAGE",
                                            "QUILLMATE_UNATTENDED",
                                            "QUILLMATE_LANG",
                                            "LANGUAGE",
                                            "LC_MESSAGES",
                                            "LC_ALL",
                                            "LC_CTYPE",
                                            "LANG",
                                            "DISPLAY",
                                            "WAYLAND_DISPLAY",
                                            "XAUTHORITY",
                                            "QT_QPA_PLATFORM",
                                            "QUILLMATE_PARENT_WINDOW"};
    for (const char* setting : kSettings)
        if (name == setting)
            return true;
    return false;
}

std::string ToolUsage(bool install) {
    if (install)
        return Tr("QuillInst",
                  "QuillInst - Quillmate "
                  "のインストール指示ファイルからアプリケーションをインストールする\n"
                  "\n"
                  "  QuillInst [--terminal] [--all-users] [--allow-handlers]\n"
                  "            [--app=NAME] [--app-id=ID] [--env=NAME=VALUE]...\n"
                  "      Quillmate と quill が起動します。データフォルダのインストール指示\n"
                  "      ファイル (instemp.tmp) を受け取り、ファイルをコピーし、メニュー項目\n"
                  "      などを作り、インストール済みアプリケーションのデータベースに記録します。\n"
                  "      --terminal は進行と問い合わせを端末で行います。--all-users は\n"
                  "      すべてのユーザー向けのインストール (pkexec で管理者として起動)、\n"
                  "      --allow-handlers は Web アドレスやメールを開くプログラムとしての登録を\n"
                  "      認めます。--app と --app-id は承認されたアプリケーションを、--env は\n"
                  "      利用者の設定 (言語、表示、利用者のフォルダ) を伝えます。\n"
                  "\n"
                  "終了コード: 0 完了、1 失敗 (何も変更なし)、3 完了 (一部のパスは拒否)\n");
    return Tr("QuillUninst",
              "QuillUninst - Quillmate でインストールしたアプリケーションをアンインストールする\n"
              "\n"
              "  QuillUninst [--terminal] [--all-users] [--keep-folders]\n"
              "              [--app=NAME] [--app-id=ID] [--env=NAME=VALUE]...\n"
              "      Quillmate と quill が起動します。データフォルダのアンインストール指示\n"
              "      ファイル (uninstemp.tmp) を受け取り、記録にあるファイルとメニュー項目を\n"
              "      削除し、データベースから記録を消します。--keep-folders はインストールで\n"
              "      作られたフォルダを残します。ほかのオプションは QuillInst と同じです。\n"
              "\n"
              "終了コード: 0 完了、1 失敗 (何も変更なし)、3 完了 (一部のパスは拒否)\n");
}

TToolArguments ParseToolArguments(int argc, char** argv) {
    TToolArguments arguments;
    const auto value = [](const std::string& argument, const char* key, std::string& out) {
        const std::string prefix = key;
        if (argument.compare(0, prefix.size(), prefix) != 0)
            return false;
        out = argument.substr(prefix.size());
        return true;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        std::string text;
        arguments.AllUsers = arguments.AllUsers || argument == "--all-users";
        arguments.KeepFolders = arguments.KeepFolders || argument == "--keep-folders";
        arguments.Terminal = arguments.Terminal || argument == "--terminal";
        arguments.AllowHandlers = arguments.AllowHandlers || argument == "--allow-handlers";
        arguments.LinkWorkingCopies = arguments.LinkWorkingCopies || argument == "--link-work";
        arguments.MoveWorkingCopies = arguments.MoveWorkingCopies || argument == "--move-work";
        arguments.Help = arguments.Help || argument == "--help" || argument == "-h";
        if (value(argument, "--app=", text)) {
            arguments.HasAppName = true;
            arguments.AppName = text;
        } else if (value(argument, "--app-id=", text)) {
            char* end = nullptr;
            const long id = std::strtol(text.c_str(), &end, 10);
            arguments.HasAppId = !text.empty() && *end == '\0' && id >= 0 && id <= 0x7fffffff;
            arguments.AppId = arguments.HasAppId ? static_cast<std::int32_t>(id) : -1;
        } else if (value(argument, "--env=", text)) {
            const std::size_t equals = text.find('=');
            if (equals != std::string::npos && IsUserSetting(text.substr(0, equals)))
                arguments.Environment.emplace_back(text.substr(0, equals), text.substr(equals + 1));
        }
    }
    return arguments;
}

void PrepareToolProcess(const TToolArguments& arguments) {
    for (const auto& [name, value] : arguments.Environment)
        ::setenv(name.c_str(), value.c_str(), 1);
    if (ActingUser().Active) {
        // Root's places are root's to say: a variable of the user's session never moves them.
        ::unsetenv("QUILLMATE_SYSTEM_ROOT");
        FixSystemRoot(TrustedSystemRoot());
    }
}

int RunUninstall(TToolUi& ui, const std::string& takenFile, const std::string& takeError,
                 const TToolArguments& arguments) {
    TToolReport report;
    TInstallAppInfo record;
    std::vector<std::string> paths;
    bool hasList = false;
    return RunTool(
        ui, takenFile, takeError, "uninstall",
        [&] {
            ReadUninstallInstructions(takenFile, record, paths, hasList);
            // The record to remove is the one the approved command line names by its
            // identifier; what it is called comes from the database, not from this file.
            TToolArguments byId = arguments;
            byId.HasAppName = ActingUser().Active;
            byId.AppName = record.AppName;
            CheckApproved(byId, record.AppName, record.AppId);
            return arguments.AllUsers;
        },
        [&](TToolLog& log, const std::string& dataFolder) {
            TUninstaller uninstaller(ui, log, dataFolder);
            uninstaller.KeepFolders = arguments.KeepFolders;
            struct TCount {
                TUninstaller& u;
                TToolReport& r;
                ~TCount() {
                    r.Removed = u.Stats().Removed;
                    r.Refused = u.Stats().RefusedPaths;
                    r.AppId = u.Stats().AppId;
                    r.AppName = u.Stats().AppName;
                }
            } count{uninstaller, report};
            uninstaller.Uninstall(record, paths, hasList);
            return uninstaller.Stats().Refused > 0 ? ExitRefused : ExitSuccess;
        },
        report);
}

} // namespace qm
