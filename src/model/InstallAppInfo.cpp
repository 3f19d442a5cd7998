#include "model/InstallAppInfo.h"

#include "model/AppImageParts.h"
#include "model/DesktopFile.h"

#include "model/ArchiveName.h"
#include "model/FileUtils.h"
#include "model/InstallList.h"
#include "platform/AtomicFile.h"
#include "platform/Catalogue.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/FileTransfer.h"
#include "platform/ProgramKind.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>

namespace qm {

namespace {

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// One generator for the process, seeded once, so working-folder names do not repeat between
// archives opened in the same second.
std::mt19937& WorkFolderRandom() {
    static std::mt19937 generator = [] {
        std::random_device device;
        const auto clock = std::chrono::high_resolution_clock::now().time_since_epoch().count();
        std::seed_seq seed{device(), static_cast<unsigned>(clock),
                           static_cast<unsigned>(clock >> 32)};
        return std::mt19937(seed);
    }();
    return generator;
}

} // namespace

std::string InstallFolderName(const std::string& appName) {
    std::string name = appName;
    for (char& c : name)
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20)
            c = '_';
    if (name == "." || name == "..")
        name = std::string(name.size(), '_');
    return name;
}

std::string ProposedInstallFolder(const std::string& parent, const std::string& appName) {
    return WithSubfolder(IncludeTrailingPathDelimiter(parent), InstallFolderName(appName));
}

namespace {

// Windows lists a folder in name order ignoring case (it compares upper-cased names); the order
// decides which executable and help file are chosen, so every file system gets that order.
// Names equal but for case keep a fixed order by their bytes.
bool ListsBefore(const std::string& a, const std::string& b) {
    const auto upper = [](char c) {
        return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32)
                                      : static_cast<unsigned char>(c);
    };
    const auto less = [&](char x, char y) { return upper(x) < upper(y); };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), less))
        return true;
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), less))
        return false;
    return a < b;
}

} // namespace

std::function<std::uint32_t()> TInstallAppInfo::WorkFolderNumber;

void TInstallAppInfo::Assign(const TPersistent& source) {
    const auto* other = dynamic_cast<const TInstallAppInfo*>(&source);
    if (other == nullptr)
        AssignError(source);
    if (other == this)
        return;
    AppId = other->AppId;
    AllUsers = other->AllUsers;
    AppName = other->AppName;
    ArchiveName = other->ArchiveName;
    Members.CopyFrom(other->Members);
    FirstInstallDate = other->FirstInstallDate;
    LastUpdateDate = other->LastUpdateDate;
    Version = other->Version;
}

void TInstallAppInfo::TakeFrom(TInstallAppInfo& other) {
    if (&other == this)
        return;
    AppId = other.AppId;
    AllUsers = other.AllUsers;
    AppName = std::move(other.AppName);
    ArchiveName = std::move(other.ArchiveName);
    Members.TakeFrom(other.Members);
    Members.TopFolder = std::move(other.Members.TopFolder);
    FirstInstallDate = other.FirstInstallDate;
    LastUpdateDate = other.LastUpdateDate;
    Version = std::move(other.Version);
}

std::string TInstallAppInfo::ExtractedPath(const TFileMember& member) const {
    std::string folder = member.ArchivePath;
    std::replace(folder.begin(), folder.end(), '/', PathDelim);
    return workFolder_ + folder + member.FileName;
}

