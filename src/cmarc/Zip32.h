#pragma once
// ZIP archives through "UNZIP32.DLL" / "LMZIP32.DLL" (extraction) and "ZIP32J.DLL" /
// "LMZIP32.DLL" (creation).
#include "cmarc/Archiver.h"
#include "cmarc/DriverBinding.h"
#include "cmarc/ZipDll.h"

namespace qm {

class TZip32 : public TArchiver {
    QM_DRIVER_BINDING(TZipDll)
public:
    std::string BuildExtractCommand(QM_BUILD_PARAMS) override;
    std::string BuildAddCommand(QM_BUILD_PARAMS) override;
    std::string BuildDeleteCommand(QM_BUILD_PARAMS) override;
    std::string BuildUpdateCommand(QM_BUILD_PARAMS) override;
    int MakeSfx(void* window, const std::string& archive, std::vector<char>& output,
                std::string& commandLine, const std::string& destination,
                const TArchiverOptions& options) override;
    std::string BuildExtractMemCommand(void* window, const std::string& archive,
                                       const std::string& memberName,
                                       const TArchiverOptions& options) override;

private:
    std::string BuildUnzipCommand(const std::string& word, const std::string& archive,
                                  const std::string& destination, bool useResponseFile,
                                  const TFileArgs& files, const TArchiverOptions& options);
    std::string BuildZip32jCommand(const std::string& word, const std::string& archive,
                                   const std::string& destination, bool useResponseFile,
                                   const TFileArgs& files, const TArchiverOptions& options);
};

} // namespace qm
