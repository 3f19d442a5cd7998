#include "cli/QuillCommands.h"

#include "cli/Json.h"
#include "cli/QuillOpen.h"
#include "handoff/HandOff.h"
#include "model/AppImageParts.h"
#include "model/FileUtils.h"
#include "model/FolderCheck.h"
#include "model/InstallList.h"
#include "model/InstallOption.h"
#include "model/VisibleText.h"
#include "net/Download.h"
#include "net/JsonReader.h"
#include "net/Sha256.h"
#include "net/SourceCheck.h"
#include "net/Sources.h"
#include "platform/AtomicFile.h"
#include "platform/Catalogue.h"
#include "platform/Exception.h"

#include "platform/FileSystem.h"
#include "platform/FileTransfer.h"
#include "platform/SpecialFolders.h"
#include "platform/TerminalProgress.h"
#include <csignal>
#include <cstdlib>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <map>
#include <unistd.h>

namespace qm {

namespace {

const char* const kUsage = QM_TRANSLATE_NOOP(
    "Quill",
    "使い方: quill plan ARCHIVE [--json] | install ARCHIVE|URL [オプション] | list [--json] | "
    "show APP [--json] | uninstall APP [--yes] [--keep-folders] [--json] | source APP URL|--none | "
    "outdated [--json] | update APP|--all [--yes] [--json]  (詳しくは quill --help)");

const char* const kHelp = QM_TRANSLATE_NOOP(
    "Quill",
    "quill - アーカイブで配布されるアプリケーションをインストールします\n"
    "\n"
    "  quill plan ARCHIVE [--json]\n"
    "      アーカイブを開き、インストールの計画を表示します (インストールはしません)。\n"
    "  quill install ARCHIVE|URL|github:OWNER/REPO[@TAG] [--sha256 HEX]\n"
    "                [--to FOLDER] [--name NAME] [--main PATH]\n"
    "                [--shortcut desktop,menu | --no-shortcut]\n"
    "                [--overwrite always|newer|never|ask|backup] [--clean none|auto]\n"
    "                [--all-users] [--command | --command-name NAME]\n"
    "                [--allow-handlers] [--yes] [--json]\n"
    "      アーカイブからインストールします。以前にインストールしたアプリケーションの\n"
    "      新しいバージョンは、そのアップデートになります。--command はメインプログラムを\n"
    "      その名前のコマンドにし、--command-name は指定した名前のコマンドにします。\n"
    "      --allow-handlers は、アプリケーションのメニュー項目が Web アドレスやメールを\n"
    "      開くアプリケーションになることを認めます。\n"
    "      URL (https) やフォージのリリースからは、ダウンロードして公開された\n"
    "      チェックサム (または --sha256) と照合してからインストールし、その\n"
    "      ソースを記録します。\n"
    "  quill list [--json]\n"
    "      インストール済みアプリケーションの一覧を表示します。\n"
    "  quill show APP [--json]\n"
    "      インストール済みアプリケーションの詳細を表示します。\n"
    "  quill uninstall APP [--yes] [--keep-folders] [--json]\n"
    "      アプリケーションをアンインストールします。\n"
    "  quill source APP URL|github:OWNER/REPO | quill source APP --none\n"
    "      新しいバージョンを探す場所 (ソース) を設定または削除します。\n"
    "  quill outdated [--json]\n"
    "      ソースに新しいバージョンのあるアプリケーションを一覧します。\n"
    "  quill update APP|--all [--yes] [--json]\n"
    "      新しいバージョンをダウンロードし、検証して、アップデートします。\n"
    "  quill export [FILE] | quill import FILE\n"
    "      インストール済みアプリケーションをソースと選択 (フォルダ、ショートカット、\n"
    "      コマンド、メインプログラム) とともに JSON で書き出し、別のマシンで\n"
    "      同じようにインストールします。\n"
    "\n"
    "APP は ID か名前 (英字の大文字と小文字は区別しません) です。\n"
    "終了コード: 0 完了, 1 失敗 (何も変更されていません), 2 キャンセル,\n"
    "            3 完了 (一部のパスは拒否されました), 64 使い方の誤り\n");

class EUsage : public Exception {
public:
    using Exception::Exception;
};

// --- the command line --------------------------------------------------------------------------

struct TArguments {
    std::string Command;
    std::vector<std::string> Positional;
    std::map<std::string, std::string> Values; // options with a value
    std::vector<std::string> Flags;            // options without one

