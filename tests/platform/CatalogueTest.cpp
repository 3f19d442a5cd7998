#include "platform/Catalogue.h"

#include <gtest/gtest.h>

using namespace qm;

// QUILLMATE_LANG first; then the locale of messages as gettext reads it. Only a Japanese locale
// gives Japanese.
TEST(Catalogue, TheLanguageFollowsTheLocaleUnlessChosen) {
    const auto ja = TLanguage::Japanese;
    const auto en = TLanguage::English;
    struct {
        const char *quillmate, *language, *all, *messages, *lang;
        TLanguage expected;
    } cases[] = {
        {nullptr, nullptr, nullptr, nullptr, "ja_JP.UTF-8", ja},
        {nullptr, nullptr, nullptr, nullptr, "ja", ja},
        {nullptr, nullptr, nullptr, nullptr, "jam_JM", en},
        {nullptr, nullptr, nullptr, nullptr, "de_DE.UTF-8", en},
        {nullptr, nullptr, nullptr, nullptr, nullptr, en},
        {nullptr, nullptr, "C", nullptr, "ja_JP.UTF-8", en},
        {nullptr, nullptr, "POSIX", nullptr, nullptr, en},
        {nullptr, nullptr, "C.UTF-8", nullptr, "ja_JP.UTF-8", en},
        {nullptr, nullptr, nullptr, "ja_JP.UTF-8", "en_US.UTF-8", ja},
        {nullptr, nullptr, "", "", "ja_JP.UTF-8", ja},
        {nullptr, "ja:en", nullptr, nullptr, "en_US.UTF-8", ja},
        {nullptr, "en:ja", nullptr, nullptr, "ja_JP.UTF-8", en},
        {nullptr, "ja", "C", nullptr, nullptr, en},
        {"en", nullptr, nullptr, nullptr, "ja_JP.UTF-8", en},
        {"ja", nullptr, "C", nullptr, nullptr, ja},
        {"fr", nullptr, nullptr, nullptr, "ja_JP.UTF-8", ja},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChooseLanguage(c.quillmate, c.language, c.all, c.messages, c.lang), c.expected)
            << (c.quillmate ? c.quillmate : "-") << ' ' << (c.language ? c.language : "-") << ' '
            << (c.all ? c.all : "-") << ' ' << (c.messages ? c.messages : "-") << ' '
            << (c.lang ? c.lang : "-");
}

// A translation may put the arguments in another order; what they hold is never read again.
TEST(Catalogue, ArgumentsFillTheirPlacesOnce) {
    EXPECT_EQ(Args("%2 を %1 に", "a", "b"), "b を a に");
    EXPECT_EQ(Args("file %1: %2", "%2", "gone"), "file %2: gone");
    EXPECT_EQ(Args("100% of %1, %3 kept", "x"), "100% of x, %3 kept");
    // Without a catalogue every text is its source.
    EXPECT_EQ(Tr("Any", "ファイル"), "ファイル");
}
