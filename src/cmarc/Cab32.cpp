#include "cmarc/Cab32.h"

#include "platform/Catalogue.h"

namespace qm {

namespace {
std::unique_ptr<TArchiverDll> g_cabDll;
std::unique_ptr<TArchiverDll> MakeCabDll() {
    return std::make_unique<TArchiverDll>(Tr("Cab32", "CAB 形式書庫"), "CAB32.DLL", "Cab");
}
} // namespace

QM_DEFINE_DRIVER_BINDING(TCab32, TArchiverDll, g_cabDll, MakeCabDll)

std::string TCab32::BuildCabCommand(const std::string& word, const std::string& archive,
                                    const std::string& destination, bool useResponseFile,
                                    const TFileArgs& files, const TArchiverOptions& o) {
    TCmdOpt cmd;
    if (o.c == 1)
        cmd.Add("-o");
    if (o.n > 0 || HasOwnerWindow())
        cmd.Add("-i");
    if (o.r > 0)
        cmd.Add("-r");
    cmd.AddDir("h", o.w);
    if (o.x == 0)
        cmd.Add("-j");
    if (o.ji > 0)
        cmd.Add("-q");
    cmd.Add(o.UserOptions);
    AddArchiveAndFolder(cmd, archive, destination);
    AddFileArguments(cmd, o, useResponseFile, files);
    return word + cmd.Text;
}

std::string TCab32::BuildExtractCommand(QM_BUILD_PARAMS) {
    (void)window;
    return BuildCabCommand("-x", ExpandFileName(archive), destination, useResponseFile, files,
                           options);
}

std::string TCab32::BuildAddCommand(QM_BUILD_PARAMS) {
    (void)window;
    return BuildCabCommand("-a", archive, destination, useResponseFile, files, options);
}

std::string TCab32::BuildSfxCommand(void*, const std::string& archive,
                                    const std::string& destination,
                                    const TArchiverOptions& options) {
    return BuildCabCommand("-f", archive, destination, false, {}, options);
}

std::string TCab32::BuildExtractMemCommand(void*, const std::string& archive,
                                           const std::string& memberName,
                                           const TArchiverOptions& options) {
    return BuildCabCommand("", archive, "", false, {memberName}, options);
}

} // namespace qm
