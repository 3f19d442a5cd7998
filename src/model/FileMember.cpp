#include "model/FileMember.h"

#include "model/ArchiveName.h"
#include "model/FileUtils.h"
#include "model/InstallAppInfo.h"
#include "platform/Catalogue.h"
#include "platform/Exception.h"
#include "platform/SpecialFolders.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unordered_map>

namespace qm {

namespace {

std::string Replace(std::string text, char from, char to) {
    std::replace(text.begin(), text.end(), from, to);
    return text;
}

// value with 'decimals' decimals and ',' between groups of three digits. Halves round away from
// zero (2.25 KB shows as "2.3 KB"), as users of the format know it; printf would round them to
// even.
std::string FormatGrouped(double value, int decimals) {
    double scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    const double rounded = std::round(std::fabs(value) * scale);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.0f", rounded);
    std::string digits = buffer;
    if (digits.size() <= static_cast<std::size_t>(decimals))
        digits.insert(0, static_cast<std::size_t>(decimals) + 1 - digits.size(), '0');
    std::string whole = digits.substr(0, digits.size() - static_cast<std::size_t>(decimals));
    const std::string fraction = digits.substr(whole.size());
    for (std::size_t p = whole.size(); p > 3; p -= 3)
        whole.insert(p - 3, 1, ',');
    std::string text = (value < 0 && rounded != 0 ? "-" : "") + whole;
    if (decimals > 0)
        text += "." + fraction;
    return text;
}

} // namespace

// ---- TShortcutOption -------------------------------------------------------------------------

void TShortcutOption::Assign(const TPersistent& source) {
    const auto* other = dynamic_cast<const TShortcutOption*>(&source);
    if (other == nullptr)
        AssignError(source);
    Arguments = other->Arguments;
    Description = other->Description;
    ShortcutName = other->ShortcutName;
    WindowSize = other->WindowSize;
    WorkingDirectory = other->WorkingDirectory;
}

void TShortcutOption::LoadFromStream(TStream& stream) {
    Arguments = ReadString(stream);
    Description = ReadString(stream);
    ShortcutName = ReadString(stream);
    WindowSize = ReadByte(stream);
    WorkingDirectory = ReadString(stream);
}

void TShortcutOption::SaveToStream(TStream& stream) const {
    WriteString(stream, Arguments);
    WriteString(stream, Description);
    WriteString(stream, ShortcutName);
    WriteByte(stream, WindowSize);
    WriteString(stream, WorkingDirectory);
}

// ---- TFileMember -----------------------------------------------------------------------------

void TFileMember::Changed() {
    if (owner_ != nullptr && owner_->OnMemberChange)
        owner_->OnMemberChange(*owner_, owner_->IndexOf(this));
}

void TFileMember::SetRole(std::uint8_t value) {
    role_ = value;
    Changed();
}

void TFileMember::SetShortcutFlags(std::uint8_t value) {
    shortcutFlags_ = value;
    Changed();
}

const std::string& TFileMember::InstallDir() const {
    static const std::string empty;
    return installDir_ ? *installDir_ : empty;
}

void TFileMember::SetInstallDirText(std::string value) {
    // Members are set one after another, folder by folder: a text equal to the one set last is
    // shared with it instead of being stored once more.
    static thread_local std::weak_ptr<const std::string> last;
    if (std::shared_ptr<const std::string> previous = last.lock(); previous && *previous == value) {
        installDir_ = std::move(previous);
        return;
    }
    installDir_ = std::make_shared<const std::string>(std::move(value));
    last = installDir_;
}

std::string TFileMember::GetInstallDir() const {
    return WithTrailingDelim(InstallDir());
}

void TFileMember::SetInstallDir(const std::string& folder, bool ignorePath) {
    if (ignorePath) {
        SetInstallDirText(folder);
        return;
    }
    std::string relative = ArchivePath;
    if (owner_ != nullptr)
        relative = owner_->InstallSubFolder(ArchivePath);
    else if (!relative.empty() && relative.front() == '/')
        relative.erase(0, 1);
    SetInstallDirText(WithTrailingDelim(folder + Replace(relative, '/', PathDelim)));
}

std::string TFileMember::SizeText() const {
    if (FileSize < 2048)
        return Args(Tr("FileMember", "%1 バイト"), FormatGrouped(static_cast<double>(FileSize), 0));
    const double k = static_cast<double>(FileSize) / 1024.0;
    if (k < 2048)
        return FormatGrouped(k, 1) + " KB";
    return FormatGrouped(k / 1024.0, 2) + " MB";
}

void TFileMember::Assign(const TPersistent& source) {
    const auto* other = dynamic_cast<const TFileMember*>(&source);
    if (other == nullptr)
        AssignError(source);
    if (other == this)
        return;
    role_ = other->role_;
    ShortcutFolders = other->ShortcutFolders;
    FileName = other->FileName;
    FileDate = other->FileDate;
    IsTarget = other->IsTarget;
    InstallDate = other->InstallDate;
    SetInstallDirText(WithTrailingDelim(other->InstallDir()));
    ArchivePath = other->ArchivePath;
    shortcutFlags_ = other->shortcutFlags_;
    FileSize = other->FileSize;
    SizeDelta = other->SizeDelta;
    StartMenuPath = other->StartMenuPath;
    DateCompare = other->DateCompare;
    ShortcutOption.Assign(other->ShortcutOption);
}

void TFileMember::UpdateFrom(const TFileMember& installed) {
    role_ = installed.role_;
    ShortcutFolders = installed.ShortcutFolders;
    IsTarget = installed.IsTarget;
    InstallDate = installed.InstallDate;
    SetInstallDirText(WithTrailingDelim(installed.InstallDir()));
    shortcutFlags_ = installed.shortcutFlags_;
    StartMenuPath = installed.StartMenuPath;
    ShortcutOption.Assign(installed.ShortcutOption);
    DateCompare = CompareDates(FileDate, installed.FileDate);
    // Only the low 32 bits of each size take part, wrapping like the stored difference does.
    SizeDelta = static_cast<std::int32_t>(static_cast<std::uint32_t>(FileSize) -
                                          static_cast<std::uint32_t>(installed.FileSize));
    Changed();
}

void TFileMember::LoadFromStream(TStream& stream) {
    FileName = ReadString(stream);
    ArchivePath = ReadString(stream);
    role_ = ReadByte(stream);
    FileDate = ReadDouble(stream);
    FileSize = ReadInt64(stream);
    IsTarget = ReadByte(stream) != 0;
    InstallDate = ReadDouble(stream);
    SetInstallDirText(ReadString(stream));
    shortcutFlags_ = ReadByte(stream) & scAllFlags;
    // Entries are appended as they are read, never reserved for the stored count: a damaged
    // count then ends with the read error instead of a huge allocation.
    const std::int32_t count = ReadInt32(stream);
    ShortcutFolders.clear();
    for (std::int32_t i = 0; i < count; ++i)
        ShortcutFolders.push_back(ReadString(stream));
    StartMenuPath = ReadString(stream);
    ShortcutOption.LoadFromStream(stream);
    SkipBytes(stream, 8);
}

void TFileMember::SaveToStream(TStream& stream) const {
    WriteString(stream, FileName);
    WriteString(stream, ArchivePath);
    WriteByte(stream, role_);
    WriteDouble(stream, FileDate);
    WriteInt64(stream, FileSize);
    WriteByte(stream, IsTarget ? 1 : 0);
    WriteDouble(stream, InstallDate);
    WriteString(stream, InstallDir());
    WriteByte(stream, shortcutFlags_ & scAllFlags);
    WriteInt32(stream, static_cast<std::int32_t>(ShortcutFolders.size()));
    for (const std::string& folder : ShortcutFolders)
        WriteString(stream, folder);
    WriteString(stream, StartMenuPath);
    ShortcutOption.SaveToStream(stream);
    WriteZeros(stream, 8);
}

// ---- TFileMembers ----------------------------------------------------------------------------

TFileMember& TFileMembers::Add() {
    items_.push_back(std::make_unique<TFileMember>(this));
    items_.back()->indexHint_ = static_cast<std::int32_t>(items_.size() - 1);
    return *items_.back();
}

TFileMember& TFileMembers::AddFound(const std::string& relativeFolder, const FoundEntry& found) {
    TFileMember& member = Add();
    member.ArchivePath = Replace(relativeFolder, PathDelim, '/');
    member.FileName = found.name;
    member.FileSize = found.size;
    member.FileDate = FileTimeToDayCount(found.lastWriteLocal);
    return member;
}

void TFileMembers::CopyFrom(const TFileMembers& other) {
    if (&other == this)
        return;
    Clear();
    items_.reserve(other.items_.size());
    for (const auto& item : other.items_)
        Add().Assign(*item);
    TopFolder = other.TopFolder;
}

void TFileMembers::Clear() {
    items_.clear();
    TopFolder.clear();
}

void TFileMembers::FindTopFolder() {
    TopFolder = TopFolderOf(*this);
}

std::string TopFolderOf(const TFileMembers& members) {
    std::string common;
    for (int i = 0; i < members.Count(); ++i) {
        const std::string& path = members.Items(i).ArchivePath;
        // A member at the top, or one with an absolute folder, shares no folder with the rest.
        if (path.empty() || path.front() == '/')
            return std::string();
        if (i == 0) {
            common = path;
            continue;
        }
        // The longest run of whole folders both begin with.
        std::size_t same = 0;
        for (std::size_t at = 0; at < common.size() && at < path.size() && common[at] == path[at];
             ++at)
            if (common[at] == '/')
                same = at + 1;
        common.erase(same);
        if (common.empty())
            return common;
    }
    if (!common.empty() && common.back() != '/')
        common += '/';
    // The first folder always goes; a deeper one only while it is not one of the folders a
    // program's layout has.
    static const char* const layout[] = {"bin",     "sbin",  "lib",   "lib32",   "lib64",
                                         "libexec", "share", "usr",   "etc",     "include",
                                         "opt",     "local", "x64",   "x86",     "amd64",
                                         "arm64",   "win32", "win64", "plugins", "resources"};
    std::size_t keep = common.find('/') + 1;
    while (keep < common.size()) {
        const std::size_t end = common.find('/', keep);
        const std::string name = LowerAscii(common.substr(keep, end - keep));
        if (std::find(std::begin(layout), std::end(layout), name) != std::end(layout))
            break;
        keep = end + 1;
    }
    return common.substr(0, keep);
}

std::string TFileMembers::InstallSubFolder(const std::string& archivePath) const {
    std::string relative = archivePath;
    if (!TopFolder.empty() && relative.compare(0, TopFolder.size(), TopFolder) == 0)
        relative.erase(0, TopFolder.size());
    else if (!relative.empty() && relative.front() == '/')
        relative.erase(0, 1);
    return Replace(relative, '/', PathDelim);
}

TFileMember& TFileMembers::Items(int index) {
    return const_cast<TFileMember&>(static_cast<const TFileMembers&>(*this).Items(index));
}

const TFileMember& TFileMembers::Items(int index) const {
    if (index < 0 || index >= Count())
        throw EListError(Args(Tr("FileMember", "リストのインデックスが範囲を超えています (%1)"),
                              std::to_string(index)));
    return *items_[static_cast<std::size_t>(index)];
}

int TFileMembers::IndexOf(const TFileMember* member) const {
    if (member == nullptr)
        return -1;
    // Every member of a plan may change at once (an update's take-over): no search each time.
    const std::int32_t hint = member->indexHint_;
    if (hint >= 0 && static_cast<std::size_t>(hint) < items_.size() &&
        items_[static_cast<std::size_t>(hint)].get() == member)
        return hint;
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == member) {
            member->indexHint_ = static_cast<std::int32_t>(i);
            return static_cast<int>(i);
        }
    return -1;
}

