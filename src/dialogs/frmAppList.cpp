#include "dialogs/frmAppList.h"

#include "dialogs/MainAccess.h"
#include "dialogs/frmAppInfo.h"
#include "model/FileUtils.h"
#include "model/InstallList.h"
#include "net/Sources.h"
#include "settings/ConfigKeys.h"
#include "widgets/Controls.h"
#include "widgets/DateText.h"
#include "widgets/ReportList.h"
#include "widgets/ShownText.h"
#include "widgets/UiHooks.h"

#include <QCoreApplication>
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
    std::string LatestKey;

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
        case 6:
            return LatestKey.compare(static_cast<const TAppItem&>(item).LatestKey);
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
                            {tr("ファイル数"), 60, true},
                            {tr("最新バージョン"), 90}});
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
    btnCheck = new QPushButton(tr("新しいバージョンを確認(&N)"), this);
    btnCheck->setObjectName(QStringLiteral("btnCheck"));
    btnUpdate = new QPushButton(tr("アップデート(&U)"), this);
    btnUpdate->setObjectName(QStringLiteral("btnUpdate"));
    btnUpdate->setEnabled(false);
    panel->addWidget(btnDetail);
    panel->addWidget(btnCheck);
    panel->addWidget(btnUpdate);
    panel->addStretch(1);
    panel->addWidget(btnSelect);
    panel->addWidget(btnCancel);
    layout->addLayout(panel);

    connect(btnSelect, &QPushButton::clicked, this, &TfrmAppList::btnSelectClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnDetail, &QPushButton::clicked, this, &TfrmAppList::btnDetailClick);
    connect(btnCheck, &QPushButton::clicked, this, &TfrmAppList::btnCheckClick);
    connect(btnUpdate, &QPushButton::clicked, this, &TfrmAppList::btnUpdateClick);
    connect(lvApp, &QTreeWidget::itemSelectionChanged, this, &TfrmAppList::SelectionChanged);
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
    btnSelect->setVisible(flag); // a list to look at has nothing to select
    // Picking an application for another command is no place to update one.
    btnCheck->setVisible(!flag);
    btnUpdate->setVisible(!flag);
}

void TfrmAppList::SetLatest(const TLatestMap& latest) {
    FLatest = latest;
    ShowLatest();
}

void TfrmAppList::ShowLatest() {
    for (int i = 0; i < lvApp->topLevelItemCount(); ++i) {
        auto* row = static_cast<TAppItem*>(lvApp->topLevelItem(i));
        const auto found = FLatest.find({row->Record->AppId, row->Record->AllUsers});
        QString text;
        if (found != FLatest.end()) {
            const TLatest& latest = found->second;
            if (!latest.Ok)
                text = tr("確認できません");
            else if (!latest.Newer)
                text = tr("最新");
            else
                text = latest.Version.empty() ? ShownText(latest.FileName)
                                              : QString::fromStdString(latest.Version);
            row->setToolTip(6, QString::fromStdString(latest.Ok ? latest.Url : latest.Error));
        }
        row->setText(6, text);
        row->LatestKey = TextSortKey(text.toStdString());
    }
    SelectionChanged();
}

void TfrmAppList::SelectionChanged() {
    const TInstallAppInfo* record = Selected();
    const auto found =
        record == nullptr ? FLatest.end() : FLatest.find({record->AppId, record->AllUsers});
    btnUpdate->setEnabled(found != FLatest.end() && found->second.Ok && found->second.Newer);
}

void TfrmAppList::btnCheckClick() {
    TWaitCursor wait;
    for (int i = 0; i < FList->Count(); ++i) {
        const TInstallAppInfo& record = FList->Items(i);
        const TAppSource source = LoadSource(GetDataFolder(), record.AppId, record.AllUsers);
        if (source.Empty())
            continue;
        FLatest[{record.AppId, record.AllUsers}] =
            CheckSource(source, record.Version.empty() ? "?" : record.Version);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    ShowLatest();
}

void TfrmAppList::btnUpdateClick() {
    const TInstallAppInfo* record = Selected();
    if (record == nullptr)
        return;
    const auto found = FLatest.find({record->AppId, record->AllUsers});
    if (found == FLatest.end() || !found->second.Ok || !found->second.Newer)
        return;
    FChosen = found->second;
    done(UpdateChosen);
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
