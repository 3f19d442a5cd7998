#pragma once
// YZ1 archives through "YYZ32.DLL" or, failing that, "YZ1.DLL".
#include "cmarc/Archiver.h"
#include "cmarc/DriverBinding.h"

namespace qm {

class TYZ1 : public TArchiver {
    QM_DRIVER_BINDING(TYZ1Dll)
public:
    std::string BuildExtractCommand(QM_BUILD_PARAMS) override;
    int MakeSfx(void* window, const std::string& archive, std::vector<char>& output,
                std::string& commandLine, const std::string& destination,
                const TArchiverOptions& options) override;
    std::string BuildAddCommand(QM_BUILD_PARAMS) override;

private:
    std::string BuildYz1Command(const std::string& word, const std::string& archive,
                                const std::string& destination, bool useResponseFile,
                                const TFileArgs& files, const TArchiverOptions& options);
};

} // namespace qm