// Names compare as the user's locale does for file names: ASCII and full-width Latin letters
// without case (SameText); everything else exactly.
TFileMember* TFileMembers::Find(const std::string& fileName, const std::string& archivePath) {
    for (const auto& item : items_)
        if (SameText(item->FileName, fileName) && SameText(item->ArchivePath, archivePath))
            return item.get();
    return nullptr;
}

int TFileMembers::MainIndex() const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->role_ == mrMain)
            return static_cast<int>(i);
    return -1;
}

int TFileMembers::HelpIndex() const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->role_ == mrHelp)
            return static_cast<int>(i);
    return -1;
}

namespace {

// How a help file's name speaks for it: 0 a guide ("readme", "manual", "help", "説明",
// "お読みください", "index.html"), 2 a text that is no guide (licence, history, change lists),
// 1 anything else.
int HelpNameClass(const std::string& fileName) {
    const std::string lower = LowerAscii(fileName);
    const std::string stem = LowerAscii(RemoveFileExt(fileName));
    static const char* const never[] = {"license",    "licence",     "copying", "copyright",
                                        "thirdparty", "third-party", "notice",  "eula"};
    for (const char* word : never)
        if (stem.compare(0, std::char_traits<char>::length(word), word) == 0)
            return 3;
    static const char* const avoided[] = {"history", "changes", "changelog", "news", "authors"};
    for (const char* word : avoided)
        if (stem.compare(0, std::char_traits<char>::length(word), word) == 0)
            return 2;
    static const char* const guides[] = {"readme", "read me", "read_me",        "manual",
                                         "help",   "説明",    "お読みください", "はじめに"};
    for (const char* word : guides)
        if (lower.find(word) != std::string::npos)
            return 0;
    return lower == "index.html" || lower == "index.htm" ? 0 : 1;
}

} // namespace