    bool Has(const std::string& flag) const {
        return std::find(Flags.begin(), Flags.end(), flag) != Flags.end();
    }
    const std::string* Value(const std::string& option) const {
        const auto it = Values.find(option);
        return it == Values.end() ? nullptr : &it->second;
    }
};

TArguments ParseArguments(const std::vector<std::string>& args) {
    static const std::map<std::string, std::vector<std::string>> flags = {
        {"plan", {"--json"}},
        {"install",
         {"--json", "--yes", "--all-users", "--command", "--no-shortcut", "--allow-handlers"}},
        {"list", {"--json"}},
        {"show", {"--json"}},
        {"uninstall", {"--yes", "--keep-folders", "--json"}},
        {"source", {"--none", "--json"}},
        {"outdated", {"--json"}},
        {"update", {"--all", "--yes", "--json"}},
        {"export", {}},
        {"import", {"--yes", "--json"}},
    };
    static const std::map<std::string, std::vector<std::string>> valued = {
        {"install",
         {"--to", "--name", "--main", "--shortcut", "--overwrite", "--clean", "--command-name",
          "--sha256"}},
    };
    static const std::map<std::string, std::size_t> positional = {
        {"plan", 1},   {"install", 1},  {"list", 0},   {"show", 1},   {"uninstall", 1},
        {"source", 2}, {"outdated", 0}, {"update", 1}, {"export", 1}, {"import", 1}};
    TArguments parsed;
    if (args.empty())
        throw EUsage(Tr("Quill", "コマンドがありません。"));
    parsed.Command = args[0];
    const auto count = positional.find(parsed.Command);
    if (count == positional.end())
        throw EUsage(Args(Tr("Quill", "不明なコマンドです: %1"), parsed.Command));
    const auto& known = flags.at(parsed.Command);
    const auto withValue = valued.find(parsed.Command);
    bool onlyPositional = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string arg = args[i];
        if (!onlyPositional && arg == "--") {
            onlyPositional = true;
            continue;
        }
        if (onlyPositional || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            parsed.Positional.push_back(arg);
            continue;
        }
        std::string value;
        bool hasValue = false;
        if (const std::size_t eq = arg.find('='); eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg.erase(eq);
            hasValue = true;
        }
        if (std::find(known.begin(), known.end(), arg) != known.end() && !hasValue) {
            parsed.Flags.push_back(arg);
            continue;
        }
        if (withValue != valued.end() &&
            std::find(withValue->second.begin(), withValue->second.end(), arg) !=
                withValue->second.end()) {
            if (!hasValue) {
                if (i + 1 >= args.size())
                    throw EUsage(Args(Tr("Quill", "オプション %1 には値が必要です。"), arg));
                value = args[++i];
            }
            if (parsed.Values.count(arg) != 0)
                throw EUsage(Args(Tr("Quill", "オプション %1 が二度指定されています。"), arg));
            parsed.Values[arg] = value;
            continue;
        }
        throw EUsage(Args(Tr("Quill", "不明なオプションです: %1"), arg));
    }
    // "source APP --none" and "update --all" name one argument less.
    std::size_t wanted = count->second;
    if ((parsed.Command == "source" && parsed.Has("--none")) ||
        (parsed.Command == "update" && parsed.Has("--all")) ||
        (parsed.Command == "export" && parsed.Positional.empty()))
        --wanted;
    if (parsed.Command == "source" && parsed.Has("--none") && parsed.Positional.size() > wanted)
        throw EUsage(Tr("Quill", "--none と URL は同時に指定できません。"));
    if (parsed.Command == "source" && !parsed.Has("--none") && parsed.Positional.size() == 1)
        throw EUsage(Tr("Quill", "URL か github:OWNER/REPO、または --none を指定してください。"));
    if (parsed.Positional.size() < wanted)
        throw EUsage(parsed.Command == "plan" || parsed.Command == "install"
                         ? Tr("Quill", "アーカイブが指定されていません。")
                         : Tr("Quill", "アプリケーションが指定されていません。"));
    if (parsed.Positional.size() > wanted)
        throw EUsage(Args(Tr("Quill", "余分な引数があります: %1"), parsed.Positional[wanted]));
    return parsed;
}

// --- output helpers ----------------------------------------------------------------------------

bool Interactive() {
    return ::isatty(STDIN_FILENO) == 1 && ::isatty(STDERR_FILENO) == 1;
}

// A result on stdout.
void Out(const std::string& text) {
    std::fputs(text.c_str(), stdout);
}

void Note(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
}

std::string AbsolutePath(const std::string& path) {
    if (!path.empty() && path.front() == PathDelim)
        return path;
    char buffer[4096];
    if (::getcwd(buffer, sizeof buffer) == nullptr)
        return path;
    return WithTrailingDelim(buffer) + path;
}

// A day count (local time) as ISO 8601 with the zone's offset at that time.
std::string IsoTime(double dayCount) {
    if (dayCount == 0)
        return std::string();
    const DateTime d = DayCountToDateTime(dayCount);
    std::tm local{};
    local.tm_year = d.year - 1900;
    local.tm_mon = d.month - 1;
    local.tm_mday = d.day;
    local.tm_hour = d.hour;
    local.tm_min = d.minute;
    local.tm_sec = d.second;
    local.tm_isdst = -1;
    std::tm asUtc = local;
    const std::time_t at = std::mktime(&local);
    const std::time_t wall = ::timegm(&asUtc);
    const long offset = static_cast<long>(wall - at);
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld", d.year,
                  d.month, d.day, d.hour, d.minute, d.second, offset < 0 ? '-' : '+',
                  std::labs(offset) / 3600, std::labs(offset) % 3600 / 60);
    return buffer;
}

std::string DateText(double dayCount) {
    if (dayCount == 0)
        return "-";
    const DateTime d = DayCountToDateTime(dayCount);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d/%02d/%02d %02d:%02d", d.year, d.month, d.day, d.hour,
                  d.minute);
    return buffer;
}

const char* RoleName(const TFileMember& m) {
    switch (m.Role()) {
    case mrMain:
        return "main";
    case mrHelp:
        return "help";
    case mrExcluded:
        return "excluded";
    default:
        return "normal";
    }
}

std::vector<std::string> ShortcutNames(const TFileMember& m) {
    std::vector<std::string> names;
    if ((m.ShortcutFlags() & scDesktop) != 0)
        names.push_back("desktop");
    if ((m.ShortcutFlags() & scStartMenu) != 0)
        names.push_back("menu");
    if ((m.ShortcutFlags() & scFolders) != 0)
        for (const std::string& folder : m.ShortcutFolders)
            names.push_back(IsCommandFolder(folder) ? "command" : folder);
    return names;
}

std::string MemberPath(const TFileMember& m) {
    return m.ArchivePath + m.FileName;
}

std::string Destination(const TFileMember& m) {
    return m.GetInstallDir() + m.FileName;
}

bool Installed(const TFileMember& m) {
    return m.IsTarget && !m.IsExcluded();
}

// The folder every installed member lies in (with a trailing delimiter); empty when none.
std::string CommonFolder(const TFileMembers& members) {
    std::string common;
    bool first = true;
    for (int i = 0; i < members.Count(); ++i) {
        const TFileMember& m = members.Items(i);
        if (!Installed(m))
            continue;
        const std::string dir = m.GetInstallDir();
        if (first) {
            common = dir;
            first = false;
            continue;
        }
        std::size_t same = 0;
        for (std::size_t k = 0; k < common.size() && k < dir.size() && common[k] == dir[k]; ++k)
            if (common[k] == PathDelim)
                same = k + 1;
        common.erase(same);
    }
    return common;
}

std::string MemberJson(const TFileMember& m, const bool* present) {
    TJson shortcuts = TJson::Array();
    for (const std::string& name : ShortcutNames(m))
        shortcuts.Item(JsonString(name));
    TJson json = TJson::Object();
    json.Text("path", MemberPath(m))
        .Text("destination", Destination(m))
        .Bool("install", Installed(m))
        .Text("role", RoleName(m))
        .Add("shortcuts", shortcuts.Str());
    if (present != nullptr)
        json.Bool("present", *present);
    return json.Str();
}

std::string MemberOfRole(const TFileMembers& members, int index) {
    return index >= 0 ? MemberPath(members.Items(index)) : std::string();
}

// --- plan --------------------------------------------------------------------------------------

std::string InstallFolderOf(const TOpenedArchive& opened) {
    const TFileMembers& members = opened.Plan->Members;
    if (!opened.UpdateOf)
        return WithTrailingDelim(members.InstallRoot);
    const std::string common = CommonFolder(members);
    return common.empty() ? WithTrailingDelim(members.InstallRoot) : common;
}

