#pragma once
// The interface's language: the program's own texts (its catalogue), Qt's texts (the buttons of
// message boxes and standard dialogs, the file dialog's labels) and the date and number formats
// follow one choice. Under Japanese, dates read "2019/02/21" everywhere.
#include "platform/Catalogue.h"

class QCoreApplication;

namespace qm {

// Chooses the language from the environment (QUILLMATE_LANG, else the locale) and sets it up.
// False when Qt's Japanese catalogue (Debian's qt6-translations-l10n) is not installed: Qt's
// texts then stay in English.
bool SetUpInterfaceLanguage(QCoreApplication& app);
// Sets up the given language; the tests choose theirs so.
bool SetUpInterfaceLanguage(QCoreApplication& app, TLanguage language);

} // namespace qm
