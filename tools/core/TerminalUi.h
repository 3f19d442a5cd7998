#pragma once
// The tools started from the command line: no windows; the copy's progress on the terminal, and
// the question about an existing file asked there when a person can answer it.
#include "ToolUi.h"
#include "platform/TerminalProgress.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qm {

class TTerminalToolUi : public TToolUi {
public:
    explicit TTerminalToolUi(std::string action) : FAction(std::move(action)) {}
    ~TTerminalToolUi() override;

    // A person is there: standard input and standard error are terminals.
    bool Interactive() const override;
    bool Progress(const std::string& file, int done, int total) override;
    TOverwriteAnswer AskOverwrite(const std::string& path, const std::string& details) override;
    // The command line tells the failure itself, from the tool's report.
    void ShowError(const std::string&) override {}

private:
    std::string FAction;
    std::unique_ptr<TTerminalProgress> FProgress;
    std::string FPrevious; // the file of the step before: done by now
    std::uint64_t FBytes = 0;
    bool FShown = false; // standard error is a terminal
};

} // namespace qm
