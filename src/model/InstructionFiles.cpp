#include "model/InstructionFiles.h"

#include "model/FileUtils.h"
#include "model/InstallList.h"
#include "platform/AnsiCodec.h"
#include "platform/Exception.h"

namespace qm {

const char* const InstallInstructionName = "instemp.tmp";
const char* const UninstallInstructionName = "uninstemp.tmp";

namespace {

std::string InstructionFileName(const char* name) {
    const std::string folder = GetDataFolder();
    if (folder.empty())
        throw EFCreateError(std::string("ファイル \"") + name +
                            "\" の保存先フォルダがありません。");
    if (!FolderExists(folder) && !CreateFolderPath(folder))
        throw EFCreateError("フォルダ \"" + folder + "\" を作成できません。");
    return folder + name;
}

void CheckRemovalPath(const std::string& path) {
    if (path.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
        throw EEncodingError("削除するファイル名に改行文字が含まれています: " + path);
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

} // namespace qm
