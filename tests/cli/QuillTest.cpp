// quill as a script uses it: the real executable with the real installer, uninstaller and
// archiver libraries, on archives made here, in the sandboxed home.
#include "model/AppNotes.h"
#include "model/FileUtils.h"
#include "net/Sha256.h"

#include "LoopbackServer.h"
#include "Sandbox.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>

#include <fcntl.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

struct TRun {
    int Exit = -1;
    std::string Out, Err;
};

// Runs quill with arguments (shell words, already quoted), without a terminal.
TRun Quill(const std::string& args) {
    const std::string err = qmtest::MakeTempFolder("err") + "/stderr";
    const std::string command =
        std::string("'") + QM_QUILL + "' " + args + " 2>'" + err + "' </dev/null";
    TRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.Out.append(buffer, got);
    const int status = ::pclose(pipe);
    run.Exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.Err = qmtest::ReadFile(err);
    return run;
}

QJsonValue Json(const TRun& run) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(run.Out), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << run.Out << run.Err;
    return doc.isArray() ? QJsonValue(doc.array()) : QJsonValue(doc.object());
}

std::string S(const QJsonValue& value) {
    return value.toString().toStdString();
}

QJsonObject MemberAt(const QJsonObject& plan, const std::string& path) {
    for (const QJsonValue& m : plan["members"].toArray())
        if (S(m.toObject()["path"]) == path)
            return m.toObject();
    ADD_FAILURE() << "no member " << path;
    return {};
}

// A tar.gz of "<name>-<version>/": a script named like the application, a guide, data, and any
// further files given. Each later version's files are a day newer.
std::string MakeToolArchive(const std::string& version,
                            const std::map<std::string, std::string>& more = {},
                            const std::string& name = "mytool", bool fixedDates = false) {
    static int day = 1;
    const std::string dir = qmtest::MakeTempFolder("src");
    const std::string top = dir + "/" + name + "-" + version;
    qmtest::WriteFile(top + "/" + name, "#!/bin/sh\necho " + version + "\n");
    fs::permissions(top + "/" + name, fs::perms::owner_all | fs::perms::group_read |
                                          fs::perms::group_exec | fs::perms::others_read |
                                          fs::perms::others_exec);
    qmtest::WriteFile(top + "/README.md", "# mytool\n");
    qmtest::WriteFile(top + "/lib/data.txt", "data " + version);
    for (const auto& [path, bytes] : more)
        qmtest::WriteFile(top + "/" + path, bytes);
    const std::string archive = dir + "/" + name + "-" + version + "-linux-x86_64.tar.gz";
    EXPECT_EQ(qmtest::Run("cd '" + dir + "' && find . -exec touch -d '2024-01-01 +" +
                          std::to_string(fixedDates ? 0 : day++) + " days' {} + && bsdtar -czf '" +
                          archive + "' " + name + "-" + version),
              0);
    return archive;
}

std::string Home() {
    return std::getenv("HOME");
}

// Everything in the home but the program's own data folder.
// What lies in the home apart from the program's data folder and the standard folders (the
// desktop, the menu folder, the command folder, the programs folder, the icon theme), which an
// install may create and no uninstall removes.
std::set<std::string> HomeContents() {
    std::set<std::string> paths;
    const std::string data = qm::ExcludeTrailingPathDelimiter(qm::GetDataFolder());
    for (auto it = fs::recursive_directory_iterator(Home());
         it != fs::recursive_directory_iterator(); ++it) {
        const std::string path = it->path().string();
        if (path.compare(0, data.size(), data) == 0) {
            it.disable_recursion_pending();
            continue;
        }
        if (it->is_directory() && !it->is_symlink() && qm::IsStandardFolder(path))
            continue;
        paths.insert(path);
    }
    return paths;
}

} // namespace

