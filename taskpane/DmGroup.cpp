// A group of the task pane: layout of its links and the mouse over them. Its
// properties are in DmGroupProperties.cpp, the painting in DmGroupPaint.cpp; the bar places the group
// (DmGroupBar.cpp).

#include "DmGroup.h"
#include "DmGroupBar.h"
#include "ErrorBox.h"

#include <QAccessible>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <utility>

namespace {

TDmGroupBar *requireBar(QWidget *parent)
{
    auto *bar = qobject_cast<TDmGroupBar *>(parent);
    if (!bar)
        throw EDmGroupBarError(
            QStringLiteral("TDmGroup components can only be placed in a TDmGroupBar component"));
    return bar;
}

} // namespace

TDmGroup::TDmGroup(QWidget *parent) : QWidget(requireBar(parent))
{
    setMouseTracking(true);
    static_cast<TDmGroupBar *>(parentWidget())->addGroup(this);
}

TDmGroup::~TDmGroup()
{
    if (TDmGroupBar *bar = GroupBar())
        bar->removeGroup(this);
    // m_items deletes the items when the members go.
}

void TDmGroup::setParent(QWidget *parent)
{
    setParent(parent, windowFlags() & ~Qt::WindowType_Mask);
}

void TDmGroup::setParent(QWidget *parent, Qt::WindowFlags flags)
{
    TDmGroupBar *bar = requireBar(parent);
    const bool hidden = testAttribute(Qt::WA_WState_ExplicitShowHide) && isHidden();
    QWidget::setParent(bar, flags);
    bar->addGroup(this);
    if (!hidden)
        show();
}

TDmGroupBar *TDmGroup::GroupBar() const
{
    return qobject_cast<TDmGroupBar *>(parentWidget());
}

void TDmGroup::applyTaskListDefaults()
{
    m_captionHeight = 20;
    m_captionFont.reset();
    m_captionImageIndex = -1;
    m_color.reset();
    m_canClose = false;
    m_dividerVisible = true;
    m_dividerColor.reset();
    m_itemHeight = 20;
    m_itemIndent = 20;
    m_itemStyle = isSmall;
    m_itemHotColor.reset();
    m_showItemSelection = false;
    itemsChanged();
}

// Hit boxes of the items at the current width; the hover state stays.
void TDmGroup::relayout()
{
    int height = 0;
    const QList<Row> rows = layoutRows(width(), &height);
    QHash<const TDmGroupItem *, ItemView> views;
    for (const TDmGroupItem *item : m_items) {
        ItemView &view = views[item] = m_views.value(item);
        view.text = view.image = QRect();
    }
    for (const Row &row : rows) {
        views[row.item].text = row.text;
        views[row.item].image = row.image;
    }
    m_views = std::move(views);
}

void TDmGroup::itemsChanged()
{
    m_layout = {};
    // A hidden group lays its items out when it is shown.
    if (isVisible())
        relayout();
    update();
    if (TDmGroupBar *bar = GroupBar())
        bar->Realign();
}

void TDmGroup::itemChanged(const TDmGroupItem *item, bool layout)
{
    if (!item->Enabled()) {
        if (auto view = m_views.find(item); view != m_views.end()) {
            view->state = gisNormal;
            view->marked = false;
        }
    }
    if (layout)
        itemsChanged();
    else
        update();
}

bool TDmGroup::hasImages() const
{
    const TDmGroupBar *bar = GroupBar();
    if (!bar || bar->SmallImages().isEmpty())
        return false;
    return std::any_of(m_items.begin(), m_items.end(),
                       [](const TDmGroupItem *item) { return item->ImageIndex() >= 0; });
}

// Rows of the visible items at the given width; *height receives the group's
// height (OpenedHeight when no item is visible).
QList<TDmGroup::Row> TDmGroup::layoutRows(int width, int *height) const
{
    if (m_layout.width == width) {
        *height = m_layout.height;
        return m_layout.rows;
    }
    const QFontMetrics fm(font());
    const int p = (m_itemHeight - fm.height()) / 2;
    const bool images = hasImages();
    const int textStart = 8 + (images ? ImageSize + 4 : 0);
    QList<Row> rows;
    int top = m_captionHeight + 4;
    *height = m_openedHeight;
    for (TDmGroupItem *item : m_items) {
        if (!item->Visible())
            continue;
        const int indent = m_itemIndent * item->IndentLevel();
        const int x = textStart + indent;
        const int wrap = std::max(1, width - 8 - x);
        const QString &text = item->Caption();
        const int textHeight = fm.boundingRect(QRect(x, 0, wrap, 1 << 20), TextFlags, text).height();
        Row row{item, top, std::max(2 * p + textHeight, m_itemHeight), QRect(), QRect()};
        if (text != QLatin1String("-")) {
            const int lineWidth =
                fm.boundingRect(QRect(0, 0, 1 << 20, 1 << 20), Qt::TextExpandTabs, text).width();
            const int right = lineWidth <= wrap ? x + lineWidth : width - 8;
            row.text = QRect(QPoint(x, top + p), QPoint(right - 1, top + p + textHeight - 1));
            const int image = item->Enabled() || item->DisabledIndex() < 0 ? item->ImageIndex()
                                                                            : item->DisabledIndex();
            if (images && image >= 0)
                row.image = QRect(8 + indent, top + std::max(0, (row.height - ImageSize) / 2), 20,
                                  ImageSize);
        }
        *height = top + 2 * p + textHeight + 4;
        top += row.height;
        rows.append(row);
    }
    m_layout = {width, *height, rows};
    return rows;
}

