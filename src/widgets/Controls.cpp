#include "widgets/Controls.h"

#include <QCheckBox>
#include <QComboBox>

namespace qm {

QComboBox* NewChoiceList(QWidget* parent, const char* name, const QStringList& items) {
    auto* list = new QComboBox(parent);
    list->setObjectName(QLatin1String(name));
    list->setEditable(false);
    list->addItems(items);
    return list;
}

QCheckBox* NewCheckBox(QWidget* parent, const char* name, const char* caption) {
    auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

void SetChoice(QComboBox* list, int value, int fallback) {
    list->setCurrentIndex(value >= 0 && value < list->count() ? value : fallback);
}

} // namespace qm
