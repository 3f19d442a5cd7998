#include "cmarc/Lha32.h"

#include "platform/Catalogue.h"

namespace qm {

namespace {
std::unique_ptr<TArchiverDll> g_lhaDll;
std::unique_ptr<TArchiverDll> MakeLhaDll() {
    return std::make_unique<TArchiverDll>(Tr("Lha32", "LHA 形式書庫"), "UNLHA32.DLL", "Unlha");
}
} // namespace

QM_DEFINE_DRIVER_BINDING(TLha32, TArchiverDll, g_lhaDll, MakeLhaDll)

std::string TLha32::BuildLhaCommand(const std::string& word, const std::string& archive,
                                    const std::string& destination, bool useResponseFile,
                                    const TFileArgs& files, const TArchiverOptions& o) {
    // Without these two the library would fall back on its own settings for time stamps and
    // stored attributes; the callers always give them.
    if (word == "x" && o.jse == -1)
        throw EAssertionFailed(Tr("Lha32", "jse オプションが設定されていません。"), "cmarc\\Lha32",
                               234);
    if (o.jso == -1)
        throw EAssertionFailed(Tr("Lha32", "jso オプションが設定されていません。"), "cmarc\\Lha32",
                               240);

    TCmdOpt cmd;
    cmd.Add("-+");
    cmd.AddNum("a", o.a);
    cmd.AddNum("c", o.c);
    cmd.AddNum("e", o.e);
    cmd.AddNum("f", o.f);
    cmd.AddNum("h", o.h);
    cmd.AddNum("i", o.i);
    cmd.AddNum("l", o.l);
    cmd.AddNum("m", o.m);
    cmd.AddNum("n", HasOwnerWindow() ? 1 : o.n);
    cmd.AddNum("o", o.o);
    cmd.AddNum("p", o.p);
    cmd.AddNum("r", o.r);
    cmd.AddNum("s", o.s);
    cmd.AddNum("t", o.t);
    cmd.AddNum("u", o.u);
    cmd.AddDir("w", o.w);
    cmd.AddNum("x", o.x);
    cmd.AddNum("y", o.y);
    cmd.AddNum("z", o.z);
    cmd.AddNum("jc", o.jc);
    cmd.AddNum("jd", o.jd);
    cmd.AddNum("je", o.je);
    cmd.AddNum("jf", o.jf);
    cmd.AddNum("jh", o.jh);
    cmd.AddNum("ji", o.ji);
    cmd.AddNum("jm", o.jm);
    cmd.AddNum("jn", o.jn);
    cmd.AddStr("jo", o.jo);
    cmd.AddStr("job", o.job);
    cmd.AddNum("jp", o.jp);
    cmd.AddNum("jr", o.jr);
    cmd.AddNum("jsb", o.jsb);
    cmd.AddNum("jsc", o.jsc);
    cmd.AddNum("jsd", o.jsd);
    cmd.AddNum("jse", o.jse);
    cmd.AddNum("jsf", o.jsf);
    cmd.AddNum("jsl", o.jsl);
    cmd.AddNum("jso", o.jso);
    cmd.AddNum("jss", o.jss);
    cmd.AddNum("jst", o.jst);
    cmd.AddNum("jsv", o.jsv);
    cmd.AddNum("jsz", o.jsz);
    cmd.AddNum("jw", o.jw);
    cmd.AddList("jx", o.jx);
    cmd.AddNum("jyc", o.jyc);
    cmd.AddNum("jyd", o.jyd);
    cmd.AddNum("jyk", o.jyk);
    cmd.AddNum("jyn", o.jyn);
    cmd.AddNum("jyo", o.jyo);
    cmd.AddStr("jz", o.jz);
    cmd.AddNum("ga", o.ga);
    cmd.AddNum("gd", o.gd);
    cmd.AddNum("ge", o.ge);
    cmd.AddNum("gf", o.gf);
    cmd.AddNum("gj", o.gj);
    cmd.AddNum("gm", o.gm);
    cmd.AddNum("gn", o.gn);
    cmd.AddNum("go", o.go);
    cmd.AddNum("gp", o.gp);
    cmd.AddStr("gr", o.gr);
    cmd.AddNum("gs", o.gs);
    cmd.AddNum("gu", o.gu);
    cmd.AddNum("gw", o.gw);
    cmd.AddNum("gya", o.gya);
    cmd.AddNum("gyc", o.gyc);
    cmd.AddStr("gyd", o.gyd);
    cmd.AddStr("gye", o.gye);
    cmd.AddNum("gyo", o.gyo);
    cmd.AddNum("gyq", o.gyq);
    cmd.AddNum("gys", o.gys);
    cmd.AddStr("gyt", o.gyt);
    cmd.AddStr("gyw", o.gyw);
    cmd.AddNum("gyx", o.gyx);
    cmd.Add(o.UserOptions);
    AddArchiveAndFolder(cmd, archive, destination);
    AddFileArguments(cmd, o, useResponseFile, files);
    return word + cmd.Text;
}

std::string TLha32::BuildExtractCommand(QM_BUILD_PARAMS) {
    (void)window;
    return BuildLhaCommand("x", archive, destination, useResponseFile, files, options);
}

std::string TLha32::BuildAddCommand(QM_BUILD_PARAMS) {
    (void)window;
    return BuildLhaCommand("u", archive, destination, useResponseFile, files, options);
}

std::string TLha32::BuildDeleteCommand(QM_BUILD_PARAMS) {
    (void)window;
    (void)destination;
    return BuildLhaCommand("d", archive, "", useResponseFile, files, options);
}

std::string TLha32::BuildUpdateCommand(QM_BUILD_PARAMS) {
    (void)window;
    return BuildLhaCommand("f", archive, destination, useResponseFile, files, options);
}

std::string TLha32::BuildSfxCommand(void*, const std::string& archive,
                                    const std::string& destination,
                                    const TArchiverOptions& options) {
    return BuildLhaCommand("s", archive, destination, false, {}, options);
}

std::string TLha32::BuildExtractMemCommand(void*, const std::string& archive,
                                           const std::string& memberName,
                                           const TArchiverOptions& options) {
    return BuildLhaCommand("", archive, "", false, {memberName}, options);
}

} // namespace qm
