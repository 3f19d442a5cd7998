#include "widgets/AboutBox.h"

#include "widgets/UiHooks.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace qm {

namespace {

QLabel* PlainLabel(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgAbout"));
    setWindowTitle(tr("バージョン情報"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    lblIcon = new QLabel(this);
    lblIcon->setObjectName(QStringLiteral("lblIcon"));
    lblIcon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    lblProductName = PlainLabel(this, "lblProductName");
    QFont bold = lblProductName->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.5);
    lblProductName->setFont(bold);
    lblVersion = PlainLabel(this, "lblVersion");
    lblDescription = PlainLabel(this, "lblDescription");
    lblComments = PlainLabel(this, "lblComments");
    lblComments->setWordWrap(true);
    btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(lblProductName);
    texts->addWidget(lblVersion);
    texts->addWidget(lblDescription);
    texts->addSpacing(8);
    texts->addWidget(lblComments);
    auto* top = new QHBoxLayout;
    top->addWidget(lblIcon);
    top->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOk);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    lblComments->setMinimumWidth(320);
}

void TAboutBox::SetIcon(const QIcon& icon) {
    lblIcon->setPixmap(icon.pixmap(48, 48));
}

void TAboutBox::SetProductName(const QString& name) {
    lblProductName->setText(name);
}

void TAboutBox::SetVersion(const QString& version) {
    lblVersion->setText(tr("バージョン %1").arg(version));
}

void TAboutBox::SetDescription(const QString& description) {
    lblDescription->setText(description);
}

void TAboutBox::SetComments(const QString& comments) {
    lblComments->setText(comments);
}

void TAboutBox::Execute() {
    ExecDialog(*this);
}

} // namespace qm
