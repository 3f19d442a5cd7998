#include "cmarc/CmdOpt.h"

#include "platform/AnsiCodec.h"
#include "platform/Catalogue.h"
#include "platform/FileSystem.h"

#include <cstdio>

namespace qm {

void TCmdOpt::Add(const std::string& item) {
    Text += " " + item;
}

void TCmdOpt::AddNum(const std::string& name, int value) {
    if (value >= 0)
        Add("-" + name + std::to_string(value));
}

void TCmdOpt::AddBool(const std::string& name, bool value) {
    if (value)
        Add("-" + name);
}

namespace {
// The libraries split their command lines at quotes and read response files line by line, with
// no escape for either: a name holding one would be cut apart, and its pieces taken for further
// switches or folders (another destination, for one). Such a name is refused instead.
void RequirePlainName(const std::string& value, const char* forbidden) {
    if (value.find_first_of(forbidden) != std::string::npos)
        throw EArchiver(Args(
            Tr("CmdOpt", "二重引用符または改行を含む名前は書庫ライブラリに渡せません: %1"), value));
}
} // namespace

void TCmdOpt::AddStr(const std::string& name, const std::string& value) {
    if (IsNotGiven(value))
        return;
    RequirePlainName(value, "\"");
    const std::string quoted = "\"" + value + "\"";
    if (name.empty()) {
        Add(quoted);
        return;
    }
    // A name that starts with a space is a switch spelled in full (" -check" writes -check).
    const std::string sw = name[0] == ' ' ? name.substr(1) : "-" + name;
    if (QuoteSwitchApart)
        Add(sw + " " + quoted);
    else
        Add("\"" + sw + value + "\"");
}

void TCmdOpt::AddDir(const std::string& name, const std::string& folder) {
    if (folder.empty() || IsNotGiven(folder))
        return;
    // UTF-8 never has a delimiter byte inside a multi-byte character, so the last byte decides.
    std::string dir = folder;
    if (dir.back() != PathDelim)
        dir += PathDelim;
    AddStr(name, dir);
}

std::string TCmdOpt::Converted(const std::string& name) const {
    return OnConvertName ? OnConvertName(name) : name;
}

int TCmdOpt::AddList(const std::string& name, const TFileArgs& files) {
    return AddList(name, FlattenFileArgs(files));
}

int TCmdOpt::AddList(const std::string& name, const std::vector<std::string>& names) {
    int count = 0;
    for (const std::string& file : names) {
        if (file.empty())
            continue;
        AddStr(name, Converted(file));
        ++count;
    }
    return count;
}

int TCmdOpt::AddResponseFile(const TFileArgs& files, const std::string& responseFile) {
    const std::vector<std::string> names = FlattenFileArgs(files);
    // Build the whole content first, so a name the code page cannot hold leaves no half file.
    std::string content;
    for (const std::string& file : names) {
        const std::string converted = Converted(file);
        RequirePlainName(converted, "\"\r\n");
        content += "\"" + ToAnsi(converted) + "\"\r\n";
    }
    std::FILE* out = std::fopen(responseFile.c_str(), "wb");
    if (out == nullptr)
        throw EWriteError(Args(Tr("CmdOpt", "応答ファイル %1 を作成できません。"), responseFile));
    const bool written = std::fwrite(content.data(), 1, content.size(), out) == content.size();
    const bool closed = std::fclose(out) == 0;
    if (!written || !closed)
        throw EWriteError(Args(Tr("CmdOpt", "応答ファイル %1 に書き込めません。"), responseFile));
    AddStr("", "@" + responseFile);
    return static_cast<int>(names.size());
}

} // namespace qm
