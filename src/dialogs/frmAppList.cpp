#include "dialogs/frmAppList.h"

#include "dialogs/MainAccess.h"
#include "dialogs/frmAppInfo.h"
#include "model/FileUtils.h"
#include "model/InstallList.h"
#include "settings/ConfigKeys.h"
#include "widgets/Controls.h"
#include "widgets/DateText.h"
#include "widgets/ReportList.h"
#include "widgets/ShownText.h"
#include "widgets/UiHooks.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <string>

namespace qm {

namespace {

// A row of the list: one installed application, with the keys its texts sort by.
class TAppItem : public TSortItem {
public:
    explicit TAppItem(TInstallAppInfo& record)
        : Record(&record), FNameKey(TextSortKey(record.AppName)),
          FVersionKey(TextSortKey(record.Version)), FArchiveKey(TextSortKey(record.ArchiveName)) {}

    TInstallAppInfo* const Record;

    int Compare(const TSortItem& item, int column) const override {
        const auto& other = static_cast<const TAppItem&>(item);
        switch (column) {
        case 0:
            return FNameKey.compare(other.FNameKey);
        case 1:
            return FVersionKey.compare(other.FVersionKey);
        case 2:
            return CompareDates(Record->FirstInstallDate, other.Record->FirstInstallDate);
        case 3:
            return CompareDates(Record->LastUpdateDate, other.Record->LastUpdateDate);
        case 4:
            return FArchiveKey.compare(other.FArchiveKey);
        case 5: {
            const int a = Record->Members.Count();
            const int b = other.Record->Members.Count();
            return (a > b) - (a < b);
        }
        default:
            return 0;
        }
    }

private:
    std::string FNameKey;
    std::string FVersionKey;
    std::string FArchiveKey;
};

std::unique_ptr<TInstallList> LoadList(const std::string& fileName) {
    auto list = std::make_unique<TInstallList>();
    list->LoadInstalled(fileName);
    return list;
}

} // namespace

TfrmAppList::TfrmAppList(TMainAccess& main, QWidget* parent)
    : QDialog(parent), FMain(main), FList(LoadList(main.DatabaseFileName())) {
    setObjectName(QStringLiteral("frmAppList"));
    setWindowTitle(tr("インストール済みアプリケーションリスト"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);
    setSizeGripEnabled(true);
    CreateControls();
    FMain.LoadFormState(this);
    FMain.LoadListColumns(lvApp, cfg::ColsAppList.Key);
    FillList();
}

TfrmAppList::~TfrmAppList() {
    FMain.SaveListColumns(lvApp, cfg::ColsAppList.Key);
    FMain.SaveFormState(this);
}

void TfrmAppList::CreateControls() {
    resize(860, 420);
    auto* layout = new QVBoxLayout(this);
    lvApp = new QTreeWidget(this);
    lvApp->setObjectName(QStringLiteral("lvApp"));
    SetupReportList(lvApp, {{tr("アプリケーション名"), 150},
                            {tr("バージョン"), 60},
                            {tr("インストール日時"), 140, true},
                            {tr("アップデート日時"), 140, true},
                            {tr("アーカイブ名"), 150},
                            {tr("ファイル数"), 60, true}});
    lvApp->setSelectionMode(QAbstractItemView::SingleSelection);
    KeepSelectionVisible(lvApp);
    layout->addWidget(lvApp, 1);

    auto* panel = new QHBoxLayout;
    btnDetail = new QPushButton(tr("詳細(&D)..."), this);
    btnDetail->setObjectName(QStringLiteral("btnDetail"));
    btnSelect = new QPushButton(tr("選択(&S)"), this);
    btnSelect->setObjectName(QStringLiteral("btnSelect"));
    btnSelect->setDefault(true);
    btnCancel = new QPushButton(tr("キャンセル(&C)"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    panel->addWidget(btnDetail);
    panel->addStretch(1);
    panel->addWidget(btnSelect);
    panel->addWidget(btnCancel);
    layout->addLayout(panel);

    connect(btnSelect, &QPushButton::clicked, this, &TfrmAppList::btnSelectClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnDetail, &QPushButton::clicked, this, &TfrmAppList::btnDetailClick);
    connect(lvApp, &QTreeWidget::itemDoubleClicked, this, &TfrmAppList::lvAppDblClick);
    connect(lvApp->header(), &QHeaderView::sectionClicked, this, &TfrmAppList::lvAppColumnClick);
}

void TfrmAppList::FillList() {
    TWaitCursor wait;
    lvApp->setUpdatesEnabled(false);
    lvApp->clear();
    const TDateFormat dates;
    QList<QTreeWidgetItem*> rows;
    for (int i = 0; i < FList->Count(); ++i) {
        TInstallAppInfo& record = FList->Items(i);
        auto* row = new TAppItem(record);
        // Installs for every user are marked: removing one asks for the administrator.
        row->setText(0, record.AllUsers ? ShownText(record.AppName) + tr(" (すべてのユーザー)")
                                        : ShownText(record.AppName));
        row->setText(1, QString::fromStdString(record.Version));
        row->setText(2, dates.Text(record.FirstInstallDate));
        row->setText(3, dates.Text(record.LastUpdateDate));
        row->setText(4, ShownText(record.ArchiveName));
        row->setText(5, QString::number(record.Members.Count()));
        AlignRow(lvApp, row);
        rows.append(row);
    }
    lvApp->addTopLevelItems(rows);
    lvApp->sortItems(FSortColumn, Qt::AscendingOrder);
    FitColumns(lvApp);
    lvApp->setUpdatesEnabled(true);
}

void TfrmAppList::SetSelectable(bool flag) {
    btnSelect->setEnabled(flag);
}

TInstallAppInfo* TfrmAppList::Selected() const {
    const QList<QTreeWidgetItem*> selected = lvApp->selectedItems();
    if (selected.isEmpty())
        return nullptr;
    return static_cast<TAppItem*>(selected.constFirst())->Record;
}

void TfrmAppList::btnSelectClick() {
    if (Selected() != nullptr)
        accept();
}

void TfrmAppList::btnDetailClick() {
    TInstallAppInfo* record = Selected();
    if (record == nullptr)
        return;
    TfrmAppInfo details(FMain, this);
    details.Show(*record);
    ExecDialog(details);
}

void TfrmAppList::lvAppDblClick() {
    if (Selected() == nullptr)
        return;
    if (btnSelect->isEnabled())
        btnSelectClick();
    else
        btnDetailClick();
}

void TfrmAppList::lvAppColumnClick(int column) {
    FSortColumn = column;
    lvApp->sortItems(column, Qt::AscendingOrder);
}

} // namespace qm
