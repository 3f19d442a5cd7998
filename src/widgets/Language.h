#pragma once
// The interface's language for Qt's own texts and formats: the buttons of message boxes and
// standard dialogs, the file dialog's labels, and the date and number formats. The program's
// own texts are Japanese, so Qt's are too, and dates read the same everywhere ("2019/02/21").
class QCoreApplication;

namespace qm {

// Loads Qt's Japanese catalogue (Debian's qt6-translations-l10n) into the application and makes
// Japanese the default locale. False when the catalogue is not installed: Qt's texts then stay
// in English, the formats are Japanese all the same.
bool SetUpInterfaceLanguage(QCoreApplication& app);

} // namespace qm
