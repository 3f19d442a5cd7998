#pragma once
// A freedesktop desktop entry file as text the installer can change without losing anything:
// groups and keys in their order, comments and translations kept. Used to read what a bundled
// entry says (its name, the program it starts, its icon) and to write it again with the
// installed paths.
#include <string>
#include <vector>

namespace qm {

class TDesktopFile {
public:
    // Reads text; lines that are neither a group, a key nor a comment are kept as they are.
    static TDesktopFile Parse(const std::string& text);
    std::string Text() const;

    // The value of key in group ("Desktop Entry" by default), unescaped; empty when absent.
    std::string Value(const std::string& key, const std::string& group = "Desktop Entry") const;
    bool Has(const std::string& key, const std::string& group = "Desktop Entry") const;
    // Sets (or adds, at the group's end) a key to a raw value (escaped already).
    void SetRaw(const std::string& key, const std::string& rawValue,
                const std::string& group = "Desktop Entry");
    void Remove(const std::string& key, const std::string& group = "Desktop Entry");
    // Removes the key's translations ("Name[de]", "Name[ja]"...), the key itself stays.
    void RemoveTranslations(const std::string& key, const std::string& group = "Desktop Entry");
    // The groups, in order ("Desktop Entry", "Desktop Action new-window", ...).
    std::vector<std::string> Groups() const;

private:
    struct TLine {
        std::string Group; // the group the line belongs to
        std::string Key;   // empty for a group header, comment or other line
        std::string Raw;   // the whole line
    };
    std::vector<TLine> FLines;
};

// The MIME types of an entry that make a program the handler of web addresses, web pages or
// mail: x-scheme-handler/..., text/html, application/xhtml+xml, message/rfc822 and the like.
bool IsHandlerType(const std::string& mimeType);
// The entry's MimeType values that are handler types, in their order.
std::vector<std::string> HandlerTypesOf(const TDesktopFile& entry);

// Whether an entry's Exec (or TryExec) starts a program of that file name (its folder ignored).
bool EntryStartsProgram(const TDesktopFile& entry, const std::string& programFileName);

// The name and the newest release of an AppStream metainfo file ("*.metainfo.xml",
// "*.appdata.xml"): the <name> without a language, the first <release version="...">.
struct TMetaInfo {
    std::string Name;
    std::string Version;
};
TMetaInfo ParseMetaInfo(const std::string& xml);

// The words of an Exec value, unquoted as the desktop entry format says (field codes stay as
// words: "%U").
std::vector<std::string> SplitExec(const std::string& exec);
// One argument of an Exec line taken literally: '%' doubled, quoted where the format requires.
std::string QuoteExecArgument(const std::string& argument);
// One word of an existing Exec line (its field codes and "%%" kept), quoted where required.
std::string QuoteExecWord(const std::string& word);
// A string value unescaped (\s, \n, \t, \r, \\).
std::string UnescapeDesktopValue(const std::string& raw);

} // namespace qm
