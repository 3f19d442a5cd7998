#include "model/InstallOption.h"

#include "platform/Catalogue.h"
#include "platform/Exception.h"

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

void TInstallOption::LoadFromStream(TStream& stream) {
    std::uint8_t switches[8];
    stream.ReadBuffer(switches, sizeof switches);
    const auto flag = [](std::uint8_t value) {
        if (value > 1)
            throw EReadError(
                Args(Tr("InstallOption", "%1: 不正なスイッチ値"), Tr("Stream", SReadError)));
        return value == 1;
    };
    const auto ranged = [](std::uint8_t value, std::uint8_t last) {
        if (value > last)
            throw EReadError(
                Args(Tr("InstallOption", "%1: 範囲外の設定値"), Tr("Stream", SReadError)));
        return value;
    };
    ConfirmMode = ranged(switches[0], cmSkip);
    IsUpdate = flag(switches[1]);
    OverWrite = ranged(switches[2], owNever);
    AllUsers = flag(switches[3]);
    UpdateMode = ranged(switches[4], umCustomClean);
    AutoExit = flag(switches[5]);
    BootApp = flag(switches[6]);
    BootHelp = flag(switches[7]);
    WorkFolder = ReadString(stream);
}

} // namespace qm
