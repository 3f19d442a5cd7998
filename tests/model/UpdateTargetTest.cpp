// Taking over an installed copy's settings, and taking them back.
#include "model/UpdateTarget.h"

#include <gtest/gtest.h>

using namespace qm;

namespace {

TFileMember& Add(TFileMembers& list, const char* folder, const char* name, std::uint8_t role = 0,
                 std::uint8_t flags = 0) {
    TFileMember& m = list.Add();
    m.ArchivePath = folder;
    m.FileName = name;
    m.SetRole(role);
    m.SetShortcutFlags(flags);
    m.IsTarget = true;
    m.SetInstallDir("/opt/new/", false);
    return m;
}

} // namespace

TEST(TakeOverInstalled, TheInstalledChoiceOfMainAndHelpWins) {
    // The new archive's own guess: launcher.exe main, readme.txt help, both with a shortcut.
    TFileMembers plan;
    TFileMember& guessedMain = Add(plan, "", "launcher.exe", mrMain, scStartMenu);
    TFileMember& guessedHelp = Add(plan, "", "readme.txt", mrHelp, scStartMenu);
    TFileMember& realMain = Add(plan, "bin/", "Tool.exe");
    TFileMember& realHelp = Add(plan, "doc/", "tool.chm");

    // The installed copy: bin/tool.exe main with a desktop shortcut, doc/tool.chm help, and
    // readme.txt an ordinary file the user left out of the install.
    TFileMembers installed;
    TFileMember& oldMain = Add(installed, "BIN/", "tool.exe", mrMain, scDesktop);
    oldMain.SetInstallDir("/opt/old/", true);
    Add(installed, "doc/", "tool.chm", mrHelp);
    Add(installed, "", "readme.txt").IsTarget = false;

    TakeOverInstalled(plan, installed);
    EXPECT_EQ(plan.MainIndex(), plan.IndexOf(&realMain));
    EXPECT_EQ(plan.HelpIndex(), plan.IndexOf(&realHelp));
    EXPECT_EQ(realMain.ShortcutFlags(), scDesktop);
    EXPECT_EQ(realMain.GetInstallDir(), "/opt/old/");
    // The guessed main executable is an ordinary file again, without the shortcut it had for
    // being the main one.
    EXPECT_EQ(guessedMain.Role(), mrNormal);
    EXPECT_EQ(guessedMain.ShortcutFlags(), 0);
    // readme.txt took the installed settings over: ordinary, not a target.
    EXPECT_EQ(guessedHelp.Role(), mrNormal);
    EXPECT_FALSE(guessedHelp.IsTarget);
    int mains = 0;
    for (int i = 0; i < plan.Count(); ++i)
        mains += plan.Items(i).Role() == mrMain;
    EXPECT_EQ(mains, 1);

    // An installed copy without a main executable leaves the plan's own.
    TFileMembers plan2;
    TFileMember& own = Add(plan2, "", "app.exe", mrMain, scStartMenu);
    TFileMembers installed2;
    Add(installed2, "", "data.bin");
    TakeOverInstalled(plan2, installed2);
    EXPECT_EQ(own.Role(), mrMain);
    EXPECT_EQ(own.ShortcutFlags(), scStartMenu);
}

// Installed below /opt/Tool/tool/ (the wizard's sub-folder): the new version's new files go
// there too, beside the files they belong with, not below the new install's folder.
TEST(TakeOverInstalled, NewFilesFollowTheInstalledCopysFolder) {
    TFileMembers plan;
    Add(plan, "", "tool.exe", mrMain);
    Add(plan, "doc/", "readme.txt");
    TFileMember& newDoc = Add(plan, "doc/", "changes.txt");
    TFileMember& newLib = Add(plan, "", "plugin.so");

    TFileMembers installed;
    Add(installed, "", "tool.exe", mrMain).SetInstallDir("/opt/Tool/tool/", false);
    Add(installed, "doc/", "readme.txt").SetInstallDir("/opt/Tool/tool/", false);

    TakeOverInstalled(plan, installed);
    EXPECT_EQ(newDoc.GetInstallDir(), "/opt/Tool/tool/doc/");
    EXPECT_EQ(newLib.GetInstallDir(), "/opt/Tool/tool/");
}

