#include "widgets/Language.h"

#include "language/Interface.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace qm {

bool SetUpInterfaceLanguage(QCoreApplication& app) {
    return SetUpInterfaceLanguage(app, InterfaceLanguage());
}

bool SetUpInterfaceLanguage(QCoreApplication& app, TLanguage language) {
    LoadInterfaceCatalogue(language);
    // Qt's own texts are English: only Japanese needs its catalogue.
    auto* qtCatalogue = app.findChild<QTranslator*>(QStringLiteral("qmQtTranslator"));
    if (language == TLanguage::English) {
        const QLocale system = QLocale::system();
        QLocale::setDefault(system.language() == QLocale::English
                                ? system
                                : QLocale(QLocale::English, QLocale::UnitedStates));
        if (qtCatalogue != nullptr)
            QCoreApplication::removeTranslator(qtCatalogue);
        return true;
    }
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    QLocale::setDefault(japanese);
    if (qtCatalogue == nullptr) {
        qtCatalogue = new QTranslator(&app);
        qtCatalogue->setObjectName(QStringLiteral("qmQtTranslator"));
        if (!qtCatalogue->load(japanese, QStringLiteral("qtbase"), QStringLiteral("_"),
                               QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            delete qtCatalogue;
            return false;
        }
    }
    // Installing again moves it first in line; it is never installed twice.
    QCoreApplication::removeTranslator(qtCatalogue);
    QCoreApplication::installTranslator(qtCatalogue);
    return true;
}

} // namespace qm
