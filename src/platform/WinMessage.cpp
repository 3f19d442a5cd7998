#include "platform/WinMessage.h"

#include <atomic>
#include <cctype>
#include <mutex>
#include <string>
#include <unordered_map>

namespace {

std::string Folded(const char* name) {
    std::string s(name);
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

extern "C" unsigned QmRegisterWindowMessage(const char* name) {
    static std::mutex lock;
    static std::unordered_map<std::string, unsigned> table;
    if (name == nullptr || *name == '\0')
        return 0;
    std::lock_guard<std::mutex> guard(lock);
    auto [it, added] = table.emplace(Folded(name), QM_FIRST_REGISTERED_MESSAGE +
                                                       static_cast<unsigned>(table.size()));
    return it->second;
}

extern "C" intptr_t QmSendMessage(void* window, unsigned message, uintptr_t wparam,
                                  intptr_t lparam) {
    auto* sink = static_cast<QmMessageSink*>(window);
    if (sink == nullptr || sink->magic != QM_SINK_MAGIC || sink->proc == nullptr)
        return 0;
    return sink->proc(sink->context, message, wparam, lparam);
}

namespace {
std::atomic<int> g_ansiCodePage{932};
} // namespace

extern "C" int QmGetAnsiCodePage(void) {
    return g_ansiCodePage.load();
}

extern "C" void QmSetAnsiCodePage(int codePage) {
    g_ansiCodePage.store(codePage);
}
