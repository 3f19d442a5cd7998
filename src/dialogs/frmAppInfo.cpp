#include "dialogs/frmAppInfo.h"

#include "dialogs/MainAccess.h"
#include "model/FileUtils.h"
#include "model/InstallAppInfo.h"
#include "net/SourceCheck.h"
#include "settings/ConfigKeys.h"
#include "widgets/Controls.h"
#include "widgets/DateText.h"
#include "widgets/ReportList.h"
#include "widgets/ShownText.h"
#include "widgets/UiHooks.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <string>

namespace qm {

namespace {

const int kImageRole = Qt::UserRole;

// A row of the file list: one installed file, with the keys its texts sort by.
class TMemberItem : public TSortItem {
public:
    explicit TMemberItem(const TFileMember& member)
        : Member(&member), FNameKey(TextSortKey(member.FileName)),
          FFolderKey(TextSortKey(member.GetInstallDir())) {}

    const TFileMember* const Member;

    int Compare(const TSortItem& item, int column) const override {
        const auto& other = static_cast<const TMemberItem&>(item);
        switch (column) {
        case 0:
            return FNameKey.compare(other.FNameKey);
        case 1:
            return FFolderKey.compare(other.FFolderKey);
        case 2: {
            // The whole 64-bit sizes: files of 4 GiB and more order by their real size.
            const std::int64_t a = Member->FileSize;
            const std::int64_t b = other.Member->FileSize;
            return (a > b) - (a < b);
        }
        case 3:
            return CompareDates(Member->FileDate, other.Member->FileDate);
        default:
            return 0;
        }
    }

private:
    std::string FNameKey;
    std::string FFolderKey;
};

// The file symbol, crossed out in red for a file that is gone.
QIcon MissingIcon(const QIcon& file) {
    QPixmap pixmap = file.pixmap(16, 16);
    if (pixmap.isNull()) {
        pixmap = QPixmap(16, 16);
        pixmap.fill(Qt::transparent);
    }
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(200, 0, 0), 2.5));
    painter.drawLine(QPointF(3, 3), QPointF(13, 13));
    painter.drawLine(QPointF(13, 3), QPointF(3, 13));
    painter.end();
    return QIcon(pixmap);
}

QLabel* NewLabel(QWidget* parent, const char* name, const QString& caption) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