std::string PlanJson(const TOpenedArchive& opened) {
    const TInstallAppInfo& plan = *opened.Plan;
    TJson members = TJson::Array();
    for (int i = 0; i < plan.Members.Count(); ++i)
        members.Item(MemberJson(plan.Members.Items(i), nullptr));
    TJson handlers = TJson::Array();
    for (const std::string& type : plan.HandlerTypes())
        handlers.Item(JsonString(type));
    std::string updateOf = "null";
    if (opened.UpdateOf)
        updateOf = TJson::Object()
                       .Number("id", opened.UpdateOf->AppId)
                       .Text("name", opened.UpdateOf->AppName)
                       .Text("version", opened.UpdateOf->Version)
                       .Str();
    return TJson::Object()
        .Text("archive", plan.ArchiveName)
        .Text("name", plan.AppName)
        .Text("version", plan.Version)
        .Text("install_folder", InstallFolderOf(opened))
        .Add("update_of", updateOf)
        .TextOrNull("main", MemberOfRole(plan.Members, plan.Members.MainIndex()))
        .TextOrNull("help", MemberOfRole(plan.Members, plan.Members.HelpIndex()))
        .Add("members", members.Str())
        .Add("handlers", handlers.Str())
        .Str();
}

// The browser and mail types a bundled entry asks for are said before the install: they are
// registered only with --allow-handlers.
void NoteHandlerTypes(const TInstallAppInfo& plan) {
    const std::vector<std::string> types = plan.HandlerTypes();
    if (types.empty())
        return;
    std::string list;
    for (const std::string& type : types)
        list += (list.empty() ? "" : ", ") + type;
    Note(Args(Tr("Quill", "メニュー項目は次の種類を開くプログラムとして登録されることを"
                          "求めています: %1。--allow-handlers を付けたときだけ登録します。"),
              list));
}

void PrintPlan(const TOpenedArchive& opened) {
    const TInstallAppInfo& plan = *opened.Plan;
    const TFileMembers& members = plan.Members;
    int targets = 0;
    for (int i = 0; i < members.Count(); ++i)
        targets += Installed(members.Items(i)) ? 1 : 0;
    Out(Args(Tr("Quill", "アーカイブ:       %1\n"), plan.ArchiveName));
    Out(Args(Tr("Quill", "名前:             %1\n"), VisibleText(plan.AppName)));
    Out(Args(Tr("Quill", "バージョン:       %1\n"), plan.Version.empty() ? "-" : plan.Version));
    Out(Args(Tr("Quill", "インストール先:   %1\n"), VisibleText(InstallFolderOf(opened))));
    if (opened.UpdateOf)
        Out(Args(Tr("Quill", "アップデート対象: %1 %2 (ID %3)\n"), opened.UpdateOf->AppName,
                 opened.UpdateOf->Version, std::to_string(opened.UpdateOf->AppId)));
    else
        Out(Tr("Quill", "アップデート対象: なし (新規インストール)\n"));
    const std::string main = MemberOfRole(members, members.MainIndex());
    const std::string help = MemberOfRole(members, members.HelpIndex());
    Out(Args(Tr("Quill", "メインプログラム: %1\n"), main.empty() ? "-" : VisibleText(main)));
    Out(Args(Tr("Quill", "ヘルプファイル:   %1\n"), help.empty() ? "-" : VisibleText(help)));
    Out(Args(Tr("Quill", "ファイル:         %1 個 (インストール %2 個)\n"),
             std::to_string(members.Count()), std::to_string(targets)));
    for (int i = 0; i < members.Count(); ++i) {
        const TFileMember& m = members.Items(i);
        std::string marks;
        for (const std::string& name : ShortcutNames(m))
            marks += (marks.empty() ? " [" : ",") + (name == "desktop" ? Tr("Quill", "デスクトップ")
                                                     : name == "menu" ? Tr("Quill", "メニュー")
                                                     : name == "command" ? Tr("Quill", "コマンド")
                                                                         : VisibleText(name));
        if (!marks.empty())
            marks += "]";
        const std::string role = m.Role() == mrMain   ? Tr("Quill", "メイン") + " "
                                 : m.Role() == mrHelp ? Tr("Quill", "ヘルプ") + " "
                                                      : std::string();
        std::printf("  %s %s%s  ->  %s%s\n", Installed(m) ? "+" : "-", role.c_str(),
                    VisibleText(MemberPath(m)).c_str(), VisibleText(Destination(m)).c_str(),
                    marks.c_str());
    }
}

// --- the installed applications ---------------------------------------------------------------

std::unique_ptr<TInstallList> LoadApps() {
    auto list = std::make_unique<TInstallList>();
    list->LoadInstalled(GetDataFolder() + InstallListFileName);
    return list;
}

// The record APP names: an identifier or a name (ASCII case ignored). Raises Exception when
// none or several fit.
const TInstallAppInfo& FindApp(const TInstallList& list, const std::string& app) {
    std::vector<const TInstallAppInfo*> found;
    const bool number =
        !app.empty() && app.size() < 10 &&
        std::all_of(app.begin(), app.end(), [](char c) { return c >= '0' && c <= '9'; });
    for (int i = 0; i < list.Count(); ++i) {
        const TInstallAppInfo& record = list.Items(i);
        if ((number && record.AppId == std::stoi(app)) ||
            LowerAscii(record.AppName) == LowerAscii(app))
            found.push_back(&record);
    }
    if (found.empty())
        throw Exception(
            Args(Tr("Quill", "インストール済みアプリケーション \"%1\" はありません。"), app));
    if (found.size() > 1) {
        std::string names;
        for (const TInstallAppInfo* record : found)
            names += "\n  " + std::to_string(record->AppId) + "  " + record->AppName + " " +
                     record->Version + (record->AllUsers ? Tr("Quill", " (すべてのユーザー)") : "");
        throw Exception(
            Args(Tr("Quill",
                    "\"%1\" に当てはまるアプリケーションが複数あります。ID で指定してください:%2"),
                 app, names));
    }
    return *found.front();
}

int FileCount(const TInstallAppInfo& record) {
    int count = 0;
    for (int i = 0; i < record.Members.Count(); ++i)
        count += Installed(record.Members.Items(i)) ? 1 : 0;
    return count;
}

TJson AppJson(const TInstallAppInfo& record) {
    TJson json = TJson::Object();
    json.Number("id", record.AppId)
        .Text("name", record.AppName)
        .Text("version", record.Version)
        .Text("archive", record.ArchiveName)
        .TextOrNull("installed", IsoTime(record.FirstInstallDate))
        .TextOrNull("updated", record.WasUpdated() ? IsoTime(record.LastUpdateDate) : std::string())
        .Number("files", FileCount(record))
        .Text("folder", CommonFolder(record.Members))
        .Bool("all_users", record.AllUsers);
    return json;
}

