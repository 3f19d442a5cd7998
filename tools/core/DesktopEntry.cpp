#include "DesktopEntry.h"

#include "Instructions.h"

#include "model/FileUtils.h"
#include "platform/AtomicFile.h"
#include "platform/FileTransfer.h"
#include "platform/Process.h"
#include "platform/SpecialFolders.h"

#include <algorithm>
#include <cctype>

namespace qm {

const char* const DesktopEntryAppIdKey = "X-Quillmate-AppId";

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string ExecLine(const TDesktopEntry& entry, bool programIsExecutable) {
    const std::string ext = Lower(ExtractFileExt(entry.Program));
    std::vector<std::string> words;
    if (ext == ".msi") {
        words = {"wine", "msiexec", "/i", entry.Program};
    } else if (IsWindowsProgramName(entry.Program)) {
        words = {"wine", entry.Program};
    } else if (programIsExecutable) {
        words = {entry.Program};
    } else {
        return "xdg-open " + QuoteExecArgument(entry.Program); // a document takes no arguments
    }
    for (const std::string& argument : SplitWindowsArguments(entry.Arguments))
        words.push_back(argument);
    std::string line;
    for (const std::string& word : words)
        line += (line.empty() ? "" : " ") + QuoteExecArgument(word);
    return line;
}

std::string FolderFor(int csidl) {
    const std::string folder = ShellFolderPath(csidl);
    return folder.empty() ? folder : WithTrailingDelim(folder);
}

} // namespace

std::vector<std::string> SplitWindowsArguments(const std::string& commandLine) {
    std::vector<std::string> arguments;
    size_t i = 0;
    const size_t n = commandLine.size();
    while (i < n) {
        while (i < n && (commandLine[i] == ' ' || commandLine[i] == '\t'))
            ++i;
        if (i >= n)
            break;
        std::string argument;
        bool quoted = false;
        while (i < n && (quoted || (commandLine[i] != ' ' && commandLine[i] != '\t'))) {
            if (commandLine[i] == '\\') {
                size_t slashes = 0;
                while (i < n && commandLine[i] == '\\')
                    ++slashes, ++i;
                if (i < n && commandLine[i] == '"') {
                    argument.append(slashes / 2, '\\');
                    if (slashes % 2 == 1) {
                        argument += '"';
                        ++i;
                    }
                } else {
                    argument.append(slashes, '\\');
                }
            } else if (commandLine[i] == '"') {
                if (quoted && i + 1 < n && commandLine[i + 1] == '"') {
                    argument += '"'; // "" inside quotes is a literal quote
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                argument += commandLine[i++];
            }
        }
        arguments.push_back(argument);
    }
    return arguments;
}

std::string EscapeDesktopValue(const std::string& value) {
    std::string out;
    for (const char c : value) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += c;
        }
    }
    // A leading blank would be dropped by readers.
    if (!out.empty() && out.front() == ' ')
        out = "\\s" + out.substr(1);
    return out;
}

std::string BuildDesktopEntry(const TDesktopEntry& entry, bool programIsExecutable) {
    std::string text = "[Desktop Entry]\n";
    text += "Type=Application\n";
    text += "Version=1.0\n";
    text += "Name=" + EscapeDesktopValue(entry.Name) + "\n";
    if (!entry.Comment.empty())
        text += "Comment=" + EscapeDesktopValue(entry.Comment) + "\n";
    text += "Exec=" + EscapeDesktopValue(ExecLine(entry, programIsExecutable)) + "\n";
    if (!entry.WorkingDirectory.empty())
        text += "Path=" + EscapeDesktopValue(entry.WorkingDirectory) + "\n";
    if (!entry.Icon.empty())
        text += "Icon=" + EscapeDesktopValue(entry.Icon) + "\n";
    text += entry.Terminal ? "Terminal=true\n" : "Terminal=false\n";
    text += std::string(DesktopEntryAppIdKey) + "=" + std::to_string(entry.AppId) + "\n";
    return text;
}

std::string ShortcutDisplayName(const TFileMember& member) {
    const std::string& name = member.ShortcutOption.ShortcutName;
    return name.empty() ? RemoveFileExt(member.FileName) : name;
}

std::string ApplicationsFolder(bool allUsers) {
    return FolderFor(allUsers ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS);
}

