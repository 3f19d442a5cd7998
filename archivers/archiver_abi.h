#pragma once
/* The archiver libraries' C interface, as the program binds it by file name and entry name.
 *
 * One shared library serves every family libarchive can read and is installed under each
 * family's file name ("UNLHA32.DLL", "UNZIP32.DLL", "CAB32.DLL", "TAR32.DLL", "UNRAR32.DLL",
 * "7-zip32.dll"). Each family exports the same entries under its own prefix ("Unlha", "UnZip",
 * "Cab", "Tar", "Unrar", "SevenZip"): the command entry is the prefix alone, the others are the
 * prefix followed by the suffix named below (ZIP's write-time entry is "UnzipGetWriteTimeEx").
 *
 * Strings are NUL-terminated in the process's ANSI code page (932 unless changed). A "window" is
 * a QmMessageSink* (platform/WinMessage.h); 0 for none. Every record is little-endian and
 * packed; the static_asserts below pin the offsets the program relies on. */
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef void* HARC;      /* archive handle of OpenArchive, 0 on failure */
typedef void* QM_HWND;   /* QmMessageSink*, or 0 */
typedef int32_t QM_BOOL; /* non-zero is true */

#define QM_FNAME_MAX32 512

typedef struct QM_FILETIME { /* 100-ns intervals since 1601-01-01 UTC */
    uint32_t dwLowDateTime;
    uint32_t dwHighDateTime;
} QM_FILETIME;

#pragma pack(push, 1)

/* Member record filled by FindFirst and FindNext (bytes 0..557); the caller's binding owns
 * bytes 558..597 of its 598-byte buffer, which the library never touches. */
typedef struct INDIVIDUALINFO {
    uint32_t dwOriginalSize;             /* 0: low 32 bits of the size */
    uint32_t dwCompressedSize;           /* 4: 0 when the format does not tell */
    uint32_t dwCRC;                      /* 8: 0, libarchive does not report it */
    uint32_t uFlag;                      /* 12: 0 */
    uint32_t uOSType;                    /* 16: 0 */
    uint16_t wRatio;                     /* 20: per mille, 0 when the compressed size is unknown */
    uint16_t wDate;                      /* 22: last write, MS-DOS date, local time */
    uint16_t wTime;                      /* 24: last write, MS-DOS time, local time */
    char szFileName[QM_FNAME_MAX32 + 1]; /* 26: "/"-separated, ANSI; empty when the code page
                                            cannot hold the name */
    char dummy1[3];                      /* 539 */
    char szAttribute[8];                 /* 542: e.g. "--A--", "D----" (R H S A D letters) */
    char szMode[8];                      /* 550: short method or format text, e.g. "zip", "lha" */
} INDIVIDUALINFO;                        /* 558 */

/* Progress record passed, by pointer in the second message parameter, with "wm_arcextract". */
typedef struct EXTRACTINGINFOEX {
    uint32_t dwFileSize;                       /* 0: member size (low 32 bits) */
    uint32_t dwWriteSize;                      /* 4: bytes written so far */
    char szSourceFileName[QM_FNAME_MAX32 + 1]; /* 8: member name in the archive, ANSI */
    char dummy1[3];                            /* 521 */
    char szDestFileName[QM_FNAME_MAX32 + 1];   /* 524: full path of the file written, ANSI */
    char dummy[3];                             /* 1037 */
    uint32_t dwCompressedSize;                 /* 1040 */
    uint32_t dwCRC;                            /* 1044 */
    uint32_t uOSType;                          /* 1048 */
    uint16_t wRatio;                           /* 1052 */
    uint16_t wDate;                            /* 1054 */
    uint16_t wTime;                            /* 1056 */
    char szAttribute[8];                       /* 1058 */
    char szMode[8];                            /* 1066 */
} EXTRACTINGINFOEX;                            /* 1074 */

