#include "app/FileListModel.h"

#include "model/FileMember.h"
#include "model/FileUtils.h"
#include "widgets/ShownText.h"

#include <QColor>

#include <algorithm>
#include <numeric>

namespace qm {

TFileListModel::TFileListModel(QObject* parent) : QAbstractTableModel(parent) {}

void TFileListModel::BeginUpdate() {
    ++FUpdateDepth;
}

void TFileListModel::EndUpdate() {
    if (--FUpdateDepth > 0)
        return;
    // Rows added or removed make one reset; changed rows only one change over all rows, which
    // keeps the selection and the scroll position.
    if (FResetting) {
        FResetting = false;
        FDataChanged = false;
        FRows.squeeze(); // a list filled row by row keeps no room to grow
        endResetModel();
    } else if (FDataChanged) {
        FDataChanged = false;
        if (Count() > 0)
            emit dataChanged(index(0, 0), index(Count() - 1, ColumnCount - 1));
    }
}

void TFileListModel::BeginStructureChange() {
    if (FUpdateDepth > 0) {
        if (!FResetting) {
            FResetting = true;
            beginResetModel();
        }
    } else {
        beginResetModel();
    }
}

void TFileListModel::EndStructureChange() {
    if (FUpdateDepth == 0)
        endResetModel();
}

void TFileListModel::Clear() {
    BeginStructureChange();
    FRows.clear();
    FRowOfMember.clear();
    FRowOfMember.shrink_to_fit();
    FIndexStale = false;
    EndStructureChange();
}

void TFileListModel::AddRow(const TFileRow& row) {
    const bool bracketed = FUpdateDepth > 0;
    if (bracketed)
        BeginStructureChange();
    else
        beginInsertRows({}, Count(), Count());
    FRows.append(row);
    FIndexStale = true;
    if (!bracketed)
        endInsertRows();
}

int TFileListModel::IndexOfMember(const TFileMember* member) const {
    const auto memberOf = [this](int row) -> const TFileMember* { return FRows[row].Member; };
    if (FIndexStale) {
        FIndexStale = false;
        FRowOfMember.clear();
        FRowOfMember.reserve(static_cast<size_t>(Count()));
        for (int i = 0; i < Count(); ++i)
            if (FRows[i].Member != nullptr)
                FRowOfMember.push_back(i);
        std::sort(FRowOfMember.begin(), FRowOfMember.end(),
                  [&memberOf](int a, int b) { return std::less<>()(memberOf(a), memberOf(b)); });
    }
    const auto it = std::lower_bound(
        FRowOfMember.begin(), FRowOfMember.end(), member,
        [&memberOf](int row, const TFileMember* m) { return std::less<>()(memberOf(row), m); });
    return it != FRowOfMember.end() && memberOf(*it) == member ? *it : -1;
}

void TFileListModel::RowChanged(int index) {
    if (index < 0 || index >= Count())
        return;
    if (FUpdateDepth > 0)
        FDataChanged = true;
    else
        emit dataChanged(this->index(index, 0), this->index(index, ColumnCount - 1));
}

void TFileListModel::SetChecked(int index, bool checked) {
    setData(this->index(index, ColName), checked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
}

void TFileListModel::Reindex() {
    FIndexStale = true;
}

QString TFileListModel::Text(int row, int column) const {
    if (row < 0 || row >= Count())
        return {};
    const TFileMember* m = FRows[row].Member;
    if (m == nullptr)
        return {};
    switch (column) {
    case ColName:
        return QString::fromStdString(m->FileName);
    case ColFolder:
        return QString::fromStdString(m->ArchivePath);
    case ColInstallPath:
        return QString::fromStdString(m->GetInstallDir());
    case ColDate:
        return DateText ? DateText(m->FileDate) : QString();
    }
    return {};
}

void TFileListModel::SortByColumn(int column) {
    if (column < 0 || column >= ColumnCount)
        return;
    // The keys are made once per sort; comparing converted texts inside the sort would convert
    // every row many times over.
    std::vector<int> order(static_cast<size_t>(Count()));
    std::iota(order.begin(), order.end(), 0);
    if (column == ColDate) {
        std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
            const TFileRow& ra = FRows[a];
            const TFileRow& rb = FRows[b];
            if (ra.Member == nullptr || rb.Member == nullptr)
                return false;
            return CompareDates(ra.Member->FileDate, rb.Member->FileDate) < 0;
        });
    } else {
        std::vector<std::string> keys(order.size());
        for (int i = 0; i < Count(); ++i) {
            const TFileMember* m = FRows[i].Member;
            if (m != nullptr)
                keys[static_cast<size_t>(i)] =
                    TextSortKey(column == ColName     ? m->FileName
                                : column == ColFolder ? m->ArchivePath
                                                      : m->GetInstallDir());
        }
        std::stable_sort(order.begin(), order.end(), [&keys](int a, int b) {
            return keys[static_cast<size_t>(a)] < keys[static_cast<size_t>(b)];
        });
    }
    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    QVector<int> newPosition(Count());
    QVector<TFileRow> sorted;
    sorted.reserve(Count());
    for (size_t i = 0; i < order.size(); ++i) {
        sorted.append(FRows[order[i]]);
        newPosition[order[i]] = static_cast<int>(i);
    }
    FRows.swap(sorted);
    Reindex();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before)
        after.append(this->index(newPosition[index.row()], index.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

int TFileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count();
}

int TFileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TFileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= Count())
        return {};
    const TFileRow& row = FRows[index.row()];
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == ColDate)
            return Text(index.row(), index.column());
        // Names come from the archive: characters that hide or reorder text are shown.
        return ShownText(Text(index.row(), index.column()));
    case Qt::DecorationRole:
        if (index.column() == ColName && row.ImageIndex >= 0 && row.ImageIndex < FImages.size())
            return FImages[row.ImageIndex];
        break;
    case Qt::CheckStateRole:
        if (index.column() == ColName)
            return row.Checked ? Qt::Checked : Qt::Unchecked;
        break;
    case Qt::ForegroundRole:
        if (row.Clash)
            return QColor(Qt::red);
        break;
    case Qt::ToolTipRole:
        if (row.Clash)
            return tr("ほかのファイルと同じインストール先です。"
                      "あとからインストールされるファイルが上書きします。");
        break;
    case Qt::TextAlignmentRole:
        if (index.column() == ColDate)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        break;
    }
    return {};
}

bool TFileListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != ColName || role != Qt::CheckStateRole)
        return false;
    TFileRow& row = FRows[index.row()];
    const bool checked = value.toInt() == Qt::Checked;
    if (row.Checked == checked)
        return true;
    row.Checked = checked;
    RowChanged(index.row());
    if (OnChange)
        OnChange(index.row());
    return true;
}

QVariant TFileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole) {
        switch (section) {
        case ColName:
            return tr("ファイル名");
        case ColFolder:
            return tr("フォルダ");
        case ColInstallPath:
            return tr("インストールパス");
        case ColDate:
            return tr("日時");
        }
    }
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue((section == ColDate ? Qt::AlignRight : Qt::AlignLeft) |
                                   Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags TFileListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == ColName)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

} // namespace qm