bool TInstallAppInfo::OpenArchive(const std::string& fileName) {
    // A bare AppImage is a plan of one member, copied as it is; any other file is an archive
    // when the handler says so (without one nothing is opened).
    const bool appImage = IsBareAppImage(fileName);
    bool accepted = appImage;
    if (!appImage && OnOpenArchive)
        OnOpenArchive(*this, fileName, accepted);
    if (!accepted)
        return false;

    ArchiveName = fileName;
    // A new archive starts from scratch: nothing of the previous one's name or version stays.
    AppName.clear();
    Version.clear();
    Members.Clear();
    RemoveWorkFolder();
    workFolder_ = MakeWorkFolder();
    // Without a data folder there is nowhere to extract to; the plan then stays empty.
    if (!workFolder_.empty()) {
        if (appImage) {
            try {
                CopyToNewFile(fileName, workFolder_ + ExtractFileName(fileName));
            } catch (...) {
                RemoveWorkFolder();
                throw;
            }
        } else if (OnExtractArchive) {
            OnExtractArchive(*this);
        }
        ScanFolder(workFolder_);
    }
    // The contents of a single top folder go into the install folder directly.
    Members.FindTopFolder();
    // Everything the archive holds is installed unless left out.
    for (int i = 0; i < Members.Count(); ++i)
        Members.Items(i).IsTarget = !Members.Items(i).IsExcluded();

    Members.AutoSelect(mrMain);
    PreferRunnableProgram();
    if (Members.MainIndex() < 0)
        SelectNativeMain();
    Members.AutoSelect(mrHelp);
    const int mainIndex = Members.MainIndex();
    // A Linux program carries no version information: the archive's name names it (below).
    if (mainIndex >= 0 && !IsNativeProgram(Members.Items(mainIndex))) {
        const TFileMember& main = Members.Items(mainIndex);
        const std::string path = ExtractedPath(main);
        std::string value;
        AppName =
            GetVersionString(path, "ProductName", value) ? value : RemoveFileExt(main.FileName);
        Version = GetVersionString(path, "ProductVersion", value) ? value : std::string();
        // An empty name would make the program-files folder itself the install folder, shared
        // with every other application (and a later uninstall would work on it).
        if (AppName.empty())
            AppName = RemoveFileExt(main.FileName);
    }
    // A Linux program is named by the desktop entry the archive bundles for it, or by its
    // AppStream metainfo.
    const bool bundledIdentity = mainIndex >= 0 && AppName.empty();
    if (bundledIdentity)
        ReadBundledIdentity(Members.Items(mainIndex));
    // Without a program to name it, the archive's file name does, without its platform words
    // and with its version apart; a program without a version takes the archive's.
    const TArchiveNameParts fromName = ParseArchiveName(ExtractFileName(fileName));
    if (AppName.empty()) {
        // A name of platform words only, or a word any archive could have ("app", "release"),
        // says nothing: the main program's name does then.
        const std::string lower = LowerAscii(fromName.Name);
        const bool generic = lower.empty() || lower == "app" || lower == "application" ||
                             lower == "release" || lower == "dist" || lower == "package" ||
                             lower == "program" || lower == "download";
        const int main = Members.MainIndex();
        if (generic && main >= 0)
            AppName = ProgramShortcutName(Members.Items(main).FileName);
        else
            AppName = fromName.Name.empty() ? ArchiveBaseName(fileName) : fromName.Name;
    }
    // Metainfo that a vendor did not bring up to date names an older release than the archive.
    if (Version.empty() || (bundledIdentity && !fromName.Version.empty() &&
                            CompareVersionTexts(Version, fromName.Version) < 0))
        Version = fromName.Version;
    Members.SetInstallRoot(IncludeTrailingPathDelimiter(GetSpecialFolder(SF_PROGRAM_FILES) +
                                                        InstallFolderName(AppName)));
    NameShortcutsAfterApplication();

    if (OnMembersReady)
        OnMembersReady(*this);
    return true;
}

void TInstallAppInfo::ScanFolder(const std::string& folder) {
    // Depth first: a subfolder is listed when it is met, before the next entry of its parent.
    std::vector<FoundEntry> entries;
    if (!EnumerateFolder(folder, entries))
        return;
    std::sort(entries.begin(), entries.end(),
              [](const FoundEntry& a, const FoundEntry& b) { return ListsBefore(a.name, b.name); });
    for (const FoundEntry& entry : entries) {
        if (entry.isFolder)
            ScanFolder(folder + entry.name + PathDelim);
        else
            Members.AddFound(folder.substr(workFolder_.size()), entry);
    }
}

bool TInstallAppInfo::IsBareAppImage(const std::string& fileName) {
    return EndsWith(LowerAscii(fileName), ".appimage") &&
           ProgramKindOf(fileName) == TProgramKind::AppImage;
}

