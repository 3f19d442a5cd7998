#include "platform/WindowsVersion.h"

#include <mutex>

namespace qm {

namespace {

std::mutex g_mutex;
std::optional<OsVersion> g_override;

} // namespace

OsVersion GetOsVersion() {
    std::lock_guard<std::mutex> lock(g_mutex);
    // POSIX desktops behave like version 6: per-user settings, no elevation prompt of the old
    // kind, task-dialog style messages. The default member values say exactly that.
    return g_override.value_or(OsVersion{});
}

void SetOsVersionOverride(std::optional<OsVersion> version) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_override = version;
}

} // namespace qm
