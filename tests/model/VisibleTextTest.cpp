// Names shown to the user never hide or reorder characters.
#include "model/VisibleText.h"

#include <gtest/gtest.h>

using qm::VisibleText;

TEST(VisibleText, BidirectionalAndInvisibleCharactersAreShown) {
    // Shown as written, "inv\u202Etxt.exe" reads "invexe.txt".
    EXPECT_EQ(VisibleText("inv\u202Etxt.exe"), "inv<U+202E>txt.exe");
    EXPECT_EQ(VisibleText("a\u200Bb\u2066c\u2069\uFEFF"), "a<U+200B>b<U+2066>c<U+2069><U+FEFF>");
    EXPECT_EQ(VisibleText("two\nlines\x7F"), "two<U+000A>lines<U+007F>");
    EXPECT_EQ(VisibleText("tag\U000E0041"), "tag<U+E0041>");
    // Ordinary text, Japanese and combining accents stay as they are.
    EXPECT_EQ(VisibleText("画像ビューア/cafe\u0301.txt"), "画像ビューア/cafe\u0301.txt");
}

// Found by fuzzing: a byte that is no UTF-8 before an override let the override through; it is
// shown as a byte now, and what follows is still looked at.
TEST(VisibleText, ABrokenByteCarriesNoOverridePastTheCheck) {
    EXPECT_EQ(qm::VisibleText("a\x96\xE2\x80\xAEtxt.exe"), "a<96><U+202E>txt.exe");
    EXPECT_EQ(qm::VisibleText("\xE2\x02x"), "<E2><U+0002>x");
}
