#include "DmListView.h"

#include "AccessibleRows.h"
#include "CheckDelegate.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace {

constexpr int kMinLastColumn = 5;

// Draws the cell, then its right and bottom edges as grid lines, and hands
// every caption editor to the view's setup hook.
class GridDelegate : public TCheckDelegate
{
public:
    explicit GridDelegate(TDmListView *view) : TCheckDelegate(view), m_view(view) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        TCheckDelegate::paint(painter, option, index);
        if (!m_view->GridLines())
            return;
        painter->save();
        painter->setPen(option.palette.color(QPalette::Midlight));
        const QRect r = option.rect;
        painter->drawLine(r.bottomLeft(), r.bottomRight());
        painter->drawLine(r.topRight(), r.bottomRight());
        painter->restore();
    }

    // One pixel more than the text needs, so the bottom line never covers an
    // underscore.
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        if (m_view->GridLines())
            size.rheight() += 1;
        return size;
    }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto *line = qobject_cast<QLineEdit *>(editor); line && m_view->OnCaptionEditor)
            m_view->OnCaptionEditor(line);
        return editor;
    }

private:
    TDmListView *m_view;
};

} // namespace

void TDmListView::CommitEdit()
{
    if (state() != EditingState)
        return;
    for (QLineEdit *editor : viewport()->findChildren<QLineEdit *>(Qt::FindDirectChildrenOnly)) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

TDmListView::TDmListView(QWidget *parent) : QTreeWidget(parent)
{
    dm::setAccessibleRowActionTicks(this);
    setItemDelegate(new GridDelegate(this));
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setSortingEnabled(false);

    QHeaderView *head = header();
    head->setStretchLastSection(false);
    // The style's minimum would overrule the fit's narrowest last column.
    head->setMinimumSectionSize(kMinLastColumn);
    head->setSectionsClickable(false);
    head->setSortIndicatorShown(false);
    // The fit follows the user's column work only once a drag has ended, so
    // the divider does not fight the pointer.
    head->viewport()->installEventFilter(this);
    connect(head, &QHeaderView::sectionHandleDoubleClicked, this, [this] { FitLastColumn(); },
            Qt::QueuedConnection);
}

void TDmListView::setGridLines(bool on)
{
    m_gridLines = on;
    viewport()->update();
}

void TDmListView::FitLastColumn()
{
    const int last = columnCount() - 1;
    if (last < 0 || m_fitting)
        return;
    int room = viewport()->width();
    if (topLevelItemCount() == 0)
        room -= style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, verticalScrollBar());
    int others = 0;
    for (int c = 0; c < last; ++c)
        others += header()->isSectionHidden(c) ? 0 : columnWidth(c);
    if (others >= room)
        return;
    m_fitting = true;
    setColumnWidth(last, std::max(kMinLastColumn, room - others));
    m_fitting = false;
}

bool TDmListView::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    // Only the caption can be edited; the other columns are shown only (and
    // hold no check box either). F2 renames the row, whichever cell has the focus.
    if (trigger == EditKeyPressed)
        return QTreeWidget::edit(index.siblingAtColumn(0), trigger, event);
    if (index.column() != 0)
        return false;
    return QTreeWidget::edit(index, trigger, event);
}

void TDmListView::updateGeometries()
{
    QTreeWidget::updateGeometries();
    if (!m_dragging)
        FitLastColumn();
}

void TDmListView::keyPressEvent(QKeyEvent *event)
{
    // Space marks or unmarks the selected row, whichever cell has the focus.
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        const QList<QTreeWidgetItem *> selected = selectedItems();
        if (!selected.isEmpty()) {
            QTreeWidgetItem *item = selected.first();
            item->setCheckState(0, item->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
            event->accept();
            return;
        }
    }
    QTreeWidget::keyPressEvent(event);
}

bool TDmListView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == header()->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            m_dragging = true;
        } else if (event->type() == QEvent::MouseButtonRelease) {
            m_dragging = false;
            QMetaObject::invokeMethod(this, &TDmListView::FitLastColumn, Qt::QueuedConnection);
        }
    }
    return QTreeWidget::eventFilter(watched, event);
}
