#include "cmarc/Tar32.h"

#include "cmarc/SelfExtract.h"
#include "platform/Catalogue.h"

namespace qm {

namespace {
std::unique_ptr<TArchiverDll> g_tarDll;
std::unique_ptr<TArchiverDll> MakeTarDll() {
    return std::make_unique<TArchiverDll>(Tr("Tar32", "tar/tgz/taz/bz2 形式書庫"), "TAR32.DLL",
                                          "Tar");
}
} // namespace

QM_DEFINE_DRIVER_BINDING(TTar32, TArchiverDll, g_tarDll, MakeTarDll)

std::string TTar32::BuildTarCommand(const std::string& word, const std::string& archive,
                                    const std::string& destination, bool useResponseFile,
                                    const TFileArgs& files, const TArchiverOptions& o) {
    TCmdOpt cmd;
    cmd.QuoteSwitchApart = true;
    if (o.a > 0)
        cmd.Add("-AH");
    if (o.a == 0)
        cmd.Add("-I");
    // The progress window takes the place of the library's own dialog; asked for no dialog,
    // the library shows none either way.
    if (o.n > 0)
        cmd.Add("--display-dialog=0");
    if (o.o > 0)
        cmd.Add("-g");
    cmd.AddNum("-check-all-path=", o.p);
    cmd.AddNum("-use-directory=", o.x);
    if (Kind() == tkTgz) {
        if (o.jm > 0)
            cmd.AddNum("z", o.jm);
        else
            cmd.Add("-z");
    } else if (Kind() == tkBZ2) {
        if (o.jm > 0)
            cmd.AddNum("B", o.jm);
        else
            cmd.Add("-B");
    }
    cmd.Add(o.UserOptions);
    if (!archive.empty())
        cmd.AddStr("f", archive);
    if (!destination.empty())
        cmd.AddDir("o", destination);
    AddFileArguments(cmd, o, useResponseFile, files);
    return word + cmd.Text;
}

std::string TTar32::BuildExtractCommand(QM_BUILD_PARAMS) {
    (void)window;
    return BuildTarCommand("x", archive, destination, useResponseFile, files, options);
}

std::string TTar32::BuildAddCommand(QM_BUILD_PARAMS) {
    (void)window;
    return BuildTarCommand("c", archive, destination, useResponseFile, files, options);
}

std::string TTar32::BuildExtractMemCommand(void*, const std::string& archive,
                                           const std::string& memberName,
                                           const TArchiverOptions& options) {
    return BuildTarCommand("", archive, "", false, {memberName}, options);
}

int TTar32::MakeSfx(void*, const std::string& archive, std::vector<char>&, std::string&,
                    const std::string& destination, const TArchiverOptions&) {
    if (Kind() == tkBZ2)
        throw EArchiver(Tr("Tar32", "BZ2 形式書庫は自己解凍形式にできません。"));
    const std::string module = SearchModuleFile("kmtarsef.exe");
    if (module.empty())
        throw ESfxNoRequiredFile("tar/tgz", "", "kmtarsef.exe");
    CopySfx(SfxTargetName(archive, ".EXE", destination), module, archive, false);
    return 0;
}

} // namespace qm
