#pragma once
// LHA archives through "UNLHA32.DLL". Its builder spells every switch it is given and serves
// ARJ as well.
#include "cmarc/Archiver.h"
#include "cmarc/DriverBinding.h"

namespace qm {

class TLha32 : public TArchiver {
    QM_DRIVER_BINDING(TArchiverDll)
public:
    std::string BuildExtractCommand(QM_BUILD_PARAMS) override;
    std::string BuildAddCommand(QM_BUILD_PARAMS) override;
    std::string BuildDeleteCommand(QM_BUILD_PARAMS) override;
    std::string BuildUpdateCommand(QM_BUILD_PARAMS) override;
    std::string BuildSfxCommand(void* window, const std::string& archive,
                                const std::string& destination,
                                const TArchiverOptions& options) override;
    std::string BuildExtractMemCommand(void* window, const std::string& archive,
                                       const std::string& memberName,
                                       const TArchiverOptions& options) override;

protected:
    std::string BuildLhaCommand(const std::string& word, const std::string& archive,
                                const std::string& destination, bool useResponseFile,
                                const TFileArgs& files, const TArchiverOptions& options);
};

} // namespace qm
