#pragma once
// BGA archives (GZA, BZA) through "BGA32.DLL".
#include "cmarc/Archiver.h"
#include "cmarc/DriverBinding.h"

namespace qm {

class TBGA32 : public TArchiver {
    QM_DRIVER_BINDING(TArchiverDll)
public:
    std::string BuildExtractCommand(QM_BUILD_PARAMS) override;
    std::string BuildAddCommand(QM_BUILD_PARAMS) override;
    std::string BuildDeleteCommand(QM_BUILD_PARAMS) override;
    std::string BuildSfxCommand(void* window, const std::string& archive,
                                const std::string& destination,
                                const TArchiverOptions& options) override;

private:
    std::string BuildBgaCommand(const std::string& word, const std::string& archive,
                                const std::string& destination, bool useResponseFile,
                                const TFileArgs& files, const TArchiverOptions& options);
};

} // namespace qm
