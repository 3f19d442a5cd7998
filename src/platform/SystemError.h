#pragma once
// The system's error numbers as the user reads them: the common ones in Japanese, so a message
// of this program does not end in English, the rare ones as the C library words them.
#include <string>

namespace qm {

std::string SystemErrorText(int error);

} // namespace qm
