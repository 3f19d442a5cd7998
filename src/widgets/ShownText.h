#pragma once
// Names that come from an archive, as lists and labels show them: characters that hide or
// reorder text ("inv\u202Etxt.exe" would show as "invexe.txt") are shown as "<U+XXXX>" marks.
// Only what is shown changes; values kept behind a list entry stay the stored text.
#include <QString>
#include <string>

namespace qm {

QString ShownText(const QString& text);
QString ShownText(const std::string& utf8);

} // namespace qm
