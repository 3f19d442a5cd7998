#include "widgets/ReportList.h"

#include <QHeaderView>
#include <QPalette>

#include <algorithm>

namespace qm {

void SetupReportList(QTreeWidget* list, std::initializer_list<TListColumn> columns,
                     int stretchColumn) {
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setAllColumnsShowFocus(true);
    list->setIconSize(QSize(16, 16));
    list->setSortingEnabled(false);
    list->setColumnCount(static_cast<int>(columns.size()));
    QTreeWidgetItem* header = list->headerItem();
    int i = 0;
    for (const TListColumn& c : columns) {
        header->setText(i, c.Caption);
        const Qt::Alignment align =
            (c.RightAligned ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
        header->setTextAlignment(i, align);
        ++i;
    }
    QHeaderView* view = list->header();
    view->setStretchLastSection(false);
    view->setSectionsMovable(false);
    view->setSectionsClickable(true);
    view->setSortIndicatorShown(false);
    i = 0;
    for (const TListColumn& c : columns) {
        view->resizeSection(i, std::max(c.Width, view->sectionSizeHint(i)));
        ++i;
    }
    if (stretchColumn >= 0 && stretchColumn < view->count())
        view->setSectionResizeMode(stretchColumn, QHeaderView::Stretch);
}

void FitColumns(QTreeView* list) {
    QHeaderView* view = list->header();
    for (int i = 0; i < view->count(); ++i) {
        if (view->sectionResizeMode(i) == QHeaderView::Stretch || view->isSectionHidden(i))
            continue;
        const int wanted = std::max(view->sectionSizeHint(i),
                                    static_cast<QAbstractItemView*>(list)->sizeHintForColumn(i));
        if (view->sectionSize(i) < wanted)
            view->resizeSection(i, wanted);
    }
}

void KeepSelectionVisible(QAbstractItemView* view) {
    QPalette palette = view->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    view->setPalette(palette);
}

void AlignRow(const QTreeWidget* list, QTreeWidgetItem* item) {
    const QTreeWidgetItem* header = list->headerItem();
    for (int i = 0; i < list->columnCount(); ++i)
        item->setTextAlignment(i, Qt::Alignment(header->textAlignment(i)));
}

bool TSortItem::operator<(const QTreeWidgetItem& other) const {
    const int column = treeWidget() != nullptr ? treeWidget()->sortColumn() : 0;
    // Rows of another kind are not compared.
    const auto* row = dynamic_cast<const TSortItem*>(&other);
    return row != nullptr && Compare(*row, column) < 0;
}

} // namespace qm
