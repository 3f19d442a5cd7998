#pragma once
// Archives made at test time from one small source tree, with the real tools.
#include "ArchiverLibrary.h"

#include <string>

namespace qmtest {

// The source tree: readme.txt, docs/manual.txt, docs/deep/data.bin (100 000 bytes) and
// 表示ソフト.txt, all dated 2021-03-04 05:06:08 local time.
const std::string& SourceTree();

struct ArchiveFixture {
    const char* label; // also the test-name suffix
    Kind kind;
    const char* fileName;
};

// Makes (once) and returns the archive of a fixture, from the source tree.
const std::string& ArchiveOf(const std::string& label);

// A stored ZIP of good.txt ("fine") and bad.txt, whose data no longer matches its CRC.
std::string DamagedZip();

// Runs a shell command in the source tree with a UTF-8 locale; fails the test when it fails.
void RunInSource(const std::string& command);

} // namespace qmtest
