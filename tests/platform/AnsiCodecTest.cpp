#include "platform/AnsiCodec.h"
#include "platform/Exception.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

using namespace qm;

TEST(AnsiCodec, RoundTripsJapaneseInCodePage932) {
    SetAnsiCodePage(CP_SHIFT_JIS);
    const std::string text = "manualのヘルプ";
    const std::string ansi = ToAnsi(text);
    // "の" is 82 CC, "ヘ" 83 77, "ル" 83 8B, "プ" 83 76 in code page 932.
    EXPECT_EQ(ansi, std::string("manual\x82\xCC\x83\x77\x83\x8B\x83\x76"));
    EXPECT_EQ(FromAnsi(ansi), text);
}

TEST(AnsiCodec, UsesTheWindowsVariantOfShiftJis) {
    SetAnsiCodePage(CP_SHIFT_JIS);
    // 0x8160 is the full-width tilde U+FF5E in code page 932, not the wave dash.
    EXPECT_EQ(FromAnsi("\x81\x60"), "\xEF\xBD\x9E");
}

TEST(AnsiCodec, UnrepresentableTextIsAnErrorNamingIt) {
    SetAnsiCodePage(CP_SHIFT_JIS);
    try {
        ToAnsi("caf\xC3\xA9.txt");
        FAIL() << "no error";
    } catch (const EEncodingError& e) {
        EXPECT_NE(std::string(e.what()).find("caf\xC3\xA9.txt"), std::string::npos);
    }
    EXPECT_FALSE(CanEncodeAnsi("\xF0\xA0\xAE\xB7")); // U+20BB7
    EXPECT_THROW(FromAnsi("\x82"), EEncodingError);  // a lone lead byte
}

TEST(AnsiCodec, Utf8CodePagePassesTextThrough) {
    SetAnsiCodePage(CP_UTF8_PAGE);
    EXPECT_EQ(ToAnsi("caf\xC3\xA9"), "caf\xC3\xA9");
    EXPECT_FALSE(IsAnsiLeadByte(0x82));
    EXPECT_THROW(ToAnsi("\xFF"), EEncodingError);
    SetAnsiCodePage(CP_SHIFT_JIS);
    EXPECT_THROW(SetAnsiCodePage(1252), EEncodingError);
}

TEST(AnsiCodec, Utf8CheckRefusesWhatIsNotUnicode) {
    EXPECT_TRUE(IsValidUtf8("a\xE3\x81\x82\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF"));
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));             // overlong '/'
    EXPECT_FALSE(IsValidUtf8("\xE0\x80\xAF"));         // overlong '/' in three bytes
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));         // a surrogate
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));     // past U+10FFFF
    EXPECT_FALSE(IsValidUtf8("\xF8\x88\x80\x80\x80")); // a five-byte form
    EXPECT_FALSE(IsValidUtf8("\xE3\x81"));             // cut short
    // The code page 65001 conversion relies on the same check.
    SetAnsiCodePage(CP_UTF8_PAGE);
    EXPECT_THROW(ToAnsi("\xF4\x90\x80\x80"), EEncodingError);
    EXPECT_THROW(FromAnsi("\xED\xA0\x80"), EEncodingError);
    SetAnsiCodePage(CP_SHIFT_JIS);
}