TEST(RestoreMemberSettings, PutsBackWhatTheArchiveAloneGave) {
    TFileMembers plan;
    Add(plan, "", "launcher.exe", mrMain, scStartMenu).StartMenuPath = "Launcher";
    Add(plan, "bin/", "tool.exe");
    TFileMembers pristine;
    pristine.CopyFrom(plan);

    TFileMembers installed;
    TFileMember& old = Add(installed, "bin/", "tool.exe", mrMain, scDesktop);
    old.SetInstallDir("/elsewhere/", true);
    old.IsTarget = false;
    TakeOverInstalled(plan, installed);
    ASSERT_EQ(plan.MainIndex(), 1);

    RestoreMemberSettings(plan, pristine);
    EXPECT_EQ(plan.MainIndex(), 0);
    EXPECT_EQ(plan.Items(0).ShortcutFlags(), scStartMenu);
    EXPECT_EQ(plan.Items(0).StartMenuPath, "Launcher");
    EXPECT_EQ(plan.Items(1).Role(), mrNormal);
    EXPECT_EQ(plan.Items(1).ShortcutFlags(), 0);
    EXPECT_TRUE(plan.Items(1).IsTarget);
    EXPECT_EQ(plan.Items(1).GetInstallDir(), "/opt/new/bin/");
}

// Vendors put each version below a folder named after it ("7za-19.00/" then "7za-21.07/"): the
// two top folders correspond whatever their names, and folders below them that differ only in
// their versions too. What the user set carries over (folder, role, shortcut and its name,
// the install flag), and a new file goes beside its neighbours, in the installed folders. An
// exact match wins over a looser one.
TEST(TakeOverInstalled, VersionedFoldersCorrespond) {
    TFileMembers installed;
    TFileMember& oldMain = Add(installed, "7za-19.00/", "7za.exe", mrMain, scDesktop);
    oldMain.SetInstallDir("/home/u/tools/7zip/", true); // moved by hand
    oldMain.ShortcutOption.ShortcutName = "7-Zip Console";
    Add(installed, "7za-19.00/", "license.txt", mrHelp)
        .SetInstallDir("/opt/7-Zip/7za-19.00/", true);
    Add(installed, "7za-19.00/plugins-1.2/", "a.dll")
        .SetInstallDir("/opt/7-Zip/7za-19.00/plugins-1.2/", true);
    TFileMember& skipped = Add(installed, "7za-19.00/", "history.txt");
    skipped.IsTarget = false;

    TFileMembers plan;
    TFileMember& main = Add(plan, "7za-21.07/", "7za.exe");
    TFileMember& help = Add(plan, "7za-21.07/", "license.txt");
    TFileMember& plugin = Add(plan, "7za-21.07/plugins-1.3/", "a.dll");
    TFileMember& history = Add(plan, "7za-21.07/", "history.txt");
    TFileMember& added = Add(plan, "7za-21.07/", "7zxa.dll");
    TFileMember& addedDeep = Add(plan, "7za-21.07/extra/", "b.dll");
    Add(plan, "7za-21.07/", "readme.txt", mrHelp); // the archive's own guess loses

    TakeOverInstalled(plan, installed);
    EXPECT_EQ(main.GetInstallDir(), "/home/u/tools/7zip/");
    EXPECT_EQ(main.Role(), mrMain);
    EXPECT_EQ(main.ShortcutFlags(), scDesktop);
    EXPECT_EQ(main.ShortcutOption.ShortcutName, "7-Zip Console");
    EXPECT_EQ(help.Role(), mrHelp);
    EXPECT_EQ(plan.HelpIndex(), plan.IndexOf(&help));
    EXPECT_EQ(plugin.GetInstallDir(), "/opt/7-Zip/7za-19.00/plugins-1.2/");
    EXPECT_FALSE(history.IsTarget);
    EXPECT_EQ(added.GetInstallDir(), "/home/u/tools/7zip/") << "beside the first neighbour taken";
    EXPECT_EQ(addedDeep.GetInstallDir(), "/opt/7-Zip/7za-19.00/extra/")
        << "below the installed copy's folder, in its folder names";

    // An exact folder wins over one alike but for its version.
    TFileMembers installed2;
    Add(installed2, "v2/", "x.txt").SetInstallDir("/opt/keep/v2/", true);
    TFileMembers plan2;
    TFileMember& alike = Add(plan2, "v3/", "x.txt");
    TFileMember& exact = Add(plan2, "v2/", "x.txt");
    TakeOverInstalled(plan2, installed2);
    EXPECT_EQ(exact.GetInstallDir(), "/opt/keep/v2/");
    EXPECT_NE(alike.GetInstallDir(), "/opt/keep/v2/");
}

