#include "model/UpdateTarget.h"

#include "model/FileUtils.h"

#include <algorithm>
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

// The folder the installed copy was put in: a member installed where its archive folder is
// below the root gives the root back. The main executable's answer counts first. Empty when no
// member gives one (every folder chosen by hand).
std::string InstalledRoot(const TFileMembers& installed) {
    std::string root;
    for (int i = 0; i < installed.Count(); ++i) {
        const TFileMember& old = installed.Items(i);
        std::string relative = old.ArchivePath;
        if (!relative.empty() && relative.front() == '/')
            relative.erase(0, 1);
        std::replace(relative.begin(), relative.end(), '/', PathDelim);
        if (!relative.empty())
            relative = WithTrailingDelim(relative);
        const std::string folder = old.GetInstallDir();
        if (folder.size() <= relative.size() ||
            folder.compare(folder.size() - relative.size(), relative.size(), relative) != 0)
            continue;
        const std::string candidate = folder.substr(0, folder.size() - relative.size());
        if (old.Role() == mrMain)
            return candidate;
        if (root.empty())
            root = candidate;
    }
    return root;
}

} // namespace

void TakeOverInstalled(TFileMembers& plan, const TFileMembers& installed) {
    std::vector<bool> tookOver(static_cast<size_t>(plan.Count()), false);
    for (int i = 0; i < installed.Count(); ++i) {
        const TFileMember& old = installed.Items(i);
        if (TFileMember* m = plan.Find(old.FileName, old.ArchivePath)) {
            m->UpdateFrom(old);
            tookOver[static_cast<size_t>(plan.IndexOf(m))] = true;
        }
    }
    // A file the installed copy did not have goes where its neighbours went: below the folder
    // the installed copy was put in, not below the folder a new install would choose.
    const std::string root = InstalledRoot(installed);
    for (int i = 0; i < plan.Count() && !root.empty(); ++i)
        if (!tookOver[static_cast<size_t>(i)])
            plan.Items(i).SetInstallDir(root, false);
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

} // namespace qm
