#pragma once
// Shared by the fuzz targets: a private folder for the files a target must write (set up as the
// home and data folders too, so nothing touches the real ones), and small helpers.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace qmfuzz {

// The process's own folder below $TMPDIR (made at the first call), with no trailing '/'. HOME,
// the XDG folders and QUILLMATE_SYSTEM_ROOT point into it.
const std::string& Folder();
// Writes bytes to a file in Folder() and returns its path.
std::string WriteInput(const std::string& name, const std::uint8_t* data, std::size_t size);
std::string ReadAll(const std::string& path);

// Stops the run with a report that libFuzzer keeps as a crash: a broken invariant.
[[noreturn]] inline void Fail(const char* what) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}
#define QM_FUZZ_CHECK(condition)                                                                   \
    do {                                                                                           \
        if (!(condition))                                                                          \
            ::qmfuzz::Fail(#condition);                                                            \
    } while (0)

} // namespace qmfuzz