// An install that put the contents of the archive's single top folder into its folder directly:
// a file of a new subfolder goes below that folder, never into one named after the old top.
TEST(TakeOverInstalled, ANewFolderGoesBelowAnInstallWithoutItsTopFolder) {
    TFileMembers installed;
    Add(installed, "app-1.0/", "app", mrMain).SetInstallDir("/opt/App/", true);
    Add(installed, "app-1.0/bin/", "helper").SetInstallDir("/opt/App/bin/", true);
    TFileMembers plan;
    TFileMember& main = Add(plan, "app-1.1/", "app");
    TFileMember& added = Add(plan, "app-1.1/lib/", "libx.so");
    TakeOverInstalled(plan, installed);
    EXPECT_EQ(main.GetInstallDir(), "/opt/App/");
    EXPECT_EQ(added.GetInstallDir(), "/opt/App/lib/");
}

// Every installed file in a folder chosen by hand: no folder of the installed copy can be told,
// and a new file keeps the plan's own folder instead of getting none (the installer would
// refuse the whole update).
TEST(TakeOverInstalled, NewFilesKeepTheirFolderWhenEveryInstalledOneWasMovedByHand) {
    TFileMembers installed;
    Add(installed, "bin/", "tool.exe", mrMain).SetInstallDir("/home/u/mine/", true);
    TFileMembers plan;
    Add(plan, "bin/", "tool.exe");
    TFileMember& added = Add(plan, "doc/", "new.txt");
    TakeOverInstalled(plan, installed);
    EXPECT_EQ(added.GetInstallDir(), "/opt/new/doc/");
}

// Top folders correspond whatever their names, also names not alike at all ("release/" and
// "dist/"); and the folder the main program was installed in counts first when the members
// disagree about the installed copy's folder.
TEST(TakeOverInstalled, TopFoldersOfAnyNameAndTheMainProgramsFolderFirst) {
    TFileMembers installed;
    Add(installed, "release/", "tool.exe", mrMain, scDesktop)
        .SetInstallDir("/opt/T/release/", true);
    TFileMembers plan;
    TFileMember& main = Add(plan, "dist/", "tool.exe");
    TakeOverInstalled(plan, installed);
    EXPECT_EQ(main.GetInstallDir(), "/opt/T/release/");
    EXPECT_EQ(main.ShortcutFlags(), scDesktop);

    // The folder that corresponds exactly wins over one alike but for its version, whatever
    // comes first in the archive.
    TFileMembers installed3;
    Add(installed3, "rel/sub-1.0/", "x.txt").SetInstallDir("/opt/keep/", true);
    TFileMembers plan3;
    TFileMember& alike = Add(plan3, "dist/sub-2.0/", "x.txt");
    TFileMember& exact = Add(plan3, "dist/sub-1.0/", "x.txt");
    TakeOverInstalled(plan3, installed3);
    EXPECT_EQ(exact.GetInstallDir(), "/opt/keep/");
    EXPECT_NE(alike.GetInstallDir(), "/opt/keep/");

    TFileMembers installed2;
    Add(installed2, "", "readme.txt").SetInstallDir("/elsewhere/", true);
    Add(installed2, "", "tool.exe", mrMain).SetInstallDir("/opt/A/", true);
    TFileMembers plan2;
    Add(plan2, "", "readme.txt");
    Add(plan2, "", "tool.exe");
    TFileMember& added = Add(plan2, "doc/", "new.txt");
    TakeOverInstalled(plan2, installed2);
    EXPECT_EQ(added.GetInstallDir(), "/opt/A/doc/");
}
