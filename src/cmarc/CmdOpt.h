#pragma once
// Assembles the switches and names of one archiver command line. Texts are UTF-8 here; the
// binding converts the finished line to the ANSI code page when it calls the library.
#include "cmarc/ArchiveCommon.h"

#include <functional>
#include <string>

namespace qm {

class TCmdOpt {
public:
    // The line so far; every item is preceded by one space.
    std::string Text;
    // When true a switch with a text value is written as the switch, a space and the quoted
    // value; otherwise as one quoted item.
    bool QuoteSwitchApart = false;
    // Applied to every file name before it is quoted.
    std::function<std::string(const std::string&)> OnConvertName;

    void Add(const std::string& item);
    void AddNum(const std::string& name, int value);
    void AddBool(const std::string& name, bool value);
    // Raises EArchiver for a value holding a double quote, which no library could read back.
    void AddStr(const std::string& name, const std::string& value);
    void AddDir(const std::string& name, const std::string& folder);
    int AddList(const std::string& name, const TFileArgs& files);
    int AddList(const std::string& name, const std::vector<std::string>& names);
    // Writes the names, quoted and one per CR LF line in the ANSI code page, to the response
    // file (created or truncated) and adds the quoted "@" + path. Raises EWriteError when the
    // file cannot be written, EEncodingError for a name the code page cannot hold, and
    // EArchiver for a name holding a double quote or a line break; the file is not touched then.
    int AddResponseFile(const TFileArgs& files, const std::string& responseFile);

private:
    std::string Converted(const std::string& name) const;
};

} // namespace qm
