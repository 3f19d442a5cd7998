#include "model/UpdateTarget.h"

#include "model/FileUtils.h"
#include "model/InstallList.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <unordered_map>
#include <vector>

namespace qm {

namespace {

// Keeps the role on one member: the first that took it over from the installed copy, else the
// first that has it.
void KeepOneWithRole(TFileMembers& plan, const std::vector<bool>& tookOver, std::uint8_t role) {
    int keep = -1;
    for (int i = 0; i < plan.Count() && keep < 0; ++i)
        if (tookOver[static_cast<size_t>(i)] && plan.Items(i).Role() == role)
            keep = i;
    for (int i = 0; i < plan.Count() && keep < 0; ++i)
        if (plan.Items(i).Role() == role)
            keep = i;
    for (int i = 0; i < plan.Count(); ++i) {
        TFileMember& m = plan.Items(i);
        if (i == keep || m.Role() != role)
            continue;
        m.SetRole(mrNormal);
        // The shortcut of a member the installed copy knows is the user's own choice; the one of
        // a new member came with the role it just lost.
        if (!tookOver[static_cast<size_t>(i)])
            m.SetShortcutFlags(0);
    }
}

// The folder part of an archive path as one name per element, "" at the root.
std::vector<std::string> FolderParts(const std::string& archivePath) {
    std::vector<std::string> parts;
    std::string part;
    for (const char c : archivePath) {
        if (c == '/') {
            if (!part.empty())
                parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty())
        parts.push_back(part);
    return parts;
}

std::string JoinFolder(const std::vector<std::string>& parts, std::size_t from = 0) {
    std::string path;
    for (std::size_t i = from; i < parts.size(); ++i)
        path += parts[i] + "/";
    return path;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// A folder name without the parts that name a version: digits and the dots between them, a "v"
// right before a number, and pre-release words with their number ("-rc1", "-beta2", "alpha").
// "7za-19.00" and "7za-21.07" both give "7za-"; "MyApp-v1.2.0-beta2" gives "myapp-".
std::string WithoutVersion(const std::string& name) {
    std::string lower;
    for (const char c : name)
        lower += LowerAscii(c);
    static const char* const words[] = {"alpha", "beta", "rc", "pre", "preview", "dev"};
    std::string out;
    std::size_t i = 0;
    while (i < lower.size()) {
        const char c = lower[i];
        if (IsDigit(c) ||
            (c == '.' && !out.empty() && i + 1 < lower.size() && IsDigit(lower[i + 1]))) {
            ++i;
            continue;
        }
        if (c == 'v' && i + 1 < lower.size() && IsDigit(lower[i + 1]) &&
            (i == 0 || !std::isalpha(static_cast<unsigned char>(lower[i - 1])))) {
            ++i;
            continue;
        }
        bool word = false;
        for (const char* w : words) {
            const std::size_t n = std::char_traits<char>::length(w);
            if (lower.compare(i, n, w) == 0 &&
                (i + n == lower.size() || IsDigit(lower[i + n]) ||
                 !std::isalpha(static_cast<unsigned char>(lower[i + n]))) &&
                (i == 0 || !std::isalpha(static_cast<unsigned char>(lower[i - 1])))) {
                i += n;
                word = true;
                break;
            }
        }
        if (word)
            continue;
        out += c;
        ++i;
    }
    // Separators left dangling by what was removed ("7za-" from "7za-19.00") compare alike.
    while (!out.empty() &&
           (out.back() == '-' || out.back() == '_' || out.back() == '.' || out.back() == ' '))
        out.pop_back();
    return out;
}

// The chain of single folders every member lies below, as folder names (none when they do not
// all share one), as a new install leaves them out of the install folder.
std::vector<std::string> SingleTopFolder(const TFileMembers& members) {
    return FolderParts(TopFolderOf(members));
}

// Whether path's folders begin with those of top.
bool BeginsWith(const std::vector<std::string>& parts, const std::vector<std::string>& top) {
    return parts.size() >= top.size() && std::equal(top.begin(), top.end(), parts.begin());
}

// How the archive folders of the installed copy and the new archive correspond: the top folder
// chains of both to each other, whatever their names and depths (a flat archive and a foldered
// one alike); below that, folders whose names differ only in version-like parts.
class TFolderMatch {
public:
    TFolderMatch(const TFileMembers& installed, const TFileMembers& plan)
        : FOldTop(SingleTopFolder(installed)), FNewTop(SingleTopFolder(plan)),
          FOldFirst(FOldTop.begin(), FOldTop.begin() + (FOldTop.empty() ? 0 : 1)),
          FNewFirst(FNewTop.begin(), FNewTop.begin() + (FNewTop.empty() ? 0 : 1)) {}

    // The installed copy's folder in the new archive's terms (exact names where they agree):
    // the whole top chains exchanged, or (shallow) only their first folders, for an archive
    // whose chain is deeper only because it holds fewer folders.
    std::string OldToNew(const std::string& oldPath, bool shallow = false) const {
        return shallow ? Swap(oldPath, FOldFirst, FNewFirst) : Swap(oldPath, FOldTop, FNewTop);
    }
    std::string NewToOld(const std::string& newPath) const {
        return Swap(newPath, FNewTop, FOldTop);
    }

    // Whether two folders (already in one archive's terms) are the same but for versions.
    static bool Alike(const std::string& a, const std::string& b) {
        const std::vector<std::string> pa = FolderParts(a), pb = FolderParts(b);
        if (pa.size() != pb.size())
            return false;
        for (std::size_t i = 0; i < pa.size(); ++i)
            if (!SameText(pa[i], pb[i]) && WithoutVersion(pa[i]) != WithoutVersion(pb[i]))
                return false;
        return true;
    }

private:
    std::string Swap(const std::string& path, const std::vector<std::string>& from,
                     const std::vector<std::string>& to) const {
        if (from == to || (!path.empty() && path.front() == '/'))
            return path;
        std::vector<std::string> parts = FolderParts(path);
        if (!BeginsWith(parts, from))
            return path;
        std::vector<std::string> swapped = to;
        swapped.insert(swapped.end(), parts.begin() + static_cast<std::ptrdiff_t>(from.size()),
                       parts.end());
        return JoinFolder(swapped);
    }

    std::vector<std::string> FOldTop, FNewTop, FOldFirst, FNewFirst;
};

// The folder the installed copy was put in: a member installed where its archive folder is
// below the root gives the root back. The main executable's answer counts first. Empty when no
// member gives one (every folder chosen by hand). The contents of a single top folder may have
// gone into the root directly (topStripped), as a new install puts them; only a member in a
// folder below the top one tells so, as one at the top could have been put anywhere by hand.
std::string InstalledRoot(const TFileMembers& installed, bool& topStripped) {
    const std::vector<std::string> top = SingleTopFolder(installed);
    for (const bool strip : {false, true}) {
        if (strip && top.empty())
            break;
        std::string root;
        for (int i = 0; i < installed.Count(); ++i) {
            const TFileMember& old = installed.Items(i);
            std::string relative = old.ArchivePath;
            if (!relative.empty() && relative.front() == '/')
                relative.erase(0, 1);
            if (strip) {
                const std::vector<std::string> parts = FolderParts(relative);
                if (parts.size() <= top.size())
                    continue;
                relative = JoinFolder(parts, top.size());
            }
            std::replace(relative.begin(), relative.end(), '/', PathDelim);
            if (!relative.empty())
                relative = WithTrailingDelim(relative);
            const std::string folder = old.GetInstallDir();
            if (folder.size() <= relative.size() ||
                folder.compare(folder.size() - relative.size(), relative.size(), relative) != 0)
                continue;
            const std::string candidate = folder.substr(0, folder.size() - relative.size());
            topStripped = strip;
            if (old.Role() == mrMain)
                return candidate;
            if (root.empty())
                root = candidate;
        }
        if (!root.empty())
            return root;
    }
    topStripped = false;
    return {};
}

// An archive folder in the installed copy's terms without its top folder, when it lies in it
// ("app-1.2/bin/" gives "bin/").
std::string WithoutTop(const std::string& path, const std::vector<std::string>& top) {
    const std::vector<std::string> parts = FolderParts(path);
    if (top.empty() || (!path.empty() && path.front() == '/') || !BeginsWith(parts, top))
        return path;
    return JoinFolder(parts, top.size());
}

// The plan member an installed member stands for: the same name in the same folder (case
// ignored), else in the folder that corresponds to it; one not taken yet. sameName lists the
// plan members of the installed member's name, in the plan's order.
int MatchMember(const TFileMembers& plan, const std::vector<int>& sameName, const TFileMember& old,
                const TFolderMatch& folders, const std::vector<bool>& taken, int pass) {
    if (pass == 3) {
        // The main programs of both, named alike but for their versions (an AppImage carries
        // its version in its name: "MyTool-2.4.0-x86_64.AppImage", "MyTool-2.4.1-...").
        if (old.Role() != mrMain)
            return -1;
        for (int i = 0; i < plan.Count(); ++i) {
            const TFileMember& m = plan.Items(i);
            if (!taken[static_cast<size_t>(i)] && m.Role() == mrMain &&
                WithoutVersion(m.FileName) == WithoutVersion(old.FileName))
                return i;
        }
        return -1;
    }
    for (const int i : sameName) {
        if (taken[static_cast<size_t>(i)])
            continue;
        const TFileMember& m = plan.Items(i);
        switch (pass) {
        case 0: // exact
            if (SameText(m.ArchivePath, old.ArchivePath))
                return i;
            break;
        case 1: // the top folders exchanged
            if (SameText(m.ArchivePath, folders.OldToNew(old.ArchivePath)) ||
                SameText(m.ArchivePath, folders.OldToNew(old.ArchivePath, true)))
                return i;
            break;
        case 2: // folders alike but for versions
            if (TFolderMatch::Alike(m.ArchivePath, folders.OldToNew(old.ArchivePath)) ||
                TFolderMatch::Alike(m.ArchivePath, folders.OldToNew(old.ArchivePath, true)))
                return i;
            break;
        }
    }
    return -1;
}

} // namespace

void TakeOverUpdate(TInstallAppInfo& plan, const TInstallAppInfo& record, std::string& name,
                    std::string& version) {
    TakeOverInstalled(plan.Members, record.Members);
    plan.IdentityForUpdate(record, name, version);
}

void TakeOverInstalled(TFileMembers& plan, const TFileMembers& installed) {
    std::vector<bool> tookOver(static_cast<size_t>(plan.Count()), false);
    std::vector<bool> matched(static_cast<size_t>(installed.Count()), false);
    const TFolderMatch folders(installed, plan);
    // The plan's members by name, so that each installed member looks only at its namesakes.
    std::unordered_map<std::string, std::vector<int>> byName;
    for (int i = 0; i < plan.Count(); ++i)
        byName[FoldedText(plan.Items(i).FileName)].push_back(i);
    std::vector<const std::vector<int>*> namesakes(static_cast<size_t>(installed.Count()));
    static const std::vector<int> none;
    for (int i = 0; i < installed.Count(); ++i) {
        const auto found = byName.find(FoldedText(installed.Items(i).FileName));
        namesakes[static_cast<size_t>(i)] = found == byName.end() ? &none : &found->second;
    }
    // Exact matches first, so a looser one never takes a member an exact one stands for.
    for (int pass = 0; pass < 4; ++pass)
        for (int i = 0; i < installed.Count(); ++i) {
            if (matched[static_cast<size_t>(i)])
                continue;
            const int at = MatchMember(plan, *namesakes[static_cast<size_t>(i)], installed.Items(i),
                                       folders, tookOver, pass);
            if (at < 0)
                continue;
            plan.Items(at).UpdateFrom(installed.Items(i));
            tookOver[static_cast<size_t>(at)] = true;
            matched[static_cast<size_t>(i)] = true;
        }
    // A file the installed copy did not have goes where its neighbours went: into the folder of
    // a member of its own archive folder that was taken over; else below the folder the
    // installed copy was put in, in the installed copy's folder names, not below the folder a
    // new install would choose.
    // Of the neighbours, the main program counts first, then one that sits where its archive
    // folder put it (not moved by hand elsewhere), then any.
    bool topStripped = false;
    const std::string root = InstalledRoot(installed, topStripped);
    // Once for all members: it walks every member of the installed copy.
    const std::vector<std::string> installedTop =
        topStripped ? SingleTopFolder(installed) : std::vector<std::string>();
    std::unordered_map<std::string, std::pair<int, std::string>> neighbourDir;
    for (int i = 0; i < plan.Count(); ++i) {
        if (!tookOver[static_cast<size_t>(i)])
            continue;
        const TFileMember& m = plan.Items(i);
        std::string onDisk = folders.NewToOld(m.ArchivePath);
        if (topStripped)
            onDisk = WithoutTop(onDisk, installedTop);
        if (!onDisk.empty() && onDisk.front() == '/')
            onDisk.erase(0, 1);
        std::replace(onDisk.begin(), onDisk.end(), '/', PathDelim);
        const std::string dir = m.GetInstallDir();
        const bool inPlace = dir.size() >= onDisk.size() &&
                             dir.compare(dir.size() - onDisk.size(), onDisk.size(), onDisk) == 0;
        const int rank = m.Role() == mrMain ? 3 : inPlace ? 2 : 1;
        auto [it, added] = neighbourDir.emplace(m.ArchivePath, std::make_pair(rank, dir));
        if (!added && rank > it->second.first)
            it->second = {rank, dir};
    }
    for (int i = 0; i < plan.Count(); ++i) {
        if (tookOver[static_cast<size_t>(i)])
            continue;
        TFileMember& m = plan.Items(i);
        if (const auto it = neighbourDir.find(m.ArchivePath); it != neighbourDir.end())
            m.SetInstallDir(it->second.second, true);
        else if (!root.empty()) {
            std::string folder = folders.NewToOld(m.ArchivePath);
            if (topStripped)
                folder = WithoutTop(folder, installedTop);
            if (!folder.empty() && folder.front() == '/')
                folder.erase(0, 1);
            std::replace(folder.begin(), folder.end(), '/', PathDelim);
            m.SetInstallDir(root + folder, true);
        }
    }
    KeepOneWithRole(plan, tookOver, mrMain);
    KeepOneWithRole(plan, tookOver, mrHelp);
}

void RestoreMemberSettings(TFileMembers& plan, const TFileMembers& pristine) {
    for (int i = 0; i < plan.Count() && i < pristine.Count(); ++i) {
        TFileMember& m = plan.Items(i);
        const TFileMember& p = pristine.Items(i);
        if (m.FileName != p.FileName || m.ArchivePath != p.ArchivePath)
            continue;
        m.IsTarget = p.IsTarget;
        m.SetInstallDir(p.InstallDir(), true);
        m.StartMenuPath = p.StartMenuPath;
        m.ShortcutFolders = p.ShortcutFolders;
        m.ShortcutOption.Assign(p.ShortcutOption);
        m.InstallDate = p.InstallDate;
        m.DateCompare = 0;
        m.SizeDelta = 0;
        m.SetRole(p.Role());
        m.SetShortcutFlags(p.ShortcutFlags());
    }
}

TInstallAppInfo* FindUpdateFor(TInstallList& list, const TInstallAppInfo& plan) {
    const int main = plan.Members.MainIndex();
    const std::string mainExe = main >= 0 ? plan.Members.Items(main).FileName : std::string();
    if (TInstallAppInfo* found = list.FindUpdateTarget(ExtractFileName(plan.ArchiveName), mainExe))
        return found;
    if (plan.AppName.empty() || mainExe.empty())
        return nullptr;
    const std::string program = WithoutVersion(RemoveFileExt(mainExe));
    for (int i = 0; i < list.Count(); ++i) {
        TInstallAppInfo& record = list.Items(i);
        const int recordMain = record.Members.MainIndex();
        if (recordMain < 0 || !SameText(record.AppName, plan.AppName))
            continue;
        if (WithoutVersion(RemoveFileExt(record.Members.Items(recordMain).FileName)) == program)
            return &record;
    }
    return nullptr;
}

} // namespace qm
