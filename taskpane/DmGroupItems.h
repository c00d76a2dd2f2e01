#pragma once
// The ordered links of a task-pane group.

#include "DmGroupItem.h"

#include <QList>
#include <QString>

class TDmGroup;

/// The ordered items of a group, indexed from 0; part of the group, never copied.
class TDmGroupItems
{
public:
    /// The collection of group, which holds it as a member.
    explicit TDmGroupItems(TDmGroup *group) : m_group(group) {}
    /// Deletes the items without telling the group, which is going too.
    ~TDmGroupItems();
    Q_DISABLE_COPY_MOVE(TDmGroupItems)
    /// Number of items, hidden ones included.
    int Count() const { return int(m_items.size()); }
    /// The item at index (0-based).
    TDmGroupItem *operator[](int index) const { return m_items.at(index); }
    TDmGroupItem *Items(int index) const { return m_items.at(index); }
    /// Appends a new item with the given caption.
    TDmGroupItem *Add(const QString &caption = QString());
    /// Removes and deletes the item at index.
    void Delete(int index);
    /// Removes and deletes every item.
    void Clear();
    /// Position of item, or -1 when it is not one of these.
    int IndexOf(const TDmGroupItem *item) const;
    /// Iteration in order.
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    TDmGroup *m_group;
    QList<TDmGroupItem *> m_items;
};
