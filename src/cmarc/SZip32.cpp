#include "cmarc/SZip32.h"

#include "cmarc/SelfExtract.h"
#include "platform/Catalogue.h"

namespace qm {

namespace {
std::unique_ptr<TArchiverDll> g_sevenZipDll;
std::unique_ptr<TArchiverDll> MakeSevenZipDll() {
    return std::make_unique<TArchiverDll>(Tr("SZip32", "7z 形式書庫"), "7-zip32.dll", "SevenZip");
}
} // namespace

QM_DEFINE_DRIVER_BINDING(TSevenZip32, TArchiverDll, g_sevenZipDll, MakeSevenZipDll)

std::string TSevenZip32::Build7zCommand(const std::string& word, bool extract,
                                        const std::string& archive, const std::string& destination,
                                        bool useResponseFile, const TFileArgs& files,
                                        const TArchiverOptions& o) {
    TCmdOpt cmd;
    if (extract) {
        if (o.m == 2)
            cmd.Add("-aou");
        else if (o.jn > 0)
            cmd.Add("-aos");
        else if (o.c > 0)
            cmd.Add("-aoa");
    }
    cmd.Add("-ms=off");
    if (o.n > 0)
        cmd.Add("-hide");
    if (o.r == 0)
        cmd.Add("-r-");
    else if (o.r > 1)
        cmd.Add("-r");
    cmd.AddDir("w", o.w);
    if (o.y > 0)
        cmd.Add("-y");
    cmd.AddList("x!", o.jx);
    cmd.AddDir("o", destination);
    cmd.Add(o.UserOptions);
    cmd.AddStr("", archive);
    AddFileArguments(cmd, o, useResponseFile, files);
    // Without stored folders the extract word becomes "e".
    return (extract && o.x == 0 ? std::string("e") : word) + cmd.Text;
}

std::string TSevenZip32::BuildExtractCommand(QM_BUILD_PARAMS) {
    (void)window;
    return Build7zCommand("x", true, archive, destination, useResponseFile, files, options);
}

std::string TSevenZip32::BuildAddCommand(QM_BUILD_PARAMS) {
    (void)window;
    return Build7zCommand("u", false, archive, destination, useResponseFile, files, options);
}

std::string TSevenZip32::BuildDeleteCommand(QM_BUILD_PARAMS) {
    (void)window;
    (void)destination;
    return Build7zCommand("d", false, archive, "", useResponseFile, files, options);
}

int TSevenZip32::MakeSfx(void*, const std::string& archive, std::vector<char>&, std::string&,
                         const std::string& destination, const TArchiverOptions& options) {
    if (options.gw <= 0)
        throw EArchiver(Tr("SZip32", "16bit SFX を作成することはできません。"));
    // 7-Zip's own install folder would be searched first; this system records none, so the
    // standard search is the only one.
    const std::string module = SearchModuleFile(SevenZipSfxModule);
    if (module.empty())
        throw ESfxNoRequiredFile("7z", "", SevenZipSfxModule);
    CopySfx(SfxTargetName(archive, ".exe", destination), module, archive, false);
    return 0;
}

} // namespace qm
