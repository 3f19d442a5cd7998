#include "widgets/ShownText.h"

#include "model/VisibleText.h"

namespace qm {

QString ShownText(const QString& text) {
    // Most names hold none of those characters and are handed back without a conversion.
    for (const QChar c : text) {
        if (c.isSurrogate() || IsInvisibleCharacter(c.unicode()))
            return QString::fromStdString(VisibleText(text.toStdString()));
    }
    return text;
}

QString ShownText(const std::string& utf8) {
    return ShownText(QString::fromStdString(utf8));
}

} // namespace qm