// The whole road: the plan of a new archive, an install into a chosen folder with a desktop
// shortcut, the plan and install of the next version keeping both, list and show, and an
// uninstall that leaves the home as it was.
TEST(Quill, InstallUpdateListShowUninstall) {
    const std::set<std::string> before = HomeContents();
    const std::string v1 = MakeToolArchive("1.0");
    TRun plan = Quill("plan --json '" + v1 + "'");
    ASSERT_EQ(plan.Exit, 0) << plan.Err;
    QJsonObject p = Json(plan).toObject();
    EXPECT_EQ(S(p["archive"]), v1);
    EXPECT_EQ(S(p["name"]), "mytool");
    EXPECT_EQ(S(p["version"]), "1.0");
    EXPECT_TRUE(p["update_of"].isNull());
    EXPECT_EQ(S(p["main"]), "mytool-1.0/mytool");
    EXPECT_EQ(S(p["help"]), "mytool-1.0/README.md");
    EXPECT_EQ(S(p["install_folder"]), Home() + "/.local/opt/mytool/");
    // The single top folder's contents go into the install folder directly.
    EXPECT_EQ(S(MemberAt(p, "mytool-1.0/lib/data.txt")["destination"]),
              Home() + "/.local/opt/mytool/lib/data.txt");
    EXPECT_EQ(S(MemberAt(p, "mytool-1.0/mytool")["role"]), "main");
    EXPECT_TRUE(MemberAt(p, "mytool-1.0/mytool")["install"].toBool());

    const std::string to = Home() + "/apps/mt";
    TRun install = Quill("install '" + v1 + "' --to '" + to + "' --shortcut desktop --json");
    ASSERT_EQ(install.Exit, 0) << install.Err;
    QJsonObject r = Json(install).toObject();
    EXPECT_EQ(r["exit"].toInt(), 0);
    EXPECT_EQ(r["installed"].toInt(), 3);
    const int id = r["id"].toInt();
    EXPECT_GT(id, 0);
    EXPECT_EQ(qmtest::ReadFile(to + "/lib/data.txt"), "data 1.0");
    ASSERT_TRUE(
        fs::exists(Home() + "/Desktop/quillmate-" + std::to_string(id) + "-mytool.desktop"));
    EXPECT_TRUE(Json(Quill("list --json")).toArray()[0].toObject()["updated"].isNull());

    // The next version: recognised, where the first went, with its shortcut.
    const std::string v2 = MakeToolArchive("1.1", {{"plugins/p.txt", "p"}});
    plan = Quill("plan '" + v2 + "' --json");
    ASSERT_EQ(plan.Exit, 0) << plan.Err;
    p = Json(plan).toObject();
    EXPECT_EQ(p["update_of"].toObject()["id"].toInt(), id);
    EXPECT_EQ(S(p["update_of"].toObject()["version"]), "1.0");
    EXPECT_EQ(S(p["version"]), "1.1");
    EXPECT_EQ(S(p["install_folder"]), to + "/");
    EXPECT_EQ(S(MemberAt(p, "mytool-1.1/plugins/p.txt")["destination"]), to + "/plugins/p.txt");
    EXPECT_EQ(MemberAt(p, "mytool-1.1/mytool")["shortcuts"].toArray(), QJsonArray({"desktop"}));
    install = Quill("install '" + v2 + "' --json");
    ASSERT_EQ(install.Exit, 0) << install.Err;
    r = Json(install).toObject();
    EXPECT_EQ(r["id"].toInt(), id);
    EXPECT_EQ(r["installed"].toInt(), 1);
    EXPECT_EQ(r["replaced"].toInt(), 3);
    EXPECT_EQ(qmtest::ReadFile(to + "/lib/data.txt"), "data 1.1");
    // Again with backups: each replaced file is counted once, the one the user changed (and
    // so kept as a backup) too.
    qmtest::WriteFile(to + "/lib/data.txt", "changed by the user");
    install = Quill("install '" + v2 + "' --overwrite backup --json");
    ASSERT_EQ(install.Exit, 0) << install.Err;
    EXPECT_EQ(Json(install).toObject()["replaced"].toInt(), 4);
    EXPECT_TRUE(fs::remove(to + "/lib/data.txt.bak")); // the user's, no uninstall takes it

    const TRun list = Quill("list --json");
    ASSERT_EQ(list.Exit, 0) << list.Err;
    const QJsonArray apps = Json(list).toArray();
    ASSERT_EQ(apps.size(), 1);
    const QJsonObject app = apps[0].toObject();
    EXPECT_EQ(app["id"].toInt(), id);
    EXPECT_EQ(S(app["version"]), "1.1");
    EXPECT_EQ(S(app["archive"]), "mytool-1.1-linux-x86_64.tar.gz");
    EXPECT_EQ(S(app["folder"]), to + "/");
    EXPECT_EQ(app["files"].toInt(), 4);
    EXPECT_FALSE(app["all_users"].toBool());
    EXPECT_EQ(S(app["installed"]).size(), 25u) << S(app["installed"]); // 2026-12-07T21:58:44+09:00
    EXPECT_EQ(S(app["updated"]).size(), 25u);

    const TRun show = Quill("show " + std::to_string(id) + " --json");
    ASSERT_EQ(show.Exit, 0) << show.Err;
    const QJsonObject shown = Json(show).toObject();
    EXPECT_EQ(S(shown["name"]), "mytool");
    EXPECT_TRUE(MemberAt(shown, "mytool-1.1/plugins/p.txt")["present"].toBool());
    fs::remove(to + "/plugins/p.txt");
    EXPECT_FALSE(MemberAt(Json(Quill("show mytool --json")).toObject(),
                          "mytool-1.1/plugins/p.txt")["present"]
                     .toBool());

    // A name with other capitals names it too.
    const TRun removed = Quill("uninstall MyTool --json");
    ASSERT_EQ(removed.Exit, 0) << removed.Err;
    EXPECT_EQ(Json(removed).toObject()["removed"].toInt(), 4);
    EXPECT_EQ(HomeContents(), before);
    EXPECT_EQ(Json(Quill("list --json")).toArray().size(), 0);
}

// Wrong usage is exit 64 with one line and the usage; a name that fits two applications is a
// failure that lists them.
TEST(Quill, UsageErrorsAndAnAmbiguousName) {
    for (const char* args : {"", "frobnicate", "install", "plan a.zip b.zip", "list --yes",
                             "install x.zip --overwrite sometimes", "install x.zip --to"}) {
        const TRun run = Quill(args);
        EXPECT_EQ(run.Exit, 64) << args;
        EXPECT_EQ(run.Err.rfind("quill: ", 0), 0u) << args << ": " << run.Err;
        EXPECT_NE(run.Err.find("使い方: quill"), std::string::npos) << args;
        EXPECT_TRUE(run.Out.empty()) << args;
    }
    const std::string a = MakeToolArchive("2.0");
    ASSERT_EQ(Quill("install '" + a + "' --name Same --to '" + Home() + "/s1'").Exit, 0);
    const std::string b = MakeToolArchive("3.0", {}, "other");
    // Installed beside, not as its update: another name and folder.
    ASSERT_EQ(Quill("install '" + b + "' --name same --to '" + Home() + "/s2'").Exit, 0);
    const TRun list = Quill("list --json");
    ASSERT_EQ(Json(list).toArray().size(), 2) << list.Out;
    const TRun show = Quill("show SAME");
    EXPECT_EQ(show.Exit, 1);
    EXPECT_NE(show.Err.find("複数"), std::string::npos) << show.Err;
    EXPECT_NE(show.Err.find("Same 2.0"), std::string::npos) << show.Err;
    EXPECT_NE(show.Err.find("same 3.0"), std::string::npos) << show.Err;
    EXPECT_EQ(Quill("uninstall nosuchapp").Exit, 1);
    for (const QJsonValue& app : Json(Quill("list --json")).toArray())
        EXPECT_EQ(Quill("uninstall " + std::to_string(app.toObject()["id"].toInt())).Exit, 0);
}

// A damaged archive fails with one clear line, and nothing of it stays in the data folder.
TEST(Quill, ADamagedArchiveFailsAndLeavesNothing) {
    const std::string good = MakeToolArchive("4.0", {{"big.bin", std::string(200000, 'x')}});
    std::string bytes = qmtest::ReadFile(good);
    const std::string bad = qmtest::MakeTempFolder("bad") + "/mytool-4.0.tar.gz";
    qmtest::WriteFile(bad, bytes.substr(0, bytes.size() / 2));
    for (const char* command : {"plan ", "install "}) {
        const TRun run = Quill(command + ("'" + bad + "'"));
        EXPECT_EQ(run.Exit, 1) << command << run.Err;
        EXPECT_EQ(run.Err.rfind("quill: ", 0), 0u) << run.Err;
        EXPECT_NE(run.Err.find("非対応のアーカイブ"), std::string::npos) << run.Err;
        EXPECT_TRUE(run.Out.empty());
    }
    EXPECT_EQ(Quill("plan /no/such/archive.zip").Exit, 1);
    // No working folder (eight hexadecimal digits) is left.
    if (fs::exists(qm::GetDataFolder())) {
        for (const auto& entry : fs::directory_iterator(qm::GetDataFolder())) {
            EXPECT_FALSE(entry.is_directory() && entry.path().filename().string().size() == 8)
                << entry.path();
        }
    }
}

