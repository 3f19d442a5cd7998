#pragma once
// A format driver: builds the command lines of one archive family from the options and hands
// them to that family's binding. The library is loaded when the driver is made (CreateArchiver).
#include "cmarc/ArchiveCommon.h"
#include "cmarc/ArchiverDll.h"
#include "cmarc/ArchiverOptions.h"
#include "cmarc/CmdOpt.h"

#include <memory>
#include <string>
#include <vector>

namespace qm {

class TArchiver {
public:
    virtual ~TArchiver() = default;

    // The progress window the library reports to; null when none.
    void* OwnerWindow = nullptr;
    bool HasOwnerWindow() const { return OwnerWindow != nullptr; }

    // Create (once per process) and load the format's binding; FreeDLL destroys it.
    virtual void LoadDLL();
    virtual void FreeDLL();
    virtual TCustomArchiverDll& DLL() = 0;

    virtual HARC OpenArchive(void* window, const std::string& fileName, std::uint32_t mode);
    virtual int FindFirst(HARC archive, const std::string& wildName, TArchiveMemberInfo& info);
    virtual int FindNext(HARC archive, TArchiveMemberInfo& info);
    virtual int CloseArchive(HARC archive);
    virtual void DoEnumMember(TEnumMemberInfo64& info, const TArchiverOptions& options,
                              bool& abort);

    // Each builds its command line, stores it in commandLine and runs it; the output buffer's
    // length is passed to the library, none when it is empty.
    virtual int Extract(void* window, const std::string& archive, std::vector<char>& output,
                        std::string& commandLine, bool useResponseFile, const TFileArgs& files,
                        const std::string& destination, const TArchiverOptions& options);
    virtual int Add(void* window, const std::string& archive, std::vector<char>& output,
                    std::string& commandLine, bool useResponseFile, const TFileArgs& files,
                    const std::string& destination, const TArchiverOptions& options);
    virtual int Delete(void* window, const std::string& archive, std::vector<char>& output,
                       std::string& commandLine, bool useResponseFile, const TFileArgs& files,
                       const std::string& destination, const TArchiverOptions& options);
    virtual int Update(void* window, const std::string& archive, std::vector<char>& output,
                       std::string& commandLine, bool useResponseFile, const TFileArgs& files,
                       const std::string& destination, const TArchiverOptions& options);
    virtual int MakeSfx(void* window, const std::string& archive, std::vector<char>& output,
                        std::string& commandLine, const std::string& destination,
                        const TArchiverOptions& options);
    virtual int ExtractMem(void* window, const std::string& archive, std::string& commandLine,
                           const std::string& memberName, const TArchiverOptions& options,
                           std::uint8_t* buffer, std::uint32_t size, std::uint32_t* written);
    virtual int CheckArchive(const std::string& fileName, int mode, int flags);

    virtual std::string BuildExtractCommand(void* window, const std::string& archive,
                                            bool useResponseFile, const TFileArgs& files,
                                            const std::string& destination,
                                            const TArchiverOptions& options) = 0;
    virtual std::string BuildAddCommand(void* window, const std::string& archive,
                                        bool useResponseFile, const TFileArgs& files,
                                        const std::string& destination,
                                        const TArchiverOptions& options);
    virtual std::string BuildDeleteCommand(void* window, const std::string& archive,
                                           bool useResponseFile, const TFileArgs& files,
                                           const std::string& destination,
                                           const TArchiverOptions& options);
    virtual std::string BuildUpdateCommand(void* window, const std::string& archive,
                                           bool useResponseFile, const TFileArgs& files,
                                           const std::string& destination,
                                           const TArchiverOptions& options);
    virtual std::string BuildSfxCommand(void* window, const std::string& archive,
                                        const std::string& destination,
                                        const TArchiverOptions& options);
    virtual std::string BuildExtractMemCommand(void* window, const std::string& archive,
                                               const std::string& memberName,
                                               const TArchiverOptions& options);

    // SetOwnerWindow answers whether the library accepted the window.
    virtual bool SetOwnerWindow(void* window, void* notifyProc);
    virtual bool KillOwnerWindow(void* window);
    virtual int SetEnumMembersProc(TEnumMembersProc proc, std::uint32_t recordSize);
    virtual int ClearEnumMembersProc();
    virtual void ReloadDLL() { LoadDLL(); }

protected:
    // The archive without a switch, then the destination folder without a switch.
    static void AddArchiveAndFolder(TCmdOpt& cmd, const std::string& archive,
                                    const std::string& destination);
    // The file names, through the response file when asked and one is named, then the
    // options' UserFileList. Returns the number of names.
    static int AddFileArguments(TCmdOpt& cmd, const TArchiverOptions& options, bool useResponseFile,
                                const TFileArgs& files);

    // The shared way of binding: create the binding on first use and load it. The slot is set
    // before loading, so a binding whose library is missing stays and every later operation
    // tries the library again.
    template <class TDll, class TMake>
    static void LoadBinding(std::unique_ptr<TDll>& slot, TMake make) {
        if (slot)
            return;
        slot = make();
        slot->LoadDLL();
    }

private:
    int Run(bool write, void* window, const std::string& archive, std::vector<char>& output,
            std::string& commandLine, std::string built);
};

// Turns a file name into the ZIP libraries' wildcard syntax: a leading "-" becomes "[-]",
// every backslash a "/" and every "[" a "[[]".
std::string EscapeZipName(const std::string& name);

} // namespace qm
