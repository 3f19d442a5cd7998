#include "ToolLog.h"

#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/FileTransfer.h"

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
    FFile = std::fopen(path.c_str(), "ae");
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
