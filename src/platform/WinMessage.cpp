#include "platform/WinMessage.h"

#include <atomic>
#include <cctype>
#include <cstdlib>
#include <cstring>
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

// 0 until the first question: then the code page the environment asks for.
std::atomic<int> g_ansiCodePage{0};

// The codeset part of a locale name ("ja_JP.SJIS@x" gives "sjis"), in lower case without '-'
// and '_'.
std::string LocaleCodeset(const char* locale) {
    const char* dot = std::strchr(locale, '.');
    std::string codeset;
    if (dot == nullptr)
        return codeset;
    for (const char* p = dot + 1; *p != '\0' && *p != '@'; ++p)
        if (*p != '-' && *p != '_')
            codeset += static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
    return codeset;
}

// QUILLMATE_CODEPAGE (932 or 65001) when set, else the code page of the process locale as the
// environment names it (LC_ALL, then LC_CTYPE, then LANG): 932 for a Shift_JIS locale, 65001
// for every other, C and POSIX included, where file names are still UTF-8 bytes.
int CodePageOfEnvironment() {
    if (const char* chosen = std::getenv("QUILLMATE_CODEPAGE"); chosen != nullptr) {
        if (std::strcmp(chosen, "932") == 0)
            return 932;
        if (std::strcmp(chosen, "65001") == 0)
            return 65001;
    }
    const char* locale = nullptr;
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        locale = std::getenv(name);
        if (locale != nullptr && *locale != '\0')
            break;
        locale = nullptr;
    }
    if (locale == nullptr)
        return 65001;
    const std::string codeset = LocaleCodeset(locale);
    for (const char* sjis : {"sjis", "shiftjis", "cp932", "ms932", "windows31j", "pck"})
        if (codeset == sjis)
            return 932;
    return 65001;
}

} // namespace

extern "C" int QmGetAnsiCodePage(void) {
    int codePage = g_ansiCodePage.load();
    if (codePage == 0) {
        int expected = 0;
        g_ansiCodePage.compare_exchange_strong(expected, CodePageOfEnvironment());
        codePage = g_ansiCodePage.load();
    }
    return codePage;
}

extern "C" void QmSetAnsiCodePage(int codePage) {
    g_ansiCodePage.store(codePage);
}
