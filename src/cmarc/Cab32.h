#pragma once
// CAB archives through "CAB32.DLL".
#include "cmarc/Archiver.h"
#include "cmarc/DriverBinding.h"

namespace qm {

class TCab32 : public TArchiver {
    QM_DRIVER_BINDING(TArchiverDll)
public:
    std::string BuildExtractCommand(QM_BUILD_PARAMS) override;
    std::string BuildAddCommand(QM_BUILD_PARAMS) override;
    std::string BuildSfxCommand(void* window, const std::string& archive,
                                const std::string& destination,
                                const TArchiverOptions& options) override;
    std::string BuildExtractMemCommand(void* window, const std::string& archive,
                                       const std::string& memberName,
                                       const TArchiverOptions& options) override;

private:
    std::string BuildCabCommand(const std::string& word, const std::string& archive,
                                const std::string& destination, bool useResponseFile,
                                const TFileArgs& files, const TArchiverOptions& options);
};

} // namespace qm
