#include "dialogs/MainAccess.h"

namespace qm {

TMainAccess::~TMainAccess() = default;

} // namespace qm
