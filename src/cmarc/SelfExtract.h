#pragma once
// Self-extracting archives built by the program itself: a stub module followed by the archive.
#include "cmarc/ArchiveCommon.h"

#include <array>
#include <string>

namespace qm {

// The standard search for a module file: the program's library folders, the program's folder,
// the current folder, then PATH. "" when it is nowhere.
std::string SearchModuleFile(const std::string& fileName);

// The file a self-extracting archive is written to: the archive's name with `extension`
// instead of its own; inside `destination` when one is given.
std::string SfxTargetName(const std::string& archive, const std::string& extension,
                          const std::string& destination);

// Writes the module and then the archive into the target (created or truncated); with
// appendSize the archive's length follows as 4 bytes, most significant first. Both sources are
// opened before the target is touched.
void CopySfx(const std::string& target, const std::string& module, const std::string& archive,
             bool appendSize);

// The 7-Zip stub in use ("7z.sfx" unless changed) and the stubs 7-Zip ships.
extern std::string SevenZipSfxModule;
extern const std::array<const char*, 4> SevenZipSfxModules;

} // namespace qm
