#pragma once
// The list in report style that the dialogs over installed applications share: flat rows with
// columns, whole-row selection, not editable, and rows that order themselves by a comparison of
// their own when the owner sorts by a column.
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include <initializer_list>

class QAbstractItemView;

namespace qm {

struct TListColumn {
    QString Caption;
    int Width;
    bool RightAligned = false;
};

// Flat rows, whole-row selection, no editing, the columns with their designed widths, each at
// least as wide as its caption. The column stretchColumn (none for -1) takes the width the
// others leave free. Header clicks do not sort by themselves: the owner connects sectionClicked
// and sorts as it must.
void SetupReportList(QTreeWidget* list, std::initializer_list<TListColumn> columns,
                     int stretchColumn = -1);
// Widens every column that cuts its caption or a row's text (sizes, dates) to show it whole;
// wider columns stay as they are. Called once the rows are in.
void FitColumns(QTreeView* list);
// The selection keeps its colour when the list loses the focus.
void KeepSelectionVisible(QAbstractItemView* view);
// Gives a new row the alignment of each column's header.
void AlignRow(const QTreeWidget* list, QTreeWidgetItem* item);

// A row that compares itself with another row by a column. QTreeWidget::sortItems orders the
// rows stably by this comparison, ascending.
class TSortItem : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    // Below 0 when this row comes before other by the column, 0 when equal, above 0 after it.
    virtual int Compare(const TSortItem& other, int column) const = 0;
    bool operator<(const QTreeWidgetItem& other) const override;
};

} // namespace qm
