#pragma once
// The choices of one install run, handed to the installer executable after the plan in the
// install instruction file. The program writes it; the installer reads it.
#include "model/Stream.h"

#include <cstdint>
#include <string>

namespace qm {

// Overwrite policy for files that exist already.
constexpr std::uint8_t owAlways = 0;
constexpr std::uint8_t owIfNewer = 1;
constexpr std::uint8_t owIfChanged = 2;
constexpr std::uint8_t owBackup = 3;
constexpr std::uint8_t owNever = 4;

// What to do with an existing file that is not overwritten.
constexpr std::uint8_t cmConfirm = 0;
constexpr std::uint8_t cmSkip = 1;

// How an update treats the installed copy.
constexpr std::uint8_t umOverwrite = 0;
constexpr std::uint8_t umAutoClean = 1;
constexpr std::uint8_t umCustomClean = 2;

class TInstallOption {
public:
    bool AutoExit = false; // close this program once the installer has been started
    bool BootApp = false;  // start the application after installing
    bool BootHelp = false; // show the help file after installing
    std::uint8_t ConfirmMode = cmConfirm;
    bool IsUpdate = false;
    std::uint8_t OverWrite = owAlways;
    bool AllUsers = false;
    std::uint8_t UpdateMode = umOverwrite;
    std::string WorkFolder; // the plan's working folder with the extracted files

    // Eight bytes in the order the installer reads them (not the field order), then WorkFolder.
    void SaveToStream(TStream& stream) const;
    // The same layout read back (by the installer). A switch that is not 0 or 1, or a policy or
    // mode outside its range, raises EReadError: the file was not written by this program.
    void LoadFromStream(TStream& stream);
};

} // namespace qm
