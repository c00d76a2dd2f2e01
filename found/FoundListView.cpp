#include "FoundListView.h"

#include "AccessibleRows.h"
#include "CheckDelegate.h"
#include "DateTime.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <algorithm>
#include <utility>

namespace {

constexpr int kNameWidth = 100, kSizeWidth = 90, kTimeWidth = 130;
// Rows of the row header worth its replacement (half a megabyte).
constexpr int kKeptHeaderRows = 65536;

} // namespace

QHeaderView *TFoundListView::rowHeader()
{
    // Rows of one height and no row header: the view then costs the same
    // for a hundred rows or a million.
    auto *rows = new QHeaderView(Qt::Vertical, this);
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fittingRowHeight());
    return rows;
}

int TFoundListView::fittingRowHeight() const
{
    return fontMetrics().height() + 4;
}

void TFoundListView::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    // Rows fit the list's font, also when it is set after the view was made.
    if (event->type() == QEvent::FontChange) {
        m_pending = Pending::Everything;
        verticalHeader()->setDefaultSectionSize(fittingRowHeight());
    }
}

TFoundListView::TFoundListView(QWidget *parent) : QTableView(parent)
{
    dm::setAccessibleRowActionTicks(this);
    setItemDelegate(new TCheckDelegate(this));
    setShowGrid(true);
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setEditTriggers(NoEditTriggers);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setHorizontalScrollMode(ScrollPerPixel);
    setVerticalHeader(rowHeader());
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
    setColumnWidth(0, kNameWidth);
    setColumnWidth(2, kSizeWidth);
    // The longest time of the day in the locale's long format, on a
    // two-digit day and month.
    const QString widest = dm::DateTimeToText(QDate(2000, 12, 28), QTime(23, 58, 58));
    setColumnWidth(3, std::max(kTimeWidth, fontMetrics().horizontalAdvance(widest) + 2 * fontMetrics().averageCharWidth()));
    if (model) {
        // A new order, or anything else laid out anew, is drawn anew.
        connect(model, &QAbstractItemModel::layoutChanged, this, [this] { m_pending = Pending::Everything; });
        // The hidden row header still keeps 8 bytes a row, and its room when
        // the list empties: a list emptied after a long scan gets a new one.
        connect(model, &QAbstractItemModel::modelAboutToBeReset, this,
                [this] { m_rowsBeforeReset = verticalHeader()->count(); });
        connect(model, &QAbstractItemModel::modelReset, this, [this] {
            if (m_rowsBeforeReset > kKeptHeaderRows && this->model()->rowCount() == 0)
                setVerticalHeader(rowHeader());
        });
    }
    connect(columns, &QHeaderView::sectionResized, this, [this](int section) {
        if (section == 0 && !m_sharing)
            m_nameSetByUser = true;
    });
    shareWidth();
}

void TFoundListView::rowsInserted(const QModelIndex &parent, int start, int end)
{
    QTableView::rowsInserted(parent, start, end);
    // Where they went is seen at the layout: the row header may not know of
    // them yet.
    if (m_pending == Pending::Nothing) {
        m_pending = Pending::RowsAdded;
        m_firstAdded = start;
    } else if (m_pending == Pending::RowsAdded) {
        m_firstAdded = std::min(m_firstAdded, start);
    }
}

void TFoundListView::rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end)
{
    m_pending = Pending::Everything;
    QTableView::rowsAboutToBeRemoved(parent, start, end);
}

void TFoundListView::reset()
{
    m_pending = Pending::Everything;
    QTableView::reset();
}

void TFoundListView::doItemsLayout()
{
    // While a long scan fills the list, repainting every row shown at each
    // batch was most of the window's own work; rows added below the last one
    // shown leave the picture as it is.
    const Pending pending = std::exchange(m_pending, Pending::Nothing);
    const int lastShown = pending == Pending::RowsAdded ? rowAt(viewport()->height() - 1) : -1;
    if (lastShown >= 0 && m_firstAdded > lastShown) {
        updateGeometries(); // the scroll bar's range
        return;
    }
    QTableView::doItemsLayout();
}

void TFoundListView::resizeEvent(QResizeEvent *event)
{
    QTableView::resizeEvent(event);
    shareWidth();
}

void TFoundListView::shareWidth()
{
    if (!model() || m_nameSetByUser)
        return;
    const QScopedValueRollback sharing(m_sharing, true);
    const int spare = viewport()->width() - columnWidth(2) - columnWidth(3);
    setColumnWidth(0, std::max(kNameWidth, spare / 3));
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
