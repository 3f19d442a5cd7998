#pragma once
// Every section and key the program keeps in its settings file, with its type and default, in
// one place. Readers go through these entries so no default is ever written twice.
#include "settings/ExtIniFile.h"

#include <array>
#include <cstdint>
#include <string>

namespace qm {

enum class TConfigType { Integer, Boolean, FormState, ColumnWidths };

struct TConfigKey {
    const char* Section;
    const char* Key;
    TConfigType Type;
    std::int32_t Default; // booleans: 0 false, 1 true; forms and columns default to the current
};

namespace cfg {

// [Default]: the install choices of the options dialog.
inline constexpr TConfigKey UpdateMode{"Default", "UpdateMode", TConfigType::Integer, 0};
inline constexpr TConfigKey OverWrite{"Default", "OverWrite", TConfigType::Integer, 1};
inline constexpr TConfigKey ConfirmMode{"Default", "ConfirmMode", TConfigType::Integer, 0};
inline constexpr TConfigKey BootApp{"Default", "BootApp", TConfigType::Boolean, 0};
inline constexpr TConfigKey BootHelp{"Default", "BootHelp", TConfigType::Boolean, 0};
inline constexpr TConfigKey AutoExit{"Default", "AutoExit", TConfigType::Boolean, 0};
// [Options]
inline constexpr TConfigKey Wizard{"Options", "Wizard", TConfigType::Boolean, 1};
// Whether the window looks for newer versions of the applications with a source at start, at
// most once a day (the date of the last look under LastCheckKey).
inline constexpr TConfigKey CheckUpdates{"Options", "CheckUpdates", TConfigType::Boolean, 0};
inline constexpr const char* LastCheckKey = "LastUpdateCheck";

// [Forms]: placements under the form's component name; [Cols]: list column widths under the
// list's name + "." + column index. Both default to the form's current (designed) values.
inline constexpr const char* FormsSection = "Forms";
inline constexpr const char* ColsSection = "Cols";
inline constexpr TConfigKey FormMain{FormsSection, "frmMain", TConfigType::FormState, 0};
inline constexpr TConfigKey FormAppList{FormsSection, "frmAppList", TConfigType::FormState, 0};
inline constexpr TConfigKey FormAppInfo{FormsSection, "frmAppInfo", TConfigType::FormState, 0};
inline constexpr TConfigKey FormUninstall{FormsSection, "frmUninstall", TConfigType::FormState, 0};
inline constexpr TConfigKey ColsMain{ColsSection, "Main", TConfigType::ColumnWidths, 4};
inline constexpr TConfigKey ColsAppList{ColsSection, "AppList", TConfigType::ColumnWidths, 7};
inline constexpr TConfigKey ColsAppInfo{ColsSection, "AppInfo", TConfigType::ColumnWidths, 4};
inline constexpr TConfigKey ColsUninst{ColsSection, "Uninst", TConfigType::ColumnWidths, 3};

// The folder of the archive opened last, where the open dialog starts the next time (a text,
// outside the typed table; empty: the downloads folder).
inline constexpr const char* LastFolderSection = "Options";
inline constexpr const char* LastFolderKey = "LastFolder";

// The whole table, for anyone who needs to walk it (for column widths, Default is the number
// of columns of that list).
inline constexpr std::array<TConfigKey, 16> All{UpdateMode, OverWrite,   ConfirmMode, BootApp,
                                                BootHelp,   AutoExit,    Wizard,      CheckUpdates,
                                                FormMain,   FormAppList, FormAppInfo, FormUninstall,
                                                ColsMain,   ColsAppList, ColsAppInfo, ColsUninst};

} // namespace cfg

// Typed access through the table. An integer key of the wrong type is a programming error the
// compiler cannot see, so these check nothing beyond using the key's own default.
inline std::int32_t ReadConfigInt(const TExtIniFile& ini, const TConfigKey& key) {
    return ini.ReadInteger(key.Section, key.Key, key.Default);
}
inline bool ReadConfigBool(const TExtIniFile& ini, const TConfigKey& key) {
    return ini.ReadBool(key.Section, key.Key, key.Default != 0);
}
inline void WriteConfigInt(TExtIniFile& ini, const TConfigKey& key, std::int32_t value) {
    ini.WriteInteger(key.Section, key.Key, value);
}
inline void WriteConfigBool(TExtIniFile& ini, const TConfigKey& key, bool value) {
    ini.WriteBool(key.Section, key.Key, value);
}
// The key of one column width of a list ("Main.0").
inline std::string ColumnKey(const TConfigKey& list, int column) {
    return std::string(list.Key) + "." + std::to_string(column);
}

} // namespace qm