bool TInstallAppInfo::IsNativeProgram(const TFileMember& member) const {
    return !workFolder_.empty() && ProgramKindOf(ExtractedPath(member)) != TProgramKind::None;
}

void TInstallAppInfo::ReadBundledIdentity(const TFileMember& main) {
    const auto read = [&](const TFileMember& m, std::string& bytes) {
        try {
            return m.FileSize <= (1 << 20) &&
                   ReadWholeFileLocked(ExtractedPath(m), bytes, false, 1 << 20);
        } catch (const Exception&) {
            return false;
        }
    };
    std::string entryName, onlyName;
    int applications = 0;
    std::string metaName, metaVersion;
    for (int i = 0; i < Members.Count(); ++i) {
        const TFileMember& m = Members.Items(i);
        if (m.IsExcluded())
            continue;
        const std::string lowerName = LowerAscii(m.FileName);
        std::string bytes;
        if (EndsWith(lowerName, ".desktop")) {
            if (!read(m, bytes))
                continue;
            const TDesktopFile entry = TDesktopFile::Parse(bytes);
            if (entry.Value("Type") != "Application")
                continue;
            ++applications;
            onlyName = entry.Value("Name");
            if (entryName.empty() && EntryStartsProgram(entry, main.FileName))
                entryName = entry.Value("Name");
        } else if (EndsWith(lowerName, ".metainfo.xml") || EndsWith(lowerName, ".appdata.xml")) {
            if (metaName.empty() && read(m, bytes)) {
                const TMetaInfo info = ParseMetaInfo(bytes);
                metaName = info.Name;
                metaVersion = info.Version;
            }
        }
    }
    if (entryName.empty() && applications == 1)
        entryName = onlyName;
    if (!entryName.empty())
        AppName = entryName;
    else if (!metaName.empty())
        AppName = metaName;
    if (Version.empty() && !metaVersion.empty())
        Version = metaVersion;
}

std::vector<std::string> TInstallAppInfo::HandlerTypesFor(const TFileMember& program) const {
    // As the installer chooses a bundled entry: the one that starts the program, else the only
    // application entry there is.
    TDesktopFile only;
    int applications = 0;
    for (int i = 0; i < Members.Count(); ++i) {
        const TFileMember& m = Members.Items(i);
        if (m.IsExcluded() || LowerAscii(ExtractFileExt(m.FileName)) != ".desktop" ||
            m.FileSize > (1 << 20) || workFolder_.empty())
            continue;
        const std::string bytes = ReadPlainFile(ExtractedPath(m), 1 << 20);
        TDesktopFile entry = TDesktopFile::Parse(bytes);
        if (entry.Value("Type") != "Application")
            continue;
        if (EntryStartsProgram(entry, program.FileName))
            return HandlerTypesOf(entry);
        ++applications;
        only = std::move(entry);
    }
    if (applications == 1)
        return HandlerTypesOf(only);
    // An AppImage carries its own entry inside, which the installer takes.
    if (applications == 0 && !workFolder_.empty() && !program.IsExcluded() &&
        ProgramKindOf(ExtractedPath(program)) == TProgramKind::AppImage) {
        TAppImageParts parts;
        if (ReadAppImageParts(ExtractedPath(program), parts) && !parts.DesktopEntry.empty()) {
            const TDesktopFile entry = TDesktopFile::Parse(parts.DesktopEntry);
            if (entry.Value("Type") == "Application")
                return HandlerTypesOf(entry);
        }
    }
    return {};
}

std::vector<std::string> TInstallAppInfo::HandlerTypes() const {
    std::vector<std::string> types;
    for (int i = 0; i < Members.Count(); ++i) {
        const TFileMember& m = Members.Items(i);
        if (m.IsExcluded() || !m.HasShortcut())
            continue;
        for (const std::string& type : HandlerTypesFor(m))
            if (std::find(types.begin(), types.end(), type) == types.end())
                types.push_back(type);
    }
    return types;
}

