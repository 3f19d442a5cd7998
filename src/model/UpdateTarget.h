#pragma once
// Carrying the settings of an installed copy over to the plan of its new version, and taking
// them back when the plan turns out to be a new install after all.
#include "model/FileMember.h"
#include "model/InstallAppInfo.h"
#include "model/InstallList.h"

namespace qm {

// Lets each plan member that a member of the installed copy matches (same file name and archive
// folder, case ignored) take over that member's settings. Afterwards at most one member is the
// main executable and one the help file: the installed copy's choice wins over the one made when
// the archive was opened, and a member that loses its role this way also loses the shortcut it
// was given for that role.
void TakeOverInstalled(TFileMembers& plan, const TFileMembers& installed);

// The take-over of an update, the same in every front end: the members take over the installed
// copy's settings (TakeOverInstalled), and name and version are the new version's own as the
// plan gives them beside the record (IdentityForUpdate).
void TakeOverUpdate(TInstallAppInfo& plan, const TInstallAppInfo& record, std::string& name,
                    std::string& version);

// Puts the members' settings (install folder, target, role, shortcuts) back to those of a copy
// made before any take-over. The copy must hold the same members in the same order; members it
// does not match are left alone.
void RestoreMemberSettings(TFileMembers& plan, const TFileMembers& pristine);

// The installed application an opened plan is the next version of, among the records of list
// (the user's and the system's, LoadInstalled): by the archive's name and the main program's;
// failing that, by the application itself whatever the archive's name and layout (a vendor
// that packed one version flat and the next in folders): the same name and a main program of
// the same name but for its version. Null for a new install.
TInstallAppInfo* FindUpdateFor(TInstallList& list, const TInstallAppInfo& plan);

} // namespace qm
