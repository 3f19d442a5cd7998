#include "widgets/Controls.h"

#include <QComboBox>

namespace qm {

QComboBox* NewChoiceList(QWidget* parent, const char* name, const QStringList& items) {
    auto* list = new QComboBox(parent);
    list->setObjectName(QLatin1String(name));
    list->setEditable(false);
    list->addItems(items);
    return list;
}

void SetChoice(QComboBox* list, int value, int fallback) {
    list->setCurrentIndex(value >= 0 && value < list->count() ? value : fallback);
}

} // namespace qm