/* Record handed to the enumeration callback once per member before it is processed. */
#define QM_ENUM_MEMBER_INFO_SIZE 1094
typedef struct ENUM_MEMBER_INFO64 {
    uint32_t dwStructSize;        /* 0: 1094 */
    uint32_t dwIndex;             /* 4: 0-based position of the member in the archive */
    uint64_t llOriginalSize;      /* 8 */
    uint64_t llCompressedSize;    /* 16: 0 when unknown */
    QM_FILETIME ftLastWriteTime;  /* 24: 0 when unknown */
    QM_FILETIME ftCreationTime;   /* 32 */
    QM_FILETIME ftLastAccessTime; /* 40 */
    uint32_t dwAttributes; /* 48: Windows attribute bits (0x01 read-only, 0x10 folder, 0x20) */
    uint16_t wDate;        /* 52 */
    uint16_t wTime;        /* 54 */
    char szFileName[QM_FNAME_MAX32 + 1]; /* 56: ANSI */
    char dummy1[3];                      /* 569 */
    char szAttribute[8];                 /* 572 */
    char szMode[8];                      /* 580 */
    char reserved[506];                  /* 588 */
} ENUM_MEMBER_INFO64;                    /* 1094 */

#pragma pack(pop)

#ifdef __cplusplus
static_assert(offsetof(INDIVIDUALINFO, wDate) == 22, "member record layout");
static_assert(offsetof(INDIVIDUALINFO, wTime) == 24, "member record layout");
static_assert(offsetof(INDIVIDUALINFO, szFileName) == 26, "member record layout");
static_assert(sizeof(INDIVIDUALINFO) == 558, "member record layout");
static_assert(offsetof(EXTRACTINGINFOEX, szSourceFileName) == 8, "progress record layout");
static_assert(offsetof(EXTRACTINGINFOEX, szDestFileName) == 524, "progress record layout");
static_assert(offsetof(ENUM_MEMBER_INFO64, szFileName) == 56, "enumeration record layout");
static_assert(sizeof(ENUM_MEMBER_INFO64) == QM_ENUM_MEMBER_INFO_SIZE, "enumeration record");
#endif

/* The member record buffer the program passes is this large; the library writes its first 558
 * bytes. */
#define QM_MEMBER_INFO_BUFFER_SIZE 598

/* Progress states: first parameter of "wm_arcextract". */
#define ARCEXTRACT_BEGIN 0     /* before a member is written */
#define ARCEXTRACT_INPROCESS 1 /* while a member is written (at least once per member) */
#define ARCEXTRACT_END 2       /* end of the command */
#define ARCEXTRACT_OPEN 3      /* archive opened */
#define ARCEXTRACT_COPY 4      /* not sent: nothing is copied to a temporary file */

/* Name of the registered progress message. */
#define QM_WM_ARCEXTRACT "wm_arcextract"

/* Optional notification procedure of SetOwnerWindowEx: called instead of the message when set;
 * returns non-zero to go on. */
typedef QM_BOOL (*QM_ARCHIVERPROC)(QM_HWND window, unsigned message, unsigned state,
                                   EXTRACTINGINFOEX* info);
/* Enumeration callback: non-zero to go on, 0 to stop the command (ERROR_USER_CANCEL). */
typedef QM_BOOL (*QM_ENUMMEMBERPROC64)(void* info);

/* CheckArchive modes (bits). Any other bits are accepted and read as a header check. */
#define CHECKARCHIVE_RAPID 0   /* the first member header reads */
#define CHECKARCHIVE_BASIC 1   /* every member header reads */
#define CHECKARCHIVE_FULLCRC 2 /* every member's data decodes (checksums verified) */

