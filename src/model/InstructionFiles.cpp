#include "model/InstructionFiles.h"

#include "model/FileUtils.h"
#include "model/InstallList.h"
#include "platform/AnsiCodec.h"
#include "platform/Catalogue.h"
#include "platform/Exception.h"

#include <cstdlib>

namespace qm {

const char* const InstallInstructionName = "instemp.tmp";
const char* const UninstallInstructionName = "uninstemp.tmp";

namespace {

std::string InstructionFileName(const char* name) {
    const std::string folder = GetDataFolder();
    if (folder.empty())
        throw EFCreateError(
            Args(Tr("InstructionFiles", "ファイル \"%1\" の保存先フォルダがありません。"), name));
    if (!FolderExists(folder) && !CreateFolderPath(folder))
        throw EFCreateError(
            Args(Tr("InstructionFiles", "フォルダ \"%1\" を作成できません。"), folder));
    return folder + name;
}

void CheckRemovalPath(const std::string& path) {
    if (path.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
        throw EEncodingError(
            Args(Tr("InstructionFiles", "削除するファイル名に改行文字が含まれています: %1"), path));
}

} // namespace

std::string GetInstallFileName() {
    return InstructionFileName(InstallInstructionName);
}

std::string GetUninstallFileName() {
    return InstructionFileName(UninstallInstructionName);
}

std::string RemovalPath(const std::string& folder, const std::string& name, bool isFolder) {
    std::string path = folder + name;
    return isFolder ? IncludeTrailingPathDelimiter(path) : path;
}

void WriteInstallInstructions(TStream& stream, const TInstallAppInfo& plan,
                              const TInstallOption& option) {
    plan.SaveToStream(stream);
    option.SaveToStream(stream);
}

void WriteUninstallInstructions(TStream& stream, const TInstallAppInfo& record,
                                const std::vector<std::string>& removalPaths) {
    // Every line is checked and converted before the first byte goes out.
    std::string text;
    for (const std::string& path : removalPaths) {
        CheckRemovalPath(path);
        text += ToAnsi(path);
        text += "\r\n";
    }
    record.SaveToStream(stream);
    if (!text.empty())
        stream.WriteBuffer(text.data(), text.size());
}

void WriteInstallFile(const std::string& fileName, const TInstallAppInfo& plan,
                      const TInstallOption& option) {
    SaveFileAtomically(fileName,
                       [&](TStream& stream) { WriteInstallInstructions(stream, plan, option); });
}

void WriteUninstallFile(const std::string& fileName, const TInstallAppInfo& record,
                        const std::vector<std::string>& removalPaths) {
    SaveFileAtomically(fileName, [&](TStream& stream) {
        WriteUninstallInstructions(stream, record, removalPaths);
    });
}

std::string ToolReportFileName(const char* instructionName) {
    return InstructionFileName(instructionName) + ".report";
}

namespace {

std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r')
            c = ' ';
    return text;
}

} // namespace

std::string FormatToolReport(const TToolReport& report) {
    std::string text = "QMR 1\n";
    text += "exit\t" + std::to_string(report.Exit) + "\n";
    text += "id\t" + std::to_string(report.AppId) + "\n";
    if (!report.AppName.empty())
        text += "name\t" + OneLine(report.AppName) + "\n";
    text += "installed\t" + std::to_string(report.Installed) + "\n";
    text += "replaced\t" + std::to_string(report.Replaced) + "\n";
    text += "skipped\t" + std::to_string(report.Skipped) + "\n";
    text += "removed\t" + std::to_string(report.Removed) + "\n";
    for (const std::string& path : report.Refused)
        text += "refused\t" + OneLine(path) + "\n";
    for (const std::string& notice : report.Notices)
        text += "notice\t" + OneLine(notice) + "\n";
    if (!report.Error.empty())
        text += "error\t" + OneLine(report.Error) + "\n";
    return text;
}

bool ParseToolReport(const std::string& text, TToolReport& report) {
    report = TToolReport{};
    if (text.compare(0, 6, "QMR 1\n") != 0)
        return false;
    std::size_t at = 6;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos)
            continue;
        const std::string key = line.substr(0, tab), value = line.substr(tab + 1);
        const auto number = [&]() {
            char* stop = nullptr;
            const long n = std::strtol(value.c_str(), &stop, 10);
            return stop != value.c_str() && *stop == '\0' ? static_cast<int>(n) : 0;
        };
        if (key == "exit")
            report.Exit = number();
        else if (key == "id")
            report.AppId = number();
        else if (key == "name")
            report.AppName = value;
        else if (key == "notice")
            report.Notices.push_back(value);
        else if (key == "installed")
            report.Installed = number();
        else if (key == "replaced")
            report.Replaced = number();
        else if (key == "skipped")
            report.Skipped = number();
        else if (key == "removed")
            report.Removed = number();
        else if (key == "refused")
            report.Refused.push_back(value);
        else if (key == "error")
            report.Error = value;
    }
    return true;
}

} // namespace qm
