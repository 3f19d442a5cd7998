#include "cmarc/Arj32.h"

#include "platform/Catalogue.h"

namespace qm {

namespace {
std::unique_ptr<TArchiverDll> g_arjDll;
std::unique_ptr<TArchiverDll> MakeArjDll() {
    return std::make_unique<TArchiverDll>(Tr("Arj32", "ARJ 形式書庫"), "UNARJ32J.DLL", "Unarj");
}
} // namespace

QM_DEFINE_DRIVER_BINDING(TArj32, TArchiverDll, g_arjDll, MakeArjDll)

std::string TArj32::BuildExtractCommand(QM_BUILD_PARAMS) {
    (void)window;
    return BuildLhaCommand("x", archive, destination, useResponseFile, files, options);
}

} // namespace qm
