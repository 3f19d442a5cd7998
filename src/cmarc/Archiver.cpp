#include "cmarc/Archiver.h"

#include "platform/AnsiCodec.h"
#include "platform/Catalogue.h"

namespace qm {

void TArchiver::LoadDLL() {
    throw EArchiver("Abstract method 'TArchiver.LoadDLL' was called");
}

void TArchiver::FreeDLL() {
    throw EArchiver("Abstract method 'TArchiver.FreeDLL' was called");
}

HARC TArchiver::OpenArchive(void* window, const std::string& fileName, std::uint32_t mode) {
    return DLL().OpenArchive(window, ExpandFileName(fileName), mode);
}

int TArchiver::FindFirst(HARC archive, const std::string& wildName, TArchiveMemberInfo& info) {
    return DLL().FindFirst(archive, wildName, info);
}

int TArchiver::FindNext(HARC archive, TArchiveMemberInfo& info) {
    return DLL().FindNext(archive, info);
}

int TArchiver::CloseArchive(HARC archive) {
    return DLL().CloseArchive(archive);
}

void TArchiver::DoEnumMember(TEnumMemberInfo64&, const TArchiverOptions&, bool&) {}

int TArchiver::Run(bool write, void* window, const std::string& archive, std::vector<char>& output,
                   std::string& commandLine, std::string built) {
    commandLine = std::move(built);
    const auto size = static_cast<std::uint32_t>(output.size());
    char* buffer = output.empty() ? nullptr : output.data();
    return write ? DLL().WriteCommand(window, archive, size, buffer, commandLine)
                 : DLL().Command(window, archive, size, buffer, commandLine);
}

int TArchiver::Extract(void* window, const std::string& archive, std::vector<char>& output,
                       std::string& commandLine, bool useResponseFile, const TFileArgs& files,
                       const std::string& destination, const TArchiverOptions& options) {
    return Run(false, window, archive, output, commandLine,
               BuildExtractCommand(window, archive, useResponseFile, files, destination, options));
}

int TArchiver::Add(void* window, const std::string& archive, std::vector<char>& output,
                   std::string& commandLine, bool useResponseFile, const TFileArgs& files,
                   const std::string& destination, const TArchiverOptions& options) {
    return Run(true, window, archive, output, commandLine,
               BuildAddCommand(window, archive, useResponseFile, files, destination, options));
}

int TArchiver::Delete(void* window, const std::string& archive, std::vector<char>& output,
                      std::string& commandLine, bool useResponseFile, const TFileArgs& files,
                      const std::string& destination, const TArchiverOptions& options) {
    return Run(true, window, archive, output, commandLine,
               BuildDeleteCommand(window, archive, useResponseFile, files, destination, options));
}

int TArchiver::Update(void* window, const std::string& archive, std::vector<char>& output,
                      std::string& commandLine, bool useResponseFile, const TFileArgs& files,
                      const std::string& destination, const TArchiverOptions& options) {
    return Run(true, window, archive, output, commandLine,
               BuildUpdateCommand(window, archive, useResponseFile, files, destination, options));
}

int TArchiver::MakeSfx(void* window, const std::string& archive, std::vector<char>& output,
                       std::string& commandLine, const std::string& destination,
                       const TArchiverOptions& options) {
    return Run(true, window, archive, output, commandLine,
               BuildSfxCommand(window, archive, destination, options));
}

int TArchiver::ExtractMem(void* window, const std::string& archive, std::string& commandLine,
                          const std::string& memberName, const TArchiverOptions& options,
                          std::uint8_t* buffer, std::uint32_t size, std::uint32_t* written) {
    commandLine = BuildExtractMemCommand(window, archive, memberName, options);
    return DLL().ExtractMem(window, commandLine, buffer, size, written);
}

int TArchiver::CheckArchive(const std::string& fileName, int mode, int flags) {
    return DLL().CheckArchive(fileName, mode + flags);
}

std::string TArchiver::BuildAddCommand(void*, const std::string&, bool, const TFileArgs&,
                                       const std::string&, const TArchiverOptions&) {
    throw EArchiver(Tr("Archiver", "この形式では書庫ファイルの作成をサポートしておりません。"));
}

std::string TArchiver::BuildDeleteCommand(void*, const std::string&, bool, const TFileArgs&,
                                          const std::string&, const TArchiverOptions&) {
    throw EArchiver(Tr("Archiver", "この形式の書庫ではファイルの削除をサポートしておりません。"));
}

std::string TArchiver::BuildUpdateCommand(void*, const std::string&, bool, const TFileArgs&,
                                          const std::string&, const TArchiverOptions&) {
    throw EArchiver(Tr("Archiver", "この形式の書庫では書庫の更新をサポートしておりません。"));
}

std::string TArchiver::BuildSfxCommand(void*, const std::string&, const std::string&,
                                       const TArchiverOptions&) {
    throw EArchiver(Tr("Archiver", "この形式では自己解凍書庫の作成をサポートしておりません。"));
}

std::string TArchiver::BuildExtractMemCommand(void*, const std::string&, const std::string&,
                                              const TArchiverOptions&) {
    throw EArchiver(Tr("Archiver", "この形式ではメモリ展開をサポートしておりません。"));
}

bool TArchiver::SetOwnerWindow(void* window, void* notifyProc) {
    OwnerWindow = window;
    return DLL().SetOwnerWindowEx(window, notifyProc) != 0;
}

bool TArchiver::KillOwnerWindow(void* window) {
    // The window is forgotten even when the library fails here: a stale one would keep
    // turning the libraries' own dialogs off for later commands that have no progress window.
    OwnerWindow = nullptr;
    return DLL().KillOwnerWindowEx(window) != 0;
}

int TArchiver::SetEnumMembersProc(TEnumMembersProc proc, std::uint32_t recordSize) {
    return DLL().SetEnumMembersProc64(proc, recordSize);
}

int TArchiver::ClearEnumMembersProc() {
    return DLL().ClearEnumMembersProc64();
}

void TArchiver::AddArchiveAndFolder(TCmdOpt& cmd, const std::string& archive,
                                    const std::string& destination) {
    cmd.AddStr("", archive);
    cmd.AddDir("", destination);
}

int TArchiver::AddFileArguments(TCmdOpt& cmd, const TArchiverOptions& options, bool useResponseFile,
                                const TFileArgs& files) {
    int count;
    if (useResponseFile && !options.ResFileName.empty() && !IsNotGiven(options.ResFileName))
        count = cmd.AddResponseFile(files, options.ResFileName);
    else
        count = cmd.AddList("", files);
    cmd.Add(options.UserFileList);
    return count;
}

std::string EscapeZipName(const std::string& name) {
    std::string result;
    size_t start = 0;
    if (!name.empty() && name[0] == '-') {
        result = "[-]";
        start = 1;
    }
    // UTF-8 never has '\\' or '[' inside a multi-byte character, so a byte scan is a scan by
    // whole characters.
    for (size_t i = start; i < name.size(); ++i) {
        if (name[i] == '\\')
            result += '/';
        else if (name[i] == '[')
            result += "[[]";
        else
            result += name[i];
    }
    return result;
}

} // namespace qm
