#include "cmarc/Rar32.h"

#include "platform/Catalogue.h"

namespace qm {

namespace {
std::unique_ptr<TArchiverDll> g_rarDll;
std::unique_ptr<TArchiverDll> MakeRarDll() {
    return std::make_unique<TArchiverDll>(Tr("Rar32", "RAR 形式書庫"), "UNRAR32.DLL", "Unrar");
}
} // namespace

QM_DEFINE_DRIVER_BINDING(TRar32, TArchiverDll, g_rarDll, MakeRarDll)

std::string TRar32::BuildRarCommand(const std::string& word, const std::string& archive,
                                    const std::string& destination, bool useResponseFile,
                                    const TFileArgs& files, const TArchiverOptions& o) {
    TCmdOpt cmd;
    if (o.c <= 0)
        cmd.Add("-u");
    if (o.m > 0)
        cmd.Add("-y");
    if (o.p > 0)
        cmd.Add("-s");
    cmd.Add(o.UserOptions);
    AddArchiveAndFolder(cmd, archive, destination);
    AddFileArguments(cmd, o, useResponseFile, files);
    return word + cmd.Text;
}

std::string TRar32::BuildExtractCommand(QM_BUILD_PARAMS) {
    (void)window;
    return BuildRarCommand(options.x == 0 ? "-e" : "-x", archive, destination, useResponseFile,
                           files, options);
}

std::string TRar32::BuildExtractMemCommand(void*, const std::string& archive,
                                           const std::string& memberName,
                                           const TArchiverOptions& options) {
    return BuildRarCommand("", archive, "", false, {memberName}, options);
}

} // namespace qm
