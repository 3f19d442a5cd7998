#pragma once
// Carries out one parsed command: extraction (safely, below the destination), listing or
// testing, with the progress messages and enumeration callbacks of the family.
#include "CommandLine.h"

#include <cstdint>
#include <string>

namespace qm::arc {

// A short log for the caller's output buffer; collected only when the caller gave one.
class CommandLog {
public:
    explicit CommandLog(bool enabled) : enabled_(enabled) {}
    bool Enabled() const { return enabled_; }
    void Line(const std::string& utf8);
    // The log in the ANSI code page.
    const std::string& Text() const { return text_; }

private:
    bool enabled_;
    std::string text_;
};

// Runs the command; 0 or the first ERROR_* code met. Every refused member is logged.
int RunCommand(Family family, const Command& command, CommandLog& log);

// Extracts the first member selected by the command into the buffer. written receives the
// bytes copied; ERROR_MORE_HEAP_MEMORY when the member is larger than the buffer.
int ExtractToMemory(Family family, const Command& command, uint8_t* buffer, uint32_t size,
                    int64_t* time, uint16_t* attributes, uint32_t* written);

} // namespace qm::arc
