#pragma once
// What kind of program a file is, told by its first bytes, not its name: a Linux program (an ELF
// executable, position-independent ones included), an AppImage (an ELF program that carries its
// own file system), a script with "#!", or none of these (a shared library, data, a Windows
// program).
#include <string>

namespace qm {

enum class TProgramKind { None, Elf, AppImage, Script };

TProgramKind ProgramKindOf(const std::string& path);

} // namespace qm
