// A stand-in archiver library for the archive layer's tests. It exports the entries of every
// family under every prefix, records each call with its arguments, and answers what the test
// scripted through the Fake* control entries. Copies under different file names are separate
// instances with separate records. Built with FAKE_MINIMAL it lacks every optional entry and
// the check entry, like an old library.
#include "cmarc/ArchiverAbi.h"
#include "platform/WinMessage.h"

#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Member {
    std::string name;
    uint32_t size = 0, packed = 0;
    uint16_t date = 0, time = 0;
    bool hasEx = false;
    uint64_t size64 = 0, packed64 = 0, writeTime = 0;
};

std::string g_log;
std::map<std::string, long long> g_results;
std::vector<Member> g_members;
size_t g_current = 0;
std::string g_requiredPassword, g_defaultPassword;
std::deque<std::pair<int, std::string>> g_passwordAnswers;
struct Step {
    int state;
    std::string source, dest;
};
std::vector<Step> g_steps;
void* g_owner = nullptr;
TEnumMembersProc g_enumProc = nullptr;
const HARC kHandle = reinterpret_cast<HARC>(0x1234);

long long Result(const char* suffix, long long fallback) {
    auto it = g_results.find(suffix);
    return it == g_results.end() ? fallback : it->second;
}

void Log(const std::string& line) {
    g_log += line + "\n";
}

int DoCommand(const char* entry, void* window, const char* line, char* output, uint32_t size) {
    Log(std::string(entry) + "|" + (line ? line : "(null)") + "|" + std::to_string(size) + "|" +
        (output ? "buf" : "nobuf") + "|" + (window ? "hwnd" : "nohwnd"));
    if (output != nullptr && size > 0) {
        std::strncpy(output, "fake output", size - 1);
        output[size - 1] = '\0';
    }
    if (g_enumProc != nullptr) {
        for (const Member& m : g_members) {
            TEnumMemberInfo64 info{};
            std::strncpy(reinterpret_cast<char*>(info.Data), m.name.c_str(), 500);
            if (g_enumProc(&info) == 0) {
                Log("enum-stop|" + m.name);
                return 0x8020;
            }
            Log("enum|" + m.name);
        }
    }
    if (g_owner != nullptr) {
        const unsigned msg = QmRegisterWindowMessage(QM_WM_ARCEXTRACT);
        for (const Step& s : g_steps) {
            TExtractingInfoEx info{};
            std::strncpy(info.szSourceFileName, s.source.c_str(), 512);
            std::strncpy(info.szDestFileName, s.dest.c_str(), 512);
            const intptr_t answer = QmSendMessage(g_owner, msg, static_cast<uintptr_t>(s.state),
                                                  reinterpret_cast<intptr_t>(&info));
            Log("progress|" + std::to_string(s.state) + "|" + std::to_string(answer));
            if (answer != 0)
                return 0x8020;
        }
    }
    return static_cast<int>(Result("Command", 0));
}

void FillMember(TArchiveMemberInfo* info) {
    const Member& m = g_members[g_current];
    std::memset(info, 0, 558);
    info->dwOriginalSize = m.size;
    info->dwCompressedSize = m.packed;
    info->wDate = m.date;
    info->wTime = m.time;
    std::strncpy(reinterpret_cast<char*>(info->Reserved2), m.name.c_str(), 512);
}

int DoFindFirst(const char* entry, HARC, const char* wild, TArchiveMemberInfo* info) {
    Log(std::string(entry) + "|" + (wild ? wild : "(null)"));
    if (!g_requiredPassword.empty() && g_defaultPassword != g_requiredPassword)
        return QM_ERROR_PASSWORD_FILE;
    g_current = 0;
    if (g_members.empty())
        return -1;
    FillMember(info);
    return 0;
}

int DoFindNext(const char* entry, HARC, TArchiveMemberInfo* info) {
    Log(entry);
    if (g_current + 1 >= g_members.size())
        return -1;
    ++g_current;
    FillMember(info);
    return 0;
}

