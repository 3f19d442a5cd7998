// What the installer accepts from the reading of entries and icons (which runs with the user's
// rights, so its results are checked like input): icons only in the theme's size folders under
// the application's own name and images by their content, program icons only the application's
// PNG in the data folder, entries only with the application's mark; and the bytes between the
// child and the installer, cut short or lying about a length, are refused.
#include "core/Integration.h"
#include "core/ThemeIcon.h"
#include "platform/SpecialFolders.h"

#include <gtest/gtest.h>

using namespace qm;

namespace {

const std::string kPng = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(16, '\0');

TIntegrationRequest Request() {
    TIntegrationRequest request;
    request.AppId = 7;
    request.DataFolder = "/data/Quillmate/";
    return request;
}

TEST(Integration, OnlyTheApplicationsOwnIconsInTheThemeAreWritten) {
    const std::string theme = IconThemeFolderPath(false) + "/";
    const auto check = [](const std::string& path, const std::string& bytes) {
        return CheckThemeIcon({path, bytes}, Request());
    };
    EXPECT_EQ(check(theme + "48x48/apps/quillmate-7-tool.png", kPng), "");
    EXPECT_EQ(check(theme + "scalable/apps/quillmate-7-tool.svg",
                    "<?xml version=\"1.0\"?>\n<!-- made by hand -->\n<svg xmlns=\"x\"/>"),
              "");
    EXPECT_NE(check(theme + "48x48/apps/quillmate-8-tool.png", kPng), "") << "another app's";
    EXPECT_NE(check(theme + "48x48/apps/firefox-esr.png", kPng), "");
    EXPECT_NE(check(theme + "48x48/apps/../../../../applications/quillmate-7-x.png", kPng), "");
    EXPECT_NE(check(theme + "quillmate-7-tool.png", kPng), "") << "no size folder";
    EXPECT_NE(check(IconThemeFolderPath(true) + "/48x48/apps/quillmate-7-tool.png", kPng), "")
        << "the other kind's theme";
    EXPECT_NE(check(theme + "scalable/apps/quillmate-7-tool.svg", "#!/bin/sh\nrm -rf ~\n"), "");
    EXPECT_NE(check(theme + "scalable/apps/quillmate-7-tool.svg", "<html><svg/></html>"), "");
    EXPECT_NE(check(theme + "48x48/apps/quillmate-7-tool.png", "not a png at all, really"), "");

    TIntegrationFile icon{"/data/Quillmate/icons/quillmate-7-2.png", kPng};
    EXPECT_EQ(CheckProgramIcon(icon, Request()), "");
    for (const char* path : {"/data/Quillmate/icons/quillmate-8-2.png",
                             "/data/Quillmate/icons/quillmate-7-../../x.png",
                             "/data/Quillmate/apps/quillmate-7-2.png"})
        EXPECT_NE(CheckProgramIcon({path, kPng}, Request()), "") << path;
    EXPECT_NE(CheckProgramIcon({icon.Path, "GIF89a"}, Request()), "");

    const std::string entry = "[Desktop Entry]\nType=Application\nName=T\nX-Quillmate-AppId=7\n";
    EXPECT_EQ(CheckEntryText(entry, Request()), "");
    EXPECT_NE(CheckEntryText("[Desktop Entry]\nX-Quillmate-AppId=70\n", Request()), "");
    EXPECT_NE(CheckEntryText(entry + std::string(1, '\0'), Request()), "");
}

TEST(Integration, TheResultsSurviveThePipeAndDamageIsRefused) {
    TIntegration sent;
    sent.Entries[3] = "[Desktop Entry]\nName=a:b 12:\n";
    sent.ThemeIcons.push_back({"/t/48x48/apps/quillmate-7-x.png", kPng});
    sent.ProgramIcons.push_back({"/d/icons/quillmate-7-0.png", std::string(3, '\0')});
    sent.Notices.push_back("note");
    const std::string bytes = FormatIntegration(sent);
    TIntegration got;
    ASSERT_TRUE(ParseIntegration(bytes, got));
    EXPECT_EQ(got.Entries, sent.Entries);
    ASSERT_EQ(got.ThemeIcons.size(), 1u);
    EXPECT_EQ(got.ThemeIcons[0].Bytes, kPng);
    EXPECT_EQ(got.ProgramIcons[0].Bytes, std::string(3, '\0'));
    EXPECT_EQ(got.Notices, sent.Notices);
    for (std::size_t cut = 0; cut < bytes.size(); ++cut)
        EXPECT_FALSE(ParseIntegration(bytes.substr(0, cut), got)) << "cut at " << cut;
    EXPECT_FALSE(ParseIntegration("QMI1N99999999999999999999:x", got));
    EXPECT_FALSE(ParseIntegration("QMIX", got));
}

} // namespace
