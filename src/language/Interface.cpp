#include "language/Interface.h"

#include <QCoreApplication>
#include <QString>
#include <QTranslator>

#include <atomic>
#include <mutex>

namespace qm {

namespace {

// Loaded once and never changed after: lookups from any thread only read it.
QTranslator* EnglishCatalogue() {
    static QTranslator* const catalogue = [] {
        auto* translator = new QTranslator;
        if (!translator->load(QStringLiteral(":/i18n/quillmate_en.qm"))) {
            delete translator;
            return static_cast<QTranslator*>(nullptr);
        }
        return translator;
    }();
    return catalogue;
}

std::string LookUpEnglish(const char* context, const char* source) {
    QTranslator* catalogue = EnglishCatalogue();
    if (catalogue == nullptr)
        return {};
    return catalogue->translate(context, source).toStdString();
}

std::atomic<TLanguage> g_loaded{TLanguage::Japanese};
std::mutex g_loading;

} // namespace

void LoadInterfaceCatalogue(TLanguage language) {
    const std::lock_guard lock(g_loading);
    QTranslator* english = EnglishCatalogue();
    const bool wantEnglish = language == TLanguage::English && english != nullptr;
    SetTranslateHook(wantEnglish ? &LookUpEnglish : nullptr);
    if (QCoreApplication::instance() != nullptr && english != nullptr) {
        // The Japanese texts are the sources: Japanese needs no translator.
        QCoreApplication::removeTranslator(english);
        if (wantEnglish)
            QCoreApplication::installTranslator(english);
    }
    g_loaded.store(language);
}

TLanguage LoadInterfaceCatalogue() {
    const TLanguage language = InterfaceLanguage();
    LoadInterfaceCatalogue(language);
    return language;
}

TLanguage LoadedLanguage() { return g_loaded.load(); }

} // namespace qm
