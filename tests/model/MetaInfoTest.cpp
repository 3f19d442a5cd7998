// The name and newest release of AppStream metainfo files as people write them.
#include "model/DesktopFile.h"

#include <gtest/gtest.h>

using namespace qm;

TEST(ParseMetaInfo, ReadsTheComponentsOwnNameAndNewestRelease) {
    const struct {
        const char* what;
        const char* xml;
        const char* name;
        const char* version;
    } cases[] = {
        {"plain",
         R"(<?xml version="1.0"?><component type="desktop-application"><id>a.b</id>
            <name>Viewer</name><name xml:lang="de">Betrachter</name>
            <releases><release version="2.1" date="2024-05-01"/><release version="2.0"/>
            </releases></component>)",
         "Viewer", "2.1"},
        {"a name in a comment, then a developer's name first",
         R"(<component><!-- <name>Old</name> --><developer_name>ACME</developer_name>
            <developer><name>ACME Inc.</name></developer><name>Tool</name></component>)",
         "Tool", ""},
        {"CDATA and character references",
         R"(<component><name><![CDATA[Tom & Jerry]]></name><releases>
            <release version="1&#46;0"/></releases></component>)",
         "Tom & Jerry", "1.0"},
        {"a release tag over lines, spaces around =, oldest first",
         "<component><name>Ed</name><releases>\n<release\n  version = \"0.9\" />\n"
         "<release date=\"2023-01-01\"\n version='1.10'/>\n<release version=\"1.9\"/>"
         "</releases></component>",
         "Ed", "1.10"},
        {"a collection", R"(<components><component><name>First</name></component></components>)",
         "First", ""},
        {"not XML", "<component><name>Broken", "", ""},
    };
    for (const auto& c : cases) {
        const TMetaInfo info = ParseMetaInfo(c.xml);
        EXPECT_EQ(info.Name, c.name) << c.what;
        EXPECT_EQ(info.Version, c.version) << c.what;
    }
}

// An external entity is never loaded: the file comes from an archive.
TEST(ParseMetaInfo, LoadsNoExternalEntity) {
    const TMetaInfo info = ParseMetaInfo(
        R"(<?xml version="1.0"?><!DOCTYPE c [<!ENTITY x SYSTEM "file:///etc/passwd">]>
           <component><name>A&x;</name></component>)");
    EXPECT_EQ(info.Name.find("root"), std::string::npos) << info.Name;
}

// Found by fuzzing: carriage returns before a line feed are no part of the line, however many;
// an entry written back reads the same.
TEST(DesktopFile, CarriageReturnsBeforeALineFeedAreNoPartOfTheLine) {
    const TDesktopFile entry = TDesktopFile::Parse("[Desktop Entry]\r\r\nName=A\r\r\r\n");
    EXPECT_EQ(entry.Value("Name"), "A");
    EXPECT_EQ(entry.Text(), "[Desktop Entry]\nName=A\n");
    EXPECT_EQ(TDesktopFile::Parse(entry.Text()).Text(), entry.Text());
}
