#pragma once
// Libraries that the program loads by file name at run time (the archiver libraries). Names are
// exact and case-sensitive ("UNLHA32.DLL"). The program's own library folders are searched first,
// then the system's library search (on POSIX: LD_LIBRARY_PATH and the executable's RUNPATH).
// A failed load is never remembered, so a library that appears later loads on the next attempt.
#include <string>
#include <vector>

namespace qm {

using LibraryHandle = void*;

// The folders searched before the system search; none by default, since the executable's
// RUNPATH already leads the system search to the program's library folder. With systemSearch
// false only these folders are searched, which keeps a process that must not see the installed
// libraries (a test with its own stand-ins) away from them.
void SetLibrarySearchFolders(std::vector<std::string> folders, bool systemSearch = true);
std::vector<std::string> LibrarySearchFolders();

// Loads a library by bare file name (searched as above) or by path; nullptr when it cannot be
// loaded. Each successful load must be balanced by FreeDynamicLibrary.
LibraryHandle LoadDynamicLibrary(const std::string& fileName);
// The address of an exported entry, nullptr when the library has none of that name.
void* FindLibraryEntry(LibraryHandle library, const char* name);
// The full path of the loaded library file ("" when unknown).
std::string DynamicLibraryPath(LibraryHandle library);
void FreeDynamicLibrary(LibraryHandle library);

} // namespace qm
