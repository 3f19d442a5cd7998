#pragma once
// Searching a text for another in the way the ANSI code page sees them: positions never fall
// inside a double-byte character, and ignoring case folds only single-byte ASCII letters.
#include <string>

namespace qm {

// Position (from 1, in bytes of the UTF-8 text) of the first occurrence of sub in text at or
// after position from; 0 when there is none or sub is empty. Without caseSensitive the ASCII
// letters compare ignoring case. The search runs on the ANSI bytes (on the UTF-8 bytes when the
// code page cannot hold either text), so a match never starts on the second byte of a double-
// byte character; the position found is given back in the UTF-8 text.
int FindTextFrom(const std::string& sub, const std::string& text, int from, bool caseSensitive);

// Where a folder ends with a delimiter followed by tail ("/opt/Tool/bin/" and "bin/" give the
// position of "bin/"), ignoring the case of ASCII letters; 0 when it does not end so or tail is
// empty. A folder whose name only ends like tail ("/opt/Tool/xbin/") does not count.
int FindFolderTail(const std::string& folder, const std::string& tail);

} // namespace qm