bool TInstallAppInfo::SetMainCommand(bool on, bool allUsers, std::string& why,
                                     const std::string& chosen) {
    const int main = Members.MainIndex();
    if (main < 0) {
        why = Tr("InstallAppInfo", "メインプログラムがありません。");
        return false;
    }
    TFileMember& m = Members.Items(main);
    std::vector<std::string> folders;
    for (const std::string& folder : m.ShortcutFolders)
        if (!IsCommandFolder(folder))
            folders.push_back(folder);
    if (on) {
        if (!CanBeCommand(m)) {
            why =
                Args(Tr("InstallAppInfo", "メインプログラム \"%1\" は Linux のプログラム (ELF "
                                          "形式かスクリプト) ではないため、コマンドにできません。"),
                     m.FileName);
            return false;
        }
        const std::string name = chosen.empty() ? CommandName(m.FileName) : chosen;
        if (!CheckCommandName(name, why))
            return false;
        // The program's own name is kept as the folder alone, as records always had it.
        folders.push_back(name == CommandName(m.FileName)
                              ? CommandFolder(allUsers)
                              : IncludeTrailingPathDelimiter(CommandFolder(allUsers)) + name);
    }
    m.ShortcutFolders = folders;
    std::uint8_t flags = m.ShortcutFlags() & static_cast<std::uint8_t>(~scFolders);
    if (!folders.empty())
        flags |= scFolders;
    m.SetShortcutFlags(flags);
    return true;
}

bool TInstallAppInfo::CanBeCommand(const TFileMember& member) const {
    const TProgramKind kind =
        workFolder_.empty() ? TProgramKind::None : ProgramKindOf(ExtractedPath(member));
    return kind == TProgramKind::Elf || kind == TProgramKind::Script;
}

bool TInstallAppInfo::CheckCommandName(const std::string& name, std::string& why) {
    if (!IsCommandNameOk(name)) {
        why = Args(Tr("InstallAppInfo", "\"%1\" はコマンドの名前にできません (空白や / を含まず、"
                                        "- で始まらない名前にしてください)。"),
                   name);
        return false;
    }
    // Never a command that stands in for one already on PATH: it would run wherever the user
    // (or an administrator, for all users) types that name.
    const std::string existing = CommandOnPath(name);
    if (!existing.empty()) {
        why = Args(Tr("InstallAppInfo",
                      "コマンド \"%1\" はすでにあります (%2)。同じ名前のコマンドは作成しません。"),
                   name, existing);
        return false;
    }
    return true;
}

namespace {

// A Windows program's name without the words that tell its build apart ("notifu64" and
// "notifu", "app-x64" and "app-x86" give one name).
std::string WithoutBitness(const std::string& fileName) {
    std::string name = LowerAscii(RemoveFileExt(fileName));
    for (const char* word :
         {"x86_64", "amd64", "x64", "x86", "win64", "win32", "64bit", "32bit", "64", "32"}) {
        const std::size_t n = std::char_traits<char>::length(word);
        for (std::size_t at = name.find(word); at != std::string::npos; at = name.find(word))
            name.erase(at, n);
    }
    std::string out;
    for (const char c : name)
        if (c != '-' && c != '_' && c != '.' && c != ' ')
            out += c;
    return out;
}

} // namespace

void TInstallAppInfo::PreferRunnableProgram() {
    const int main = Members.MainIndex();
    if (main < 0 || workFolder_.empty())
        return;
    const TFileMember& m = Members.Items(main);
    const TPeFacts facts = PeFactsOf(ExtractedPath(m));
    const TWineAbility wine = WineAbility();
    // The 64-bit build where wine runs those (Debian's default) or where there is no wine yet;
    // the 32-bit one only where wine runs nothing else.
    const bool want64 = wine.Runs64 || !wine.Any;
    if (!facts.Pe || facts.Is64 == want64)
        return;
    const std::string stem = WithoutBitness(m.FileName);
    for (int i = 0; i < Members.Count(); ++i) {
        const TFileMember& other = Members.Items(i);
        if (i == main || other.IsExcluded() || other.ArchivePath != m.ArchivePath ||
            LowerAscii(ExtractFileExt(other.FileName)) != LowerAscii(ExtractFileExt(m.FileName)) ||
            stem.empty() || WithoutBitness(other.FileName) != stem)
            continue;
        const TPeFacts otherFacts = PeFactsOf(ExtractedPath(other));
        if (otherFacts.Pe && otherFacts.Is64 == want64) {
            Members.SetMain(i);
            return;
        }
    }
}