int CommandList(const TArguments& args) {
    const auto list = LoadApps();
    if (args.Has("--json")) {
        TJson apps = TJson::Array();
        for (int i = 0; i < list->Count(); ++i)
            apps.Item(AppJson(list->Items(i)).Str());
        std::printf("%s\n", apps.Str().c_str());
        return 0;
    }
    if (list->Count() == 0) {
        Note(Tr("Quill", "インストール済みアプリケーションはありません。"));
        return 0;
    }
    for (int i = 0; i < list->Count(); ++i) {
        const TInstallAppInfo& r = list->Items(i);
        std::printf("%5d  %s  %s  %s  %s%s\n", r.AppId, r.AppName.c_str(),
                    r.Version.empty() ? "-" : r.Version.c_str(),
                    DateText(r.FirstInstallDate).c_str(), CommonFolder(r.Members).c_str(),
                    r.AllUsers ? Tr("Quill", "  (すべてのユーザー)").c_str() : "");
    }
    return 0;
}

int CommandShow(const TArguments& args) {
    const auto list = LoadApps();
    const TInstallAppInfo& record = FindApp(*list, args.Positional[0]);
    if (args.Has("--json")) {
        TJson members = TJson::Array();
        for (int i = 0; i < record.Members.Count(); ++i) {
            const TFileMember& m = record.Members.Items(i);
            const bool present = PathExists(Destination(m));
            members.Item(MemberJson(m, &present));
        }
        std::printf("%s\n", AppJson(record).Add("members", members.Str()).Str().c_str());
        return 0;
    }
    std::printf("ID:               %d\n", record.AppId);
    Out(Args(Tr("Quill", "名前:             %1\n"), record.AppName));
    Out(Args(Tr("Quill", "バージョン:       %1\n"), record.Version.empty() ? "-" : record.Version));
    Out(Args(Tr("Quill", "アーカイブ:       %1\n"), record.ArchiveName));
    Out(Args(Tr("Quill", "インストール日:   %1\n"), DateText(record.FirstInstallDate)));
    Out(Args(Tr("Quill", "アップデート日:   %1\n"),
             record.WasUpdated() ? DateText(record.LastUpdateDate) : std::string("-")));
    Out(Args(Tr("Quill", "フォルダ:         %1\n"), CommonFolder(record.Members)));
    Out(Args(Tr("Quill", "対象:             %1\n"),
             record.AllUsers ? Tr("Quill", "すべてのユーザー") : Tr("Quill", "このユーザー")));
    for (int i = 0; i < record.Members.Count(); ++i) {
        const TFileMember& m = record.Members.Items(i);
        if (!Installed(m))
            continue;
        const bool present = PathExists(Destination(m));
        std::printf("  %s %s%s\n", present ? " " : "!", Destination(m).c_str(),
                    present ? "" : Tr("Quill", "  (ありません)").c_str());
    }
    return 0;
}

// --- install and uninstall ---------------------------------------------------------------------

int ExitOf(const THandOffOutcome& outcome, const TToolRun& run) {
    switch (outcome.Result) {
    case THandOffResult::Done:
        if (!outcome.LeftOver.empty() || (run.Finished && run.ExitCode == ToolExitRefused))
            return 3;
        return 0;
    case THandOffResult::Cancelled:
        return 2;
    default:
        return 1;
    }
}

// How the archive of an install was verified: "" for a local file, "none" for a download that
// no checksum covered, else the checksums it matched.
struct TInstallRun {
    std::int32_t Id = -1;
    bool AllUsers = false;
    bool Update = false;
    std::string Verified;
};

std::string ResultJson(int exit, std::int32_t id, const THandOffOutcome& outcome,
                       const std::string& verified) {
    TJson refused = TJson::Array();
    std::vector<std::string> paths = outcome.LeftOver;
    if (outcome.Uninstall.Reported)
        for (const std::string& path : outcome.Uninstall.Report.Refused)
            if (std::find(paths.begin(), paths.end(), path) == paths.end())
                paths.push_back(path);
    for (const std::string& path : paths)
        refused.Item(JsonString(path));
    const TToolReport& i = outcome.Install.Report;
    const TToolReport& u = outcome.Uninstall.Report;
    return TJson::Object()
        .Number("exit", exit)
        .Number("id", id)
        .Number("installed", outcome.Install.Reported ? i.Installed : 0)
        .Number("replaced", outcome.Install.Reported ? i.Replaced : 0)
        .Number("skipped", outcome.Install.Reported ? i.Skipped : 0)
        .Number("removed", outcome.Uninstall.Reported ? u.Removed : 0)
        .Add("refused", refused.Str())
        .TextOrNull("verified", verified)
        .Str();
}

void TellFailure(const THandOffOutcome& outcome) {
    if (outcome.Result == THandOffResult::Cancelled) {
        Note(outcome.Message);
        return;
    }
    if (outcome.Result == THandOffResult::Done) {
        if (!outcome.LeftOver.empty()) {
            Note(Args(Tr("Quill", "%1。%2"), outcome.Heading, outcome.Message));
            for (const std::string& path : outcome.LeftOver)
                Note("  " + path);
        }
        return;
    }
    Note(Args(Tr("Quill", "エラー: %1。%2"), outcome.Heading, outcome.Message));
}

std::uint8_t OverwritePolicy(const std::string& text, bool& ask) {
    ask = false;
    if (text == "always")
        return owAlways;
    if (text == "newer")
        return owIfNewer;
    if (text == "never")
        return owNever;
    if (text == "backup")
        return owBackup;
    if (text == "ask") {
        ask = true;
        return owNever;
    }
    throw EUsage(
        Tr("Quill",
           "--overwrite には always, newer, never, ask, backup のどれかを指定してください。"));
}

bool AskYes(const std::string& question, bool defaultYes) {
    std::fprintf(stderr, "%s %s ", question.c_str(), defaultYes ? "[Y/n]" : "[y/N]");
    std::fflush(stderr);
    std::string answer;
    if (!std::getline(std::cin, answer))
        return false;
    if (answer.empty())
        return defaultYes;
    return answer == "y" || answer == "Y" || answer == "yes";
}

