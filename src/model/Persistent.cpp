#include "model/Persistent.h"

#include "platform/Catalogue.h"
#include "platform/Exception.h"

namespace qm {

TPersistent::~TPersistent() = default;

void TPersistent::Assign(const TPersistent& source) {
    AssignError(source);
}

void TPersistent::AssignError(const TPersistent& source) const {
    throw EConvertError(Args(Tr("Persistent", "%1 に %2 を代入できません。"),
                             std::string(ClassName()), source.ClassName()));
}

} // namespace qm