namespace {

// "MyApp-1.2.0-linux-x86_64.tar.xz" as a portable Linux application comes: an ELF program
// compiled here, a shared library with its version link, an SVG icon and a hicolor tree, and a
// desktop entry of its own with translations, MIME types and an action.
std::string MakeLinuxApp() {
    const std::string dir = qmtest::MakeTempFolder("linux");
    const std::string top = dir + "/MyApp-1.2.0";
    qmtest::WriteFile(dir + "/main.c",
                      "#include <stdio.h>\nint main(void){puts(\"hello\");return 0;}\n");
    qmtest::WriteFile(dir + "/foo.c", "int foo(void){return 1;}\n");
    qmtest::WriteFile(top + "/myapp.svg",
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"16\" height=\"16\">"
                      "<rect width=\"16\" height=\"16\" fill=\"red\"/></svg>\n");
    qmtest::WriteFile(top + "/myapp.desktop",
                      "[Desktop Entry]\nType=Application\nName=My App\nName[ja]=マイアプリ\n"
                      "Comment=A test application\nExec=myapp %U\nIcon=myapp\n"
                      "Categories=Utility;\nMimeType=text/plain;\nStartupWMClass=MyApp\n"
                      "Terminal=false\nActions=new;\n\n[Desktop Action new]\nName=New window\n"
                      "Exec=myapp --new\n");
    qmtest::WriteFile(top + "/README", "read me\n");
    EXPECT_EQ(qmtest::Run("cd '" + dir + "' && mkdir -p " + top + "/lib " + top +
                          "/icons/hicolor/48x48/apps && cc -o " + top + "/myapp main.c && " +
                          "cc -shared -fPIC -o " + top + "/lib/libfoo.so.1.0 foo.c && ln -s " +
                          "libfoo.so.1.0 " + top + "/lib/libfoo.so.1 && convert -size 48x48 " +
                          "xc:red " + top + "/icons/hicolor/48x48/apps/myapp.png && bsdtar -cJf " +
                          "MyApp-1.2.0-linux-x86_64.tar.xz MyApp-1.2.0"),
              0);
    return dir + "/MyApp-1.2.0-linux-x86_64.tar.xz";
}

std::string FindEntry(const std::string& folder) {
    if (!fs::exists(folder))
        return {};
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.path().extension() == ".desktop" &&
            qmtest::ReadFile(entry.path()).find("X-Quillmate-AppId=") != std::string::npos)
            return entry.path();
    return {};
}

} // namespace

// A Linux application: named by its desktop entry, its version from the archive; the entry it
// bundles keeps its keys with the installed places put in, its icons go into the user's icon
// theme, its program becomes a command, and the uninstall takes all of it away again.
TEST(Quill, ALinuxApplicationGetsItsEntryIconsAndCommand) {
    const std::set<std::string> before = HomeContents();
    const std::string archive = MakeLinuxApp();
    TRun plan = Quill("plan --json '" + archive + "'");
    ASSERT_EQ(plan.Exit, 0) << plan.Err;
    const QJsonObject p = Json(plan).toObject();
    EXPECT_EQ(S(p["name"]), "My App");
    EXPECT_EQ(S(p["version"]), "1.2.0");
    EXPECT_EQ(S(p["main"]), "MyApp-1.2.0/myapp");
    EXPECT_TRUE(p["help"].isNull() || S(p["help"]) == "MyApp-1.2.0/README");

    const TRun install = Quill("install '" + archive + "' --command --shortcut menu --json");
    ASSERT_EQ(install.Exit, 0) << install.Err;
    const int id = Json(install).toObject()["id"].toInt();
    const std::string folder = Home() + "/.local/opt/My App/";
    ASSERT_TRUE(fs::exists(folder + "myapp")) << install.Err;
    EXPECT_TRUE(fs::is_symlink(folder + "lib/libfoo.so.1"));

    const std::string entryPath = FindEntry(Home() + "/.local/share/applications");
    ASSERT_FALSE(entryPath.empty());
    EXPECT_EQ(qmtest::Run("desktop-file-validate '" + entryPath + "'"), 0);
    const std::string entry = qmtest::ReadFile(entryPath);
    const std::string icon = "quillmate-" + std::to_string(id) + "-myapp";
    for (const std::string& line : std::vector<std::string>{
             "Exec=\"" + folder + "myapp\" %U", "Name[ja]=マイアプリ",
             std::string("MimeType=text/plain;"), std::string("StartupWMClass=MyApp"),
             std::string("Categories=Utility;"), "Icon=" + icon,
             "Path=" + folder.substr(0, folder.size() - 1), "Exec=\"" + folder + "myapp\" --new"})
        EXPECT_NE(entry.find("\n" + line + "\n"), std::string::npos) << line << "\n" << entry;
    const std::string theme = Home() + "/.local/share/icons/hicolor/";
    EXPECT_TRUE(fs::exists(theme + "scalable/apps/" + icon + ".svg"));
    EXPECT_TRUE(fs::exists(theme + "48x48/apps/" + icon + ".png"));

    const std::string command = Home() + "/.local/bin/myapp";
    ASSERT_TRUE(fs::is_symlink(command));
    EXPECT_EQ(fs::read_symlink(command), folder + "myapp");
    EXPECT_EQ(qmtest::Run("test \"$('" + command + "')\" = hello"), 0);

    ASSERT_EQ(Quill("uninstall " + std::to_string(id)).Exit, 0);
    EXPECT_EQ(HomeContents(), before);
}

namespace {

// "MyTool-<version>-x86_64.AppImage": an ELF program marked as an AppImage, with a squashfs image
// after it that holds the desktop entry, the icon and .DirIcon at its root.
std::string MakeAppImage(const std::string& version) {
    const std::string dir = qmtest::MakeTempFolder("appimage");
    qmtest::WriteFile(dir + "/main.c", "int main(void){return 0;}\n");
    qmtest::WriteFile(dir + "/root/mytool.desktop",
                      "[Desktop Entry]\nType=Application\nName=My Tool\nExec=AppRun %F\n"
                      "Icon=mytool\nCategories=Development;\nMimeType=x-scheme-handler/https;\n");
    const std::string file = dir + "/MyTool-" + version + "-x86_64.AppImage";
    EXPECT_EQ(
        qmtest::Run("cd '" + dir + "' && cc -o runtime main.c && " +
                    "convert -size 48x48 xc:blue root/mytool.png && " +
                    "ln -s mytool.png root/.DirIcon && " +
                    "mksquashfs root image.sqfs -quiet -no-progress -all-root >/dev/null && " +
                    "printf 'gh-releases-zsync|acme|mytool|latest|MyTool-*-x86_64.AppImage.zsync' "
                    "> info && objcopy --add-section .upd_info=info runtime && " +
                    "printf 'AI\\002' | dd of=runtime bs=1 seek=8 conv=notrunc 2>/dev/null && " +
                    "cat runtime image.sqfs > '" + file + "' && chmod 644 '" + file + "'"),
        0);
    return file;
}

} // namespace

