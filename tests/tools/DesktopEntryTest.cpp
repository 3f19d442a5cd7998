// The Exec line: Windows arguments split as a Windows program splits them, then quoted as the
// freedesktop desktop-entry format asks, then escaped as a string value.
#include "core/DesktopEntry.h"

#include <gtest/gtest.h>

using namespace qm;

TEST(DesktopEntry, WindowsArgumentsAreSplitLikeWindowsDoes) {
    EXPECT_EQ(SplitWindowsArguments(R"(/a "b c" d\"e "f""g" h\\"i j")"),
              (std::vector<std::string>{"/a", "b c", "d\"e", "f\"g", "h\\i j"}));
    EXPECT_EQ(SplitWindowsArguments(R"(C:\dir\file.txt "")"),
              (std::vector<std::string>{"C:\\dir\\file.txt", ""}));
}

TEST(DesktopEntry, ExecArgumentsAreQuotedWhereReserved) {
    EXPECT_EQ(QuoteExecArgument("plain"), "plain");
    EXPECT_EQ(QuoteExecArgument("50%"), "50%%");
    EXPECT_EQ(QuoteExecArgument("a b"), "\"a b\"");
    EXPECT_EQ(QuoteExecArgument("$HOME`x`\"q\"\\"), "\"\\$HOME\\`x\\`\\\"q\\\"\\\\\"");
    EXPECT_EQ(QuoteExecArgument(""), "\"\"");

    TDesktopEntry entry;
    entry.Name = "Tool";
    entry.Program = "/opt/My Tool/tool.exe";
    entry.Arguments = R"(C:\x)";
    entry.AppId = 7;
    const std::string text = BuildDesktopEntry(entry, false);
    // The argument's backslash: doubled by the quoting, doubled again by the string escape.
    EXPECT_NE(text.find("Exec=wine \"/opt/My Tool/tool.exe\" \"C:\\\\\\\\x\"\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("\nX-Quillmate-AppId=7\n"), std::string::npos);

    entry.Program = "/opt/tool/manual.chm";
    EXPECT_NE(BuildDesktopEntry(entry, false).find("Exec=xdg-open /opt/tool/manual.chm\n"),
              std::string::npos);
    entry.Program = "/opt/tool/run.sh";
    EXPECT_NE(BuildDesktopEntry(entry, true).find("Exec=/opt/tool/run.sh \"C:\\\\\\\\x\"\n"),
              std::string::npos);
}
