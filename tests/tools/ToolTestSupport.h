#pragma once
// Plans for the installer tests, made by the model's own code from a working folder of real
// files, and snapshots of folder trees to prove "byte for byte the state before".
#include "model/InstallAppInfo.h"
#include "model/InstallOption.h"

#include <map>
#include <memory>
#include <string>

namespace tooltest {

// A working folder with app/tool.exe, app/readme.txt, app/doc/manual.chm, app/bin/run.sh
// (executable); returns its path with a trailing '/'.
std::string MakeWorkFolder(const std::string& version = "v1");

// The plan the program would build from the working folder: every file a target, main
// executable and help file chosen, installed below root.
std::unique_ptr<qm::TInstallAppInfo> MakePlan(const std::string& workFolder,
                                              const std::string& root);

// A fresh data folder: no database, journal, log or instruction files.
void ResetDataFolder();

// Every entry below a folder: mode, and for files and links size, modification time and bytes.
using Snapshot = std::map<std::string, std::string>;
Snapshot TakeSnapshot(const std::string& folder);

// Writes instemp.tmp as the program does.
void WriteInstructions(const qm::TInstallAppInfo& plan, const qm::TInstallOption& option);
// Runs a built executable (QuillInst, QuillUninst) unattended; its exit code.
int RunTool(const std::string& name);

} // namespace tooltest
