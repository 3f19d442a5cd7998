#pragma once
// What passes between the program and an archiver library: the entry signatures and the byte
// layouts of the records the libraries fill. Plain C types only, so a library written in C can
// include this header too. Strings are NUL-terminated in the ANSI code page; a "window" is a
// QmMessageSink* (platform/WinMessage.h) or null; BOOL results are int.
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef void* HARC;

typedef struct QmFileTime {
    uint32_t dwLowDateTime;
    uint32_t dwHighDateTime;
} QmFileTime;

#pragma pack(push, 1)

/* The member record that FindFirst and FindNext fill: 598 bytes. The library writes bytes
 * 0..557; the program completes the Extended part after each successful call. */
typedef struct TArchiveMemberInfo {
    uint32_t dwOriginalSize;
    uint32_t dwCompressedSize;
    uint8_t Reserved1[14];
    uint16_t wDate; /* MS-DOS date of the last write, local time */
    uint16_t wTime; /* MS-DOS time of the last write, local time */
    uint8_t Reserved2[532];
    struct {
        QmFileTime ftWriteTime; /* UTC */
        QmFileTime ftAccessTime;
        QmFileTime ftCreateTime;
        uint64_t ullOriginalSize;
        uint64_t ullCompressedSize;
    } Extended;
} TArchiveMemberInfo;

/* The progress record a library points to in the second parameter of "wm_arcextract". */
typedef struct TExtractingInfoEx {
    uint8_t Head[8];
    char szSourceFileName[513];
    uint8_t Gap[3];
    char szDestFileName[513];
} TExtractingInfoEx;
typedef TExtractingInfoEx* LPEXTRACTINGINFOEX;

/* The enumeration record: handed on untouched, so only its declared size matters here. */
typedef struct TEnumMemberInfo64 {
    uint8_t Data[1094];
} TEnumMemberInfo64;

#pragma pack(pop)

/* Guarded: the archiver libraries' own header defines the same names with the same values. */
#ifndef QM_ENUM_MEMBER_INFO_SIZE
#define QM_ENUM_MEMBER_INFO_SIZE 1094
#endif
#ifndef QM_WM_ARCEXTRACT
#define QM_WM_ARCEXTRACT "wm_arcextract" /* name of the registered progress message */
#endif

enum {
    QM_ARCEXTRACT_BEGIN = 0,
    QM_ARCEXTRACT_INPROCESS = 1,
    QM_ARCEXTRACT_END = 2,
    QM_ARCEXTRACT_OPEN = 3,
    QM_ARCEXTRACT_COPY = 4,
    QM_ERROR_PASSWORD_FILE = 0x800A
};

/* Non-zero lets the library go on; 0 stops the enumeration. */
typedef int (*TEnumMembersProc)(TEnumMemberInfo64* info);

typedef int (*TArcCommandFn)(void* window, const char* commandLine, char* output, uint32_t size);
typedef int (*TArcCheckArchiveFn)(const char* fileName, int mode);
typedef HARC (*TArcOpenArchiveFn)(void* window, const char* fileName, uint32_t mode);
typedef int (*TArcCloseArchiveFn)(HARC archive);
typedef int (*TArcFindFirstFn)(HARC archive, const char* wildName, TArchiveMemberInfo* info);
typedef int (*TArcFindNextFn)(HARC archive, TArchiveMemberInfo* info);
typedef int (*TArcGetTimeExFn)(HARC archive, QmFileTime* time);
typedef int (*TArcGetSizeExFn)(HARC archive, uint64_t* size);
typedef int (*TArcGetArchiveTypeFn)(const char* fileName);
typedef int (*TArcSetOwnerWindowExFn)(void* window, void* notifyProc);
typedef int (*TArcKillOwnerWindowExFn)(void* window);
typedef int (*TArcSetEnumMembersProc64Fn)(TEnumMembersProc proc, uint32_t recordSize);
typedef int (*TArcClearEnumMembersProc64Fn)(void);
typedef int (*TArcExtractMemFn)(void* window, const char* commandLine, uint8_t* buffer,
                                uint32_t size, void* time, uint16_t* attributes, uint32_t* written);
typedef int (*TArcPasswordDialogFn)(void* window, char* buffer, uint32_t size);
typedef int (*TArcSetDefaultPasswordFn)(HARC archive, const char* password);

#ifdef __cplusplus
}

static_assert(sizeof(TArchiveMemberInfo) == 598);
static_assert(offsetof(TArchiveMemberInfo, wDate) == 22);
static_assert(offsetof(TArchiveMemberInfo, wTime) == 24);
static_assert(offsetof(TArchiveMemberInfo, Extended) == 558);
static_assert(offsetof(TExtractingInfoEx, szSourceFileName) == 8);
static_assert(offsetof(TExtractingInfoEx, szDestFileName) == 524);
static_assert(sizeof(TEnumMemberInfo64) == QM_ENUM_MEMBER_INFO_SIZE);
#endif