bool IsWindowsProgramName(const std::string& fileName) {
    const std::string ext = LowerAscii(ExtractFileExt(fileName));
    return ext == ".exe" || ext == ".msi" || ext == ".com" || ext == ".bat" || ext == ".cmd";
}

bool IsDocumentName(const std::string& fileName) {
    static const char* const kExtensions[] = {
        ".txt", ".md",  ".rst",  ".pdf",  ".html", ".htm", ".css", ".xml",  ".json",  ".yaml",
        ".yml", ".ini", ".cfg",  ".conf", ".dat",  ".db",  ".png", ".jpg",  ".jpeg",  ".gif",
        ".bmp", ".ico", ".svg",  ".xpm",  ".icns", ".ttf", ".otf", ".woff", ".woff2", ".wav",
        ".mp3", ".ogg", ".flac", ".mp4",  ".webm", ".mo",  ".po",  ".qm",   ".pak",   ".dll",
        ".so",  ".a",   ".o",    ".h",    ".hpp",  ".c",   ".cc",  ".cpp",  ".jar",   ".class",
        ".zip", ".gz",  ".xz",   ".bz2",  ".zst",  ".7z",  ".tar", ".chm",  ".hlp",   ".desktop"};
    std::string lower = LowerAscii(fileName);
    // A versioned library ("libfoo.so.6", "libfoo.so.1.2.3") is a library.
    const std::size_t so = lower.find(".so.");
    if (so != std::string::npos &&
        lower.find_first_not_of("0123456789.", so + 4) == std::string::npos)
        return true;
    const std::size_t dot = lower.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return false;
    const std::string ext = lower.substr(dot);
    for (const char* known : kExtensions)
        if (ext == known)
            return true;
    return false;
}

