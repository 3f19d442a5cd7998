#include "ToolLog.h"

#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/FileTransfer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

const char* const ToolLogName = "Quillmate.log";

namespace {

constexpr std::int64_t MaxLogSize = 4 << 20;

std::string Stamp() {
    const DateTime now = LocalNow();
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", now.year, now.month,
                  now.day, now.hour, now.minute, now.second);
    return buffer;
}

} // namespace

TToolLog::TToolLog(const std::string& path) {
    if (path.empty())
        return;
    if (GetFileFacts(path).size > MaxLogSize) {
        try {
            ReplaceFileEntry(path, path + ".old");
        } catch (const Exception&) {
            // The old log is kept and grows further; nothing of the install depends on it.
        }
    }
    // Appended to without following a link at its name, and only when it is a regular file.
    const int fd = ::open(
        path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
    struct stat st {};
    if (fd < 0)
        return;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return;
    }
    FFile = ::fdopen(fd, "a");
    if (FFile == nullptr)
        ::close(fd);
}

TToolLog::~TToolLog() {
    if (FFile != nullptr)
        std::fclose(FFile);
}

void TToolLog::Line(const std::string& text) {
    if (FFile == nullptr)
        return;
    const std::string line = Stamp() + " " + text + "\n";
    if (std::fwrite(line.data(), 1, line.size(), FFile) != line.size()) {
        // A full disk: the install itself reports what matters; the log stops here.
        std::fclose(FFile);
        FFile = nullptr;
    }
}

void TToolLog::Flush() {
    if (FFile != nullptr)
        std::fflush(FFile);
}

} // namespace qm
