#pragma once
// Writes a small RAR 4 archive with stored (uncompressed) members: the layout is short, and no
// RAR creator is available to the tests.
#include <string>
#include <vector>

namespace qmtest {

struct RarMember {
    std::string name; // bytes as stored (the ANSI code page, "\" separators as Windows writes)
    std::string data;
    bool folder = false;
};

// The archive's bytes.
std::string BuildStoredRar(const std::vector<RarMember>& members);

} // namespace qmtest