bool IsHelperProgramName(const std::string& fileName) {
    const std::string name = LowerAscii(RemoveFileExt(fileName));
    for (const char* helper : {"fsnotifier", "crashpad_handler", "chrome_crashpad_handler",
                               "chrome-sandbox", "chrome_sandbox", "restarter", "jspawnhelper"})
        if (name == helper)
            return true;
    const auto has = [&](const char* part) { return name.find(part) != std::string::npos; };
    const auto ends = [&](const char* tail) {
        const std::size_t n = std::char_traits<char>::length(tail);
        return name.size() > n && name.compare(name.size() - n, n, tail) == 0;
    };
    return ends("helper") || has("updater") || has("uninstall") || has("crash-handler") ||
           has("crash_handler") || name.compare(0, 5, "unins") == 0;
}

namespace {

const std::vector<std::string> kMainExts = {".exe", ".msi"};
// The help files of Windows programs first, then those of other programs.
const std::vector<std::string> kHelpExts = {".chm", ".hlp",  ".hxs", ".txt",
                                            ".md",  ".html", ".htm", ".pdf"};

} // namespace

int CandidateKindOf(const std::string& fileName) {
    const std::string ext = LowerAscii(ExtractFileExt(fileName));
    if (std::find(kMainExts.begin(), kMainExts.end(), ext) != kMainExts.end())
        return 1;
    const int nameClass = HelpNameClass(fileName);
    if (nameClass > 2)
        return 0; // a licence or a notice
    if (std::find(kHelpExts.begin(), kHelpExts.end(), ext) != kHelpExts.end() ||
        (nameClass == 0 && LowerAscii(fileName) == "readme"))
        return 2;
    return 0;
}

