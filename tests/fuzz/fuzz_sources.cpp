// What a source's server answers, and what the user's processes can write beside the database:
// the first byte picks the reader (0 a forge's release JSON and the choice of its file, 1 a
// checksum file, 2 a folder listing, 3 a kept source, 4 an AppImage's update information, 5 an
// ELF file's update section). None may crash; a kept source reads back as it was written, and a
// digest is always 64 lower-case hex digits.
#include "FuzzSupport.h"

#include <algorithm>

#include "model/AppImageParts.h"
#include "net/Sources.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 6) {
    case 0: {
        std::vector<qm::TRelease> releases;
        std::string why;
        if (qm::ParseReleases(text, releases, why)) {
            qm::TMachine machine;
            machine.Wine64 = true;
            qm::TAppSource installed;
            installed.Asset = "tool-1.0-linux-x86_64.tar.gz";
            for (const qm::TRelease& release : releases) {
                const int chosen = qm::ChooseAsset(release.Assets, machine);
                QM_FUZZ_CHECK(chosen < static_cast<int>(release.Assets.size()));
                const int next = qm::NextAsset(release, installed, "1.0", machine);
                QM_FUZZ_CHECK(next < static_cast<int>(release.Assets.size()));
                for (const qm::TReleaseAsset& asset : release.Assets)
                    QM_FUZZ_CHECK(asset.Name.find('/') == std::string::npos);
            }
        }
        break;
    }
    case 1: {
        const std::string digest = qm::DigestFromChecksums(text, "tool-1.0.tar.gz", true);
        QM_FUZZ_CHECK(digest.empty() ||
                      (digest.size() == 64 &&
                       digest.find_first_not_of("0123456789abcdef") == std::string::npos));
        break;
    }
    case 2: {
        const std::vector<std::string> links = qm::ListingLinks(text);
        const std::string newest = qm::NewestOfPattern(links, "tool-1.0.tar.gz");
        QM_FUZZ_CHECK(newest.empty() ||
                      std::find(links.begin(), links.end(), newest) != links.end());
        break;
    }
    case 3: {
        const qm::TAppSource source = qm::TAppSource::Parse(text);
        const std::string written = source.Text();
        QM_FUZZ_CHECK(qm::TAppSource::Parse(written).Text() == written);
        break;
    }
    case 4: {
        qm::TAppSource source;
        if (qm::ParseUpdateInformation(text, source))
            QM_FUZZ_CHECK(!source.Empty());
        break;
    }
    default:
        (void)qm::AppImageUpdateInfoOf(text);
        break;
    }
    return 0;
}
