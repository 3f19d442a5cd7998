#include "cmarc/Zip32.h"

#include "cmarc/SelfExtract.h"
#include "platform/Catalogue.h"

namespace qm {

namespace {
std::unique_ptr<TZipDll> g_zipDll;
std::unique_ptr<TZipDll> MakeZipDll() {
    return std::make_unique<TZipDll>();
}
} // namespace

QM_DEFINE_DRIVER_BINDING(TZip32, TZipDll, g_zipDll, MakeZipDll)

std::string TZip32::BuildUnzipCommand(const std::string& word, const std::string& archive,
                                      const std::string& destination, bool useResponseFile,
                                      const TFileArgs& files, const TArchiverOptions& o) {
    auto& dll = static_cast<TZipDll&>(DLL());
    // A library that was missing when the driver was made may be there by now.
    dll.LoadDLL();
    if (!dll.IsLoaded(TZipDll::zmUnzip) && !dll.IsLoaded(TZipDll::zmLmzip))
        throw EArchiver(
            Tr("Zip32", "ZIP 形式書庫の解凍には UNZIP32.DLL または LMZIP32.DLL が必要です。"));
    TCmdOpt cmd;
    cmd.OnConvertName = EscapeZipName;
    if (o.c == 1)
        cmd.Add("-o");
    if (o.n > 0 || HasOwnerWindow())
        cmd.Add("--i");
    if (o.x == 0)
        cmd.Add("-j");
    cmd.Add(o.UserOptions);
    AddArchiveAndFolder(cmd, archive, destination);
    AddFileArguments(cmd, o, useResponseFile, files);
    return word + cmd.Text;
}

std::string TZip32::BuildZip32jCommand(const std::string& word, const std::string& archive,
                                       const std::string& destination, bool useResponseFile,
                                       const TFileArgs& files, const TArchiverOptions& o) {
    TCmdOpt cmd;
    cmd.OnConvertName = EscapeZipName;
    if (o.a > 0)
        cmd.Add("-S");
    if (o.a < 2)
        cmd.Add("-D");
    if (o.l > 0)
        cmd.Add("-v");
    if (o.n > 0)
        cmd.Add("-q");
    if (o.r > 0)
        cmd.Add("-r");
    if (o.n > 0)
        cmd.Add("-o");
    if (o.u > 0)
        cmd.Add("-u");
    if (o.x == 0)
        cmd.Add("-j");
    if (o.jc > 0)
        cmd.Add("-FF");
    if (o.ji > 0)
        cmd.Add("-k");
    cmd.AddNum("", o.jm);
    if (o.gd > 0)
        cmd.Add("-J");
    cmd.Add(o.UserOptions);
    AddArchiveAndFolder(cmd, archive, destination);
    AddFileArguments(cmd, o, useResponseFile, files);
    return word + cmd.Text;
}

std::string TZip32::BuildExtractCommand(QM_BUILD_PARAMS) {
    (void)window;
    return BuildUnzipCommand("-x", archive, destination, useResponseFile, files, options);
}

std::string TZip32::BuildAddCommand(QM_BUILD_PARAMS) {
    (void)window;
    auto& dll = static_cast<TZipDll&>(DLL());
    dll.LoadDLL();
    if (dll.IsLoaded(TZipDll::zmZip32j))
        return BuildZip32jCommand("", archive, destination, useResponseFile, files, options);
    if (!dll.IsLoaded(TZipDll::zmLmzip))
        throw EArchiver(
            Tr("Zip32", "ZIP 形式書庫の作成には ZIP32J.DLL または LMZIP32.DLL が必要です。"));
    // LMZIP32 takes the names as they are.
    TCmdOpt cmd;
    if (options.c == 1)
        cmd.Add("-o");
    if (options.x == 0)
        cmd.Add("-j");
    cmd.Add(options.UserOptions);
    AddArchiveAndFolder(cmd, archive, destination);
    AddFileArguments(cmd, options, useResponseFile, files);
    return "-ru" + cmd.Text;
}

std::string TZip32::BuildDeleteCommand(QM_BUILD_PARAMS) {
    (void)window;
    (void)destination;
    return BuildZip32jCommand("-d", archive, "", useResponseFile, files, options);
}

std::string TZip32::BuildUpdateCommand(QM_BUILD_PARAMS) {
    (void)window;
    return BuildZip32jCommand("-f", archive, destination, useResponseFile, files, options);
}

std::string TZip32::BuildExtractMemCommand(void*, const std::string& archive,
                                           const std::string& memberName,
                                           const TArchiverOptions& options) {
    return BuildUnzipCommand("", archive, "", false, {memberName}, options);
}

// The stub and the archive are joined here; ZIP32J.DLL then corrects the offsets inside.
int TZip32::MakeSfx(void* window, const std::string& archive, std::vector<char>& output,
                    std::string& commandLine, const std::string& destination,
                    const TArchiverOptions& options) {
    auto& dll = static_cast<TZipDll&>(DLL());
    dll.LoadDLL();
    if (!dll.IsLoaded(TZipDll::zmZip32j))
        throw ESfxNoRequiredFile("zip", "", "ZIP32J.DLL");
    const bool win32 = options.gw > 0;
    const std::string moduleName = win32 ? "sfx32gui.dat" : "sfx16.dat";
    const std::string module = SearchModuleFile(moduleName);
    if (module.empty())
        throw ESfxNoRequiredFile("zip", win32 ? "Win32" : "DOS", moduleName);
    const std::string target = SfxTargetName(archive, ".EXE", destination);
    if (target.find('"') != std::string::npos)
        throw EArchiver(
            Args(Tr("Zip32", "\"%1\" は引用符を含むため、コマンドラインに書けません。"), target));
    CopySfx(target, module, archive, false);
    // Quoted, as every path of a command line: a blank in the path would split it.
    commandLine = "-A \"" + target + "\"";
    return dll.WriteCommand(window, archive, static_cast<std::uint32_t>(output.size()),
                            output.empty() ? nullptr : output.data(), commandLine);
}

} // namespace qm