void TFileMembers::AutoSelect(std::uint8_t role) {
    const auto& exts = role == mrMain ? kMainExts : kHelpExts;

    // For a help file its name counts first: a guide before any other text, a history only when
    // nothing else is there, a licence or a notice never. Then the best extension rank wins; among
    // equal or better ranks only a shallower folder replaces the current choice, so ties keep the
    // earlier member.
    TFileMember* best = nullptr;
    int bestClass = INT_MAX;
    int bestRank = INT_MAX;
    int bestDepth = INT_MAX;
    for (const auto& item : items_) {
        if (item->IsExcluded() || (role == mrMain && IsHelperProgramName(item->FileName)))
            continue;
        const int nameClass = role == mrMain ? 0 : HelpNameClass(item->FileName);
        // A licence or a notice is no help file.
        if (nameClass > 2)
            continue;
        std::string ext = LowerAscii(ExtractFileExt(item->FileName));
        // A README goes by that name alone, with or without an extension.
        if (role != mrMain && nameClass == 0 && LowerAscii(item->FileName) == "readme")
            ext = ".txt";
        if (ext.empty())
            continue;
        const auto found = std::find(exts.begin(), exts.end(), ext);
        if (found == exts.end())
            continue;
        if (nameClass > bestClass)
            continue;
        const int rank = static_cast<int>(found - exts.begin());
        const int depth = CountFields(item->ArchivePath, '/');
        if (nameClass < bestClass) {
            best = item.get();
            bestClass = nameClass;
            bestRank = rank;
            bestDepth = depth;
            continue;
        }
        if (rank > bestRank)
            continue;
        if (depth < bestDepth) {
            best = item.get();
            bestRank = rank;
            bestDepth = depth;
        }
    }
    if (best == nullptr)
        return;

    best->SetRole(role);
    // Menus of Linux are flat: a help entry of its own for every application clutters them, so
    // the help file of an archive without a Windows program gets none unless asked for.
    const bool windows = std::any_of(items_.begin(), items_.end(), [](const auto& item) {
        return IsWindowsProgramName(item->FileName);
    });
    best->SetShortcutFlags(role == mrMain || windows ? scStartMenu : 0);
    const std::string programs = ExcludeTrailingPathDelimiter(GetSpecialFolder(SF_COMMON_PROGRAMS));
    best->StartMenuPath = ExtractFileName(programs);
    best->ShortcutOption.ShortcutName = RemoveFileExt(best->FileName);
    if (role != mrMain)
        best->ShortcutOption.ShortcutName =
            Args(Tr("FileMember", "%1のヘルプ"), best->ShortcutOption.ShortcutName.Str());
}

void TFileMembers::SetInstallRoot(const std::string& root) {
    InstallRoot = root;
    // Members of one archive folder go to one folder and share its text.
    std::unordered_map<std::string, std::shared_ptr<const std::string>> folders;
    for (const auto& item : items_) {
        std::shared_ptr<const std::string>& shared = folders[item->ArchivePath];
        if (shared) {
            item->installDir_ = shared;
            continue;
        }
        const std::string relative = InstallSubFolder(item->ArchivePath);
        item->SetInstallDirText(WithTrailingDelim(IncludeTrailingPathDelimiter(root) + relative));
        shared = item->installDir_;
    }
}

