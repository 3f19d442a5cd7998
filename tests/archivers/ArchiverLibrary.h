#pragma once
// Loads the archiver library the way the program does (dlopen by the family's file name from
// the program's library folder) and builds the command lines the program's drivers build.
#include "archiver_abi.h"

#include <string>
#include <vector>

namespace qmtest {

enum class Kind { Lha, Zip, Cab, Tar, Tgz, Bz2, Rar, SevenZip };

class ArchiverLibrary {
public:
    // fileName "UNLHA32.DLL" etc., prefix "Unlha" etc. Fails the test when it cannot load.
    ArchiverLibrary(const std::string& fileName, const std::string& prefix);
    ~ArchiverLibrary();

    // The entry named prefix + suffix (or the exact name when exact is true); null if missing.
    void* Entry(const std::string& suffix, bool exact = false) const;
    template <typename F> F Get(const std::string& suffix) const {
        return reinterpret_cast<F>(Entry(suffix));
    }
    void* Module() const { return module_; }

    // Runs the command entry with an ANSI command line; the log lands in *log when given.
    int Command(const std::string& ansiLine, std::string* log = nullptr, void* window = nullptr);

private:
    void* module_ = nullptr;
    std::string prefix_;
};

// The library of a kind (Tgz and Bz2 share TAR's).
ArchiverLibrary& Library(Kind kind);

// The extract command line the kind's driver builds with the main window's options, for an
// archive and a destination folder (UTF-8; converted to ANSI here). keepFolders false gives the
// driver's "without folders" form. Names are added quoted, or through a response file.
std::string ExtractLine(Kind kind, const std::string& archive, const std::string& destination,
                        bool keepFolders = true, const std::vector<std::string>& names = {},
                        const std::string& responseFile = "");

// Whole file tree below a folder: relative path -> contents ("<dir>" for folders,
// "-> target" for symbolic links).
std::vector<std::pair<std::string, std::string>> Tree(const std::string& folder);

} // namespace qmtest