// A bare AppImage is a plan of one file: installed executable into its own folder, with the entry
// and icon it carries; its next version, named with another version, is recognised as its update.
TEST(Quill, ABareAppImageAndItsNextVersion) {
    const std::set<std::string> before = HomeContents();
    const std::string first = MakeAppImage("2.4.0");
    TRun plan = Quill("plan --json '" + first + "'");
    ASSERT_EQ(plan.Exit, 0) << plan.Err;
    QJsonObject p = Json(plan).toObject();
    EXPECT_EQ(S(p["name"]), "MyTool");
    EXPECT_EQ(S(p["version"]), "2.4.0");
    EXPECT_EQ(p["members"].toArray().size(), 1);
    EXPECT_EQ(S(p["main"]), "MyTool-2.4.0-x86_64.AppImage");
    // The entry inside asks to open web addresses: said before the install, left out of it.
    ASSERT_EQ(p["handlers"].toArray().size(), 1);
    EXPECT_EQ(S(p["handlers"].toArray()[0]), "x-scheme-handler/https");
    EXPECT_NE(plan.Err.find("--allow-handlers"), std::string::npos) << plan.Err;

    TRun install = Quill("install '" + first + "' --json");
    ASSERT_EQ(install.Exit, 0) << install.Err;
    const int id = Json(install).toObject()["id"].toInt();
    const std::string folder = Home() + "/.local/opt/MyTool/";
    ASSERT_TRUE(fs::exists(folder + "MyTool-2.4.0-x86_64.AppImage"));
    EXPECT_NE(fs::status(folder + "MyTool-2.4.0-x86_64.AppImage").permissions() &
                  fs::perms::owner_exec,
              fs::perms::none);
    std::string entryPath = FindEntry(Home() + "/.local/share/applications");
    ASSERT_FALSE(entryPath.empty());
    EXPECT_EQ(qmtest::Run("desktop-file-validate '" + entryPath + "'"), 0);
    std::string entry = qmtest::ReadFile(entryPath);
    const std::string icon = "quillmate-" + std::to_string(id) + "-mytool";
    // Its own update information is its source.
    EXPECT_NE(qmtest::ReadFile(qm::GetDataFolder() + "apps/" + std::to_string(id) + ".source")
                  .find("pattern\tMyTool-*-x86_64.AppImage\n"),
              std::string::npos);
    EXPECT_NE(entry.find("\nName=My Tool\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nCategories=Development;\n"), std::string::npos) << entry;
    EXPECT_EQ(entry.find("x-scheme-handler"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nIcon=" + icon + "\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nExec=" + folder + "MyTool-2.4.0-x86_64.AppImage %F\n"),
              std::string::npos)
        << entry;
    EXPECT_TRUE(fs::exists(Home() + "/.local/share/icons/hicolor/48x48/apps/" + icon + ".png"));

    const std::string next = MakeAppImage("2.4.1");
    plan = Quill("plan --json '" + next + "'");
    ASSERT_EQ(plan.Exit, 0) << plan.Err;
    p = Json(plan).toObject();
    EXPECT_EQ(p["update_of"].toObject()["id"].toInt(), id);
    EXPECT_EQ(S(p["version"]), "2.4.1");
    install = Quill("install '" + next + "' --clean auto --json");
    ASSERT_EQ(install.Exit, 0) << install.Err;
    EXPECT_EQ(Json(install).toObject()["id"].toInt(), id);
    EXPECT_FALSE(fs::exists(folder + "MyTool-2.4.0-x86_64.AppImage"));
    entryPath = FindEntry(Home() + "/.local/share/applications");
    ASSERT_FALSE(entryPath.empty());
    entry = qmtest::ReadFile(entryPath);
    EXPECT_NE(entry.find("MyTool-2.4.1-x86_64.AppImage %F\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nName=My Tool\n"), std::string::npos) << entry;

    ASSERT_EQ(Quill("uninstall " + std::to_string(id)).Exit, 0);
    EXPECT_EQ(HomeContents(), before);
}

// Under any locale but a Japanese one quill speaks English, its own texts and the core's alike.
TEST(Quill, SpeaksEnglishUnderAnotherLocale) {
#ifndef QM_QUILL_HAS_CATALOGUE
    GTEST_SKIP() << "quill is built without its catalogue";
#endif
    ::unsetenv("QUILLMATE_LANG");
    ::setenv("LC_ALL", "C", 1);
    const TRun usage = Quill("");
    const TRun missing = Quill("plan /no/such/archive.zip");
    ::setenv("QUILLMATE_LANG", "ja", 1);
    ::unsetenv("LC_ALL");
    EXPECT_EQ(usage.Exit, 64);
    EXPECT_NE(usage.Err.find("quill: No command given.\nUsage: quill plan ARCHIVE"),
              std::string::npos)
        << usage.Err;
    EXPECT_EQ(missing.Exit, 1);
    EXPECT_NE(missing.Err.find("The file \"/no/such/archive.zip\" was not found."),
              std::string::npos)
        << missing.Err;
}

// A program named like a command already on PATH is never made that command: the plan says so
// and nothing is installed.
// Vendors that fix every date (npm, reproducible builds): the next version still replaces the
// program it installed, and going back to an earlier version is said before it is done.
TEST(Quill, TheNextVersionReplacesTheProgramWhateverTheDatesSay) {
    const std::string v1 = MakeToolArchive("1.0", {}, "samedate", true);
    const std::string v2 = MakeToolArchive("1.1", {}, "samedate", true);
    const std::string to = Home() + "/apps/samedate";
    ASSERT_EQ(Quill("install '" + v1 + "' --to '" + to + "' --yes").Exit, 0);
    const TRun update = Quill("install '" + v2 + "' --yes");
    ASSERT_EQ(update.Exit, 0) << update.Err;
    EXPECT_EQ(qmtest::ReadFile(to + "/samedate"), "#!/bin/sh\necho 1.1\n");
    EXPECT_EQ(qmtest::ReadFile(to + "/lib/data.txt"), "data 1.1");

    // A file the user changed since stays under "newer".
    qmtest::WriteFile(to + "/lib/data.txt", "mine");
    const TRun back = Quill("install '" + v1 + "' --yes");
    ASSERT_EQ(back.Exit, 0) << back.Err;
    EXPECT_NE(back.Err.find("1.1"), std::string::npos) << back.Err;
    EXPECT_NE(back.Err.find("1.0"), std::string::npos) << back.Err;
    EXPECT_EQ(qmtest::ReadFile(to + "/samedate"), "#!/bin/sh\necho 1.0\n");
    EXPECT_EQ(qmtest::ReadFile(to + "/lib/data.txt"), "mine");

    // A clean update is an update: the first install's date stays, the update's is told.
    const QJsonObject first = Json(Quill("list --json")).toArray()[0].toObject();
    ASSERT_EQ(Quill("install '" + v2 + "' --clean auto --yes").Exit, 0);
    const QJsonObject cleaned = Json(Quill("list --json")).toArray()[0].toObject();
    EXPECT_EQ(S(cleaned["installed"]), S(first["installed"]));
    EXPECT_FALSE(cleaned["updated"].isNull());
    ASSERT_EQ(Quill("uninstall samedate --yes").Exit, 0);
}

// A vendor that packed one version flat and the next in a chain of folders ("Seven/seven-2.0/"):
// the next version is the same application's update whatever the archive's name, its files go
// where the installed copy is (a new subfolder too, below the folder the user chose), the
// chain of single folders leaves no trace in the paths, and going back works alike.
TEST(Quill, TheNextVersionIsFoundAndPlacedWhateverTheLayout) {
    const std::string dir = qmtest::MakeTempFolder("layout");
    ASSERT_EQ(
        qmtest::Run("cd '" + dir +
                    "' && mkdir -p flat Seven/seven-2.0/Lang && "
                    "printf '#!/bin/sh\\necho 1\\n' > flat/seven && chmod 755 flat/seven && "
                    "echo one > flat/readme.txt && "
                    "printf '#!/bin/sh\\necho 2\\n' > Seven/seven-2.0/seven && "
                    "chmod 755 Seven/seven-2.0/seven && echo two > Seven/seven-2.0/readme.txt && "
                    "echo ja > Seven/seven-2.0/Lang/ja.txt && "
                    "bsdtar -czf seven-x64.tar.gz -C flat seven readme.txt && "
                    "bsdtar -czf Seven-2.0-linux.tar.gz Seven"),
        0);
    const std::set<std::string> before = HomeContents();
    const std::string to = Home() + "/Programs/Seven";
    ASSERT_EQ(Quill("install '" + dir + "/seven-x64.tar.gz' --to '" + to + "' --yes").Exit, 0);

    const TRun plan = Quill("plan '" + dir + "/Seven-2.0-linux.tar.gz' --json");
    ASSERT_EQ(plan.Exit, 0) << plan.Err;
    const QJsonObject p = Json(plan).toObject();
    EXPECT_FALSE(p["update_of"].isNull()) << "the same application";
    EXPECT_EQ(S(MemberAt(p, "Seven/seven-2.0/seven")["destination"]), to + "/seven");
    EXPECT_EQ(S(MemberAt(p, "Seven/seven-2.0/Lang/ja.txt")["destination"]), to + "/Lang/ja.txt");
    ASSERT_EQ(Quill("install '" + dir + "/Seven-2.0-linux.tar.gz' --yes").Exit, 0);
    EXPECT_EQ(qmtest::ReadFile(to + "/seven"), "#!/bin/sh\necho 2\n");
    EXPECT_EQ(qmtest::ReadFile(to + "/Lang/ja.txt"), "ja\n");
    EXPECT_FALSE(fs::exists(to + "/Seven")) << "no second copy inside the first";
    EXPECT_EQ(Json(Quill("list --json")).toArray().size(), 1);

    // A fresh install of the foldered one drops the whole chain.
    ASSERT_EQ(Quill("install '" + dir + "/seven-x64.tar.gz' --yes").Exit, 0);
    EXPECT_EQ(qmtest::ReadFile(to + "/seven"), "#!/bin/sh\necho 1\n");
    EXPECT_EQ(Json(Quill("list --json")).toArray().size(), 1);
    ASSERT_EQ(Quill("uninstall seven --yes").Exit, 0);
    const TRun fresh = Quill("plan '" + dir + "/Seven-2.0-linux.tar.gz' --json");
    EXPECT_EQ(S(MemberAt(Json(fresh).toObject(), "Seven/seven-2.0/seven")["destination"]),
              Home() + "/.local/opt/Seven/seven");
    EXPECT_EQ(HomeContents(), before);
}

// Two different programs whose entries give one name: the second gets a folder of its own,
// said, and after both are gone nothing of them is left.
TEST(Quill, TwoApplicationsOfOneNameNeverShareAFolder) {
    const std::string dir = qmtest::MakeTempFolder("viewers");
    for (const std::string program : {"aview", "bview"})
        ASSERT_EQ(qmtest::Run("cd '" + dir + "' && mkdir " + program +
                              " && printf '#!/bin/sh\\n' > " + program + "/" + program +
                              " && chmod 755 " + program + "/" + program +
                              " && printf '[Desktop Entry]\\nType=Application\\nName=Image "
                              "Viewer\\nExec=" +
                              program + "\\n' > " + program + "/" + program +
                              ".desktop && bsdtar -czf " + program + ".tar.gz " + program),
                  0);
    const std::set<std::string> before = HomeContents();
    ASSERT_EQ(Quill("install '" + dir + "/aview.tar.gz' --yes").Exit, 0);
    const TRun plan = Quill("plan '" + dir + "/bview.tar.gz' --json");
    ASSERT_EQ(plan.Exit, 0) << plan.Err;
    EXPECT_TRUE(Json(plan).toObject()["update_of"].isNull());
    EXPECT_EQ(S(Json(plan).toObject()["install_folder"]), Home() + "/.local/opt/bview/");
    EXPECT_NE(plan.Err.find(Home() + "/.local/opt/Image Viewer/"), std::string::npos) << plan.Err;
    ASSERT_EQ(Quill("install '" + dir + "/bview.tar.gz' --yes").Exit, 0);
    EXPECT_TRUE(fs::exists(Home() + "/.local/opt/Image Viewer/aview"));
    EXPECT_TRUE(fs::exists(Home() + "/.local/opt/bview/bview"));
    const QJsonArray apps = Json(Quill("list --json")).toArray();
    ASSERT_EQ(apps.size(), 2);
    for (const QJsonValue& app : apps)
        ASSERT_EQ(
            Quill("uninstall " + std::to_string(app.toObject()["id"].toInt()) + " --yes").Exit, 0);
    EXPECT_EQ(HomeContents(), before);
}

// A program whose file name carries its version keeps one command and one menu entry across
// versions.
TEST(Quill, AVersionedProgramNameGivesAStableCommandAndEntry) {
    const std::string dir = qmtest::MakeTempFolder("versioned");
    for (const std::string version : {"1.2", "1.3"})
        ASSERT_EQ(qmtest::Run("cd '" + dir + "' && mkdir tool-" + version +
                              " && printf "
                              "'#!/bin/sh\\necho " +
                              version + "\\n' > tool-" + version + "/tool-" + version +
                              "-linux && chmod 755 tool-" + version + "/tool-" + version +
                              "-linux && bsdtar -czf tool-" + version + "-linux.tar.gz tool-" +
                              version),
                  0);
    ASSERT_EQ(
        Quill("install '" + dir + "/tool-1.2-linux.tar.gz' --command --shortcut menu --yes").Exit,
        0);
    const TRun update = Quill("install '" + dir + "/tool-1.3-linux.tar.gz' --yes");
    ASSERT_EQ(update.Exit, 0) << update.Err;
    const std::string bin = Home() + "/.local/bin/";
    ASSERT_TRUE(fs::is_symlink(bin + "tool"));
    EXPECT_EQ(fs::read_symlink(bin + "tool").filename(), "tool-1.3-linux");
    EXPECT_FALSE(fs::exists(bin + "tool-1.2-linux"));
    std::vector<std::string> entries;
    for (const auto& entry : fs::directory_iterator(Home() + "/.local/share/applications"))
        if (entry.path().extension() == ".desktop")
            entries.push_back(entry.path().filename().string());
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_NE(entries[0].find("-tool.desktop"), std::string::npos) << entries[0];
    ASSERT_EQ(Quill("uninstall tool --yes").Exit, 0);
}

// A portable program that ships as a 7z archive behind a Windows program opens as its archive;
// an installer of its own (NSIS) is refused with a word that says so.
TEST(Quill, ASevenZipSelfExtractorOpensAndAnInstallerIsNamed) {
    const std::string dir = qmtest::MakeTempFolder("sfx");
    fs::create_directories(dir + "/Portable");
    fs::copy_file(qmtest::TestDataFolder() + "/pe/tool64.exe", dir + "/Portable/tool.exe");
    ASSERT_EQ(qmtest::Run("cd '" + dir + "' && 7z a -bd -bso0 p.7z Portable"), 0);
    // A self-extractor's program is some hundred kilobytes long; the archive follows it.
    std::string stub = qmtest::ReadFile(qmtest::TestDataFolder() + "/pe/tool64.exe");
    stub.resize(0x28000, '\0');
    qmtest::WriteFile(dir + "/Portable-1.0-64-bit.7z.exe", stub + qmtest::ReadFile(dir + "/p.7z"));
    const TRun plan = Quill("plan '" + dir + "/Portable-1.0-64-bit.7z.exe' --json");
    ASSERT_EQ(plan.Exit, 0) << plan.Err;
    EXPECT_EQ(S(Json(plan).toObject()["main"]), "Portable/tool.exe");

    qmtest::WriteFile(dir + "/setup.exe", stub + std::string("\xef\xbe\xad\xdeNullsoftInst", 16));
    const TRun installer = Quill("plan '" + dir + "/setup.exe'");
    EXPECT_EQ(installer.Exit, 1);
    EXPECT_NE(installer.Err.find("NSIS"), std::string::npos) << installer.Err;
}

// A bundled entry's Exec is put right only where it starts the program, and only the program's
// word: the rest stays as the vendor wrote it; an entry that starts something else is kept.
TEST(Quill, ABundledEntrysExecKeepsWhatTheVendorWrote) {
    const std::string dir = qmtest::MakeTempFolder("exec");
    const auto make = [&](const std::string& name, const std::string& exec) {
        qmtest::WriteFile(dir + "/" + name + "-1.0/" + name, "#!/bin/sh\n");
        fs::permissions(dir + "/" + name + "-1.0/" + name, fs::perms::owner_all);
        qmtest::WriteFile(dir + "/" + name + "-1.0/" + name + ".desktop",
                          "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec +
                              "\n");
        EXPECT_EQ(
            qmtest::Run("cd '" + dir + "' && bsdtar -czf " + name + ".tar.gz " + name + "-1.0"), 0);
        const TRun install =
            Quill("install '" + dir + "/" + name + ".tar.gz' --shortcut menu --yes --json");
        EXPECT_EQ(install.Exit, 0) << install.Err;
        const int id = Json(install).toObject()["id"].toInt();
        return qmtest::ReadFile(Home() + "/.local/share/applications/quillmate-" +
                                std::to_string(id) + "-" + name + ".desktop");
    };
    const std::string quoted = make("qtool", "qtool --title 'My App' %U");
    EXPECT_NE(quoted.find("Exec=" + Home() + "/.local/opt/qtool/qtool --title 'My App' %U\n"),
              std::string::npos)
        << quoted;
    const std::string other = make("jtool", "java -jar app.jar");
    EXPECT_NE(other.find("Exec=java -jar app.jar\n"), std::string::npos) << other;

    // A name given to the application is the menu's in every language.
    qmtest::WriteFile(dir + "/ntool-1.0/ntool", "#!/bin/sh\n");
    fs::permissions(dir + "/ntool-1.0/ntool", fs::perms::owner_all);
    qmtest::WriteFile(dir + "/ntool-1.0/ntool.desktop",
                      "[Desktop Entry]\nType=Application\nName=ntool\nName[de]=N-Werkzeug\n"
                      "Exec=ntool\n");
    ASSERT_EQ(qmtest::Run("cd '" + dir + "' && bsdtar -czf ntool.tar.gz ntool-1.0"), 0);
    const TRun named =
        Quill("install '" + dir + "/ntool.tar.gz' --name 'Note Tool' --shortcut menu --yes --json");
    ASSERT_EQ(named.Exit, 0) << named.Err;
    const std::string entry = qmtest::ReadFile(
        Home() + "/.local/share/applications/quillmate-" +
        std::to_string(Json(named).toObject()["id"].toInt()) + "-Note Tool.desktop");
    EXPECT_NE(entry.find("\nName=Note Tool\n"), std::string::npos) << entry;
    EXPECT_EQ(entry.find("Name[de]"), std::string::npos) << entry;
}

// What a script and a newcomer meet: a failure with --json is an object on standard output,
// --no-shortcut is satisfied by an archive with no program, and a name that turns text around
// (U+202E) is shown with its mark visible.
TEST(Quill, ErrorsInJsonNoShortcutWithoutAProgramAndVisibleNames) {
    const TRun missing = Quill("plan /nonexistent/x.zip --json");
    EXPECT_EQ(missing.Exit, 1);
    const QJsonObject error = Json(missing).toObject();
    EXPECT_EQ(error["exit"].toInt(), 1);
    EXPECT_FALSE(S(error["error"]).empty());
    EXPECT_EQ(Json(Quill("uninstall nothing-such --json")).toObject()["exit"].toInt(), 1);

    const std::string dir = qmtest::MakeTempFolder("docs");
    qmtest::WriteFile(dir + "/docs/guide.txt", "read");
    qmtest::WriteFile(dir + "/docs/evil\u202Etxt.exe", "MZ");
    ASSERT_EQ(qmtest::Run("cd '" + dir + "' && zip -qr docs.zip docs/guide.txt"), 0);
    const TRun noShortcut = Quill("install '" + dir + "/docs.zip' --no-shortcut --yes");
    EXPECT_EQ(noShortcut.Exit, 0) << noShortcut.Err;
    ASSERT_EQ(qmtest::Run("cd '" + dir + "' && bsdtar -czf bidi.tar.gz docs"), 0);
    const TRun plan = Quill("plan '" + dir + "/bidi.tar.gz'");
    ASSERT_EQ(plan.Exit, 0) << plan.Err;
    EXPECT_EQ(plan.Out.find("\u202E"), std::string::npos) << "the override is never printed raw";
}

// A break while a compressed tar opens ends quill as cancelled, with nothing left behind, and
// does not wait for the check of the whole stream.
TEST(Quill, ABreakDuringAnOpenEndsAtOnceAndLeavesNothing) {
    const std::string dir = qmtest::MakeTempFolder("break");
    ASSERT_EQ(qmtest::Run("cd '" + dir + "' && mkdir big && for i in 1 2 3 4; do head -c 100M " +
                          "/dev/zero > big/z$i; done && tar cf - big | xz -0 -T2 > big.tar.xz && " +
                          "rm -r big"),
              0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execl(QM_QUILL, QM_QUILL, "plan", (dir + "/big.tar.xz").c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // Once the extraction has begun (its working folder is there), the break.
    const std::string data = qm::ExcludeTrailingPathDelimiter(qm::GetDataFolder());
    for (int i = 0; i < 200; ++i) {
        bool working = false;
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(data, error))
            working = working || (entry.is_directory() && entry.path().filename() != "apps");
        if (working)
            break;
        ::usleep(10000);
    }
    ::kill(child, SIGINT);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(data, error))
        EXPECT_FALSE(entry.is_directory() && entry.path().filename() != "apps")
            << "a working folder is left: " << entry.path();
}

TEST(Quill, ACommandThatStandsInForOneOnPathIsRefused) {
    const std::string dir = qmtest::MakeTempFolder("lsapp");
    ASSERT_EQ(qmtest::Run("cd '" + dir +
                          "' && mkdir Ls-1.0 && printf '#!/bin/sh\\necho mine\\n' > "
                          "Ls-1.0/ls && chmod 755 Ls-1.0/ls && tar czf ls-1.0.tar.gz Ls-1.0"),
              0);
    const std::set<std::string> before = HomeContents();
    const TRun install =
        Quill("install '" + dir + "/ls-1.0.tar.gz' --main Ls-1.0/ls --command --yes");
    EXPECT_EQ(install.Exit, 1);
    EXPECT_NE(install.Err.find("\"ls\""), std::string::npos) << install.Err;
    EXPECT_EQ(HomeContents(), before);

    // Another name the user picks is taken; one that reads as an option is not.
    const std::string archive = dir + "/ls-1.0.tar.gz";
    EXPECT_EQ(Quill("install '" + archive + "' --main Ls-1.0/ls --command-name -rf --yes").Exit, 1);
    const TRun named =
        Quill("install '" + archive + "' --main Ls-1.0/ls --command-name my-ls --yes");
    ASSERT_EQ(named.Exit, 0) << named.Err;
    const std::string link = Home() + "/.local/bin/my-ls";
    ASSERT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link).filename(), "ls");
    EXPECT_FALSE(fs::exists(Home() + "/.local/bin/ls"));
    ASSERT_EQ(Quill("uninstall Ls --yes").Exit, 0);
    EXPECT_FALSE(fs::is_symlink(link));
}

