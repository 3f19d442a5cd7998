// The exported names. Every family is the same code with its own prefix; only these symbols
// leave the library (exports.map).
#include "Api.h"

#define QM_EXPORT extern "C" __attribute__((visibility("default")))

#define QM_FAMILY_ENTRIES(P, WRITETIME, FAMILY)                                                    \
    QM_EXPORT int P(QM_HWND w, const char* c, char* o, uint32_t n) {                               \
        return qm::arc::CommandEntry(FAMILY, w, c, o, n);                                          \
    }                                                                                              \
    QM_EXPORT QM_BOOL P##CheckArchive(const char* a, int m) {                                      \
        return qm::arc::CheckArchive(FAMILY, a, m);                                                \
    }                                                                                              \
    QM_EXPORT HARC P##OpenArchive(QM_HWND w, const char* a, uint32_t m) {                          \
        return qm::arc::OpenArchive(FAMILY, w, a, m);                                              \
    }                                                                                              \
    QM_EXPORT int P##CloseArchive(HARC h) {                                                        \
        return qm::arc::CloseArchive(h);                                                           \
    }                                                                                              \
    QM_EXPORT int P##FindFirst(HARC h, const char* w, INDIVIDUALINFO* i) {                         \
        return qm::arc::FindFirst(h, w, i);                                                        \
    }                                                                                              \
    QM_EXPORT int P##FindNext(HARC h, INDIVIDUALINFO* i) {                                         \
        return qm::arc::FindNext(h, i);                                                            \
    }                                                                                              \
    QM_EXPORT QM_BOOL WRITETIME(HARC h, QM_FILETIME* t) {                                          \
        return qm::arc::GetTime(h, qm::arc::TimeKind::Write, t);                                   \
    }                                                                                              \
    QM_EXPORT QM_BOOL P##GetCreateTimeEx(HARC h, QM_FILETIME* t) {                                 \
        return qm::arc::GetTime(h, qm::arc::TimeKind::Create, t);                                  \
    }                                                                                              \
    QM_EXPORT QM_BOOL P##GetAccessTimeEx(HARC h, QM_FILETIME* t) {                                 \
        return qm::arc::GetTime(h, qm::arc::TimeKind::Access, t);                                  \
    }                                                                                              \
    QM_EXPORT QM_BOOL P##GetOriginalSizeEx(HARC h, int64_t* s) {                                   \
        return qm::arc::GetOriginalSize(h, s);                                                     \
    }                                                                                              \
    QM_EXPORT QM_BOOL P##GetCompressedSizeEx(HARC h, int64_t* s) {                                 \
        return qm::arc::GetCompressedSize(h, s);                                                   \
    }                                                                                              \
    QM_EXPORT int P##GetArchiveType(const char* a) {                                               \
        return qm::arc::GetArchiveType(FAMILY, a);                                                 \
    }                                                                                              \
    QM_EXPORT QM_BOOL P##SetOwnerWindowEx(QM_HWND w, QM_ARCHIVERPROC p) {                          \
        return qm::arc::SetOwnerWindow(FAMILY, w, p);                                              \
    }                                                                                              \
    QM_EXPORT QM_BOOL P##KillOwnerWindowEx(QM_HWND w) {                                            \
        return qm::arc::KillOwnerWindow(FAMILY, w);                                                \
    }                                                                                              \
    QM_EXPORT QM_BOOL P##SetEnumMembersProc64(QM_ENUMMEMBERPROC64 p, uint32_t s) {                 \
        return qm::arc::SetEnumMembersProc(FAMILY, p, s);                                          \
    }                                                                                              \
    QM_EXPORT QM_BOOL P##ClearEnumMembersProc64(void) {                                            \
        return qm::arc::ClearEnumMembersProc(FAMILY);                                              \
    }                                                                                              \
    QM_EXPORT int P##ExtractMem(QM_HWND w, const char* c, uint8_t* b, uint32_t n, int64_t* t,      \
                                uint16_t* a, uint32_t* s) {                                        \
        return qm::arc::ExtractMem(FAMILY, w, c, b, n, t, a, s);                                   \
    }

QM_FAMILY_ENTRIES(Unlha, UnlhaGetWriteTimeEx, qm::arc::Family::Lha)
QM_FAMILY_ENTRIES(UnZip, UnzipGetWriteTimeEx, qm::arc::Family::Zip)
QM_FAMILY_ENTRIES(Cab, CabGetWriteTimeEx, qm::arc::Family::Cab)
QM_FAMILY_ENTRIES(Tar, TarGetWriteTimeEx, qm::arc::Family::Tar)
QM_FAMILY_ENTRIES(Unrar, UnrarGetWriteTimeEx, qm::arc::Family::Rar)
QM_FAMILY_ENTRIES(SevenZip, SevenZipGetWriteTimeEx, qm::arc::Family::SevenZip)
