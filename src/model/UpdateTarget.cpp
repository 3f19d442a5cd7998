#include "model/UpdateTarget.h"

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
