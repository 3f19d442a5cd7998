// The notes beside the database, which the user's own programs can write: any bytes read as
// notes write back as notes that read the same.
#include "FuzzSupport.h"

#include "model/AppNotes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const qm::TAppNotes notes =
        qm::TAppNotes::Parse(std::string(reinterpret_cast<const char*>(data), size));
    const std::string text = notes.Text();
    const qm::TAppNotes again = qm::TAppNotes::Parse(text);
    QM_FUZZ_CHECK(again.Text() == text);
    QM_FUZZ_CHECK(again.Folders == notes.Folders && again.Links == notes.Links &&
                  again.Icons == notes.Icons);
    return 0;
}