int TDmGroup::heightForWidth(int width) const
{
    int height = 0;
    layoutRows(width, &height);
    return height;
}

QSize TDmGroup::sizeHint() const
{
    const int w = width() > 0 ? width() : 169;
    return QSize(w, heightForWidth(w));
}

// The item whose text or image box holds pos and that a click would reach.
TDmGroupItem *TDmGroup::itemAt(const QPoint &pos) const
{
    for (TDmGroupItem *item : m_items) {
        if (item->Visible() && item->Enabled() && item->HasClickHandler()
            && (m_views.value(item).text.contains(pos) || m_views.value(item).image.contains(pos)))
            return item;
    }
    return nullptr;
}

void TDmGroup::setItemState(const TDmGroupItem *item, TDmGroupItemState state)
{
    if (ItemView &view = m_views[item]; view.state != state) {
        view.state = state;
        update();
    }
}

void TDmGroup::updateHover(const QPoint &pos)
{
    TDmGroupItem *under = itemAt(pos);
    for (TDmGroupItem *item : m_items)
        setItemState(item, item != under ? gisNormal : m_views.value(item).marked ? gisPressed : gisHot);
    // Over a link the hand shows whatever the group's own cursor is.
    if (under && !m_handCursor) {
        m_ownCursorSet = testAttribute(Qt::WA_SetCursor);
        m_ownCursor = cursor();
        m_handCursor = true;
        setCursor(Qt::PointingHandCursor);
    } else if (!under && m_handCursor) {
        m_handCursor = false;
        if (m_ownCursorSet)
            setCursor(m_ownCursor);
        else
            unsetCursor();
    }
}

void TDmGroup::mouseMoveEvent(QMouseEvent *event)
{
    updateHover(event->position().toPoint());
}

void TDmGroup::mousePressEvent(QMouseEvent *event)
{
    TDmGroupItem *item = itemAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && item) {
        m_views[item].marked = true;
        setItemState(item, gisPressed);
        if (TDmGroupBar *bar = GroupBar(); bar && item->Enabled())
            bar->setFocusedItem(item);
    } else if (event->button() == Qt::RightButton) {
        m_popupItem = item;
    }
}

void TDmGroup::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        TDmGroupItem *item = std::exchange(m_popupItem, nullptr);
        if (item && item == itemAt(pos) && item->OnPopupClick) {
            const QPoint screen = event->globalPosition().toPoint();
            dm::runGuarded([&] { item->OnPopupClick(item, item->Index(), screen); });
        }
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    TDmGroupItem *marked = nullptr;
    for (TDmGroupItem *item : m_items) {
        if (std::exchange(m_views[item].marked, false))
            marked = item;
    }
    // Released outside the item that was pressed: nothing runs.
    if (!marked || itemAt(pos) != marked) {
        updateHover(pos);
        return;
    }
    setItemState(marked, gisHot);
    QPointer<TDmGroup> self(this);
    dm::runGuarded([marked] { marked->Click(); });
    if (self)
        self->updateHover(pos);
}

void TDmGroup::leaveEvent(QEvent *)
{
    updateHover(QPoint(-1, -1));
}

void TDmGroup::wheelEvent(QWheelEvent *event)
{
    // The wheel over a group scrolls the bar.
    if (TDmGroupBar *bar = GroupBar())
        bar->wheelEvent(event);
    else
        event->ignore();
}

void TDmGroup::resizeEvent(QResizeEvent *)
{
    relayout();
}

void TDmGroup::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        itemsChanged();
    QWidget::changeEvent(event);
}

bool TDmGroup::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::Show:
        relayout();
        break;
    case QEvent::ParentChange: // another bar may draw images
        m_layout = {};
        break;
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
        if (TDmGroupBar *bar = GroupBar())
            bar->Realign();
        break;
    case QEvent::ToolTip: {
        auto *help = static_cast<QHelpEvent *>(event);
        for (const TDmGroupItem *item : m_items) {
            const QRect text = m_views.value(item).text;
            if (item->Visible() && text.contains(help->pos()) && !item->Hint().isEmpty()) {
                QToolTip::showText(help->globalPos(), item->Hint(), this, text);
                return true;
            }
        }
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    default:
        break;
    }
    return QWidget::event(event);
}

// ---------------------------------------------------------------- group properties
