#include "Integration.h"

#include "DesktopEntry.h"
#include "ProgramIcon.h"
#include "ThemeIcon.h"
#include "model/AppImageParts.h"

#include "model/ArchiveName.h"
#include "model/DesktopFile.h"
#include "model/FileUtils.h"
#include "platform/ActingUser.h"
#include "platform/Catalogue.h"
#include "platform/FileTransfer.h"
#include "platform/ProgramKind.h"
#include "platform/SpecialFolders.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

namespace {

constexpr std::uint64_t kMaxEntrySize = 1u << 20;
constexpr std::uint64_t kMaxIconSize = 16u << 20;
// All the icons of one install together; beyond it the rest are left out.
constexpr std::uint64_t kMaxIconsTotal = 64u << 20;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// An Exec value with its word at index replaced, everything else as it was; "" when the words
// cannot be told apart (an open quote).
std::string ReplaceExecWord(const std::string& exec, std::size_t index,
                            const std::string& replacement) {
    std::size_t at = 0;
    for (std::size_t word = 0;; ++word) {
        while (at < exec.size() && (exec[at] == ' ' || exec[at] == '\t'))
            ++at;
        if (at >= exec.size())
            return std::string();
        std::size_t end = at;
        bool quoted = false;
        while (end < exec.size() && (quoted || (exec[end] != ' ' && exec[end] != '\t'))) {
            if (exec[end] == '\\' && quoted && end + 1 < exec.size())
                ++end;
            else if (exec[end] == '"')
                quoted = !quoted;
            ++end;
        }
        if (quoted)
            return std::string();
        if (word == index)
            return exec.substr(0, at) + replacement + exec.substr(end);
        at = end;
    }
}

std::string ImageStem(const std::string& name) {
    const std::string lower = Lower(name);
    const std::string ext = ExtractFileExt(lower);
    return ext == ".png" || ext == ".svg" || ext == ".xpm" ? RemoveFileExt(lower) : lower;
}

bool IsPlainRegular(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

class TReader {
public:
    TReader(const std::vector<TIntegrationJob>& jobs, const TIntegrationRequest& request)
        : FJobs(jobs), FRequest(request) {}

    TIntegration Read() {
        for (std::size_t index = 0; index < FJobs.size(); ++index) {
            const TIntegrationJob& job = FJobs[index];
            if (!job.Member->HasShortcut())
                continue;
            std::vector<std::string> refused;
            if (ShortcutPaths(*job.Member, FRequest.AllUsers, 0, refused).empty())
                continue;
            FResult.Entries[static_cast<int>(index)] = EntryText(job, static_cast<int>(index));
        }
        return std::move(FResult);
    }

private:
    const std::vector<TIntegrationJob>& FJobs;
    const TIntegrationRequest& FRequest;
    TIntegration FResult;
    std::set<std::string> FIconPaths;
    std::uint64_t FIconBytes = 0;
    // Images among the installed files, read once: (job, bytes).
    bool FImagesRead = false;
    std::vector<std::pair<const TIntegrationJob*, std::string>> FImages;

    const std::vector<std::pair<const TIntegrationJob*, std::string>>& Images() {
        if (FImagesRead)
            return FImages;
        FImagesRead = true;
        for (const TIntegrationJob& job : FJobs) {
            const std::string ext = Lower(ExtractFileExt(job.Member->FileName));
            if (ext != ".png" && ext != ".svg" && ext != ".xpm")
                continue;
            // A link member is never an icon: it could name anything.
            std::string bytes = ReadPlainFile(job.Target, kMaxIconSize);
            if (ImageFactsOf(job.Member->FileName, bytes).Image)
                FImages.emplace_back(&job, std::move(bytes));
        }
        return FImages;
    }

    std::string EntryText(const TIntegrationJob& job, int index) {
        const TFileMember& m = *job.Member;
        TDesktopEntry entry;
        entry.Name = ShortcutDisplayName(m);
        entry.Comment = m.ShortcutOption.Description;
        entry.Program = job.Target;
        entry.Arguments = m.ShortcutOption.Arguments;
        entry.WorkingDirectory = WithoutTrailingDelims(m.ShortcutOption.WorkingDirectory.empty()
                                                           ? m.GetInstallDir()
                                                           : m.ShortcutOption.WorkingDirectory);
        entry.AppId = FRequest.AppId;
        // A console program's output must show somewhere: its entry opens a terminal. A Windows
        // program says so in its headers; a Linux program that links no windowing library is
        // taken for a command-line tool.
        const bool plain = IsPlainRegular(job.Target);
        entry.Terminal = m.ShortcutOption.WindowSize == wsTerminal || // the user asked for one
                         (plain && IsConsoleProgram(job.Target));
        if (plain && ProgramKindOf(job.Target) != TProgramKind::None)
            return LinuxEntryText(job, entry);
        entry.Icon = IconFor(job, index);
        return BuildDesktopEntry(entry, GetFileFacts(job.Target).executable);
    }

    std::string IconFor(const TIntegrationJob& job, int index) {
        const TFileMember& member = *job.Member;
        // An image of the same name installed with the program (tool.exe and tool.png).
        const std::string stem = Lower(RemoveFileExt(member.FileName));
        for (const char* ext : {".png", ".svg", ".xpm"})
            for (const auto& [image, bytes] : Images())
                if (image->Member->ArchivePath == member.ArchivePath &&
                    Lower(image->Member->FileName) == stem + ext)
                    return image->Target;
        const std::string ext = Lower(ExtractFileExt(member.FileName));
        if (ext == ".exe" && IsPlainRegular(job.Target)) {
            // The program's own icon, kept in the data folder under the application's identifier.
            const std::string png = ExtractProgramIconPng(job.Target);
            if (!png.empty() && png.size() <= kMaxIconSize &&
                FIconBytes + png.size() <= kMaxIconsTotal) {
                const std::string path =
                    ProgramIconPath(FRequest.DataFolder, FRequest.AppId, index);
                FIconBytes += png.size();
                FResult.ProgramIcons.push_back({path, png});
                return path;
            }
        }
        if (member.Role() == mrHelp || ext == ".chm" || ext == ".hlp" || ext == ".txt")
            return "help-browser";
        if (IsWindowsProgramName(member.FileName))
            return "application-x-executable";
        return "text-x-generic";
    }

    // The desktop entry of a Linux program: the one the archive bundles for it, with its keys
    // kept and the installed places put in, else one of its own; its icon in the icon theme.
    std::string LinuxEntryText(const TIntegrationJob& job, TDesktopEntry entry) {
        const TFileMember& m = *job.Member;
        // The entry the archive bundles for the program: the one that starts it, else the only
        // one. A link member is never an entry.
        TDesktopFile bundled;
        bool found = false;
        bool starts = false; // the entry starts this very program (or is the AppImage's own)
        int applications = 0;
        TDesktopFile only;
        for (const TIntegrationJob& other : FJobs) {
            if (Lower(ExtractFileExt(other.Member->FileName)) != ".desktop")
                continue;
            const std::string bytes = ReadPlainFile(other.Target, kMaxEntrySize);
            if (bytes.empty())
                continue;
            TDesktopFile file = TDesktopFile::Parse(bytes);
            if (file.Value("Type") != "Application")
                continue;
            ++applications;
            if (EntryStartsProgram(file, m.FileName)) {
                bundled = std::move(file);
                found = true;
                starts = true;
                break;
            }
            only = std::move(file);
        }
        if (!found && applications == 1) {
            bundled = std::move(only);
            found = true;
        }
        // An AppImage carries its own entry and icon inside.
        if (!found && ProgramKindOf(job.Target) == TProgramKind::AppImage) {
            TAppImageParts parts;
            if (ReadAppImageParts(job.Target, parts)) {
                if (!parts.DesktopEntry.empty()) {
                    bundled = TDesktopFile::Parse(parts.DesktopEntry);
                    found = bundled.Value("Type") == "Application";
                    starts = found;
                }
                if (!parts.IconBytes.empty())
                    entry.Icon = ThemeIcons({{parts.IconName, parts.IconBytes, std::string()}});
            }
            if (found && !entry.Icon.empty())
                return FinishBundledEntry(job, bundled, entry, starts);
        }
        const std::string bundledIcon = found ? bundled.Value("Icon") : std::string();
        entry.Icon = LinuxIcon(job, bundledIcon);
        if (!found) {
            if (entry.Icon.empty())
                entry.Icon = "application-x-executable";
            return BuildDesktopEntry(entry, GetFileFacts(job.Target).executable);
        }
        return FinishBundledEntry(job, bundled, entry, starts);
    }

    std::string FinishBundledEntry(const TIntegrationJob& job, TDesktopFile& bundled,
                                   const TDesktopEntry& entry, bool starts) {
        const TFileMember& m = *job.Member;
        // Its keys stay (categories, comments, MIME types, translations, field codes); only what
        // names places is put right: the program, the folder it starts in and the icon.
        for (const std::string& group : bundled.Groups()) {
            const bool main = group == "Desktop Entry";
            if (!main && group.compare(0, 15, "Desktop Action ") != 0)
                continue;
            const std::string exec = bundled.Value("Exec", group);
            const std::vector<std::string> words = SplitExec(exec);
            std::size_t at = 0;
            if (!words.empty() && (words[0] == "env" || words[0] == "/usr/bin/env"))
                for (at = 1; at < words.size() && words[at].find('=') != std::string::npos; ++at) {
                }
            // Only the program's own word is put right, and only in an entry that starts this
            // program (an AppImage's own entry names what runs inside it): the rest of the line
            // stays as the vendor wrote it, quotes and all.
            if (at < words.size() &&
                ((main && starts) || words[at].substr(words[at].rfind('/') + 1) == m.FileName)) {
                const std::string line = ReplaceExecWord(exec, at, QuoteExecArgument(job.Target));
                if (!line.empty())
                    bundled.SetRaw("Exec", EscapeDesktopValue(line), group);
            } else if (main && words.empty()) {
                bundled.SetRaw("Exec", EscapeDesktopValue(QuoteExecArgument(job.Target)), group);
            }
        }
        if (bundled.Has("TryExec"))
            bundled.SetRaw("TryExec", EscapeDesktopValue(job.Target));
        bundled.SetRaw("Path", EscapeDesktopValue(entry.WorkingDirectory));
        if (!entry.Icon.empty())
            bundled.SetRaw("Icon", EscapeDesktopValue(entry.Icon));
        // Started through D-Bus it would need a service file this install does not make.
        bundled.Remove("DBusActivatable");
        KeepOrdinaryTypes(bundled);
        // A name given to the shortcut wins over the bundled one, in every language; so does a
        // description.
        const std::string given = m.ShortcutOption.ShortcutName;
        if (!given.empty() && given != RemoveFileExt(m.FileName) &&
            given != ProgramShortcutName(m.FileName) && given != bundled.Value("Name")) {
            bundled.SetRaw("Name", EscapeDesktopValue(given));
            bundled.RemoveTranslations("Name");
        }
        const std::string description = m.ShortcutOption.Description;
        if (!description.empty() && description != bundled.Value("Comment")) {
            bundled.SetRaw("Comment", EscapeDesktopValue(description));
            bundled.RemoveTranslations("Comment");
        }
        bundled.SetRaw(DesktopEntryAppIdKey, std::to_string(FRequest.AppId));
        return bundled.Text();
    }

    // A bundled entry may make its program the handler of ordinary file types; of web addresses,
    // web pages and mail only when the user agreed.
    void KeepOrdinaryTypes(TDesktopFile& bundled) {
        if (FRequest.AllowHandlers || !bundled.Has("MimeType"))
            return;
        const std::string value = bundled.Value("MimeType");
        std::string kept, dropped;
        std::size_t start = 0;
        while (start <= value.size()) {
            std::size_t end = value.find(';', start);
            if (end == std::string::npos)
                end = value.size();
            const std::string type = value.substr(start, end - start);
            start = end + 1;
            if (type.empty())
                continue;
            std::string& into = IsHandlerType(type) ? dropped : kept;
            into += (into.empty() ? "" : ";") + type;
        }
        if (dropped.empty())
            return;
        if (kept.empty())
            bundled.Remove("MimeType");
        else
            bundled.SetRaw("MimeType", EscapeDesktopValue(kept + ";"));
        const std::string notice =
            Args(Tr("Integration",
                    "メニュー項目 \"%1\" の次のファイルの種類は、既定のブラウザーやメールの"
                    "アプリケーションを変えるため登録しませんでした: %2"),
                 bundled.Value("Name"), dropped);
        if (std::find(FResult.Notices.begin(), FResult.Notices.end(), notice) ==
            FResult.Notices.end())
            FResult.Notices.push_back(notice);
        FResult.Log.push_back("handler types left out: " + dropped);
    }

    std::string LinuxIcon(const TIntegrationJob& job, const std::string& iconValue) {
        const auto named = [&](const std::string& want) {
            std::vector<const std::pair<const TIntegrationJob*, std::string>*> found;
            for (const auto& image : Images())
                if (!want.empty() && ImageStem(image.first->Member->FileName) == want)
                    found.push_back(&image);
            return found;
        };
        // The bundled entry's icon, else an image named like the program, else the best square
        // one.
        std::vector<const std::pair<const TIntegrationJob*, std::string>*> chosen;
        if (!iconValue.empty())
            chosen = named(ImageStem(iconValue.substr(iconValue.rfind('/') + 1)));
        if (chosen.empty())
            chosen = named(Lower(CommandName(job.Member->FileName)));
        if (chosen.empty()) {
            const std::pair<const TIntegrationJob*, std::string>* best = nullptr;
            int bestRank = 0;
            for (const auto& image : Images()) {
                const int rank =
                    IconRank(ImageFactsOf(image.first->Member->FileName, image.second));
                if (rank > bestRank) {
                    best = &image;
                    bestRank = rank;
                }
            }
            if (best != nullptr)
                chosen.push_back(best);
        }
        if (chosen.empty())
            return iconValue.find('/') == std::string::npos ? iconValue : std::string();
        std::vector<TImage> files;
        for (const auto* image : chosen)
            files.push_back({image->first->Member->FileName, image->second, image->first->Target});
        return ThemeIcons(files);
    }

    // An image to put into the icon theme: its file name, bytes and installed path (none for
    // one taken out of an AppImage).
    struct TImage {
        std::string Name, Bytes, Installed;
    };

    // Every size of an icon goes into the icon theme under the application's own name; gives
    // that name, or, when the theme has no place for any, the best image's installed path.
    std::string ThemeIcons(const std::vector<TImage>& images) {
        const std::string theme = IconThemeFolderPath(FRequest.AllUsers);
        const std::string name = ThemeIconName(FRequest.AppId, ImageStem(images.front().Name));
        std::string best;
        int bestRank = -1;
        bool themed = false;
        for (const auto& [fileName, bytes, installed] : images) {
            const TImageFacts facts = ImageFactsOf(fileName, bytes);
            if (IconRank(facts) > bestRank) {
                best = installed;
                bestRank = IconRank(facts);
            }
            const std::string sub = ThemeSubfolder(facts);
            if (sub.empty() || theme.empty())
                continue;
            const std::string path =
                WithTrailingDelim(theme) + sub + PathDelim + name + Lower(ExtractFileExt(fileName));
            if (FIconPaths.count(path) != 0) {
                themed = true;
                continue;
            }
            if (FIconBytes + bytes.size() > kMaxIconsTotal)
                continue;
            FIconBytes += bytes.size();
            FIconPaths.insert(path);
            FResult.ThemeIcons.push_back({path, bytes});
            themed = true;
        }
        return themed ? name : best;
    }
};

void PutField(std::string& out, const std::string& field) {
    out += std::to_string(field.size());
    out += ':';
    out += field;
}

bool GetField(const std::string& in, std::size_t& at, std::string& field) {
    const std::size_t colon = in.find(':', at);
    if (colon == std::string::npos || colon == at || colon - at > 12)
        return false;
    std::uint64_t size = 0;
    for (std::size_t i = at; i < colon; ++i) {
        if (in[i] < '0' || in[i] > '9')
            return false;
        size = size * 10 + static_cast<std::uint64_t>(in[i] - '0');
    }
    if (size > in.size() - colon - 1)
        return false;
    field = in.substr(colon + 1, static_cast<std::size_t>(size));
    at = colon + 1 + static_cast<std::size_t>(size);
    return true;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

TIntegration ReadIntegration(const std::vector<TIntegrationJob>& jobs,
                             const TIntegrationRequest& request) {
    return TReader(jobs, request).Read();
}

std::string FormatIntegration(const TIntegration& integration) {
    std::string out = "QMI1";
    for (const auto& [index, text] : integration.Entries) {
        out += 'E';
        PutField(out, std::to_string(index));
        PutField(out, text);
    }
    for (const TIntegrationFile& file : integration.ThemeIcons) {
        out += 'T';
        PutField(out, file.Path);
        PutField(out, file.Bytes);
    }
    for (const TIntegrationFile& file : integration.ProgramIcons) {
        out += 'P';
        PutField(out, file.Path);
        PutField(out, file.Bytes);
    }
    for (const std::string& notice : integration.Notices) {
        out += 'N';
        PutField(out, notice);
    }
    for (const std::string& line : integration.Log) {
        out += 'L';
        PutField(out, line);
    }
    // The end, so results cut short (a child killed midway) are never taken for whole ones.
    out += 'Z';
    return out;
}

bool ParseIntegration(const std::string& bytes, TIntegration& integration) {
    integration = TIntegration{};
    if (bytes.compare(0, 4, "QMI1") != 0)
        return false;
    std::size_t at = 4;
    while (at < bytes.size()) {
        const char kind = bytes[at++];
        if (kind == 'Z')
            return at == bytes.size();
        std::string a, b;
        if (!GetField(bytes, at, a))
            return false;
        switch (kind) {
        case 'E': {
            if (!GetField(bytes, at, b) || a.empty() || a.size() > 9 ||
                a.find_first_not_of("0123456789") != std::string::npos)
                return false;
            integration.Entries[std::atoi(a.c_str())] = b;
            break;
        }
        case 'T':
        case 'P':
            if (!GetField(bytes, at, b))
                return false;
            (kind == 'T' ? integration.ThemeIcons : integration.ProgramIcons).push_back({a, b});
            break;
        case 'N':
            integration.Notices.push_back(a);
            break;
        case 'L':
            integration.Log.push_back(a);
            break;
        default:
            return false;
        }
    }
    return false;
}

bool ReadIntegrationAsUser(const TActingUser& user, const std::vector<TIntegrationJob>& jobs,
                           const TIntegrationRequest& request, TIntegration& result,
                           std::string& error) {
    std::string output;
    if (!RunAsUser(
            user, [&] { return FormatIntegration(ReadIntegration(jobs, request)); }, output, error))
        return false;
    if (!ParseIntegration(output, result)) {
        error = "malformed results";
        return false;
    }
    return true;
}

std::string CheckThemeIcon(const TIntegrationFile& icon, const TIntegrationRequest& request) {
    const std::string theme = WithTrailingDelim(IconThemeFolderPath(request.AllUsers));
    if (theme.size() < 2 || !StartsWith(icon.Path, theme))
        return "not in the icon theme";
    const std::string rest = icon.Path.substr(theme.size());
    const std::size_t last = rest.rfind(PathDelim);
    if (last == std::string::npos)
        return "not in a size folder";
    const std::string sub = rest.substr(0, last), name = rest.substr(last + 1);
    bool known = sub == "scalable/apps";
    for (const int size : {16, 22, 24, 32, 36, 48, 64, 72, 96, 128, 192, 256, 512})
        known = known || sub == std::to_string(size) + "x" + std::to_string(size) + "/apps";
    const std::string prefix = ThemeIconName(request.AppId, std::string());
    if (!known)
        return "not in a size folder";
    if (!StartsWith(name, prefix) || name.find_first_of("/\\") != std::string::npos ||
        name.size() == prefix.size())
        return "not the application's name";
    if (icon.Bytes.size() > kMaxIconSize || !IsImageContent(ExtractFileExt(name), icon.Bytes))
        return "not an image";
    return std::string();
}

std::string CheckProgramIcon(const TIntegrationFile& icon, const TIntegrationRequest& request) {
    const std::string folder = request.DataFolder + "icons" + PathDelim;
    const std::string prefix = folder + ProgramIconPrefix(request.AppId);
    if (!StartsWith(icon.Path, prefix) || Lower(ExtractFileExt(icon.Path)) != ".png")
        return "not the application's icon";
    const std::string index = RemoveFileExt(icon.Path.substr(prefix.size()));
    if (index.empty() || index.find_first_not_of("0123456789") != std::string::npos)
        return "not the application's icon";
    if (icon.Bytes.size() > kMaxIconSize || !IsImageContent(".png", icon.Bytes))
        return "not an image";
    return std::string();
}

std::string CheckEntryText(const std::string& text, const TIntegrationRequest& request) {
    if (text.size() > kMaxEntrySize || text.find('\0') != std::string::npos)
        return "not a desktop entry";
    if (!StartsWith(text, "[Desktop Entry]") && text.find("\n[Desktop Entry]") == std::string::npos)
        return "not a desktop entry";
    if (text.find("\n" + std::string(DesktopEntryAppIdKey) + "=" + std::to_string(request.AppId) +
                  "\n") == std::string::npos)
        return "without the application's mark";
    return std::string();
}

} // namespace qm
