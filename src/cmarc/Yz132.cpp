#include "cmarc/Yz132.h"

#include "cmarc/SelfExtract.h"
#include "platform/Catalogue.h"

namespace qm {

namespace {
std::unique_ptr<TYZ1Dll> g_yz1Dll;
}

// Unlike the other formats, a binding whose library does not load is dropped, so that the next
// attempt can choose between the two names again.
void TYZ1::ClassLoadDLL() {
    if (g_yz1Dll)
        return;
    for (const std::string& name : YZ1DllNames) {
        if (name.empty())
            continue;
        auto binding = std::make_unique<TYZ1Dll>(Tr("Yz132", "YZ1 形式書庫"), name, "Yz1");
        try {
            binding->LoadDLL();
        } catch (const EArchiver&) {
            continue; // this name is not there; the next one may be
        }
        g_yz1Dll = std::move(binding);
        return;
    }
    std::string names;
    if (!YZ1DllNames[0].empty() && !YZ1DllNames[1].empty())
        names = Args(Tr("Yz132", "%1 か %2"), YZ1DllNames[0], YZ1DllNames[1]);
    else
        names = YZ1DllNames[0].empty() ? YZ1DllNames[1] : YZ1DllNames[0];
    throw EArchiver(Args(Tr("Yz132", "Yz1 形式書庫を扱うには %1 が必要です。"), names));
}

void TYZ1::ClassFreeDLL() {
    if (g_yz1Dll)
        g_yz1Dll->FreeDLL();
    g_yz1Dll.reset();
}

TYZ1Dll* TYZ1::ClassDLL() {
    return g_yz1Dll.get();
}

TCustomArchiverDll& TYZ1::DLL() {
    if (!g_yz1Dll)
        ClassLoadDLL();
    return *g_yz1Dll;
}

std::string TYZ1::BuildYz1Command(const std::string& word, const std::string& archive,
                                  const std::string& destination, bool useResponseFile,
                                  const TFileArgs& files, const TArchiverOptions& o) {
    int y = -1;
    switch (o.m) {
    case 0:
        y = 2;
        break;
    case 1:
        y = 1;
        break;
    case 2:
        y = 2;
        break;
    case 9:
        y = 0;
        break;
    default:
        break;
    }
    const int k = y == 2 ? 2 : o.c;
    TCmdOpt cmd;
    cmd.Add("-+");
    cmd.AddNum("c", k);
    cmd.AddNum("y", y);
    cmd.AddBool("i", o.n > 0 || HasOwnerWindow());
    cmd.AddNum("z", o.p);
    cmd.AddNum("x", o.x);
    cmd.Add(o.UserOptions);
    AddArchiveAndFolder(cmd, archive, destination);
    AddFileArguments(cmd, o, useResponseFile, files);
    return word + cmd.Text;
}

std::string TYZ1::BuildExtractCommand(QM_BUILD_PARAMS) {
    (void)window;
    return BuildYz1Command("x", archive, destination, useResponseFile, files, options);
}

std::string TYZ1::BuildAddCommand(QM_BUILD_PARAMS) {
    (void)window;
    return BuildYz1Command("c", archive, destination, useResponseFile, files, options);
}

int TYZ1::MakeSfx(void*, const std::string& archive, std::vector<char>&, std::string&,
                  const std::string& destination, const TArchiverOptions& options) {
    std::string module;
    if (options.gw <= 0) {
        module = SearchModuleFile("yzdos16.sfx");
        if (module.empty())
            throw EArchiver(
                Tr("Yz132", "yz1 書庫からのDOS自己解凍書庫の作成には yzdos16.sfx が必要です。"));
    } else {
        module = SearchModuleFile("yzw32cui.sfx");
        if (module.empty())
            module = SearchModuleFile("yzdec.exe");
        if (module.empty())
            throw EArchiver(Tr("Yz132", "yz1 書庫からのWin32自己解凍書庫の作成には yzw32cui.sfx か "
                                        "yzdec.exe が必要です。"));
    }
    // The YZ1 stub finds the archive from the length written after it.
    CopySfx(SfxTargetName(archive, ".exe", destination), module, archive, true);
    return 0;
}

} // namespace qm
