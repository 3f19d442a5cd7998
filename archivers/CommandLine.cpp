#include "CommandLine.h"

#include "platform/AnsiCodec.h"
#include "platform/AtomicFile.h"
#include "platform/Exception.h"

#include <algorithm>
#include <cctype>
#include <fnmatch.h>
#include <sstream>

namespace qm::arc {

namespace {

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool EndsWithDelimiter(const std::string& s) {
    return !s.empty() && (s.back() == '/' || s.back() == '\\');
}

// Sets the action and folder mode from the command word; false for a word the family lacks.
bool ApplyCommandWord(Family family, const std::string& word, Command& command) {
    std::string w = Lower(word);
    // Most families take the word with or without a leading hyphen.
    std::string bare = (w.size() == 2 && w[0] == '-') ? w.substr(1) : w;
    bool hyphenated = bare != w;
    if (family == Family::Lha || family == Family::SevenZip) {
        if (hyphenated)
            return false;
    }
    if (bare == "x") {
        command.action = Action::Extract;
    } else if (bare == "e" &&
               (family == Family::Lha || family == Family::Rar || family == Family::SevenZip)) {
        command.action = Action::Extract;
        command.keepFolders = false;
    } else if (bare == "l" || bare == "v") {
        command.action = Action::List;
    } else if (bare == "t") {
        // TAR's t lists, as tar does; the others test the archive.
        command.action = family == Family::Tar ? Action::List : Action::Test;
    } else {
        return false;
    }
    return true;
}

// Applies a switch; may take the following token as its value. Unknown switches are accepted
// and ignored: the drivers pass many that mean nothing here.
void ApplySwitch(Family family, const std::string& sw, const std::vector<std::string>& tokens,
                 size_t& i, Command& command, bool& archiveFromSwitch) {
    std::string lower = Lower(sw);
    switch (family) {
    case Family::Lha:
        if (lower == "-x0")
            command.keepFolders = false;
        else if (lower == "-x1" || lower == "-x")
            command.keepFolders = true;
        break;
    case Family::Zip:
    case Family::Cab:
        if (lower == "-j")
            command.keepFolders = false;
        break;
    case Family::Tar:
        if (lower == "--use-directory=0")
            command.keepFolders = false;
        else if (lower.rfind("--use-directory=", 0) == 0)
            command.keepFolders = true;
        else if (sw == "-f" || sw == "-o") {
            if (i + 1 >= tokens.size())
                throw CommandError{ERROR_COMMAND_NAME, "switch " + sw + " needs a value"};
            (sw == "-f" ? command.archive : command.destination) = tokens[++i];
            archiveFromSwitch = archiveFromSwitch || sw == "-f";
        } else if (sw.rfind("-f", 0) == 0 && sw.rfind("--", 0) != 0) {
            command.archive = sw.substr(2);
            archiveFromSwitch = true;
        } else if (sw.rfind("-o", 0) == 0 && sw.rfind("--", 0) != 0) {
            command.destination = sw.substr(2);
        }
        break;
    case Family::Rar:
        break;
    case Family::SevenZip:
        if (sw.rfind("-o", 0) == 0 && sw.size() > 2)
            command.destination = sw.substr(2);
        break;
    }
}

std::string NormalizePattern(std::string pattern) {
    std::replace(pattern.begin(), pattern.end(), '\\', '/');
    while (pattern.rfind("./", 0) == 0)
        pattern.erase(0, 2);
    return pattern;
}

std::string Unquote(std::string s) {
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"')
        return s.substr(1, s.size() - 2);
    return s;
}

bool Matches(const Command& command, std::string pattern, const std::string& member) {
    if (pattern == "*.*")
        pattern = "*";
    if (!command.bracketWildcards) {
        std::string escaped;
        for (char c : pattern) {
            if (c == '[')
                escaped += "[[]";
            else
                escaped += c;
        }
        pattern = escaped;
    }
    std::string name = NormalizePattern(member);
    while (!name.empty() && name.back() == '/')
        name.pop_back();
    int flags = FNM_NOESCAPE | FNM_CASEFOLD;
    if (fnmatch(pattern.c_str(), name.c_str(), flags) == 0)
        return true;
    std::string folder = pattern;
    while (!folder.empty() && folder.back() == '/')
        folder.pop_back();
    if (folder.empty())
        return false;
    // A pattern without a folder part also selects by the member's own name.
    if (folder.find('/') == std::string::npos && folder == pattern) {
        size_t slash = name.find_last_of('/');
        if (slash != std::string::npos &&
            fnmatch(pattern.c_str(), name.c_str() + slash + 1, flags) == 0)
            return true;
    }
    // A folder selects everything below it.
    if (name.size() > folder.size() && name[folder.size()] == '/' &&
        fnmatch(folder.c_str(), name.substr(0, folder.size()).c_str(), flags) == 0)
        return true;
    return false;
}

} // namespace

std::vector<std::string> Tokenize(std::string_view line) {
    std::vector<std::string> tokens;
    std::string current;
    bool inToken = false;
    bool quoted = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            inToken = true;
        } else if ((c == ' ' || c == '\t' || c == '\r' || c == '\n') && !quoted) {
            if (inToken)
                tokens.push_back(current);
            current.clear();
            inToken = false;
        } else {
            current += c;
            inToken = true;
        }
    }
    if (inToken)
        tokens.push_back(current);
    return tokens;
}