// A program named below the top folder of another version ("tool-1.0/bin/tool", as an export
// or an earlier plan names it) is the one at the same place below this archive's top folder,
// when exactly one member is there.
bool SetMainBelowTopFolder(TFileMembers& members, const std::string& path) {
    const auto belowTop = [](const std::string& p) {
        const std::size_t slash = p.find_first_of("/\\");
        return slash == std::string::npos ? std::string() : p.substr(slash + 1);
    };
    const std::string wanted = belowTop(path);
    if (wanted.empty())
        return false;
    std::string found;
    for (int i = 0; i < members.Count(); ++i) {
        const std::string candidate = MemberPath(members.Items(i));
        if (belowTop(candidate) != wanted)
            continue;
        if (!found.empty())
            return false;
        found = candidate;
    }
    return !found.empty() && members.SetMainByPath(found);
}

// Installs from a local archive. expectUpdateOf, when not negative, is the application the
// archive must update (quill update): anything else is refused before the install.
int InstallArchive(const TArguments& args, const std::string& path, std::int32_t expectUpdateOf,
                   TInstallRun& run) {
    // Checked before the archive is opened: a wrong word costs no extraction.
    bool ask = false;
    const std::uint8_t overwrite =
        OverwritePolicy(args.Value("--overwrite") ? *args.Value("--overwrite") : "newer", ask);
    const std::string clean = args.Value("--clean") ? *args.Value("--clean") : "none";
    if (clean != "none" && clean != "auto")
        throw EUsage(Tr("Quill", "--clean には none か auto を指定してください。"));
    std::uint8_t shortcuts = 0;
    const bool setShortcuts = args.Value("--shortcut") != nullptr || args.Has("--no-shortcut");
    if (args.Value("--shortcut") != nullptr && args.Has("--no-shortcut"))
        throw EUsage(Tr("Quill", "--shortcut と --no-shortcut は同時に指定できません。"));
    if (const std::string* list = args.Value("--shortcut")) {
        std::size_t at = 0;
        while (at <= list->size()) {
            std::size_t comma = list->find(',', at);
            if (comma == std::string::npos)
                comma = list->size();
            const std::string word = list->substr(at, comma - at);
            if (word == "desktop")
                shortcuts |= scDesktop;
            else if (word == "menu")
                shortcuts |= scStartMenu;
            else
                throw EUsage(
                    Tr("Quill",
                       "--shortcut には desktop と menu をコンマで区切って指定してください。"));
            at = comma + 1;
        }
    }
    std::string folder;
    if (const std::string* to = args.Value("--to")) {
        folder = AbsolutePath(*to);
        const TFolderProblem problem = CheckFolderPath(folder);
        if (problem != TFolderProblem::None && problem != TFolderProblem::NoRights)
            throw Exception(FolderProblemText(problem, folder).Text);
    }
    const bool yes = args.Has("--yes") || !Interactive();
    const bool json = args.Has("--json");

    TOpenedArchive opened = OpenArchiveForPlan(path);
    if (opened.Cancelled) {
        Note(Tr("Quill", "アーカイブの展開は取り消されました。"));
        return 2;
    }
    TInstallAppInfo& plan = *opened.Plan;
    if (expectUpdateOf >= 0 && (!opened.UpdateOf || opened.UpdateOf->AppId != expectUpdateOf))
        throw Exception(Args(Tr("Quill", "ダウンロードした %1 は、アプリケーション (ID %2) の"
                                         "新しいバージョンとして認識されません。"),
                             ExtractFileName(path), std::to_string(expectUpdateOf)));
    if (opened.ExtractResult != 0)
        Note(Tr("Quill", "警告: アーカイブの一部のファイルを展開できませんでした。"
                         "一覧にないファイルはインストールされません。"));
    if (!opened.FolderNote.empty() && folder.empty())
        Note(opened.FolderNote);

    // The changes, as the window's commands make them.
    if (!folder.empty())
        plan.Members.SetInstallRoot(WithTrailingDelim(folder));
    if (const std::string* name = args.Value("--name")) {
        if (name->empty())
            throw EUsage(Tr("Quill", "--name に名前を指定してください。"));
        plan.Rename(*name);
    }
    if (const std::string* main = args.Value("--main")) {
        if (!plan.Members.SetMainByPath(*main) && !SetMainBelowTopFolder(plan.Members, *main))
            throw Exception(Args(Tr("Quill", "アーカイブにファイル \"%1\" はありません。"), *main));
    }
    const std::string* commandName = args.Value("--command-name");
    const bool command = args.Has("--command") || commandName != nullptr;
    // With nothing to make a shortcut for, --no-shortcut is satisfied as it is.
    if ((setShortcuts && shortcuts != 0) || command ||
        (setShortcuts && plan.Members.MainIndex() >= 0)) {
        const int main = plan.Members.MainIndex();
        if (main < 0)
            throw Exception(
                Tr("Quill", "メインプログラムがありません。--main で指定してください。"));
        if (setShortcuts)
            plan.Members.SetMainShortcuts(shortcuts);
        if (command) {
            std::string why;
            if (!plan.SetMainCommand(true, args.Has("--all-users"), why,
                                     commandName != nullptr ? *commandName : std::string()))
                throw Exception(why);
        }
    }
    // Said after --main has chosen the program, before anything is installed.
    if (const std::string notice = plan.RunNotice(); !notice.empty())
        Note(notice);
    if (!args.Has("--allow-handlers"))
        NoteHandlerTypes(plan);
    const std::vector<int> clashes = plan.Members.DestinationClashes();
    if (!clashes.empty()) {
        Note(Tr("Quill", "次のファイルはインストール先が同じです。"
                         "あとからインストールされるファイルが先のファイルを上書きします。"));
        for (const int index : clashes)
            Note("  " + MemberPath(plan.Members.Items(index)) + " -> " +
                 Destination(plan.Members.Items(index)));
        if (!yes && !AskYes(Tr("Quill", "このままインストールしますか?"), false))
            return 2;
    }

    TInstallOption option;
    option.OverWrite = overwrite;
    option.ConfirmMode = ask && !yes ? cmConfirm : cmSkip;
    option.AllUsers = args.Has("--all-users");
    const bool update = opened.UpdateOf != nullptr;
    option.UpdateMode = update && clean == "auto" ? umAutoClean : umOverwrite;
    PrepareInstall(plan, option, opened.UpdateOf.get());
    TCleanRemoval removal;
    if (update && option.UpdateMode == umAutoClean) {
        removal.Record = opened.UpdateOf.get();
        removal.AllUsers = opened.UpdateOf->AllUsers;
    }

    // Going back to an earlier version is said before anything is written, and asked on a
    // terminal.
    if (update && plan.IsDowngradeOf(*opened.UpdateOf)) {
        Note(Args(Tr("Quill", "インストール済みの %1 %2 を古いバージョン %3 に戻します。"),
                  opened.UpdateOf->AppName, opened.UpdateOf->Version, plan.Version));
        if (!yes && !AskYes(Tr("Quill", "このままインストールしますか?"), false))
            return 2;
    }
    if (!json)
        Note(Args(update ? Tr("Quill", "アップデートしています: %1")
                         : Tr("Quill", "インストールしています: %1"),
                  plan.AppName + (plan.Version.empty() ? "" : " " + plan.Version)));
    TToolWaiter waiter;
    THandOff handOff(waiter);
    // quill's working folder goes as soon as the install is done: its files may move into place.
    handOff.ToolArguments = {"--terminal", "--move-work"};
    if (args.Has("--allow-handlers"))
        handOff.ToolArguments.push_back("--allow-handlers");
    const THandOffOutcome outcome =
        handOff.Install(plan, option, removal.Record != nullptr ? &removal : nullptr);
    const int exit = ExitOf(outcome, outcome.Uninstall);
    const std::int32_t id = outcome.Install.Reported ? outcome.Install.Report.AppId : plan.AppId;
    run.Id = id;
    run.AllUsers = option.AllUsers || (update && opened.UpdateOf->AllUsers);
    run.Update = update;
    TellFailure(outcome);
    if (json) {
        std::printf("%s\n", ResultJson(exit, id, outcome, run.Verified).c_str());
    } else if (exit == 0 || exit == 3) {
        const TToolReport& r = outcome.Install.Report;
        Out(Args(update ? Tr("Quill", "アップデートしました: %1 (ID %2)\n")
                        : Tr("Quill", "インストールしました: %1 (ID %2)\n"),
                 plan.AppName + (plan.Version.empty() ? "" : " " + plan.Version),
                 std::to_string(id)));
        if (outcome.Install.Reported)
            Out(Args(Tr("Quill", "  新しいファイル %1 個, 置き換え %2 個, スキップ %3 個\n"),
                     std::to_string(r.Installed), std::to_string(r.Replaced),
                     std::to_string(r.Skipped)));
        for (const std::string& notice : r.Notices)
            Out("  " + notice + "\n");
    }
    return exit;
}

