#pragma once
// The archive as the rest of the program handles it: a file name, the format driver chosen for
// it, a check and an extraction, with progress and member enumeration reported through events.
#include "cmarc/ArchiveCommon.h"
#include "cmarc/Archiver.h"
#include "cmarc/ArchiverOptions.h"
#include "platform/WinMessage.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace qm {

class TArchiveFile {
public:
    // State: the "wm_arcextract" state (0 begin, 1 in process, 2 end, ...). Setting abort stops
    // the library's command.
    using TArchiverProgressEvent = std::function<void(TArchiveFile& sender, std::int32_t state,
                                                      LPEXTRACTINGINFOEX lpEis, bool& abort)>;
    using TArchiverEnumMemberEvent =
        std::function<void(TArchiveFile& sender, TEnumMemberInfo64& enumInfo, bool& abort)>;

    TArchiveFile();
    ~TArchiveFile();
    TArchiveFile(const TArchiveFile&) = delete;
    TArchiveFile& operator=(const TArchiveFile&) = delete;

    // Assigning a name chooses the format from it (a ".exe" by content); an unknown extension
    // keeps the previous driver. Errors while the driver is made leave the name unchanged.
    const std::string& FileName() const { return FFileName; }
    void SetFileName(const std::string& fileName);

    std::int32_t OutputSize() const { return static_cast<std::int32_t>(FOutput.size()); }
    void SetOutputSize(std::int32_t size);
    // The library's output text (ANSI code page bytes up to the first NUL).
    std::string OutputText() const;

    TArchiverType ArchiverType() const { return FArchiverType; }
    void SetArchiverType(TArchiverType type);

    TArchiverOptions Options;
    TArchiverProgressEvent OnProgress;
    TArchiverEnumMemberEvent OnEnumMember;
    // True while the stored description is read in: an archive kind without a driver is then
    // stored without complaint.
    bool Loading = false;

    // The library's check result, non-zero for a valid archive of the chosen format.
    std::int32_t CheckArchive(int mode, int flags);
    // Extracts `files` (all members when the list names none) below `destination`; `options`
    // null means Options. Returns the library's result code.
    std::int32_t Extract(void* window, const TArchiverOptions* options, const TFileArgs& files,
                         const std::string& destination);

    const std::string& CommandLine() const { return FCommandLine; }
    TArchiver* Archiver() const { return FArchiver.get(); }
    // The hidden receiver of progress messages; null until first needed.
    void* ProgressWindow() const { return FProgressWindow.get(); }

private:
    friend int ArchiveFileEnumMembers(TEnumMemberInfo64* info);
    friend intptr_t ArchiveFileProgressProc(void* context, unsigned message, uintptr_t wparam,
                                            intptr_t lparam);

    void RequireArchiver() const;
    void InstallHooks(const TArchiverOptions& options);
    void RemoveHooks();
    void CollectExtraStream(std::int32_t state, LPEXTRACTINGINFOEX lpEis, bool& abort);
    void RethrowPending();

    std::string FFileName;
    TArchiverType FArchiverType = atAutoDetect;
    std::unique_ptr<TArchiver> FArchiver;
    std::string FCommandLine;
    std::vector<char> FOutput;
    std::unique_ptr<QmMessageSink> FProgressWindow;
    std::function<void(std::int32_t, LPEXTRACTINGINFOEX, bool&)> FInternalProgress;
    std::unique_ptr<std::set<std::string>> FExtraStreamNames;
    std::string FStreamSeparator;
    // What InstallHooks set up, so RemoveHooks undoes exactly that.
    bool FEnumHooked = false;
    bool FOwnerHooked = false;
    // An error raised by an event handler while the library was calling back; it cannot cross
    // the library's frames, so it stops the command and is raised again afterwards.
    std::exception_ptr FPending;
};

// The component whose check or extraction is running with an enumeration callback.
extern TArchiveFile* CurrentArchiveFile;

// The stream name an extracted file stands for: each character equal to the separator's first
// becomes ':', and a following character equal to the separator's second becomes code 5.
std::string StreamNameFromFile(const std::string& fileName, const std::string& separator);

// Turns extracted files named with the separator back into named streams, when the volume of
// `destination` supports them. POSIX file systems have none, so there it does nothing.
void RestoreExtraStreams(const std::set<std::string>* names, const TArchiverOptions& options,
                         const std::string& destination);

} // namespace qm
