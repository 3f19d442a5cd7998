#include "model/Persistent.h"

#include "platform/Exception.h"

namespace qm {

TPersistent::~TPersistent() = default;

void TPersistent::Assign(const TPersistent& source) {
    AssignError(source);
}

void TPersistent::AssignError(const TPersistent& source) const {
    throw EConvertError(std::string(ClassName()) + " に " + source.ClassName() +
                        " を代入できません。");
}

} // namespace qm