// --- sources
// --------------------------------------------------------------------------------------

// A downloaded archive and its private folder, removed when the install is done with it.
struct TDownloadGuard {
    std::string File;
    ~TDownloadGuard() {
        if (File.empty())
            return;
        RemoveFileEntry(File);
        ::rmdir(ExtractFilePath(File).c_str());
    }
};

// Downloads what the source offers, with a progress line; Ctrl+C cancels and leaves nothing.
TDownloaded DownloadWithProgress(const TLatest& latest, const std::string& sha256) {
    Note(Args(Tr("Quill", "ダウンロードしています: %1"), latest.Url));
    TTerminalProgress progress(Tr("Quill", "ダウンロード"));
    TDownloaded got = DownloadLatest(latest, DownloadsFolderPath(), sha256,
                                     [&](std::uint64_t done, std::uint64_t total) {
                                         if (QuillInterrupted)
                                             return false;
                                         progress.Step(latest.FileName, 0, 0, done);
                                         (void)total;
                                         return true;
                                     });
    progress.Finish();
    return got;
}

// Said of every downloaded archive before it is opened.
void NoteVerified(const TDownloaded& got) {
    Note(got.Verified.empty()
             ? Tr("Quill", "検証なし: 配布元はこのファイルのチェックサムを公開していません。")
             : Args(Tr("Quill", "検証済み: %1"), got.Verified));
}

// Downloads what a source offers, verifies it, installs it (as the update of expectUpdateOf when
// that is not negative) and keeps the source for the application.
int InstallDownloaded(const TArguments& args, const TLatest& latest, const std::string& sha256,
                      std::int32_t expectUpdateOf) {
    const TDownloaded got = DownloadWithProgress(latest, sha256);
    if (got.Cancelled) {
        Note(Tr("Quill", "ダウンロードは取り消されました。"));
        return 2;
    }
    if (!got.Ok)
        throw Exception(got.Error);
    TDownloadGuard guard{got.File};
    NoteVerified(got);
    TInstallRun run;
    run.Verified = got.Verified.empty() ? "none" : got.Verified;
    const int exit = InstallArchive(args, got.File, expectUpdateOf, run);
    if (exit == 0 || exit == 3) {
        const TAppSource next = SourceAfterDownload(latest, got);
        KeepSourceAfterInstall(run.Id, run.AllUsers, &next, got.File);
    }
    return exit;
}

int CommandInstall(const TArguments& args) {
    const std::string& given = args.Positional[0];
    const std::string* sha256 = args.Value("--sha256");
    if (sha256 != nullptr && !IsSha256Hex(*sha256))
        throw EUsage(Tr("Quill", "--sha256 には 64 桁の 16 進数を指定してください。"));
    TInstallRun run;
    if (!LooksLikeSourceText(given) || FileExists(given)) {
        if (sha256 != nullptr) {
            const std::string actual = Sha256OfFile(AbsolutePath(given));
            if (actual != LowerAscii(*sha256))
                throw Exception(
                    Args(Tr("Quill", "%1 のチェックサムが一致しません (%2)。"), given, actual));
            run.Verified = "sha256: --sha256";
        }
        const int exit = InstallArchive(args, AbsolutePath(given), -1, run);
        if (exit == 0 || exit == 3)
            KeepSourceAfterInstall(run.Id, run.AllUsers, nullptr, AbsolutePath(given));
        return exit;
    }
    TAppSource source;
    std::string why;
    if (!ParseSourceText(given, source, why))
        throw EUsage(why);
    const TLatest latest = CheckSource(source, std::string());
    if (!latest.Ok)
        throw Exception(latest.Error);
    return InstallDownloaded(args, latest, sha256 != nullptr ? *sha256 : "", -1);
}

int CommandSource(const TArguments& args) {
    const auto list = LoadApps();
    const TInstallAppInfo& record = FindApp(*list, args.Positional[0]);
    if (args.Has("--none")) {
        ClearAppSource(record);
        Out(Args(Tr("Quill", "%1 のソースを削除しました。\n"), record.AppName));
        return 0;
    }
    TAppSource parsed;
    std::string why;
    if (!ParseSourceText(args.Positional[1], parsed, why))
        throw EUsage(why);
    if (!SetAppSource(record, args.Positional[1], why))
        throw Exception(why);
    const TAppSource source = LoadSource(GetDataFolder(), record.AppId, record.AllUsers);
    Out(Args(Tr("Quill", "%1 のソース: %2\n"), record.AppName, source.Describe()));
    return 0;
}

struct TOutdated {
    const TInstallAppInfo* Record = nullptr;
    TAppSource Source;
    TLatest Latest;
};