[[maybe_unused]] int DoTime(const char* entry, QmFileTime* time) {
    Log(entry);
    if (g_current >= g_members.size() || !g_members[g_current].hasEx)
        return 0;
    const uint64_t t = g_members[g_current].writeTime;
    time->dwLowDateTime = static_cast<uint32_t>(t);
    time->dwHighDateTime = static_cast<uint32_t>(t >> 32);
    return 1;
}

[[maybe_unused]] int DoSize(const char* entry, uint64_t* size, bool original) {
    Log(entry);
    if (g_current >= g_members.size() || !g_members[g_current].hasEx)
        return 0;
    *size = original ? g_members[g_current].size64 : g_members[g_current].packed64;
    return 1;
}

} // namespace

// ---- control entries -------------------------------------------------------------------------

FAKE_EXPORT void FakeReset() {
    g_log.clear();
    g_results.clear();
    g_members.clear();
    g_current = 0;
    g_requiredPassword.clear();
    g_defaultPassword.clear();
    g_passwordAnswers.clear();
    g_steps.clear();
    g_owner = nullptr;
    g_enumProc = nullptr;
}
FAKE_EXPORT void FakeSetResult(const char* suffix, long long value) {
    g_results[suffix] = value;
}
FAKE_EXPORT void FakeAddMember(const char* name, uint32_t size, uint32_t packed, uint16_t date,
                               uint16_t time) {
    Member m;
    m.name = name;
    m.size = size;
    m.packed = packed;
    m.date = date;
    m.time = time;
    g_members.push_back(m);
}
FAKE_EXPORT void FakeSetMemberEx(uint64_t size64, uint64_t packed64, uint64_t writeTime) {
    Member& m = g_members.back();
    m.hasEx = true;
    m.size64 = size64;
    m.packed64 = packed64;
    m.writeTime = writeTime;
}
FAKE_EXPORT void FakeRequirePassword(const char* password) {
    g_requiredPassword = password;
}
FAKE_EXPORT void FakePushPasswordAnswer(int result, const char* text) {
    g_passwordAnswers.emplace_back(result, text);
}
FAKE_EXPORT void FakeAddProgress(int state, const char* source, const char* dest) {
    g_steps.push_back({state, source, dest});
}
FAKE_EXPORT const char* FakeLog() {
    return g_log.c_str();
}

// ---- the archiver entries, once per prefix ---------------------------------------------------

