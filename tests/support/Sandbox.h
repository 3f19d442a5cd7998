#pragma once
// Every test process runs in a sandbox: a fresh temporary folder that stands in for HOME, the XDG
// folders, TMPDIR and QUILLMATE_SYSTEM_ROOT, so no test reads or writes the real home or system
// folders. The sandbox is made before main's tests run and removed afterwards.
#include <string>

namespace qmtest {

// The sandbox root, with no trailing '/'.
const std::string& SandboxRoot();
// A new empty folder inside the sandbox, with no trailing '/'.
std::string MakeTempFolder(const std::string& hint = "t");
// Writes a file (creating parent folders), returns its path.
std::string WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
// Runs a shell command; returns its exit status (-1 when it could not run).
int Run(const std::string& command);
// The build tree's folder of loadable libraries (lib/quillmate) and of test data.
std::string PluginFolder();
std::string TestDataFolder();

// Sets TZ to a fixed zone ("JST-9", "Asia/Tokyo") for the object's lifetime and restores the
// previous zone afterwards, so local-time results do not depend on the machine's zone.
class FixedTimeZone {
public:
    explicit FixedTimeZone(const char* zone);
    ~FixedTimeZone();
    FixedTimeZone(const FixedTimeZone&) = delete;
    FixedTimeZone& operator=(const FixedTimeZone&) = delete;

private:
    bool had_ = false;
    std::string old_;
};

} // namespace qmtest
