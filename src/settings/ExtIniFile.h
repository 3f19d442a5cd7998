#pragma once
// The settings store: an initialisation file (sections in brackets, key=value lines) kept whole
// in memory, read with typed defaults and written back once at the end. The file is in the ANSI
// code page with CR LF line ends; in memory every text is UTF-8. No Qt here: the window
// placement is handed over as a plain record that the GUI fills from a window and applies to one.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qm {

enum class TDefaultFolder { dfAppData, dfApplication, dfUser, dfWindows };

// The window system's placement record of a window (what GetWindowPlacement fills).
struct TWindowPlacement {
    std::uint32_t flags = 0;
    std::uint32_t showCmd = 1; // 0 hide, 1 normal, 2 minimised, 3 maximised
    std::int32_t minX = -1, minY = -1;
    std::int32_t maxX = -1, maxY = -1;
    std::int32_t left = 0, top = 0, right = 0, bottom = 0; // the normal-position rectangle
};

// Stored as its number: 0 normal, 1 minimised, 2 maximised.
enum class TWindowState : int { Normal = 0, Minimized = 1, Maximized = 2 };

// One form as the settings store sees it: its component name, placement and state.
struct TFormPlacement {
    std::string name;           // the form's component name, the prefix of its keys
    TWindowPlacement placement; // current placement
    TWindowState windowState = TWindowState::Normal;
    int clientWidth = 0, clientHeight = 0;
    bool showing = false; // the form is visible already
};

class TExtIniFile {
public:
    using TNotifyEvent = std::function<void(TExtIniFile& sender)>;

    // Takes the program's folder + its file name with ".ini" and loads that file at once.
    // programPath is the running executable unless given (tests give one inside their sandbox).
    explicit TExtIniFile(const std::string& programPath = {});
    ~TExtIniFile();
    TExtIniFile(const TExtIniFile&) = delete;
    TExtIniFile& operator=(const TExtIniFile&) = delete;

    // --- properties -------------------------------------------------------------------------
    const std::string& FileName() const { return FFileName; }
    void SetFileName(const std::string& value);
    TDefaultFolder DefaultFolder() const { return FDefaultFolder; }
    void SetDefaultFolder(TDefaultFolder value);
    bool AutoUpdate = true;
    bool CaseSensitive = false;
    bool UpdateAtOnce() const { return FUpdateAtOnce; }
    void SetUpdateAtOnce(bool value);
    TNotifyEvent OnLoad;
    TNotifyEvent OnUpdate;

    // The full path of the file in use.
    const std::string& Path() const { return FPath; }
    // The folder a DefaultFolder value stands for, with a trailing separator (empty for dfUser);
    // created with all missing parents when it does not exist.
    std::string FolderOf(TDefaultFolder folder) const;

    // --- typed access (section names with or without brackets) -----------------------------
    bool ReadBool(const std::string& section, const std::string& key, bool def) const;
    std::int32_t ReadInteger(const std::string& section, const std::string& key,
                             std::int32_t def) const;
    std::int64_t ReadInt64(const std::string& section, const std::string& key,
                           std::int64_t def) const;
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& def) const;
    bool ValueExists(const std::string& section, const std::string& key) const;
    void WriteBool(const std::string& section, const std::string& key, bool value);
    void WriteInteger(const std::string& section, const std::string& key, std::int64_t value);
    void WriteString(const std::string& section, const std::string& key, const std::string& value);

    // Stores a form's placement under keys beginning with its name.
    void WriteFormState(const std::string& section, const TFormPlacement& form);
    // The placement to apply to a form: its current one overlaid with what is stored. When the
    // form is not showing yet, the show command becomes hide (0) and windowState the stored
    // state (maximised stays maximised, everything else opens normal).
    TFormPlacement ReadFormState(const std::string& section, const TFormPlacement& form) const;

    // Writes the file now, also when the store is empty, and raises OnUpdate.
    void UpdateFile();
    // Rereads the file, dropping what is in memory.
    void LoadFile();

    // The whole store as it would be written (UTF-8, CR LF; a line the code page could not
    // decode as its original bytes).
    std::string Text() const;
    int SectionCount() const { return static_cast<int>(FSections.size()); }

private:
    struct TSection {
        std::string header; // with its brackets
        std::vector<std::string> lines;
    };

    void SaveFile(bool onlyIfNotEmpty);
    // The lines in UTF-8, or in the code page when ansi is set (raising EEncodingError for a
    // text the code page cannot hold).
    std::string BuildText(bool ansi) const;
    void ChangePath();
    static std::string Bracketed(const std::string& section);
    bool SameText(const std::string& a, const std::string& b) const;
    const TSection* FindSection(const std::string& section) const;
    TSection* FindSection(const std::string& section);
    // Index of the key's line in the section, or -1.
    int FindKey(const TSection& section, const std::string& key) const;
    bool ReadValue(const std::string& section, const std::string& key, std::string& value) const;
    void WriteValue(const std::string& section, const std::string& key, const std::string& value);

    std::string FFileName;
    TDefaultFolder FDefaultFolder = TDefaultFolder::dfApplication;
    bool FUpdateAtOnce = false;
    std::string FPath;
    std::string FProgramFolder; // with a trailing separator
    std::string FBaseName;      // the program's file name without extension
    std::vector<TSection> FSections;
    bool FUnreadable = false; // the file exists but could not be read: it is never written
};

// The number readers of the store, exposed for anyone who parses the same way.
// Decimal, or hexadecimal after "$"; false when the text is not a valid 32-bit number.
bool TryParseInt32(const std::string& text, std::int32_t& value);
bool TryParseInt64(const std::string& text, std::int64_t& value);

} // namespace qm
