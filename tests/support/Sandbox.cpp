#include "Sandbox.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace qmtest {

namespace {

std::string g_root;

void SetEnv(const char* name, const std::string& value) {
    setenv(name, value.c_str(), 1);
}

class SandboxEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        std::string base = fs::temp_directory_path().string() + "/qmtest.XXXXXX";
        if (mkdtemp(base.data()) == nullptr)
            std::abort();
        g_root = base;
        const std::string home = g_root + "/home";
        fs::create_directories(home + "/.local/share");
        fs::create_directories(home + "/.config");
        fs::create_directories(g_root + "/system");
        fs::create_directories(g_root + "/tmp");
        SetEnv("HOME", home);
        SetEnv("XDG_DATA_HOME", home + "/.local/share");
        SetEnv("XDG_CONFIG_HOME", home + "/.config");
        SetEnv("XDG_CACHE_HOME", home + "/.cache");
        SetEnv("XDG_DESKTOP_DIR", home + "/Desktop");
        SetEnv("QUILLMATE_SYSTEM_ROOT", g_root + "/system");
        SetEnv("TMPDIR", g_root + "/tmp");
        // The texts the tests check are the program's own, in Japanese, whatever the machine's
        // locale; the tests of the English interface choose English themselves.
        SetEnv("QUILLMATE_LANG", "ja");
        // The Java runtime behind jlha writes its performance data to /tmp whatever TMPDIR says.
        SetEnv("JAVA_TOOL_OPTIONS", "-XX:-UsePerfData");
    }
    void TearDown() override {
        if (std::getenv("QMTEST_KEEP") == nullptr) {
            std::error_code ec;
            fs::remove_all(g_root, ec);
        }
    }
};

} // namespace

const std::string& SandboxRoot() {
    return g_root;
}

std::string MakeTempFolder(const std::string& hint) {
    std::string path = g_root + "/tmp/" + hint + ".XXXXXX";
    if (mkdtemp(path.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    return path;
}

std::string WriteFile(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
    return path;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

int Run(const std::string& command) {
    // The tools that make fixtures read the UTF-8 names they are given through their locale;
    // the test process itself keeps whatever locale it was started with.
    const std::string withLocale = "export LC_ALL=C.UTF-8 LANG=C.UTF-8; " + command;
    int status = std::system(withLocale.c_str());
    if (status == -1)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string PluginFolder() {
    return QM_TEST_PLUGIN_DIR;
}
FixedTimeZone::FixedTimeZone(const char* zone) {
    const char* old = std::getenv("TZ");
    had_ = old != nullptr;
    if (had_)
        old_ = old;
    setenv("TZ", zone, 1);
    tzset();
}

FixedTimeZone::~FixedTimeZone() {
    if (had_)
        setenv("TZ", old_.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

std::string TestDataFolder() {
    return QM_TEST_DATA_DIR;
}

} // namespace qmtest

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new qmtest::SandboxEnvironment);
    return RUN_ALL_TESTS();
}
