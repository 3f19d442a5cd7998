#pragma once
// The log beside the database: one line per thing done (a file copied, skipped, removed,
// refused) with the time, so a user can find out afterwards what an install changed. A log that
// cannot be written never stops an install: it goes quiet instead.
#include <cstdio>
#include <string>

namespace qm {

extern const char* const ToolLogName; // "Quillmate.log"

class TToolLog {
public:
    // Appends to path (an empty path logs nothing); a log past a few megabytes is moved to
    // path + ".old" first so it never grows without end.
    explicit TToolLog(const std::string& path);
    ~TToolLog();
    TToolLog(const TToolLog&) = delete;
    TToolLog& operator=(const TToolLog&) = delete;

    void Line(const std::string& text);
    void Flush();

private:
    std::FILE* FFile = nullptr;
};

} // namespace qm