void TFileMembers::SetMain(int index) {
    // Every member marked main loses the mark, so at most one is left afterwards even when a
    // stored list held several.
    bool wasMain = false;
    TFileMember* previous = nullptr;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (items_[i]->role_ == mrMain) {
            wasMain = wasMain || static_cast<int>(i) == index;
            if (previous == nullptr)
                previous = items_[i].get();
            items_[i]->SetRole(mrNormal);
        }
    }
    if (index < 0)
        return;
    TFileMember& member = Items(index);
    if (member.IsExcluded() || wasMain)
        return;
    member.SetRole(mrMain);
    // The application's shortcuts start its main program: they go with the mark.
    bool renamed = false;
    if (previous != nullptr && previous != &member && previous->HasShortcut() &&
        !member.HasShortcut()) {
        const std::string oldName = previous->ShortcutOption.ShortcutName;
        member.StartMenuPath = previous->StartMenuPath;
        member.ShortcutFolders = previous->ShortcutFolders;
        member.ShortcutOption.Assign(previous->ShortcutOption);
        // A name the plan gave (the application's, the old program's own) follows the new
        // program; one the user gave stays.
        renamed = oldName.empty() || oldName == RemoveFileExt(previous->FileName) ||
                  oldName == ProgramShortcutName(previous->FileName) ||
                  (AppInfo != nullptr && oldName == AppInfo->AppName);
        member.SetShortcutFlags(previous->ShortcutFlags());
        previous->ShortcutFolders.clear();
        previous->SetShortcutFlags(0);
    }
    if (AppInfo != nullptr)
        AppInfo->ReadMainExeInfo(member);
    if (renamed)
        member.ShortcutOption.ShortcutName = AppInfo != nullptr && !AppInfo->AppName.empty()
                                                 ? AppInfo->AppName
                                                 : ProgramShortcutName(member.FileName);
}

int TFileMembers::IndexByPath(const std::string& path) const {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (IncludeTrailingSlash(items_[i]->ArchivePath) == folder && items_[i]->FileName == name)
            return static_cast<int>(i);
    return -1;
}

bool TFileMembers::SetMainByPath(const std::string& path) {
    const int index = IndexByPath(path);
    if (index < 0)
        return false;
    if (index != MainIndex())
        SetMain(index);
    return true;
}

void TFileMembers::SetMainShortcuts(std::uint8_t flags) {
    const int main = MainIndex();
    if (main < 0)
        return;
    TFileMember& m = Items(main);
    if ((flags & scStartMenu) != 0 && m.StartMenuPath.empty())
        m.StartMenuPath =
            ExtractFileName(ExcludeTrailingPathDelimiter(GetSpecialFolder(SF_COMMON_PROGRAMS)));
    if (flags != 0 && m.ShortcutOption.ShortcutName.empty())
        m.ShortcutOption.ShortcutName = RemoveFileExt(m.FileName);
    m.SetShortcutFlags(static_cast<std::uint8_t>((m.ShortcutFlags() & scFolders) |
                                                 (flags & (scDesktop | scStartMenu))));
}

std::string CommandFolder(bool allUsers) {
    return allUsers ? SystemCommandFolderPath() : UserCommandFolderPath();
}

std::string CommandName(const std::string& fileName) {
    // A program that carries its version in its name is the same command in the next version.
    if (const std::string name = VersionlessProgramName(fileName); !name.empty())
        return name;
    const std::string ext = ExtractFileExt(fileName);
    for (const char* script : {".sh", ".py", ".pl", ".rb", ".bash"})
        if (ext == script && fileName.size() > ext.size())
            return RemoveFileExt(fileName);
    return fileName;
}

std::string CommandOnPath(const std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos)
        return std::string();
    std::vector<std::string> folders = {"/usr/local/sbin", "/usr/local/bin", "/usr/sbin",
                                        "/usr/bin",        "/sbin",          "/bin"};
    if (const char* path = std::getenv("PATH")) {
        const std::string list = path;
        std::size_t start = 0;
        while (start <= list.size()) {
            std::size_t end = list.find(':', start);
            if (end == std::string::npos)
                end = list.size();
            const std::string folder = list.substr(start, end - start);
            if (!folder.empty() && folder.front() == '/')
                folders.push_back(ExcludeTrailingPathDelimiter(folder));
            start = end + 1;
        }
    }
    for (const std::string& folder : folders) {
        if (folder == UserCommandFolderPath() || folder == SystemCommandFolderPath())
            continue;
        const std::string candidate = folder + "/" + name;
        struct stat st {};
        if (::stat(candidate.c_str(), &st) == 0 && !S_ISDIR(st.st_mode) && (st.st_mode & 0111) != 0)
            return candidate;
    }
    return std::string();
}

namespace {

bool IsCommandFolderItself(const std::string& plain) {
    return !plain.empty() &&
           (plain == UserCommandFolderPath() || plain == SystemCommandFolderPath());
}

} // namespace