namespace {

// A forge's release of mytool as the REST API shows it, with its files and a SHA256SUMS, served
// from root; sums may be made wrong on purpose.
void PublishRelease(const qmtest::LoopbackServer& server, const std::string& version,
                    bool wrongSums = false) {
    const std::string root = server.Root();
    const std::string asset = "mytool-" + version + "-linux-x86_64.tar.gz";
    const std::string folder = "/dl/v" + version + "/";
    fs::create_directories(root + folder);
    fs::copy_file(MakeToolArchive(version), root + folder + asset,
                  fs::copy_options::overwrite_existing);
    qmtest::WriteFile(root + folder + "mytool-" + version + "-windows-x64.zip", "not for here");
    const std::string digest = qm::Sha256Hex(qmtest::ReadFile(root + folder + asset));
    qmtest::WriteFile(root + folder + "SHA256SUMS",
                      (wrongSums ? std::string(64, '0') : digest) + "  " + asset + "\n");
    std::string assets;
    for (const std::string& name :
         {asset, "mytool-" + version + "-windows-x64.zip", std::string("SHA256SUMS")})
        assets += std::string(assets.empty() ? "" : ",") + "{\"name\": \"" + name +
                  "\", \"browser_download_url\": \"" + server.Url(folder + name) + "\"}";
    qmtest::WriteFile(root + "/api/repos/acme/mytool/releases/latest",
                      "{\"tag_name\": \"v" + version +
                          "\", \"prerelease\": false, \"draft\": false, \"assets\": [" + assets +
                          "]}");
}

struct TForgeApi {
    explicit TForgeApi(const std::string& root) {
        ::setenv("QUILLMATE_FORGE_API", root.c_str(), 1);
    }
    ~TForgeApi() { ::unsetenv("QUILLMATE_FORGE_API"); }
};

} // namespace

