#pragma once
// The entries of one family, behind the exported names of every family (Entries.cpp). Each one
// catches everything: nothing may unwind into the host program.
#include "Family.h"

namespace qm::arc {

int CommandEntry(Family family, QM_HWND window, const char* line, char* output, uint32_t size);
QM_BOOL CheckArchive(Family family, const char* archive, int mode);
HARC OpenArchive(Family family, QM_HWND window, const char* archive, uint32_t mode);
int CloseArchive(HARC handle);
int FindFirst(HARC handle, const char* wildcard, INDIVIDUALINFO* info);
int FindNext(HARC handle, INDIVIDUALINFO* info);
enum class TimeKind { Write, Create, Access };
QM_BOOL GetTime(HARC handle, TimeKind kind, QM_FILETIME* time);
QM_BOOL GetOriginalSize(HARC handle, int64_t* size);
QM_BOOL GetCompressedSize(HARC handle, int64_t* size);
int GetArchiveType(Family family, const char* archive);
QM_BOOL SetOwnerWindow(Family family, QM_HWND window, QM_ARCHIVERPROC proc);
QM_BOOL KillOwnerWindow(Family family, QM_HWND window);
QM_BOOL SetEnumMembersProc(Family family, QM_ENUMMEMBERPROC64 proc, uint32_t size);
QM_BOOL ClearEnumMembersProc(Family family);
int ExtractMem(Family family, QM_HWND window, const char* line, uint8_t* buffer, uint32_t size,
               int64_t* time, uint16_t* attributes, uint32_t* written);

} // namespace qm::arc