bool IsCommandNameOk(const std::string& name) {
    if (name.empty() || name == "." || name == ".." || name.front() == '-')
        return false;
    for (const char c : name)
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) <= ' ' || c == 0x7f)
            return false;
    return true;
}

bool IsCommandFolder(const std::string& folder) {
    return !CommandItemFolder(folder).empty();
}

std::string CommandItemFolder(const std::string& item) {
    const std::string plain = ExcludeTrailingPathDelimiter(item);
    if (IsCommandFolderItself(plain))
        return plain;
    // A chosen name: written without a trailing delimiter, a plain name right in the folder.
    if (plain != item || plain.empty())
        return std::string();
    const std::string parent = ExcludeTrailingPathDelimiter(ExtractFilePath(plain));
    const std::string name = ExtractFileName(plain);
    return IsCommandFolderItself(parent) && IsCommandNameOk(name) ? parent : std::string();
}

std::string CommandItemName(const std::string& item, const std::string& fileName) {
    const std::string folder = CommandItemFolder(item);
    const std::string plain = ExcludeTrailingPathDelimiter(item);
    return !folder.empty() && plain != folder ? ExtractFileName(plain) : CommandName(fileName);
}

void TFileMembers::SetHelpByPath(const std::string& path) {
    const int index = IndexByPath(path);
    if (index >= 0)
        items_[static_cast<std::size_t>(index)]->SetRole(mrHelp);
}

void TFileMembers::LoadFromStream(TStream& stream) {
    Clear();
    const std::int32_t count = ReadInt32(stream);
    // One member at a time, appended only when read whole; nothing is reserved for the count.
    for (std::int32_t i = 0; i < count; ++i) {
        auto member = std::make_unique<TFileMember>(this);
        member->LoadFromStream(stream);
        member->indexHint_ = i;
        items_.push_back(std::move(member));
    }
}

void TFileMembers::SaveToStream(TStream& stream) const {
    WriteInt32(stream, static_cast<std::int32_t>(items_.size()));
    for (const auto& item : items_)
        item->SaveToStream(stream);
}

void TFileMembers::TakeFrom(TFileMembers& other) {
    items_ = std::move(other.items_);
    other.items_.clear();
    for (const auto& item : items_)
        item->owner_ = this;
}

std::vector<int> TFileMembers::DestinationClashes() const {
    std::unordered_map<std::string, int> first;
    first.reserve(items_.size());
    std::vector<bool> clash(items_.size(), false);
    for (int i = 0; i < Count(); ++i) {
        const TFileMember& m = *items_[static_cast<std::size_t>(i)];
        if (!m.IsTarget || m.IsExcluded())
            continue;
        const auto [at, added] = first.emplace(m.GetInstallDir() + m.FileName, i);
        if (!added) {
            clash[static_cast<std::size_t>(at->second)] = true;
            clash[static_cast<std::size_t>(i)] = true;
        }
    }
    std::vector<int> indexes;
    for (int i = 0; i < Count(); ++i)
        if (clash[static_cast<std::size_t>(i)])
            indexes.push_back(i);
    return indexes;
}

void TFileMembers::MoveToSystemPrograms() {
    const std::string user = GetSpecialFolder(SF_PROGRAM_FILES);
    const std::string system = WithTrailingDelim(SystemProgramsFolderPath());
    if (user.empty() || system.size() < 2)
        return;
    const auto moved = [&](const std::string& folder) {
        return folder.compare(0, user.size(), user) == 0 ? system + folder.substr(user.size())
                                                         : folder;
    };
    InstallRoot = moved(InstallRoot);
    for (auto& item : items_) {
        if (!item->InstallDir().empty())
            item->SetInstallDir(moved(item->GetInstallDir()), true);
        // A command of the user's becomes one of the system's.
        for (std::string& folder : item->ShortcutFolders) {
            if (ExcludeTrailingPathDelimiter(folder) == UserCommandFolderPath())
                folder = SystemCommandFolderPath();
            else if (CommandItemFolder(folder) == UserCommandFolderPath())
                folder = IncludeTrailingPathDelimiter(SystemCommandFolderPath()) +
                         CommandItemName(folder, item->FileName);
        }
    }
}

} // namespace qm
