#include "FoundListView.h"

#include "AccessibleRows.h"

#include <QHeaderView>
#include <QKeyEvent>

TFoundListView::TFoundListView(QWidget *parent) : QTableView(parent)
{
    dm::setAccessibleRowActionTicks(this);
    setShowGrid(true);
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setEditTriggers(NoEditTriggers);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setHorizontalScrollMode(ScrollPerPixel);
    // Rows of one height and no row header: the view then costs the same
    // for a hundred rows or a million.
    QHeaderView *rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 4);
    QHeaderView *columns = horizontalHeader();
    columns->setHighlightSections(false);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    columns->setSortIndicatorShown(false);
}

void TFoundListView::setModel(QAbstractItemModel *model)
{
    QTableView::setModel(model);
    QHeaderView *columns = horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setSectionResizeMode(1, QHeaderView::Stretch);
    setColumnWidth(0, 100);
    setColumnWidth(2, 90);
    setColumnWidth(3, 130);
}

void TFoundListView::keyPressEvent(QKeyEvent *event)
{
    const QModelIndex current = currentIndex();
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier && current.isValid()) {
        const QModelIndex box = current.siblingAtColumn(0);
        const bool ticked = box.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
        model()->setData(box, ticked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
        return;
    }
    QTableView::keyPressEvent(event);
}