/* GetArchiveType codes of the TAR family: the archive format plus the compression filter. */
#define ARCHIVETYPE_TAR 1
#define ARCHIVETYPE_TARGZ 2
#define ARCHIVETYPE_TARZ 3
#define ARCHIVETYPE_GZ 4
#define ARCHIVETYPE_Z 5
#define ARCHIVETYPE_TARBZ2 6
#define ARCHIVETYPE_BZ2 7
#define ARCHIVETYPE_TARXZ 10
#define ARCHIVETYPE_XZ 11
#define ARCHIVETYPE_TAROTHER 15 /* tar through another filter (lzma, lzip, zstd, ...) */
#define ARCHIVETYPE_CPIO 32     /* cpio (+4 gz, +5 Z, +7 bz2, +11 xz, +15 other filter) */
#define ARCHIVETYPE_CPIOGZ 36
#define ARCHIVETYPE_CPIOZ 37
#define ARCHIVETYPE_CPIOBZ2 39
#define ARCHIVETYPE_AR 48 /* ar, deb, lib (+4 gz, +5 Z, +7 bz2, +11 xz, +15 other) */
#define ARCHIVETYPE_ARGZ 52
#define ARCHIVETYPE_ARZ 53
#define ARCHIVETYPE_ARBZ2 55
#define ARCHIVETYPE_RPM 64
#define ARCHIVETYPE_OTHER 255 /* a compressed single file through another filter */
/* GetArchiveType answers 0 for a file the family cannot read, -1 for a file that cannot be
 * opened. */

/* Result codes. 0 is success; FindFirst/FindNext answer -1 when no further member matches. */
#define QM_ERROR_END_OF_SEARCH (-1)
#define ERROR_DISK_SPACE 0x8005
#define ERROR_READ_ONLY 0x8006
#define ERROR_USER_SKIP 0x8007
#define ERROR_UNKNOWN_TYPE 0x8008
#define ERROR_METHOD 0x8009
#define ERROR_PASSWORD_FILE 0x800A
#define ERROR_VERSION 0x800B
#define ERROR_FILE_CRC 0x800C
#define ERROR_FILE_OPEN 0x800D
#define ERROR_MORE_FRESH 0x800E
#define ERROR_NOT_EXIST 0x800F
#define ERROR_ALREADY_EXIST 0x8010
#define ERROR_TOO_MANY_FILES 0x8011
#define ERROR_MAKEDIRECTORY 0x8012
#define ERROR_CANNOT_WRITE 0x8013
#define ERROR_HUFFMAN_CODE 0x8014
#define ERROR_COMMENT_HEADER 0x8015
#define ERROR_HEADER_CRC 0x8016
#define ERROR_HEADER_BROKEN 0x8017
#define ERROR_ARC_FILE_OPEN 0x8018
#define ERROR_NOT_ARC_FILE 0x8019
#define ERROR_CANNOT_READ 0x801A
#define ERROR_FILE_STYLE 0x801B
#define ERROR_COMMAND_NAME 0x801C
#define ERROR_MORE_HEAP_MEMORY 0x801D
#define ERROR_ENOUGH_MEMORY 0x801E
#define ERROR_ALREADY_RUNNING 0x801F
#define ERROR_USER_CANCEL 0x8020
#define ERROR_HARC_ISNOT_OPENED 0x8021
#define ERROR_NOT_SEARCH_MODE 0x8022
#define ERROR_NOT_SUPPORT 0x8023
#define ERROR_TIME_STAMP 0x8024
#define ERROR_TMP_OPEN 0x8025
#define ERROR_LONG_FILE_NAME 0x8026
#define ERROR_ARC_READ_ONLY 0x8027
#define ERROR_SAME_NAME_FILE 0x8028
#define ERROR_NOT_FIND_ARC_FILE 0x8029
#define ERROR_RESPONSE_READ 0x802A
#define ERROR_NOT_FILENAME 0x802B
#define ERROR_TMP_COPY 0x802C
#define ERROR_EOF 0x802D
#define ERROR_ADD_TO_LARGE 0x802E
#define ERROR_TMP_BACK_SPACE 0x802F
#define ERROR_SHARING 0x8030
#define ERROR_NOT_FIND_FILE 0x8031
#define ERROR_LOG_FILE 0x8032
#define ERROR_NO_DEVICE 0x8033
#define ERROR_GET_ATTRIBUTES 0x8034
#define ERROR_SET_ATTRIBUTES 0x8035
#define ERROR_GET_INFORMATION 0x8036
#define ERROR_GET_POINT 0x8037
#define ERROR_SET_POINT 0x8038
#define ERROR_CONVERT_TIME 0x8039
#define ERROR_GET_TIME 0x803A
#define ERROR_SET_TIME 0x803B
#define ERROR_CLOSE_FILE 0x803C
#define ERROR_HEAP_MEMORY 0x803D
#define ERROR_HANDLE 0x803E
#define ERROR_TIME_STAMP_RANGE 0x803F
#define ERROR_MAKE_ARCHIVE 0x8040
#define ERROR_NOT_CONFIRM_NAME 0x8041
#define ERROR_UNEXPECTED_EOF 0x8042
#define ERROR_INVALID_END_MARK 0x8043
#define ERROR_INVOLVED_LZH 0x8044
#define ERROR_NO_END_MARK 0x8045
#define ERROR_HDR_INVALID_SIZE 0x8046
#define ERROR_UNKNOWN_LEVEL 0x8047
#define ERROR_BROKEN_DATA 0x8048

