#include "platform/DynamicLibrary.h"

#include "platform/FileSystem.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>

namespace qm {

namespace {

std::vector<std::string> g_folders;
bool g_systemSearch = true;

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

LibraryHandle Open(const std::string& path) {
    // RTLD_LOCAL: every archiver library exports the same entry names under its own prefix, and
    // copies of one library must not bind to each other's symbols.
    return ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

} // namespace

void SetLibrarySearchFolders(std::vector<std::string> folders, bool systemSearch) {
    g_folders = std::move(folders);
    g_systemSearch = systemSearch;
}

std::vector<std::string> LibrarySearchFolders() {
    return g_folders;
}

LibraryHandle LoadDynamicLibrary(const std::string& fileName) {
    if (fileName.empty())
        return nullptr;
    if (fileName.find('/') != std::string::npos)
        return Open(fileName);
    for (const std::string& folder : g_folders) {
        if (folder.empty())
            continue;
        const std::string path = WithTrailingDelim(folder) + fileName;
        if (IsRegularFile(path))
            return Open(path);
    }
    if (!g_systemSearch)
        return nullptr;
    // A bare name makes the loader search LD_LIBRARY_PATH and the RUNPATH of the executable,
    // which points at the program's library folder.
    return Open(fileName);
}

void* FindLibraryEntry(LibraryHandle library, const char* name) {
    // A null handle would make dlsym search the whole process: never look there.
    if (library == nullptr || name == nullptr)
        return nullptr;
    return ::dlsym(library, name);
}

std::string DynamicLibraryPath(LibraryHandle library) {
    if (library == nullptr)
        return {};
    struct link_map* map = nullptr;
    if (::dlinfo(library, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr || map->l_name == nullptr)
        return {};
    return map->l_name;
}

void FreeDynamicLibrary(LibraryHandle library) {
    if (library != nullptr)
        ::dlclose(library);
}

} // namespace qm
