// The tool's report, which the user's own programs can write before the program reads it: any
// bytes read as a report write back as a report that reads the same, with no line break inside
// a value.
#include "FuzzSupport.h"

#include "model/InstructionFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qm::TToolReport report;
    if (!qm::ParseToolReport(std::string(reinterpret_cast<const char*>(data), size), report))
        return 0;
    const std::string text = qm::FormatToolReport(report);
    qm::TToolReport again;
    QM_FUZZ_CHECK(qm::ParseToolReport(text, again));
    QM_FUZZ_CHECK(qm::FormatToolReport(again) == text);
    QM_FUZZ_CHECK(again.Exit == report.Exit && again.AppId == report.AppId &&
                  again.Refused.size() == report.Refused.size() &&
                  again.Notices.size() == report.Notices.size());
    return 0;
}