/* Entry signatures, for a prefix P:
 *   int     P(QM_HWND window, const char* commandLine, char* output, uint32_t outputSize)
 *   QM_BOOL PCheckArchive(const char* archive, int mode)
 *   HARC    POpenArchive(QM_HWND window, const char* archive, uint32_t mode)
 *   int     PCloseArchive(HARC)
 *   int     PFindFirst(HARC, const char* wildcard, INDIVIDUALINFO* info)
 *   int     PFindNext(HARC, INDIVIDUALINFO* info)
 *   QM_BOOL PGetWriteTimeEx(HARC, QM_FILETIME*)      (and GetCreateTimeEx, GetAccessTimeEx)
 *   QM_BOOL PGetOriginalSizeEx(HARC, int64_t*)       (and GetCompressedSizeEx)
 *   int     PGetArchiveType(const char* archive)
 *   QM_BOOL PSetOwnerWindowEx(QM_HWND window, QM_ARCHIVERPROC proc)
 *   QM_BOOL PKillOwnerWindowEx(QM_HWND window)
 *   QM_BOOL PSetEnumMembersProc64(QM_ENUMMEMBERPROC64 proc, uint32_t recordSize)
 *   QM_BOOL PClearEnumMembersProc64(void)
 *   int     PExtractMem(QM_HWND window, const char* commandLine, uint8_t* buffer,
 *                       uint32_t bufferSize, int64_t* time, uint16_t* attributes,
 *                       uint32_t* written)
 * The output buffer of the command entry receives a short NUL-terminated log (truncated to
 * its size). The command entry and ExtractMem answer 0 on success or an ERROR_* code. */
typedef int (*QM_COMMAND_PROC)(QM_HWND, const char*, char*, uint32_t);
typedef QM_BOOL (*QM_CHECKARCHIVE_PROC)(const char*, int);
typedef HARC (*QM_OPENARCHIVE_PROC)(QM_HWND, const char*, uint32_t);
typedef int (*QM_CLOSEARCHIVE_PROC)(HARC);
typedef int (*QM_FINDFIRST_PROC)(HARC, const char*, INDIVIDUALINFO*);
typedef int (*QM_FINDNEXT_PROC)(HARC, INDIVIDUALINFO*);
typedef QM_BOOL (*QM_GETTIMEEX_PROC)(HARC, QM_FILETIME*);
typedef QM_BOOL (*QM_GETSIZEEX_PROC)(HARC, int64_t*);
typedef int (*QM_GETARCHIVETYPE_PROC)(const char*);
typedef QM_BOOL (*QM_SETOWNERWINDOWEX_PROC)(QM_HWND, QM_ARCHIVERPROC);
typedef QM_BOOL (*QM_KILLOWNERWINDOWEX_PROC)(QM_HWND);
typedef QM_BOOL (*QM_SETENUMMEMBERSPROC64_PROC)(QM_ENUMMEMBERPROC64, uint32_t);
typedef QM_BOOL (*QM_CLEARENUMMEMBERSPROC64_PROC)(void);
typedef int (*QM_EXTRACTMEM_PROC)(QM_HWND, const char*, uint8_t*, uint32_t, int64_t*, uint16_t*,
                                  uint32_t*);

#ifdef __cplusplus
}
#endif
