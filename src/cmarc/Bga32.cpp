#include "cmarc/Bga32.h"

#include "platform/Catalogue.h"

namespace qm {

namespace {
std::unique_ptr<TArchiverDll> g_bgaDll;
std::unique_ptr<TArchiverDll> MakeBgaDll() {
    return std::make_unique<TArchiverDll>(Tr("Bga32", "BGA 形式書庫"), "BGA32.DLL", "Bga");
}
} // namespace

QM_DEFINE_DRIVER_BINDING(TBGA32, TArchiverDll, g_bgaDll, MakeBgaDll)

std::string TBGA32::BuildBgaCommand(const std::string& word, const std::string& archive,
                                    const std::string& destination, bool useResponseFile,
                                    const TFileArgs& files, const TArchiverOptions& o) {
    TCmdOpt cmd;
    cmd.AddBool("a", o.a > 0);
    cmd.Add(o.c <= 0 ? "-n" : "-o");
    cmd.AddBool("i", o.n > 0 || HasOwnerWindow());
    cmd.AddBool("r", o.r > 0);
    cmd.AddBool("j", o.x <= 0);
    cmd.AddNum("l", o.jm);
    cmd.Add(o.UserOptions);
    AddArchiveAndFolder(cmd, archive, destination);
    AddFileArguments(cmd, o, useResponseFile, files);
    return word + cmd.Text;
}

std::string TBGA32::BuildExtractCommand(QM_BUILD_PARAMS) {
    (void)window;
    return BuildBgaCommand("x", archive, destination, useResponseFile, files, options);
}

std::string TBGA32::BuildAddCommand(QM_BUILD_PARAMS) {
    (void)window;
    return BuildBgaCommand("a", archive, destination, useResponseFile, files, options);
}

std::string TBGA32::BuildDeleteCommand(QM_BUILD_PARAMS) {
    (void)window;
    (void)destination;
    return BuildBgaCommand("d", archive, "", useResponseFile, files, options);
}

std::string TBGA32::BuildSfxCommand(void*, const std::string& archive,
                                    const std::string& destination,
                                    const TArchiverOptions& options) {
    return BuildBgaCommand("s", archive, destination, false, {}, options);
}

} // namespace qm
