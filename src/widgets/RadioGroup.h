#pragma once
// A titled group of radio buttons of which exactly one is chosen, read and set by its index.
#include <QGroupBox>
#include <QStringList>
#include <QVector>

class QButtonGroup;
class QRadioButton;

namespace qm {

class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    TRadioGroup(const QString& title, const QStringList& items, QWidget* parent = nullptr);

    // The chosen button's index; -1 when none is chosen.
    int ItemIndex() const;
    // Chooses the button at index; an index outside the items chooses none.
    void SetItemIndex(int index);
    int Count() const { return static_cast<int>(FButtons.size()); }
    QRadioButton* Button(int index) const { return FButtons.value(index); }

signals:
    void Clicked(int index);

private:
    QButtonGroup* FGroup;
    QVector<QRadioButton*> FButtons;
};

} // namespace qm