void TInstallAppInfo::NameShortcutsAfterApplication() {
    if (AppName.empty())
        return;
    // Entries are called after the application ("7-Zip", "7-Zip のヘルプ"), not after its files
    // ("7za", "readme のヘルプ"); only names the plan gave by itself change.
    const int main = Members.MainIndex();
    if (main >= 0) {
        TFileMember& m = Members.Items(main);
        const std::string name = m.ShortcutOption.ShortcutName;
        if (name.empty() || name == RemoveFileExt(m.FileName) ||
            name == ProgramShortcutName(m.FileName))
            m.ShortcutOption.ShortcutName = AppName;
    }
    const int help = Members.HelpIndex();
    if (help >= 0) {
        TFileMember& m = Members.Items(help);
        if (std::string(m.ShortcutOption.ShortcutName) ==
            Args(Tr("FileMember", "%1のヘルプ"), RemoveFileExt(m.FileName)))
            m.ShortcutOption.ShortcutName = Args(Tr("FileMember", "%1のヘルプ"), AppName);
    }
}

void TInstallAppInfo::Rename(const std::string& name) {
    if (name == AppName)
        return;
    const std::string old = AppName;
    AppName = name;
    const int main = Members.MainIndex();
    if (main >= 0 && std::string(Members.Items(main).ShortcutOption.ShortcutName) == old)
        Members.Items(main).ShortcutOption.ShortcutName = name;
    const int help = Members.HelpIndex();
    if (help >= 0 && std::string(Members.Items(help).ShortcutOption.ShortcutName) ==
                         Args(Tr("FileMember", "%1のヘルプ"), old))
        Members.Items(help).ShortcutOption.ShortcutName =
            Args(Tr("FileMember", "%1のヘルプ"), name);
}

std::string TInstallAppInfo::RunNotice() const {
    const int main = Members.MainIndex();
    return main < 0 ? std::string() : RunNoticeFor(Members.Items(main));
}

std::string TInstallAppInfo::RunNoticeFor(const TFileMember& program) const {
    if (workFolder_.empty() || !IsWindowsProgramName(program.FileName))
        return std::string();
    const TWineAbility wine = WineAbility();
    if (!wine.Any)
        return Tr("InstallAppInfo",
                  "メインプログラムは Windows のプログラムです。実行には wine が必要です "
                  "(Debian パッケージ \"wine\" をインストールしてください)。");
    const TPeFacts facts = PeFactsOf(ExtractedPath(program));
    if (facts.Pe && !facts.Is64 && !wine.Runs32)
        return Tr("InstallAppInfo",
                  "メインプログラムは 32 ビットの Windows プログラムで、この wine (64 ビットのみ) "
                  "では実行できません (i386 アーキテクチャを追加して Debian パッケージ "
                  "\"wine32\" をインストールしてください)。");
    if (facts.Pe && facts.Is64 && !wine.Runs64)
        return Tr(
            "InstallAppInfo",
            "メインプログラムは 64 ビットの Windows プログラムで、この wine では実行できません "
            "(Debian パッケージ \"wine64\" をインストールしてください)。");
    return std::string();
}

