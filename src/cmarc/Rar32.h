#pragma once
// RAR archives through "UNRAR32.DLL" (extraction only).
#include "cmarc/Archiver.h"
#include "cmarc/DriverBinding.h"

namespace qm {

class TRar32 : public TArchiver {
    QM_DRIVER_BINDING(TArchiverDll)
public:
    std::string BuildExtractCommand(QM_BUILD_PARAMS) override;
    std::string BuildExtractMemCommand(void* window, const std::string& archive,
                                       const std::string& memberName,
                                       const TArchiverOptions& options) override;

private:
    std::string BuildRarCommand(const std::string& word, const std::string& archive,
                                const std::string& destination, bool useResponseFile,
                                const TFileArgs& files, const TArchiverOptions& options);
};

} // namespace qm
