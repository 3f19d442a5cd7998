#pragma once
// The archive layer's shared vocabulary: its errors, the archive kinds, and the open list of file
// arguments that every command accepts.
#include "cmarc/ArchiverAbi.h"
#include "platform/Exception.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace qm {

// Every failure of the archive layer.
class EArchiver : public Exception {
public:
    using Exception::Exception;
};

// A library file that cannot be loaded.
class ENoArchiverDLL : public EArchiver {
public:
    using EArchiver::EArchiver;
};

// A required entry that the loaded library does not export.
class EEntryNotFound : public EArchiver {
public:
    using EArchiver::EArchiver;
};

// A self-extracting stub module that cannot be found.
class ESfxNoRequiredFile : public EArchiver {
public:
    ESfxNoRequiredFile(std::string archiveKind, std::string sfxKind, std::string requiredFile);
    std::string ArchiveKind;
    std::string SfxKind;
    std::string RequiredFile;
};

// A command built from options that miss a value the builder cannot do without. The message is
// the finished text; the source location is kept apart for diagnostics.
class EAssertionFailed : public Exception {
public:
    EAssertionFailed(const std::string& message, std::string sourceFile, int line)
        : Exception(message), SourceFile(std::move(sourceFile)), Line(line) {}
    std::string SourceFile;
    int Line;
};

// Archive kinds, in their stored order (0 to 14).
enum TArchiverType {
    atLha,
    atZip,
    atCab,
    atArj,
    atTar,
    atTgz,
    atBZ2,
    atRar,
    atBga,
    atYz1,
    atGCA,
    atBel,
    at7z,
    atNone,
    atAutoDetect
};

// The value of a text option that was not given: one NUL character (an empty text is a given,
// empty value).
inline const std::string& NotGivenText() {
    static const std::string value(1, '\0');
    return value;
}
inline bool IsNotGiven(const std::string& text) {
    return text.size() == 1 && text[0] == '\0';
}

// One element of an open list of file arguments. Each kind is flattened to file names thus:
//   std::string, const char*          the text (UTF-8), one name
//   std::wstring                      the text converted to UTF-8, one name
//   const char* const*                a null-terminated array of texts: every text in it; a null
//                                     array gives nothing
//   std::nullptr_t                    nothing (the null entry the main window passes)
//   std::vector<std::string>          a string list: each string in order
//   TVariantArg                       a variant: each element of an array, or the single value,
//                                     converted to text
//   std::int64_t, bool, double, char  nothing (numbers, Booleans and characters are no names)
// Objects other than string lists, classes, interfaces, currency values, wide characters and
// wide character pointers, which give no names either, have no alternative here: the compiler
// refuses them (a wide string literal is taken as a std::wstring). Empty names are dropped
// everywhere.
struct TVariantArg {
    using Value_t = std::variant<std::string, std::int64_t, double, std::vector<std::string>>;
    Value_t Value;
};
using TFileArg =
    std::variant<std::nullptr_t, std::string, const char*, std::wstring, const char* const*,
                 std::vector<std::string>, TVariantArg, std::int64_t, bool, double, char>;
using TFileArgs = std::vector<TFileArg>;

// The names of an open list, in order, empty ones dropped (UTF-8).
std::vector<std::string> FlattenFileArgs(const TFileArgs& files);

// A full, normalised path for a file name relative to the current folder.
std::string ExpandFileName(const std::string& fileName);

} // namespace qm
