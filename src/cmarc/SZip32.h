#pragma once
// 7z archives through "7-zip32.dll".
#include "cmarc/Archiver.h"
#include "cmarc/DriverBinding.h"

namespace qm {

class TSevenZip32 : public TArchiver {
    QM_DRIVER_BINDING(TArchiverDll)
public:
    std::string BuildExtractCommand(QM_BUILD_PARAMS) override;
    std::string BuildAddCommand(QM_BUILD_PARAMS) override;
    int MakeSfx(void* window, const std::string& archive, std::vector<char>& output,
                std::string& commandLine, const std::string& destination,
                const TArchiverOptions& options) override;
    std::string BuildDeleteCommand(QM_BUILD_PARAMS) override;

private:
    std::string Build7zCommand(const std::string& word, bool extract, const std::string& archive,
                               const std::string& destination, bool useResponseFile,
                               const TFileArgs& files, const TArchiverOptions& options);
};

} // namespace qm