std::vector<std::string> ReadResponseFile(const std::string& path) {
    // A folder or a device named as the response file is an error like a missing file; read as
    // an empty list it would select every member.
    std::string bytes;
    bool found = false;
    try {
        found = ReadWholeFileLocked(path, bytes, false);
    } catch (const Exception&) {
    }
    if (!found)
        throw CommandError{ERROR_RESPONSE_READ, "cannot read response file " + path};
    std::vector<std::string> names;
    std::string line;
    std::istringstream lines(bytes);
    while (std::getline(lines, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
        size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos)
            continue;
        std::string name = Unquote(line.substr(start));
        if (name.empty())
            continue;
        try {
            names.push_back(FromAnsi(name));
        } catch (const EEncodingError&) {
            throw CommandError{ERROR_RESPONSE_READ, "unreadable name in response file " + path};
        }
    }
    return names;
}

Command ParseCommand(Family family, std::string_view line) {
    std::vector<std::string> tokens = Tokenize(line);
    if (tokens.empty())
        throw CommandError{ERROR_COMMAND_NAME, "empty command line"};
    Command command;
    command.bracketWildcards = family == Family::Zip;
    if (!ApplyCommandWord(family, tokens[0], command))
        throw CommandError{ERROR_COMMAND_NAME, "unknown command " + tokens[0]};

    bool archiveFromSwitch = false;
    bool switchesEnded = false;
    size_t positional = 0;
    for (size_t i = 1; i < tokens.size(); ++i) {
        const std::string& token = tokens[i];
        if (token.empty())
            continue;
        if (!switchesEnded && token == "--") {
            switchesEnded = true;
        } else if (!switchesEnded && token.size() > 1 && token[0] == '-') {
            ApplySwitch(family, token, tokens, i, command, archiveFromSwitch);
        } else if (token.size() > 1 && token[0] == '@') {
            for (std::string& name : ReadResponseFile(token.substr(1)))
                command.patterns.push_back(NormalizePattern(std::move(name)));
        } else {
            // Positional: the archive, then a folder (it ends with a delimiter), then members.
            if (positional == 0 && !archiveFromSwitch && command.archive.empty())
                command.archive = token;
            else if (positional == 1 && !archiveFromSwitch && command.destination.empty() &&
                     EndsWithDelimiter(token))
                command.destination = token;
            else
                command.patterns.push_back(NormalizePattern(token));
            ++positional;
        }
    }
    if (command.archive.empty())
        throw CommandError{ERROR_NOT_ARC_FILE, "no archive named"};
    while (command.destination.size() > 1 && command.destination.back() == '\\')
        command.destination.pop_back();
    return command;
}

bool IsSelected(const Command& command, const std::string& member) {
    if (command.patterns.empty())
        return true;
    for (const std::string& pattern : command.patterns)
        if (Matches(command, pattern, member))
            return true;
    return false;
}

} // namespace qm::arc
