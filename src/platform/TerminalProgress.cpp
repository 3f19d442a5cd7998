#include "platform/TerminalProgress.h"

#include "platform/Catalogue.h"

#include <cstdio>
#include <sys/ioctl.h>
#include <unistd.h>

namespace qm {

namespace {

// Display columns of UTF-8 text: East Asian characters take two (a close enough guess for the
// names and words shown here).
std::size_t Columns(const std::string& text) {
    std::size_t columns = 0;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const std::size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        columns += length >= 3 ? 2 : 1;
        i += length;
    }
    return columns;
}

// The end of text kept within columns, with "…" in front when something was cut.
std::string TailWithin(const std::string& text, std::size_t columns) {
    if (Columns(text) <= columns)
        return text;
    if (columns < 2)
        return std::string();
    std::size_t start = text.size();
    std::size_t used = 1;
    while (start > 0) {
        std::size_t at = start - 1;
        while (at > 0 && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80)
            --at;
        const std::size_t width = Columns(text.substr(at, start - at));
        if (used + width > columns)
            break;
        used += width;
        start = at;
    }
    return "…" + text.substr(start);
}

} // namespace

std::string ByteText(std::uint64_t bytes) {
    char buffer[32];
    if (bytes < 1024)
        std::snprintf(buffer, sizeof buffer, "%llu B", static_cast<unsigned long long>(bytes));
    else if (bytes < 1024 * 1024)
        std::snprintf(buffer, sizeof buffer, "%.1f KB", static_cast<double>(bytes) / 1024.0);
    else if (bytes < 1024ull * 1024 * 1024)
        std::snprintf(buffer, sizeof buffer, "%.1f MB", static_cast<double>(bytes) / 1048576.0);
    else
        std::snprintf(buffer, sizeof buffer, "%.2f GB", static_cast<double>(bytes) / 1073741824.0);
    return buffer;
}

bool TTerminalProgress::Shown() {
    return ::isatty(STDERR_FILENO) == 1;
}

TTerminalProgress::TTerminalProgress(std::string action)
    : FAction(std::move(action)), FShown(Shown()), FStart(std::chrono::steady_clock::now()),
      FLast(FStart) {}

TTerminalProgress::~TTerminalProgress() {
    if (FDrawn && !FFinished)
        std::fputs("\n", stderr);
}

void TTerminalProgress::Step(const std::string& name, std::int64_t done, std::int64_t total,
                             std::uint64_t bytes) {
    FName = name;
    FDone = done;
    FTotal = total;
    FBytes = bytes;
    if (!FShown)
        return; // nothing is drawn where nobody looks, and nothing is asked each step
    const auto now = std::chrono::steady_clock::now();
    if (FDrawn && now - FLast < std::chrono::milliseconds(100))
        return;
    FLast = now;
    Draw();
}

void TTerminalProgress::Finish() {
    if (FFinished)
        return;
    FName.clear();
    if (FDrawn || std::chrono::steady_clock::now() - FStart >= std::chrono::milliseconds(100))
        Draw();
    if (FDrawn)
        std::fputs("\n", stderr);
    FFinished = true;
}

void TTerminalProgress::Draw() {
    if (!FShown)
        return;
    winsize size{};
    const std::size_t width =
        ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 20 ? size.ws_col : 80;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - FStart).count();
    std::string line = FAction + " ";
    if (FTotal > 0) {
        const int cells = 20;
        const int filled = static_cast<int>(cells * FDone / FTotal);
        line += "[" + std::string(static_cast<std::size_t>(filled), '#') +
                std::string(static_cast<std::size_t>(cells - filled), ' ') + "] ";
        line += std::to_string(FDone) + "/" + std::to_string(FTotal);
    } else {
        line += Args(Tr("TerminalProgress", "%1 個"), std::to_string(FDone));
    }
    line += "  " + ByteText(FBytes);
    if (seconds > 0.05)
        line += "  " + ByteText(static_cast<std::uint64_t>(static_cast<double>(FBytes) / seconds)) + "/s";
    if (!FName.empty()) {
        const std::size_t used = Columns(line) + 2;
        if (used + 8 < width)
            line += "  " + TailWithin(FName, width - used - 1);
    }
    std::string out = "\r" + line + "\033[K";
    std::fputs(out.c_str(), stderr);
    std::fflush(stderr);
    FDrawn = true;
}

} // namespace qm
