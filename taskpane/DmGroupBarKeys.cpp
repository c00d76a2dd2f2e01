// The task pane from the keyboard: the bar takes the focus, one of its links
// carries the focus frame, the arrow keys move it among the enabled links of
// all groups, and Enter or Space clicks it. Assistive technology is told
// which link has the focus.

#include "DmGroupBar.h"

#include "ErrorBox.h"

#include <QAccessible>
#include <QKeyEvent>

QList<TDmGroupItem *> TDmGroupBar::focusableItems() const
{
    QList<TDmGroupItem *> items;
    for (TDmGroup *group : m_groups) {
        if (!group->isVisible())
            continue;
        for (TDmGroupItem *item : group->Items()) {
            if (item->Visible() && item->Enabled() && item->Caption() != QLatin1String("-")
                && item->HasClickHandler())
                items.append(item);
        }
    }
    return items;
}

void TDmGroupBar::updateGroups()
{
    for (TDmGroup *group : std::as_const(m_groups))
        group->update();
}

void TDmGroupBar::setFocusedItem(TDmGroupItem *item)
{
    if (m_focusItem == item)
        return;
    m_focusItem = item;
    updateGroups();
    if (item && hasFocus()) {
        QAccessibleEvent focus(item, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}

void TDmGroupBar::focusInEvent(QFocusEvent *event)
{
    const QList<TDmGroupItem *> items = focusableItems();
    if (!items.isEmpty() && !items.contains(m_focusItem))
        m_focusItem = event->reason() == Qt::BacktabFocusReason ? items.last() : items.first();
    QWidget::focusInEvent(event);
    updateGroups();
    if (m_focusItem) {
        QAccessibleEvent focus(m_focusItem.data(), QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}

void TDmGroupBar::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    updateGroups();
}

void TDmGroupBar::keyPressEvent(QKeyEvent *event)
{
    // Every link in pane order, to step from the focused one even when it has
    // been disabled meanwhile (the start link during a scan).
    QList<TDmGroupItem *> all;
    for (TDmGroup *group : std::as_const(m_groups))
        for (TDmGroupItem *item : group->Items())
            all.append(item);
    const QList<TDmGroupItem *> items = focusableItems();
    const qsizetype here = all.indexOf(m_focusItem);
    const auto step = [&](bool forward) -> TDmGroupItem * {
        TDmGroupItem *found = nullptr;
        for (TDmGroupItem *item : items) {
            const qsizetype at = all.indexOf(item);
            if (forward && (here < 0 || at > here))
                return item;
            if (!forward && (here < 0 || at < here))
                found = item;
        }
        return found;
    };
    TDmGroupItem *target = nullptr;
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Left:
        target = step(false);
        break;
    case Qt::Key_Down:
    case Qt::Key_Right:
        target = step(true);
        break;
    case Qt::Key_Home:
        target = items.value(0);
        break;
    case Qt::Key_End:
        target = items.isEmpty() ? nullptr : items.last();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (TDmGroupItem *item = m_focusItem; item && items.contains(item))
            dm::runGuarded([item] { item->Click(); });
        event->accept();
        return;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    if (target)
        setFocusedItem(target);
    event->accept();
}
