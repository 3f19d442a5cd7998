#pragma once

// Texts the user reads, in the interface's language. The Japanese text is the source and the
// key: the program installs a lookup into its catalogue at start, and without one (the tests of
// the core, a build without Qt) every text is its Japanese source. Nothing here knows Qt.

#include <initializer_list>
#include <string>
#include <string_view>

// Marks a text of a table for the catalogue tools; the table's user looks it up with Tr and the
// same context.
#define QM_TRANSLATE_NOOP(context, text) text

namespace qm {

enum class TLanguage { Japanese, English };

// The interface's language: QUILLMATE_LANG ("ja" or "en") when set, else the locale of messages
// (LANGUAGE, LC_ALL, LC_MESSAGES, LANG, as gettext reads them): Japanese under a ja locale,
// English under any other, C and POSIX included.
TLanguage InterfaceLanguage();
// The same choice from given values, for the tests.
TLanguage ChooseLanguage(const char* quillmateLang, const char* language, const char* lcAll,
                         const char* lcMessages, const char* lang);
// "ja" or "en".
const char* LanguageCode(TLanguage language);

// The catalogue's lookup: the translation of `source` in `context`, or an empty string when the
// catalogue has none. It is called from any thread.
using TTranslateHook = std::string (*)(const char* context, const char* source);
void SetTranslateHook(TTranslateHook hook) noexcept;

// `source` in the interface's language. Both arguments are string literals, so that the
// catalogue tools find them in the sources; `context` groups the texts of one part.
std::string Tr(const char* context, const char* source);

// `pattern` with %1 to %9 replaced by the arguments in one pass: an argument that holds "%2"
// stays as it is, and so does a number without an argument.
std::string ArgsOf(std::string_view pattern, std::initializer_list<std::string_view> args);
template <class... Values>
std::string Args(std::string_view pattern, const Values&... args) {
    return ArgsOf(pattern, {std::string_view(args)...});
}

} // namespace qm
