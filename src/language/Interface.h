#pragma once

// The catalogue of the interface's language, loaded once by every program of Quillmate: the
// window, the installer and uninstaller, and quill. Only Qt Core: quill has no window.

#include "platform/Catalogue.h"

namespace qm {

// Chooses the language from the environment (InterfaceLanguage) and loads its catalogue.
TLanguage LoadInterfaceCatalogue();
// Loads the catalogue of `language`: the lookup of the core's texts and, when an application
// object exists, the translator behind tr(). A later call replaces the earlier choice.
void LoadInterfaceCatalogue(TLanguage language);
// The language last loaded (Japanese before any load).
TLanguage LoadedLanguage();

} // namespace qm
