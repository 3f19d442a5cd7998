#pragma once
// A progress line on the terminal (standard error) for the command line and the tools it starts:
// what is being done, the name at hand, a count, the bytes and the rate, redrawn in place at most
// ten times a second. Nothing is drawn when standard error is no terminal.
#include <chrono>
#include <cstdint>
#include <string>

namespace qm {

class TTerminalProgress {
public:
    explicit TTerminalProgress(std::string action);
    ~TTerminalProgress();
    TTerminalProgress(const TTerminalProgress&) = delete;
    TTerminalProgress& operator=(const TTerminalProgress&) = delete;

    // One step: the name at hand, how many are done and of how many (total 0: not known), and
    // the bytes done so far.
    void Step(const std::string& name, std::int64_t done, std::int64_t total, std::uint64_t bytes);
    // Draws the last state and ends the line.
    void Finish();

    // Whether standard error is a terminal.
    static bool Shown();

private:
    std::string FAction;
    std::string FName;
    std::int64_t FDone = 0, FTotal = 0;
    std::uint64_t FBytes = 0;
    bool FShown = false; // standard error is a terminal (asked once)
    bool FDrawn = false;
    bool FFinished = false;
    std::chrono::steady_clock::time_point FStart, FLast;
    void Draw();
};

// "12.3 MB", "512 B".
std::string ByteText(std::uint64_t bytes);

} // namespace qm
