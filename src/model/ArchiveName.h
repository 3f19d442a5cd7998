#pragma once
// An application's name and version as vendors write them into the file names of their
// archives ("MyApp-1.2.0-linux-x86_64.tar.xz", "go1.23.4.linux-amd64.tar.gz",
// "Obsidian-1.7.7.AppImage"): the archive's extensions (".tar.xz" whole) go, words that name a
// platform or a packaging (linux, x86_64, amd64, musl, portable, bin, ...) go wherever they stand,
// the first part that looks like a version is the version, and what comes before it the name.
#include <string>

namespace qm {

struct TArchiveNameParts {
    std::string Name;
    std::string Version; // empty when the name holds none
};

TArchiveNameParts ParseArchiveName(const std::string& fileName);
// The file name without its folder and its archive extensions ("linux-6.6.8.tar.xz" gives
// "linux-6.6.8").
std::string ArchiveBaseName(const std::string& fileName);

// The name a program's shortcut gets unless the user gives one: the file name without its
// extension; one that carries a version (an AppImage's, "tool-1.2-linux") without its version
// and platform words too ("MyTool-2.4.1-x86_64.AppImage" gives "MyTool"), so the next version's
// shortcut is the same.
std::string ProgramShortcutName(const std::string& fileName);
// A program's file name without the version and platform words it carries ("tool-1.2-linux"
// gives "tool"); "" when it carries no version (one with a dot: "notifu64" and "7za" carry
// none).
std::string VersionlessProgramName(const std::string& fileName);

// A folder (with a trailing PathDelim) with a subfolder of the application's name below it,
// unless the folder is named so already (ASCII case ignored): the name never goes in twice.
std::string WithSubfolder(const std::string& folder, const std::string& name);

} // namespace qm
