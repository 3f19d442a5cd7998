#pragma once
// The small window shown while the legacy database is imported at the program's first start.
#include <QDialog>

class QLabel;

namespace qm {

class TfrmConvert : public QDialog {
    Q_OBJECT
public:
    explicit TfrmConvert(QWidget* owner);
    ~TfrmConvert() override;

    // Shows the window centred on its owner, without making it modal, and paints it at once;
    // the busy cursor stays until the window goes.
    void ShowNow();

    QLabel* Label1 = nullptr;

private:
    bool FCursorSet = false;
};

} // namespace qm
