#pragma once
// What kind of program a file is, told by its first bytes, not its name: a Linux program (an ELF
// executable, position-independent ones included), an AppImage (an ELF program that carries its
// own file system), a script with "#!", or none of these (a shared library, data, a Windows
// program).
#include <string>
#include <vector>

namespace qm {

enum class TProgramKind { None, Elf, AppImage, Script };

TProgramKind ProgramKindOf(const std::string& path);

// The libraries an ELF program names as needed (DT_NEEDED), in their order; none for a static
// program or a file that is no ELF file.
std::vector<std::string> ElfNeededLibraries(const std::string& path);
// Whether a program draws windows by what it links: X11, Wayland, GTK, Qt, SDL, OpenGL and
// the like among its needed libraries.
bool LinksGuiLibraries(const std::string& path);

// What a Windows program's headers say: whether the file is a PE image at all, whether it is a
// 64-bit one (PE32+), its machine and its subsystem (2 a window, 3 the console).
struct TPeFacts {
    bool Pe = false;
    bool Is64 = false;
    unsigned Machine = 0;
    unsigned Subsystem = 0;
};
TPeFacts PeFactsOf(const std::string& path);

// Whether a program writes to a console and shows nothing of its own: a Windows program of the
// console subsystem, or an ELF program that links no windowing library. Such a program runs in
// a terminal, from its menu entry and when started after the install.
bool IsConsoleProgram(const std::string& path);

// Which Windows programs this machine's wine runs: 64-bit ones (wine64), 32-bit ones (wine32,
// the i386 part), none without wine. Looked up once.
struct TWineAbility {
    bool Any = false;
    bool Runs64 = false;
    bool Runs32 = false;
};
TWineAbility WineAbility();

} // namespace qm