// Every application with a source, checked; failures are said on stderr and counted.
std::vector<TOutdated> CheckAll(const TInstallList& list, const std::string& only, int& failures) {
    std::vector<TOutdated> found;
    failures = 0;
    for (int i = 0; i < list.Count(); ++i) {
        const TInstallAppInfo& record = list.Items(i);
        if (!only.empty() && &FindApp(list, only) != &record)
            continue;
        TOutdated item;
        item.Record = &record;
        item.Source = LoadSource(GetDataFolder(), record.AppId, record.AllUsers);
        if (item.Source.Empty()) {
            if (!only.empty())
                throw Exception(
                    Args(Tr("Quill", "%1 にはソースがありません (quill source で設定できます)。"),
                         record.AppName));
            continue;
        }
        item.Latest = CheckSource(item.Source, record.Version.empty() ? "?" : record.Version);
        if (!item.Latest.Ok) {
            ++failures;
            Note(Args(Tr("Quill", "%1: %2"), record.AppName, item.Latest.Error));
            continue;
        }
        if (item.Latest.Newer)
            found.push_back(std::move(item));
    }
    return found;
}

int CommandOutdated(const TArguments& args) {
    const auto list = LoadApps();
    int failures = 0;
    const std::vector<TOutdated> outdated = CheckAll(*list, std::string(), failures);
    if (args.Has("--json")) {
        TJson apps = TJson::Array();
        for (const TOutdated& o : outdated)
            apps.Item(TJson::Object()
                          .Number("id", o.Record->AppId)
                          .Text("name", o.Record->AppName)
                          .Text("installed", o.Record->Version)
                          .TextOrNull("latest", o.Latest.Version)
                          .Text("source", o.Source.Describe())
                          .Text("url", o.Latest.Url)
                          .Bool("verified", !o.Latest.Sha256.empty())
                          .Str());
        std::printf("%s\n", apps.Str().c_str());
    } else if (outdated.empty()) {
        Note(Tr("Quill", "新しいバージョンのあるアプリケーションはありません。"));
    } else {
        for (const TOutdated& o : outdated)
            std::printf("%5d  %s  %s -> %s  %s\n", o.Record->AppId, o.Record->AppName.c_str(),
                        o.Record->Version.empty() ? "-" : o.Record->Version.c_str(),
                        o.Latest.Version.empty() ? o.Latest.FileName.c_str()
                                                 : o.Latest.Version.c_str(),
                        o.Source.Describe().c_str());
    }
    return failures > 0 ? 1 : 0;
}

int CommandUpdate(const TArguments& args) {
    const auto list = LoadApps();
    int failures = 0;
    const std::vector<TOutdated> outdated =
        CheckAll(*list, args.Has("--all") ? std::string() : args.Positional[0], failures);
    if (outdated.empty() && failures == 0)
        Note(Tr("Quill", "新しいバージョンのあるアプリケーションはありません。"));
    // The update road of an install: the choices of the installed copy carry over, its old
    // files go as an update's do.
    TArguments install = args;
    install.Flags.push_back("--yes");
    install.Values["--clean"] = "auto";
    int worst = failures > 0 ? 1 : 0;
    for (const TOutdated& o : outdated) {
        try {
            const int exit = InstallDownloaded(install, o.Latest, std::string(), o.Record->AppId);
            if (exit == 2)
                return 2;
            worst = std::max(worst, exit);
        } catch (const Exception& e) {
            Note(Args(Tr("Quill", "%1: %2"), o.Record->AppName, e.Message()));
            worst = std::max(worst, 1);
        }
    }
    return worst;
}

// --- export and import ---------------------------------------------------------------------------

// A folder below the home is kept as "~/…", so that it means the same on another machine.
std::string PortablePath(const std::string& path) {
    const std::string home = WithTrailingDelim(GetSpecialFolder(CSIDL_PROFILE));
    if (home.size() > 1 && path.compare(0, home.size(), home) == 0)
        return "~/" + path.substr(home.size());
    return path;
}

std::string LocalPath(const std::string& path) {
    if (path.compare(0, 2, "~/") == 0)
        return WithTrailingDelim(GetSpecialFolder(CSIDL_PROFILE)) + path.substr(2);
    return path;
}

int CommandExport(const TArguments& args) {
    const auto list = LoadApps();
    TJson apps = TJson::Array();
    for (int i = 0; i < list->Count(); ++i) {
        const TInstallAppInfo& r = list->Items(i);
        const TAppSource source = LoadSource(GetDataFolder(), r.AppId, r.AllUsers);
        const int main = r.Members.MainIndex();
        TJson shortcuts = TJson::Array();
        if (main >= 0) {
            const std::uint8_t flags = r.Members.Items(main).ShortcutFlags();
            if (flags & scDesktop)
                shortcuts.Item(JsonString("desktop"));
            if (flags & scStartMenu)
                shortcuts.Item(JsonString("menu"));
        }
        std::string where;
        if (source.Kind == TSourceKind::Forge)
            where = source.Describe();
        else if (!source.Empty())
            where = source.Url;
        apps.Item(TJson::Object()
                      .Text("name", r.AppName)
                      .Text("version", r.Version)
                      .TextOrNull("source", where)
                      .Text("folder", PortablePath(CommonFolder(r.Members)))
                      .TextOrNull("main", MemberOfRole(r.Members, main))
                      .Add("shortcuts", shortcuts.Str())
                      .TextOrNull("command", r.MainIsCommand() ? r.MainCommandName() : "")
                      .Bool("all_users", r.AllUsers)
                      .Str());
    }
    const std::string text = TJson::Object()
                                 .Text("format", "quillmate-export")
                                 .Number("version", 1)
                                 .Add("applications", apps.Str())
                                 .Str() +
                             "\n";
    if (args.Positional.empty()) {
        std::fputs(text.c_str(), stdout);
        return 0;
    }
    const std::string file = AbsolutePath(args.Positional[0]);
    TAtomicFileWriter writer(file);
    writer.Write(text.data(), text.size());
    writer.Commit();
    Note(Args(Tr("Quill", "%1 個のアプリケーションを %2 に書き出しました。"),
              std::to_string(list->Count()), file));
    return 0;
}