bool TInstallAppInfo::KeepOwnFolder(const TInstallList& list, std::string& note) {
    const auto taken = [&](const std::string& root) {
        for (int i = 0; i < list.Count(); ++i)
            for (int j = 0; j < list.Items(i).Members.Count(); ++j) {
                const std::string dir = list.Items(i).Members.Items(j).GetInstallDir();
                if (dir.size() >= root.size() && dir.compare(0, root.size(), root) == 0)
                    return true;
            }
        return false;
    };
    const std::string root = IncludeTrailingPathDelimiter(Members.InstallRoot);
    if (Members.InstallRoot.empty() || !taken(root))
        return false;
    const std::string parent = ExtractFilePath(ExcludeTrailingPathDelimiter(root));
    std::vector<std::string> names;
    const int main = Members.MainIndex();
    if (main >= 0)
        names.push_back(InstallFolderName(RemoveFileExt(Members.Items(main).FileName)));
    const std::string own = InstallFolderName(AppName.empty() ? "app" : AppName);
    for (int n = 2; n < 100; ++n)
        names.push_back(own + "-" + std::to_string(n));
    for (const std::string& name : names) {
        const std::string candidate = IncludeTrailingPathDelimiter(parent + name);
        if (name.empty() || candidate == root || taken(candidate) ||
            PathExists(ExcludeTrailingPathDelimiter(candidate)))
            continue;
        // Members placed by hand elsewhere stay where they are.
        for (int i = 0; i < Members.Count(); ++i) {
            TFileMember& m = Members.Items(i);
            const std::string dir = m.GetInstallDir();
            if (dir.compare(0, root.size(), root) == 0)
                m.SetInstallDir(candidate + dir.substr(root.size()), true);
        }
        Members.InstallRoot = candidate;
        note = Args(Tr("InstallAppInfo", "フォルダ \"%1\" には別のアプリケーションがインストール"
                                         "されているため、\"%2\" にインストールします。"),
                    root, candidate);
        return true;
    }
    return false;
}

bool TInstallAppInfo::WasUpdated() const {
    return CompareDates(LastUpdateDate, FirstInstallDate) != 0;
}

bool TInstallAppInfo::IsDowngradeOf(const TInstallAppInfo& record) const {
    return CompareVersionTexts(Version, record.Version) < 0;
}

std::string TInstallAppInfo::MainCommandName() const {
    const int main = Members.MainIndex();
    if (main < 0)
        return std::string();
    const TFileMember& m = Members.Items(main);
    for (const std::string& item : m.ShortcutFolders)
        if (IsCommandFolder(item))
            return CommandItemName(item, m.FileName);
    return CommandName(m.FileName);
}

bool TInstallAppInfo::MainIsCommand() const {
    const int main = Members.MainIndex();
    if (main < 0)
        return false;
    const TFileMember& m = Members.Items(main);
    return (m.ShortcutFlags() & scFolders) != 0 &&
           std::any_of(m.ShortcutFolders.begin(), m.ShortcutFolders.end(),
                       [](const std::string& folder) { return IsCommandFolder(folder); });
}

