#include "widgets/Controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace qm {

QComboBox* NewChoiceList(QWidget* parent, const char* name, const QStringList& items) {
    auto* list = new QComboBox(parent);
    list->setObjectName(QLatin1String(name));
    list->setEditable(false);
    list->addItems(items);
    return list;
}

QCheckBox* NewCheckBox(QWidget* parent, const char* name, const QString& caption) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

QLineEdit* NewReadOnlyEdit(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::ClickFocus); // selectable, but not a tab stop
    return edit;
}

void SetChoice(QComboBox* list, int value, int fallback) {
    list->setCurrentIndex(value >= 0 && value < list->count() ? value : fallback);
}

} // namespace qm
