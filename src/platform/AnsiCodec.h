#pragma once
// The system ANSI code page: every stored format and every archiver command line uses it, while
// the program keeps UTF-8 in memory. This is the only place that converts.
#include <string>
#include <string_view>

namespace qm {

constexpr int CP_SHIFT_JIS = 932;
constexpr int CP_UTF8_PAGE = 65001;

// The code page of this process (65001 makes the ANSI text UTF-8). It follows the process
// locale: 932 under a Shift_JIS locale, 65001 under every other (UTF-8, C, POSIX);
// QUILLMATE_CODEPAGE=932 or =65001 chooses instead. SetAnsiCodePage changes it for the process.
int GetAnsiCodePage();
void SetAnsiCodePage(int codePage);
// Lets the code page follow the environment again, as it does at start (read at the next use).
void ResetAnsiCodePage();

// UTF-8 -> ANSI. A text that the code page cannot hold raises EEncodingError naming the text.
std::string ToAnsi(std::string_view utf8);
// ANSI -> UTF-8. Bytes that are not valid in the code page raise EEncodingError.
std::string FromAnsi(std::string_view ansi);
// The same with a code page named by the caller, for a format fixed to one (the legacy
// database is always code page 932).
std::string ToCodePage(std::string_view utf8, int codePage);
std::string FromCodePage(std::string_view text, int codePage);

// Member names that an archive stores without a Unicode flag. Strictly valid UTF-8 is taken as
// UTF-8 (archives made on Linux rarely set the flag); anything else is in the archive charset:
// CP932 (the archives this program is for were made on Japanese Windows) unless
// QUILLMATE_ARCHIVE_CHARSET names another (an iconv name: CP437, CP1252, GBK...).
std::string ArchiveCharset();
// Such a name in UTF-8. EEncodingError when it is not valid in the archive charset either.
std::string ArchiveNameToUtf8(std::string_view raw);
// Such a name as the archiver libraries hand it to the program: in the program's code page.
// EEncodingError when it cannot be read, or the code page cannot hold it.
std::string ArchiveNameToAnsi(std::string_view raw);
// Whether the byte starts a double-byte character of the archive charset (CP932, GBK, Big5 and
// their relatives), whose second byte may be a backslash.
bool IsArchiveLeadByte(unsigned char byte);
// Whether the text can be written in the code page.
bool CanEncodeAnsi(std::string_view utf8);
// Strict UTF-8: overlong forms, surrogates and values past U+10FFFF are refused. Text of the
// ANSI code page passes a lax check more often (half-width katakana 0xC0 and 0xC1 start
// overlong pairs), and would then be read as the wrong characters.
bool IsValidUtf8(std::string_view text);
// Appends one code point as UTF-8. A surrogate or a value past U+10FFFF has no UTF-8 form and
// becomes U+FFFD, so the result is always valid UTF-8.
void AppendUtf8(std::string& out, char32_t c);

// Whether the byte starts a double-byte character of the current code page (code page 932:
// 0x81-0x9F and 0xE0-0xFC). Always false for UTF-8, where no trail byte can be taken for ASCII.
bool IsAnsiLeadByte(unsigned char byte);

// Byte position of the first occurrence of c in an ANSI text, skipping the second byte of
// double-byte characters; npos when absent. LastAnsiDelimiter likewise from the end.
size_t AnsiFind(std::string_view ansi, char c, size_t from = 0);
size_t AnsiFindLast(std::string_view ansi, char c);

} // namespace qm
