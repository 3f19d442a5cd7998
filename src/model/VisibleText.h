#pragma once
// Names from an archive shown to the user. A name may hold characters that change how the text
// around them is shown without being seen themselves: "inv\u202Etxt.exe" shows as "invexe.txt"
// with its right-to-left override, and a zero-width space or a control character hides where a
// name really ends. Every place that shows a member name shows it through VisibleText, so a
// program cannot pose as a text file.
#include <string>

namespace qm {

// Whether the code point changes the display of its neighbours or is itself invisible:
// C0 and C1 controls, bidirectional embeddings, overrides, isolates and marks, zero-width and
// invisible format characters, the byte order mark, tag characters.
bool IsInvisibleCharacter(char32_t c);

// The UTF-8 text with each such character written as "<U+XXXX>", and each byte that is no
// UTF-8 as "<XX>"; other text is unchanged.
std::string VisibleText(const std::string& utf8);

} // namespace qm