void TInstallAppInfo::SelectNativeMain() {
    if (workFolder_.empty())
        return;
    // The names the application goes by: the archive's and its single top folder's, without
    // versions and platform words.
    std::vector<std::string> names{LowerAscii(ParseArchiveName(ExtractFileName(ArchiveName)).Name)};
    std::string top;
    for (int i = 0; i < Members.Count(); ++i) {
        const std::string& path = Members.Items(i).ArchivePath;
        const std::string first = path.substr(0, path.find('/'));
        if (i == 0)
            top = first;
        else if (first != top)
            top.clear();
    }
    if (!top.empty())
        names.push_back(LowerAscii(ParseArchiveName(top).Name));
    // The programs bundled desktop entries start.
    std::vector<std::string> started;
    for (int i = 0; i < Members.Count(); ++i) {
        const TFileMember& m = Members.Items(i);
        if (LowerAscii(ExtractFileExt(m.FileName)) != ".desktop" || m.FileSize > (1 << 20))
            continue;
        std::string bytes;
        try {
            ReadWholeFileLocked(ExtractedPath(m), bytes, false, 1 << 20);
        } catch (const Exception&) {
            continue;
        }
        for (std::size_t at = bytes.find("\nExec="); at != std::string::npos;
             at = bytes.find("\nExec=", at + 1)) {
            std::string command = bytes.substr(at + 6, bytes.find_first_of(" \n", at + 6) - at - 6);
            if (!command.empty() && command.front() == '"')
                command.erase(0, 1);
            started.push_back(command.substr(command.rfind('/') + 1));
        }
    }
    // A name like the application's: the same, or one that begins the other ("idea" and
    // "ideaic").
    const auto nameLike = [&](const std::string& stem) {
        for (const std::string& name : names)
            if (stem.size() >= 3 && name.size() >= 3 &&
                (name.compare(0, stem.size(), stem) == 0 ||
                 stem.compare(0, name.size(), name) == 0))
                return true;
        return false;
    };
    // Ranked by name first; the files are read (whether they are programs at all) only in that
    // order until one is, so an archive of thousands of files reads a few. Documents, media and
    // libraries are never programs and are not read.
    struct TCandidate {
        int Rank;
        std::int64_t Size;
        int Index;
    };
    std::vector<TCandidate> candidates;
    for (int i = 0; i < Members.Count(); ++i) {
        const TFileMember& m = Members.Items(i);
        if (m.IsExcluded() || IsHelperProgramName(m.FileName) || IsDocumentName(m.FileName))
            continue;
        std::string stem = LowerAscii(m.FileName);
        if (stem.size() > 9 && stem.compare(stem.size() - 9, 9, ".appimage") == 0)
            stem = LowerAscii(ParseArchiveName(m.FileName).Name);
        const std::string plainStem = LowerAscii(RemoveFileExt(m.FileName));
        const int depth =
            static_cast<int>(std::count(m.ArchivePath.begin(), m.ArchivePath.end(), '/'));
        const bool atTop = depth <= (top.empty() ? 0 : 1);
        const bool inBin = m.ArchivePath.size() >= 4 &&
                           m.ArchivePath.compare(m.ArchivePath.size() - 4, 4, "bin/") == 0;
        // The one named like the application, the one a bundled entry starts, a launcher at the
        // top or in bin/ named like it, any at the top or in bin/, then any; the largest first
        // among equals.
        int rank = 5;
        if (std::find(names.begin(), names.end(), stem) != names.end() ||
            std::find(names.begin(), names.end(), plainStem) != names.end())
            rank = 0;
        else if (std::find(started.begin(), started.end(), m.FileName) != started.end())
            rank = 1;
        else if ((atTop || inBin) && nameLike(plainStem))
            rank = 2;
        else if (atTop || inBin)
            rank = 3;
        candidates.push_back({rank, static_cast<std::int64_t>(m.FileSize), i});
    }
    // The lowest rank, the largest first among equals, the first listed among equal sizes.
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const TCandidate& a, const TCandidate& b) {
                         return a.Rank != b.Rank ? a.Rank < b.Rank : a.Size > b.Size;
                     });
    int best = -1;
    for (const TCandidate& candidate : candidates)
        if (IsNativeProgram(Members.Items(candidate.Index))) {
            best = candidate.Index;
            break;
        }
    if (best < 0)
        return;
    TFileMember& main = Members.Items(best);
    main.SetRole(mrMain);
    main.SetShortcutFlags(scStartMenu);
    main.StartMenuPath =
        ExtractFileName(ExcludeTrailingPathDelimiter(GetSpecialFolder(SF_COMMON_PROGRAMS)));
    main.ShortcutOption.ShortcutName = ProgramShortcutName(main.FileName);
    // A command-line tool (an ELF program that links no windowing library, with no entry of
    // its own in the archive) is used from a terminal: a command, not a menu entry, unless the
    // user asks for one. A name already on PATH leaves it a menu entry.
    const std::string path = ExtractedPath(main);
    std::string why;
    if (started.empty() && ProgramKindOf(path) == TProgramKind::Elf && !LinksGuiLibraries(path) &&
        SetMainCommand(true, false, why))
        main.SetShortcutFlags(scFolders);
}

void TInstallAppInfo::ReadMainExeInfo(const TFileMember& member) {
    // A database record has no extracted files to read.
    if (workFolder_.empty())
        return;
    const std::string path = ExtractedPath(member);
    std::string value;
    if (GetVersionString(path, "ProductName", value))
        AppName = value.empty() ? RemoveFileExt(member.FileName) : value;
    if (GetVersionString(path, "ProductVersion", value))
        Version = value;
}

