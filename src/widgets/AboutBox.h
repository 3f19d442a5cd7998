#pragma once
// The about box: the program's icon, name, version and description, a comment, and an OK
// button. The caller fills it; nothing here knows which program it describes.
#include <QDialog>

class QLabel;
class QPushButton;

namespace qm {

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    void SetIcon(const QIcon& icon);
    void SetProductName(const QString& name);
    void SetVersion(const QString& version);
    void SetDescription(const QString& description);
    void SetComments(const QString& comments);

    // Shows the box modally until it is closed (through the test hooks while they are active).
    void Execute();

    QLabel* lblIcon = nullptr;
    QLabel* lblProductName = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblDescription = nullptr;
    QLabel* lblComments = nullptr;
    QPushButton* btnOk = nullptr;
};

} // namespace qm