std::vector<std::string> ShortcutPaths(const TFileMember& member, bool allUsers, std::int32_t appId,
                                       std::vector<std::string>& refused) {
    std::vector<std::string> paths;
    const std::string name = ShortcutDisplayName(member);
    const std::string fileName =
        (appId != 0 ? "quillmate-" + std::to_string(appId) + "-" : std::string()) + name +
        ".desktop";
    const bool nameOk = IsPlainName(name) && name.find('\\') == std::string::npos;
    const auto add = [&](const std::string& folder, const std::string& what) {
        if (folder.empty() || !nameOk || !IsSafeAbsolutePath(folder))
            refused.push_back(what + ": " + folder + fileName);
        else if (std::find(paths.begin(), paths.end(), folder + fileName) == paths.end())
            paths.push_back(folder + fileName);
    };
    const std::uint8_t flags = member.ShortcutFlags();
    if (flags & scDesktop)
        add(FolderFor(CSIDL_DESKTOPDIRECTORY), "desktop");
    if (flags & scStartMenu) {
        // The path is relative to the start menu folder, as the dialogs choose it ("applications"
        // by default, the menus' own folder). Menus show only what lies in their folder: a path
        // outside it is taken below it instead.
        const std::string sub = member.StartMenuPath;
        const std::string root = ApplicationsFolder(allUsers);
        const std::string start = FolderFor(allUsers ? CSIDL_COMMON_STARTMENU : CSIDL_STARTMENU);
        const std::string tail = sub.empty() ? sub : WithTrailingDelim(sub);
        if (!IsSafeRelativePath(sub, PathDelim) || root.empty())
            refused.push_back("start menu: " + sub);
        else if (!start.empty() && IsAtOrBelow(WithTrailingDelim(start) + tail, root))
            add(WithTrailingDelim(start) + tail, "start menu");
        else
            add(root + tail, "start menu");
    }
    // The folder of commands on PATH gets a link to the program, never a desktop entry.
    if (flags & scFolders)
        for (const std::string& folder : member.ShortcutFolders)
            if (!IsCommandFolder(folder))
                add(WithTrailingDelim(folder), "folder");
    return paths;
}

std::vector<std::string> EntryPathsOf(const TFileMember& member, bool allUsers,
                                      std::int32_t appId) {
    std::vector<std::string> refused;
    std::vector<std::string> paths = ShortcutPaths(member, allUsers, appId, refused);
    for (const std::string& path : ShortcutPaths(member, allUsers, 0, refused))
        if (std::find(paths.begin(), paths.end(), path) == paths.end())
            paths.push_back(path);
    return paths;
}

void RefreshDesktopDatabase(const std::string& applicationsFolder) {
    const std::string program = FindInPath("update-desktop-database");
    if (program.empty() || applicationsFolder.empty())
        return;
    std::string error;
    std::unique_ptr<TChildProcess> child =
        SpawnProcess(program, {WithoutTrailingDelims(applicationsFolder)}, TSpawnOptions(), error);
    if (child)
        child->Wait(); // its result changes nothing about the entries themselves
    // A cache of nothing (the last application with types is gone) is not left behind.
    const std::string cache = WithTrailingDelim(applicationsFolder) + "mimeinfo.cache";
    std::string text = ReadPlainFile(cache, 4096);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    if (text == "[MIME Cache]")
        RemoveFileEntry(cache);
}

void RefreshIconCache(const std::string& themeFolder) {
    const std::string program = FindInPath("gtk-update-icon-cache");
    // Only a theme that has an index or a cache already: a cache made where there was none would
    // outlive the icons (and one that is out of date is ignored by the desktops anyway).
    const std::string folder = WithTrailingDelim(themeFolder);
    if (program.empty() || themeFolder.empty() ||
        (!FileExists(folder + "index.theme") && !FileExists(folder + "icon-theme.cache")))
        return;
    std::string error;
    std::unique_ptr<TChildProcess> child = SpawnProcess(
        program, {"-q", "-t", "-f", WithoutTrailingDelims(themeFolder)}, TSpawnOptions(), error);
    if (child)
        child->Wait();
}

bool IsDesktopEntryOf(const std::string& path, std::int32_t appId) {
    // Read without following a link and without waiting on a pipe: a link or anything but a
    // regular file in an entry's place is not one of ours.
    const std::string bytes = ReadPlainFile(path, 1 << 20);
    const std::string key =
        "\n" + std::string(DesktopEntryAppIdKey) + "=" + std::to_string(appId) + "\n";
    return bytes.find(key) != std::string::npos;
}

bool IsUserDesktopPath(const std::string& path) {
    const std::string desktop = FolderFor(CSIDL_DESKTOPDIRECTORY);
    return !desktop.empty() && IsAtOrBelow(path, desktop);
}

} // namespace qm