void TInstallAppInfo::IdentityForUpdate(const TInstallAppInfo& record, std::string& name,
                                        std::string& version) const {
    name = record.AppName;
    version = Version.empty() ? record.Version : Version;
    const int main = Members.MainIndex();
    if (main < 0 || workFolder_.empty())
        return;
    const std::string path = ExtractedPath(Members.Items(main));
    std::string value;
    if (GetVersionString(path, "ProductName", value) && !value.empty())
        name = value;
    if (GetVersionString(path, "ProductVersion", value) && !value.empty())
        version = value;
}

std::string TInstallAppInfo::MakeWorkFolder() {
    const std::string data = GetDataFolder();
    if (data.empty())
        return {};
    CreateFolderPath(data);
    std::uniform_int_distribution<std::uint32_t> draw(0, 2147483646);
    // A folder that exists already may hold files of another archive, which would then enter
    // this plan: draw again until the name is new. Creating the one folder level is the claim.
    for (int attempt = 0; attempt < 100; ++attempt) {
        char hex[16];
        const std::uint32_t number =
            WorkFolderNumber ? WorkFolderNumber() : draw(WorkFolderRandom());
        std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(number));
        const std::string path = data + hex + PathDelim;
        if (!CreateFolder(path)) // mkdir refuses any entry already there, a dangling link too
            continue;
        // Another program's start may take the new folder for a stale one and delete it before
        // the claim: then it is not this record's folder any more.
        if (workLock_.Acquire(path))
            return path;
    }
    // No fresh folder could be claimed. The last name drawn may be a folder that exists, so it
    // is not handed out: without a working folder nothing is extracted, scanned or deleted.
    return {};
}

void TInstallAppInfo::RemoveWorkFolder() {
    if (!workFolder_.empty() && FolderExists(workFolder_))
        DeleteFolderTree(workFolder_, true, true); // a leftover folder is harmless; not reported
    workLock_.Release();
}

int TInstallAppInfo::RemoveStaleWorkFolders() {
    const std::string data = GetDataFolder();
    std::vector<FoundEntry> entries;
    if (data.empty() || !EnumerateFolder(data, entries))
        return 0;
    // Only names this program gives its working folders: eight hexadecimal digits.
    const auto isWorkFolderName = [](const std::string& name) {
        return name.size() == 8 && std::all_of(name.begin(), name.end(), [](char c) {
                   return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
               });
    };
    int removed = 0;
    for (const FoundEntry& entry : entries) {
        if (!entry.isFolder || entry.isSymlink || !isWorkFolderName(entry.name))
            continue;
        // Held while it is deleted, so no program can claim it half-way through.
        TFolderLock lock;
        const std::string path = data + entry.name + PathDelim;
        if (lock.Acquire(path) && DeleteFolderTree(path, true, true))
            ++removed;
    }
    return removed;
}

void TInstallAppInfo::SaveToStream(TStream& stream) const {
    // The body first, in memory, so its length can precede it.
    TMemoryStream body;
    WriteInt32(body, AppId);
    WriteString(body, AppName);
    WriteString(body, Version);
    WriteString(body, ExtractFileName(ArchiveName));
    WriteDouble(body, FirstInstallDate);
    WriteDouble(body, LastUpdateDate);
    WriteZeros(body, 8);
    Members.SaveToStream(body);
    WriteInt64(stream, body.Size());
    stream.WriteBuffer(body.Bytes().data(), body.Bytes().size());
}

void TInstallAppInfo::LoadFromStream(TStream& stream) {
    // Everything is read before anything is changed, so a damaged record leaves this one whole.
    SkipBytes(stream, 8); // the length prefix; the items themselves say where the record ends
    const std::int32_t appId = ReadInt32(stream);
    std::string appName = ReadString(stream);
    std::string version = ReadString(stream);
    std::string archiveName = ReadString(stream);
    const double firstInstallDate = ReadDouble(stream);
    const double lastUpdateDate = ReadDouble(stream);
    SkipBytes(stream, 8);
    TFileMembers members(this);
    members.LoadFromStream(stream);

    AppId = appId;
    AppName = std::move(appName);
    Version = std::move(version);
    ArchiveName = std::move(archiveName);
    FirstInstallDate = firstInstallDate;
    LastUpdateDate = lastUpdateDate;
    Members.TakeFrom(members);
}

} // namespace qm
