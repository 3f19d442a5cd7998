#pragma once
// Waiting for a child process while the user interface stays painted and responsive: the event
// loop runs until the child has ended, woken by the child's end rather than by polling.
#include <string>

namespace qm {

class TChildProcess;

// Returns once the child has ended (it is then reaped).
void WaitForChild(TChildProcess& child);

// Returns once the file at path is gone (the child took it for itself), the child has ended, or
// timeoutMs has passed (never, for a negative timeoutMs). True when the file is gone.
bool WaitForFileTaken(TChildProcess& child, const std::string& path, int timeoutMs);

} // namespace qm