#define FAKE_REQUIRED(P)                                                                           \
    FAKE_EXPORT int P(void* w, const char* line, char* out, uint32_t size) {                       \
        return DoCommand(#P, w, line, out, size);                                                  \
    }                                                                                              \
    FAKE_EXPORT HARC P##OpenArchive(void* w, const char* file, uint32_t mode) {                    \
        Log(std::string(#P "OpenArchive|") + file + "|" + std::to_string(mode) + "|" +             \
            (w ? "hwnd" : "nohwnd"));                                                              \
        return Result("OpenArchive", 1) != 0 ? kHandle : nullptr;                                  \
    }                                                                                              \
    FAKE_EXPORT int P##CloseArchive(HARC h) {                                                      \
        Log(std::string(#P "CloseArchive|") + (h ? "handle" : "null"));                            \
        return 0;                                                                                  \
    }                                                                                              \
    FAKE_EXPORT int P##FindFirst(HARC h, const char* wild, TArchiveMemberInfo* info) {             \
        return DoFindFirst(#P "FindFirst", h, wild, info);                                         \
    }                                                                                              \
    FAKE_EXPORT int P##FindNext(HARC h, TArchiveMemberInfo* info) {                                \
        return DoFindNext(#P "FindNext", h, info);                                                 \
    }                                                                                              \
    FAKE_EXPORT int P##ExtractMem(void*, const char* line, uint8_t*, uint32_t, void*, uint16_t*,   \
                                  uint32_t*) {                                                     \
        Log(std::string(#P "ExtractMem|") + line);                                                 \
        return 0;                                                                                  \
    }                                                                                              \
    FAKE_EXPORT int P##GetArchiveType(const char* file) {                                          \
        Log(std::string(#P "GetArchiveType|") + file);                                             \
        return static_cast<int>(Result("GetArchiveType", 0));                                      \
    }

#define FAKE_OPTIONAL(P)                                                                           \
    FAKE_EXPORT int P##CheckArchive(const char* file, int mode) {                                  \
        Log(std::string(#P "CheckArchive|") + file + "|" + std::to_string(mode));                  \
        return static_cast<int>(Result("CheckArchive", 1));                                        \
    }                                                                                              \
    FAKE_EXPORT int P##SetOwnerWindowEx(void* w, void*) {                                          \
        Log(#P "SetOwnerWindowEx");                                                                \
        g_owner = w;                                                                               \
        return 1;                                                                                  \
    }                                                                                              \
    FAKE_EXPORT int P##KillOwnerWindowEx(void*) {                                                  \
        Log(#P "KillOwnerWindowEx");                                                               \
        g_owner = nullptr;                                                                         \
        return 1;                                                                                  \
    }                                                                                              \
    FAKE_EXPORT int P##GetWriteTimeEx(HARC, QmFileTime* t) {                                       \
        return DoTime(#P "GetWriteTimeEx", t);                                                     \
    }                                                                                              \
    FAKE_EXPORT int P##GetCreateTimeEx(HARC, QmFileTime* t) {                                      \
        return DoTime(#P "GetCreateTimeEx", t);                                                    \
    }                                                                                              \
    FAKE_EXPORT int P##GetAccessTimeEx(HARC, QmFileTime* t) {                                      \
        return DoTime(#P "GetAccessTimeEx", t);                                                    \
    }                                                                                              \
    FAKE_EXPORT int P##GetOriginalSizeEx(HARC, uint64_t* s) {                                      \
        return DoSize(#P "GetOriginalSizeEx", s, true);                                            \
    }                                                                                              \
    FAKE_EXPORT int P##GetCompressedSizeEx(HARC, uint64_t* s) {                                    \
        return DoSize(#P "GetCompressedSizeEx", s, false);                                         \
    }                                                                                              \
    FAKE_EXPORT int P##SetEnumMembersProc64(TEnumMembersProc proc, uint32_t size) {                \
        Log(std::string(#P "SetEnumMembersProc64|") + std::to_string(size));                       \
        g_enumProc = proc;                                                                         \
        return 1;                                                                                  \
    }                                                                                              \
    FAKE_EXPORT int P##ClearEnumMembersProc64() {                                                  \
        Log(#P "ClearEnumMembersProc64");                                                          \
        g_enumProc = nullptr;                                                                      \
        return 1;                                                                                  \
    }                                                                                              \
    FAKE_EXPORT int P##PasswordDialog(void* w, char* buffer, uint32_t size) {                      \
        Log(std::string(#P "PasswordDialog|") + std::to_string(size) + "|" +                       \
            (w ? "hwnd" : "nohwnd"));                                                              \
        if (g_passwordAnswers.empty())                                                             \
            return -1;                                                                             \
        auto answer = g_passwordAnswers.front();                                                   \
        g_passwordAnswers.pop_front();                                                             \
        std::strncpy(buffer, answer.second.c_str(), size - 1);                                     \
        return answer.first;                                                                       \
    }                                                                                              \
    FAKE_EXPORT int P##SetDefaultPassword(HARC, const char* password) {                            \
        Log(std::string(#P "SetDefaultPassword|") + password);                                     \
        g_defaultPassword = password;                                                              \
        return 0;                                                                                  \
    }

#ifdef FAKE_MINIMAL
#define FAKE_FAMILY(P) FAKE_REQUIRED(P)
#else
#define FAKE_FAMILY(P) FAKE_REQUIRED(P) FAKE_OPTIONAL(P)
#endif

FAKE_FAMILY(Unlha)
FAKE_FAMILY(Cab)
FAKE_FAMILY(Unarj)
FAKE_FAMILY(Tar)
FAKE_FAMILY(Unrar)
FAKE_FAMILY(Bga)
FAKE_FAMILY(Yz1)
FAKE_FAMILY(SevenZip)
FAKE_FAMILY(UnZip)
FAKE_FAMILY(Unzip)
FAKE_EXPORT int Zip(void* w, const char* line, char* out, uint32_t size) {
    return DoCommand("Zip", w, line, out, size);
}
