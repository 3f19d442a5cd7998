#include "platform/Catalogue.h"

#include <atomic>
#include <cstdlib>

namespace qm {

namespace {

std::atomic<TTranslateHook> g_hook{nullptr};

bool Empty(const char* value) { return value == nullptr || *value == '\0'; }

bool IsJapanese(std::string_view locale) {
    return locale.substr(0, 2) == "ja" && (locale.size() == 2 || locale[2] == '_' ||
                                           locale[2] == '.' || locale[2] == '@' ||
                                           locale[2] == '-');
}

} // namespace

TLanguage ChooseLanguage(const char* quillmateLang, const char* language, const char* lcAll,
                         const char* lcMessages, const char* lang) {
    if (!Empty(quillmateLang)) {
        const std::string_view chosen(quillmateLang);
        if (IsJapanese(chosen))
            return TLanguage::Japanese;
        if (chosen.substr(0, 2) == "en")
            return TLanguage::English;
    }
    // The first of LC_ALL, LC_MESSAGES and LANG that is set names the locale of messages.
    const char* locale = !Empty(lcAll) ? lcAll : !Empty(lcMessages) ? lcMessages : lang;
    if (Empty(locale))
        return TLanguage::English;
    const std::string_view name(locale);
    if (name == "C" || name == "POSIX" || name.substr(0, 2) == "C.")
        return TLanguage::English;
    // LANGUAGE, a list of languages in order, counts only under a locale other than C: its first
    // entry decides.
    if (!Empty(language)) {
        const std::string_view list(language);
        return IsJapanese(list.substr(0, list.find(':'))) ? TLanguage::Japanese
                                                          : TLanguage::English;
    }
    return IsJapanese(name) ? TLanguage::Japanese : TLanguage::English;
}

TLanguage InterfaceLanguage() {
    return ChooseLanguage(std::getenv("QUILLMATE_LANG"), std::getenv("LANGUAGE"),
                          std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

const char* LanguageCode(TLanguage language) {
    return language == TLanguage::Japanese ? "ja" : "en";
}

void SetTranslateHook(TTranslateHook hook) noexcept { g_hook.store(hook); }

std::string Tr(const char* context, const char* source) {
    if (const TTranslateHook hook = g_hook.load()) {
        std::string translated = hook(context, source);
        if (!translated.empty())
            return translated;
    }
    return source;
}

std::string ArgsOf(std::string_view pattern, std::initializer_list<std::string_view> args) {
    std::string out;
    out.reserve(pattern.size() + 32);
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' &&
            pattern[i + 1] <= '9') {
            const std::size_t index = static_cast<std::size_t>(pattern[i + 1] - '1');
            if (index < args.size()) {
                out += *(args.begin() + index);
                ++i;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}

} // namespace qm