// Installed from a forge release, verified by its SHA256SUMS; its next version is found, and
// installed where the user put the first one; a next version whose checksum does not match is
// not installed; the uninstall takes the source along.
TEST(QuillSources, AForgeReleaseFoundVerifiedAndUpdated) {
    qmtest::LoopbackServer server(qmtest::MakeTempFolder("www"));
    ASSERT_TRUE(server.Running());
    TForgeApi api(server.Url("/api"));
    PublishRelease(server, "1.0.0");
    const std::string folder = qmtest::MakeTempFolder("chosen") + "/MyTool";
    TRun install = Quill("install github:acme/mytool --to '" + folder + "' --no-shortcut --json");
    ASSERT_EQ(install.Exit, 0) << install.Err;
    QJsonObject result = Json(install).toObject();
    EXPECT_EQ(S(result["verified"]), "sha256: SHA256SUMS");
    const std::string id = std::to_string(result["id"].toInt());
    ASSERT_TRUE(fs::exists(folder + "/mytool"));

    TRun outdated = Quill("outdated --json");
    ASSERT_EQ(outdated.Exit, 0) << outdated.Err;
    EXPECT_TRUE(Json(outdated).toArray().isEmpty()) << outdated.Out;

    PublishRelease(server, "1.1.0");
    outdated = Quill("outdated --json");
    ASSERT_EQ(outdated.Exit, 0) << outdated.Err;
    const QJsonArray list = Json(outdated).toArray();
    ASSERT_EQ(list.size(), 1) << outdated.Out;
    EXPECT_EQ(S(list[0].toObject()["installed"]), "1.0.0");
    EXPECT_EQ(S(list[0].toObject()["latest"]), "1.1.0");
    EXPECT_EQ(S(list[0].toObject()["source"]), "github:acme/mytool");
    EXPECT_TRUE(list[0].toObject()["verified"].toBool());

    TRun update = Quill("update " + id + " --json");
    ASSERT_EQ(update.Exit, 0) << update.Err;
    EXPECT_EQ(Json(update).toObject()["id"].toInt(), std::stoi(id));
    EXPECT_NE(qmtest::ReadFile(folder + "/mytool").find("1.1.0"), std::string::npos);
    EXPECT_EQ(S(Json(Quill("show " + id + " --json")).toObject()["version"]), "1.1.0");

    PublishRelease(server, "1.2.0", true);
    update = Quill("update --all");
    EXPECT_EQ(update.Exit, 1);
    EXPECT_NE(update.Err.find("SHA256SUMS"), std::string::npos) << update.Err;
    EXPECT_NE(qmtest::ReadFile(folder + "/mytool").find("1.1.0"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(qm::GetDataFolder() + "downloads"));

    // Exported, uninstalled, and imported again: from its source, into the folder chosen.
    const std::string exported = qmtest::MakeTempFolder("export") + "/apps.json";
    ASSERT_EQ(Quill("export '" + exported + "'").Exit, 0);
    EXPECT_NE(qmtest::ReadFile(exported).find("\"source\": \"github:acme/mytool\""),
              std::string::npos)
        << qmtest::ReadFile(exported);
    const std::string source = qm::GetDataFolder() + "apps/" + id + ".source";
    EXPECT_TRUE(fs::exists(source));
    ASSERT_EQ(Quill("uninstall " + id + " --yes").Exit, 0);
    EXPECT_FALSE(fs::exists(source));
    EXPECT_FALSE(fs::exists(folder + "/mytool"));
    PublishRelease(server, "1.2.0");
    const TRun imported = Quill("import '" + exported + "'");
    ASSERT_EQ(imported.Exit, 0) << imported.Err;
    EXPECT_NE(qmtest::ReadFile(folder + "/mytool").find("1.2.0"), std::string::npos);
    EXPECT_EQ(Json(Quill("outdated --json")).toArray().size(), 0);
}

// A plain URL: a new file behind it (another ETag) is the next version. A folder listing set
// later as the source: the newest file of the installed one's name.
TEST(QuillSources, APlainUrlAndAFolderListing) {
    qmtest::LoopbackServer server(qmtest::MakeTempFolder("www"));
    ASSERT_TRUE(server.Running());
    const std::string root = server.Root();
    fs::create_directories(root + "/files");
    fs::copy_file(MakeToolArchive("2.0", {}, "urltool"), root + "/files/urltool-latest.tar.gz");
    TRun install =
        Quill("install '" + server.Url("/files/urltool-latest.tar.gz") + "' --no-shortcut --json");
    ASSERT_EQ(install.Exit, 0) << install.Err;
    EXPECT_EQ(S(Json(install).toObject()["verified"]), "none");
    EXPECT_TRUE(Json(Quill("outdated --json")).toArray().isEmpty());
    fs::copy_file(MakeToolArchive("2.1", {}, "urltool"), root + "/files/urltool-latest.tar.gz",
                  fs::copy_options::overwrite_existing);
    QJsonArray list = Json(Quill("outdated --json")).toArray();
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(S(list[0].toObject()["url"]), server.Url("/files/urltool-latest.tar.gz"));

    // A local install, its source set by hand to the vendor's folder.
    const std::string local = MakeToolArchive("3.0", {}, "listtool");
    ASSERT_EQ(Quill("install '" + local + "' --no-shortcut --yes").Exit, 0);
    fs::create_directories(root + "/linux");
    fs::copy_file(local, root + "/linux/" + fs::path(local).filename().string());
    TRun set = Quill("source listtool '" + server.Url("/linux/") + "'");
    ASSERT_EQ(set.Exit, 0) << set.Err;
    fs::copy_file(MakeToolArchive("3.10", {}, "listtool"),
                  root + "/linux/listtool-3.10-linux-x86_64.tar.gz");
    list = Json(Quill("outdated --json")).toArray();
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(S(list[1].toObject()["latest"]), "3.10");
    // A source that cannot be reached is said, and the others are still listed.
    ASSERT_EQ(Quill("source listtool '" + server.Url("/gone/") + "'").Exit, 0);
    const TRun failed = Quill("outdated --json");
    EXPECT_EQ(failed.Exit, 1);
    EXPECT_EQ(Json(failed).toArray().size(), 1);
    EXPECT_NE(failed.Err.find(server.Url("/gone/")), std::string::npos) << failed.Err;
    EXPECT_EQ(Quill("source listtool http://example.org/x/").Exit, 64);
}