TEST(AnsiCodec, CodePointsAppendAsUtf8AndNonCharactersAsReplacement) {
    std::string out;
    for (char32_t c :
         {U'A', U'\u00E9', U'\u3042', U'\U0001F600', char32_t{0xD800}, char32_t{0x110000}})
        AppendUtf8(out, c);
    EXPECT_EQ(out, "A\xC3\xA9\xE3\x81\x82\xF0\x9F\x98\x80\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_TRUE(IsValidUtf8(out));
}

TEST(AnsiCodec, CharacterSearchSkipsTrailBytes) {
    SetAnsiCodePage(CP_SHIFT_JIS);
    // "表" is 95 5C: its trail byte is a backslash that must not count as a separator.
    const std::string path = ToAnsi("C:\\表\\a");
    EXPECT_EQ(AnsiFind(path, '\\'), 2u);
    EXPECT_EQ(AnsiFind(path, '\\', 3), 5u);
    EXPECT_EQ(AnsiFindLast(path, '\\'), 5u);
    EXPECT_EQ(AnsiFindLast(ToAnsi("表"), '\\'), std::string::npos);
}

namespace {

// Sets or clears environment variables for the object's lifetime; the code page then follows
// them again.
class ScopedEnvironment {
public:
    ScopedEnvironment(std::initializer_list<std::pair<const char*, const char*>> values) {
        for (const auto& [name, value] : values) {
            const char* old = std::getenv(name);
            saved_.push_back({name, old != nullptr, old != nullptr ? old : ""});
            if (value != nullptr)
                setenv(name, value, 1);
            else
                unsetenv(name);
        }
        ResetAnsiCodePage();
    }
    ~ScopedEnvironment() {
        for (const Saved& s : saved_) {
            if (s.had)
                setenv(s.name, s.value.c_str(), 1);
            else
                unsetenv(s.name);
        }
        ResetAnsiCodePage();
    }

private:
    struct Saved {
        const char* name;
        bool had;
        std::string value;
    };
    std::vector<Saved> saved_;
};

} // namespace

TEST(AnsiCodec, CodePageFollowsTheLocaleUnlessChosen) {
    const struct {
        const char* lcAll;
        const char* lang;
        const char* chosen;
        int codePage;
    } cases[] = {
        {nullptr, "ja_JP.UTF-8", nullptr, CP_UTF8_PAGE},
        {nullptr, "ja_JP.SJIS", nullptr, CP_SHIFT_JIS},
        {"ja_JP.Shift_JIS", "en_US.UTF-8", nullptr, CP_SHIFT_JIS}, // LC_ALL comes first
        {nullptr, "C", nullptr, CP_UTF8_PAGE},                     // names are still UTF-8
        {nullptr, nullptr, nullptr, CP_UTF8_PAGE},
        {nullptr, "ja_JP.UTF-8", "932", CP_SHIFT_JIS},
        {nullptr, "ja_JP.SJIS", "65001", CP_UTF8_PAGE},
        {nullptr, "ja_JP.SJIS", "1252", CP_SHIFT_JIS}, // not one this program can use
    };
    for (const auto& c : cases) {
        ScopedEnvironment env{{"LC_ALL", c.lcAll},
                              {"LC_CTYPE", nullptr},
                              {"LANG", c.lang},
                              {"QUILLMATE_CODEPAGE", c.chosen}};
        EXPECT_EQ(GetAnsiCodePage(), c.codePage)
            << (c.lcAll ? c.lcAll : "-") << " " << (c.lang ? c.lang : "-") << " "
            << (c.chosen ? c.chosen : "-");
    }
}

TEST(AnsiCodec, ArchiveNamesAreUtf8WhenValidElseInTheArchiveCharset) {
    ScopedEnvironment env{{"QUILLMATE_ARCHIVE_CHARSET", nullptr}};
    const std::string sjis = "\x83\x63\x81\x5B\x83\x8B/\x95\x5C.txt"; // ツール/表.txt
    EXPECT_EQ(ArchiveNameToUtf8(sjis), "ツール/表.txt");
    EXPECT_EQ(ArchiveNameToUtf8("Ångström/读我.txt"), "Ångström/读我.txt");
    EXPECT_TRUE(IsArchiveLeadByte(0x95));
    // Handed on in the program's code page.
    SetAnsiCodePage(CP_SHIFT_JIS);
    EXPECT_EQ(ArchiveNameToAnsi(sjis), sjis);
    EXPECT_THROW(ArchiveNameToAnsi("Ångström"), EEncodingError); // 932 cannot hold it
    SetAnsiCodePage(CP_UTF8_PAGE);
    EXPECT_EQ(ArchiveNameToAnsi(sjis), "ツール/表.txt");
    EXPECT_THROW(ArchiveNameToUtf8("\x82"), EEncodingError); // a lone lead byte
}

TEST(AnsiCodec, ArchiveCharsetCanBeChosen) {
    {
        ScopedEnvironment env{{"QUILLMATE_ARCHIVE_CHARSET", "CP1252"}};
        EXPECT_EQ(ArchiveNameToUtf8("caf\xE9\x99.txt"), "café™.txt");
        EXPECT_FALSE(IsArchiveLeadByte(0x95));
    }
    ScopedEnvironment env{{"QUILLMATE_ARCHIVE_CHARSET", "NO-SUCH-CHARSET"}};
    try {
        ArchiveNameToUtf8("caf\xE9");
        FAIL() << "no error";
    } catch (const EEncodingError& e) {
        EXPECT_NE(std::string(e.what()).find("NO-SUCH-CHARSET"), std::string::npos) << e.what();
    }
}

TEST(AnsiCodec, ExplicitCodePageIgnoresTheProcesses) {
    SetAnsiCodePage(CP_UTF8_PAGE);
    EXPECT_EQ(FromCodePage("\x95\x5C", CP_SHIFT_JIS), "表");
    EXPECT_EQ(ToCodePage("表", CP_SHIFT_JIS), "\x95\x5C");
    EXPECT_EQ(ToAnsi("表"), "表");
}
