#pragma once
// The command lines the program's format drivers build, read back: the command word, switches,
// the archive, the destination folder and the member names (directly or through "@file").
#include "Family.h"

#include <string>
#include <string_view>
#include <vector>

namespace qm::arc {

enum class Action { Extract, List, Test };

struct Command {
    Action action = Action::Extract;
    bool keepFolders = true;           // false: every member lands in the destination itself
    std::string archive;               // UTF-8
    std::string destination;           // UTF-8; empty means the current folder
    std::vector<std::string> patterns; // UTF-8, "/"-separated wildcards; empty means all
    bool bracketWildcards = false;     // ZIP: "[...]" is a character class ("[[]" is "[")
};

// A command line that cannot be carried out; code is an ERROR_* value.
struct CommandError {
    int code;
    std::string message;
};

// Splits at spaces outside double quotes; the quotes are removed. A backslash is an ordinary
// character, so a quoted folder ending in a backslash stays intact.
std::vector<std::string> Tokenize(std::string_view line);

// Parses a UTF-8 command line of the family's syntax. Throws CommandError.
Command ParseCommand(Family family, std::string_view line);

// Reads the names of a response file (ANSI text, one quoted name a line). Throws CommandError.
std::vector<std::string> ReadResponseFile(const std::string& path);

// Whether a member (UTF-8) is selected by the command's patterns; "\" counts as "/" and a
// leading "./" is ignored on both sides.
bool IsSelected(const Command& command, const std::string& member);

} // namespace qm::arc