TfrmAppInfo::TfrmAppInfo(TMainAccess& main, QWidget* parent) : QDialog(parent), FMain(main) {
    setObjectName(QStringLiteral("frmAppInfo"));
    setWindowTitle(tr("アプリケーション情報"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);
    setSizeGripEnabled(true);
    const QIcon file = style()->standardIcon(QStyle::SP_FileIcon);
    ilstInstalled = {MissingIcon(file), file};
    CreateControls();
    FMain.LoadFormState(this);
    FMain.LoadListColumns(lvFile, cfg::ColsAppInfo.Key);
}

TfrmAppInfo::~TfrmAppInfo() {
    FMain.SaveListColumns(lvFile, cfg::ColsAppInfo.Key);
    FMain.SaveFormState(this);
}

void TfrmAppInfo::CreateControls() {
    resize(760, 460);
    auto* layout = new QVBoxLayout(this);
    auto* head = new QGridLayout;
    edtAppName = NewReadOnlyEdit(this, "edtAppName");
    edtVersion = NewReadOnlyEdit(this, "edtVersion");
    auto* lblAppName = NewLabel(this, "lblAppName", tr("アプリケーション名"));
    lblAppName->setBuddy(edtAppName);
    auto* lblVersion = NewLabel(this, "lblVersion", tr("バージョン"));
    lblVersion->setBuddy(edtVersion);
    head->addWidget(lblAppName, 0, 0);
    head->addWidget(lblVersion, 0, 1);
    head->addWidget(edtAppName, 1, 0);
    head->addWidget(edtVersion, 1, 1);
    head->setColumnStretch(0, 3);
    head->setColumnStretch(1, 2);
    lblFirstDate = NewLabel(this, "lblFirstDate", tr("初期インストール日時："));
    lblFirstDateValue = NewLabel(this, "lblFirstDateValue", QString());
    lblLastDate = NewLabel(this, "lblLastDate", tr("最終アップデート日時："));
    lblLastDateValue = NewLabel(this, "lblLastDateValue", QString());
    head->addWidget(lblFirstDate, 2, 0, Qt::AlignLeft);
    head->addWidget(lblFirstDateValue, 2, 1);
    head->addWidget(lblLastDate, 3, 0, Qt::AlignLeft);
    head->addWidget(lblLastDateValue, 3, 1);
    layout->addLayout(head);

    auto* sourceRow = new QHBoxLayout;
    auto* lblSource = NewLabel(this, "lblSource", tr("ソース(&S)"));
    edtSource = new QLineEdit(this);
    edtSource->setObjectName(QStringLiteral("edtSource"));
    edtSource->setPlaceholderText(tr("URL (https) または github:OWNER/REPO"));
    lblSource->setBuddy(edtSource);
    btnSetSource = new QPushButton(tr("設定"), this);
    btnSetSource->setObjectName(QStringLiteral("btnSetSource"));
    btnClearSource = new QPushButton(tr("削除"), this);
    btnClearSource->setObjectName(QStringLiteral("btnClearSource"));
    sourceRow->addWidget(lblSource);
    sourceRow->addWidget(edtSource, 1);
    sourceRow->addWidget(btnSetSource);
    sourceRow->addWidget(btnClearSource);
    layout->addLayout(sourceRow);
    connect(btnSetSource, &QPushButton::clicked, this, &TfrmAppInfo::btnSetSourceClick);
    connect(btnClearSource, &QPushButton::clicked, this, &TfrmAppInfo::btnClearSourceClick);

    Label1 = NewLabel(this, "Label1", tr("ファイルリスト"));
    layout->addWidget(Label1);
    lvFile = new QTreeWidget(this);
    lvFile->setObjectName(QStringLiteral("lvFile"));
    SetupReportList(lvFile,
                    {{tr("ファイル名"), 180},
                     {tr("インストール先"), 260},
                     {tr("サイズ"), 90, true},
                     {tr("日時"), 140, true}},
                    1);
    lvFile->setSelectionMode(QAbstractItemView::SingleSelection);
    Label1->setBuddy(lvFile);
    layout->addWidget(lvFile, 1);

    auto* panel = new QHBoxLayout;
    btnClose = new QPushButton(tr("閉じる(&C)"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setDefault(true);
    panel->addStretch(1);
    panel->addWidget(btnClose);
    layout->addLayout(panel);

    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(lvFile->header(), &QHeaderView::sectionClicked, this, &TfrmAppInfo::lvFileColumnClick);
}

void TfrmAppInfo::Show(const TInstallAppInfo& record) {
    FRecord = &record;
    edtAppName->setText(QString::fromStdString(record.AppName));
    edtVersion->setText(QString::fromStdString(record.Version));
    const TDateFormat dates;
    lblFirstDateValue->setText(dates.Text(record.FirstInstallDate));
    lblLastDateValue->setText(dates.Text(record.LastUpdateDate));
    const TAppSource source = LoadSource(GetDataFolder(), record.AppId, record.AllUsers);
    edtSource->setText(QString::fromStdString(source.Describe()));
    btnClearSource->setEnabled(!source.Empty());

    TWaitCursor wait;
    lvFile->setUpdatesEnabled(false);
    lvFile->clear();
    QList<QTreeWidgetItem*> rows;
    for (int i = 0; i < record.Members.Count(); ++i) {
        const TFileMember& member = record.Members.Items(i);
        if (member.IsExcluded())
            continue;
        const std::string folder = member.GetInstallDir();
        auto* row = new TMemberItem(member);
        row->setText(0, ShownText(member.FileName));
        row->setText(1, ShownText(folder));
        row->setText(2, QString::fromStdString(member.SizeText()));
        row->setText(3, dates.Text(member.FileDate));
        // A folder that is not absolute would be looked up below whatever the current folder
        // happens to be; such a record names no file that can be found.
        const bool present = IsAbsolutePath(folder) && FileExists(folder + member.FileName);
        const int image = present ? imgPresent : imgMissing;
        row->setIcon(0, ilstInstalled[image]);
        row->setData(0, kImageRole, image);
        AlignRow(lvFile, row);
        rows.append(row);
    }
    lvFile->addTopLevelItems(rows);
    lvFile->sortItems(FSortColumn, Qt::AscendingOrder);
    FitColumns(lvFile);
    lvFile->setUpdatesEnabled(true);
}

int TfrmAppInfo::ImageIndex(const QTreeWidgetItem* row) {
    return row->data(0, kImageRole).toInt();
}

void TfrmAppInfo::lvFileColumnClick(int column) {
    FSortColumn = column;
    lvFile->sortItems(column, Qt::AscendingOrder);
}

void TfrmAppInfo::btnSetSourceClick() {
    if (FRecord == nullptr)
        return;
    std::string why;
    bool set = false;
    {
        TWaitCursor wait;
        set = SetAppSource(*FRecord, edtSource->text().trimmed().toStdString(), why);
    }
    if (!set) {
        ShowMessageBox(this, QMessageBox::Warning, QString::fromStdString(why));
        return;
    }
    const TAppSource source = LoadSource(GetDataFolder(), FRecord->AppId, FRecord->AllUsers);
    edtSource->setText(QString::fromStdString(source.Describe()));
    btnClearSource->setEnabled(true);
}

void TfrmAppInfo::btnClearSourceClick() {
    if (FRecord == nullptr)
        return;
    ClearAppSource(*FRecord);
    edtSource->clear();
    btnClearSource->setEnabled(false);
}

} // namespace qm
