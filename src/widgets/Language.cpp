#include "widgets/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace qm {

bool SetUpInterfaceLanguage(QCoreApplication& app) {
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    QLocale::setDefault(japanese);
    // Once per application: a second call finds the catalogue already there.
    if (app.findChild<QTranslator*>(QStringLiteral("qmQtTranslator")) != nullptr)
        return true;
    auto* translator = new QTranslator(&app);
    translator->setObjectName(QStringLiteral("qmQtTranslator"));
    if (!translator->load(japanese, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

} // namespace qm
