#pragma once
// tar, gzip- and bzip2-compressed tar through "TAR32.DLL"; the three drivers share one binding.
#include "cmarc/Archiver.h"
#include "cmarc/DriverBinding.h"

namespace qm {

class TTar32 : public TArchiver {
    QM_DRIVER_BINDING(TArchiverDll)
public:
    std::string BuildExtractCommand(QM_BUILD_PARAMS) override;
    std::string BuildAddCommand(QM_BUILD_PARAMS) override;
    int MakeSfx(void* window, const std::string& archive, std::vector<char>& output,
                std::string& commandLine, const std::string& destination,
                const TArchiverOptions& options) override;
    std::string BuildExtractMemCommand(void* window, const std::string& archive,
                                       const std::string& memberName,
                                       const TArchiverOptions& options) override;

protected:
    enum TTarKind { tkTar, tkTgz, tkBZ2 };
    virtual TTarKind Kind() const { return tkTar; }

private:
    std::string BuildTarCommand(const std::string& word, const std::string& archive,
                                const std::string& destination, bool useResponseFile,
                                const TFileArgs& files, const TArchiverOptions& options);
};

class TTgz32 : public TTar32 {
protected:
    TTarKind Kind() const override { return tkTgz; }
};

class TBZ232 : public TTar32 {
protected:
    TTarKind Kind() const override { return tkBZ2; }
};

} // namespace qm