// Installs every application of an export from its source, with the choices it lists. One that
// has no source, or fails, is said; the others are still installed.
int CommandImport(const TArguments& args) {
    const std::string file = AbsolutePath(args.Positional[0]);
    const std::string text = ReadPlainFile(file, 16u << 20);
    TJsonValue json;
    std::string why;
    if (text.empty() || !ParseJson(text, json, why) ||
        json.StringOf("format") != "quillmate-export" || !json["applications"].IsArray())
        throw Exception(
            Args(Tr("Quill", "%1 は Quillmate の書き出したファイルではありません。%2"), file, why));
    int worst = 0;
    for (const TJsonValue& app : json["applications"].Items) {
        const std::string name = app.StringOf("name");
        const std::string source = app.StringOf("source");
        if (source.empty()) {
            Note(Args(Tr("Quill", "%1: ソースがないため、インストールできません。"), name));
            worst = std::max(worst, 1);
            continue;
        }
        TArguments install;
        install.Command = "install";
        install.Positional = {source};
        install.Flags = {"--yes"};
        if (args.Has("--json"))
            install.Flags.push_back("--json");
        if (app.BoolOf("all_users"))
            install.Flags.push_back("--all-users");
        if (const std::string folder = app.StringOf("folder"); !folder.empty())
            install.Values["--to"] = LocalPath(folder);
        if (const std::string main = app.StringOf("main"); !main.empty())
            install.Values["--main"] = main;
        std::string shortcuts;
        for (const TJsonValue& s : app["shortcuts"].Items)
            if (s.IsString() && (s.Text == "desktop" || s.Text == "menu"))
                shortcuts += (shortcuts.empty() ? "" : ",") + s.Text;
        if (shortcuts.empty())
            install.Flags.push_back("--no-shortcut");
        else
            install.Values["--shortcut"] = shortcuts;
        if (const std::string command = app.StringOf("command"); !command.empty())
            install.Values["--command-name"] = command;
        try {
            worst = std::max(worst, CommandInstall(install));
        } catch (const Exception& e) {
            Note(Args(Tr("Quill", "%1: %2"), name, e.Message()));
            worst = std::max(worst, 1);
        }
    }
    return worst;
}

int CommandUninstall(const TArguments& args) {
    const auto list = LoadApps();
    const TInstallAppInfo& record = FindApp(*list, args.Positional[0]);
    const bool yes = args.Has("--yes") || !Interactive();
    if (!yes &&
        !AskYes(Args(Tr("Quill", "\"%1\" をアンインストールしますか?"), record.AppName), false))
        return 2;
    TToolWaiter waiter;
    THandOff handOff(waiter);
    handOff.ToolArguments = {"--terminal"};
    if (args.Has("--keep-folders"))
        handOff.ToolArguments.push_back("--keep-folders");
    const THandOffOutcome outcome = handOff.Uninstall(record, {}, true, record.AllUsers);
    const int exit = ExitOf(outcome, outcome.Uninstall);
    TellFailure(outcome);
    if (args.Has("--json")) {
        std::printf("%s\n", ResultJson(exit, record.AppId, outcome, std::string()).c_str());
    } else if (exit == 0 || exit == 3) {
        // What the uninstaller says it removed, by its database's name.
        const TToolReport& r = outcome.Uninstall.Report;
        const bool named = outcome.Uninstall.Reported && !r.AppName.empty();
        Out(Args(Tr("Quill", "アンインストールしました: %1 (ID %2)\n"),
                 named ? r.AppName : record.AppName,
                 std::to_string(named ? r.AppId : record.AppId)));
        if (outcome.Uninstall.Reported) {
            Out(Args(Tr("Quill", "  削除したファイル %1 個\n"),
                     std::to_string(outcome.Uninstall.Report.Removed)));
            for (const std::string& path : outcome.Uninstall.Report.Refused)
                Out(Args(Tr("Quill", "  削除しなかったパス: %1\n"), path));
        }
    }
    return exit;
}

int CommandPlan(const TArguments& args) {
    TOpenedArchive opened = OpenArchiveForPlan(AbsolutePath(args.Positional[0]));
    if (opened.Cancelled) {
        Note(Tr("Quill", "アーカイブの展開は取り消されました。"));
        return 2;
    }
    if (opened.ExtractResult != 0)
        Note(Tr("Quill", "警告: アーカイブの一部のファイルを展開できませんでした。"));
    if (!opened.FolderNote.empty())
        Note(opened.FolderNote);
    if (const std::string notice = opened.Plan->RunNotice(); !notice.empty())
        Note(notice);
    NoteHandlerTypes(*opened.Plan);
    if (args.Has("--json"))
        std::printf("%s\n", PlanJson(opened).c_str());
    else
        PrintPlan(opened);
    return 0;
}

void OnSignal(int) {
    QuillInterrupted = 1;
}

} // namespace

int Failed(bool json, const std::string& message, int exit) {
    if (json)
        std::printf("%s\n",
                    TJson::Object().Text("error", message).Number("exit", exit).Str().c_str());
    return exit;
}

int RunQuill(const std::vector<std::string>& args) {
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h" || args[0] == "help")) {
        std::fputs(Tr("Quill", kHelp).c_str(), stdout);
        return 0;
    }
    // A failure with --json is an object on standard output too, for a script to read.
    const bool json = std::find(args.begin(), args.end(), "--json") != args.end();
    TArguments parsed;
    try {
        parsed = ParseArguments(args);
    } catch (const EUsage& e) {
        Note("quill: " + e.Message());
        Note(Tr("Quill", kUsage));
        return Failed(json, e.Message(), 64);
    }
    // A break stops an extraction at its next member, and the working folder goes; the tools
    // handle their own (the handler is not inherited by what they start).
    struct sigaction action {};
    action.sa_handler = &OnSignal;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    TInstallAppInfo::RemoveStaleWorkFolders();
    try {
        if (parsed.Command == "plan")
            return CommandPlan(parsed);
        if (parsed.Command == "install")
            return CommandInstall(parsed);
        if (parsed.Command == "list")
            return CommandList(parsed);
        if (parsed.Command == "show")
            return CommandShow(parsed);
        if (parsed.Command == "source")
            return CommandSource(parsed);
        if (parsed.Command == "outdated")
            return CommandOutdated(parsed);
        if (parsed.Command == "update")
            return CommandUpdate(parsed);
        if (parsed.Command == "export")
            return CommandExport(parsed);
        if (parsed.Command == "import")
            return CommandImport(parsed);
        return CommandUninstall(parsed);
    } catch (const EUsage& e) {
        Note("quill: " + e.Message());
        Note(Tr("Quill", kUsage));
        return Failed(json, e.Message(), 64);
    } catch (const Exception& e) {
        Note("quill: " + e.Message());
        return Failed(json, e.Message(), 1);
    } catch (const std::exception& e) {
        Note(std::string("quill: ") + e.what());
        return Failed(json, e.what(), 1);
    }
}

} // namespace qm
