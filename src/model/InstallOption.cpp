#include "model/InstallOption.h"

namespace qm {

void TInstallOption::SaveToStream(TStream& stream) const {
    // Collected first so that the eight switches go out in one piece.
    const std::uint8_t switches[8] = {
        ConfirmMode,
        static_cast<std::uint8_t>(IsUpdate ? 1 : 0),
        OverWrite,
        static_cast<std::uint8_t>(AllUsers ? 1 : 0),
        UpdateMode,
        static_cast<std::uint8_t>(AutoExit ? 1 : 0),
        static_cast<std::uint8_t>(BootApp ? 1 : 0),
        static_cast<std::uint8_t>(BootHelp ? 1 : 0),
    };
    stream.WriteBuffer(switches, sizeof switches);
    WriteString(stream, WorkFolder);
}

} // namespace qm
