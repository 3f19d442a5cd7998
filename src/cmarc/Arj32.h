#pragma once
// ARJ archives through "UNARJ32J.DLL", with the LHA command builder.
#include "cmarc/Lha32.h"

namespace qm {

class TArj32 : public TLha32 {
    QM_DRIVER_BINDING(TArchiverDll)
public:
    std::string BuildExtractCommand(QM_BUILD_PARAMS) override;
};

} // namespace qm
