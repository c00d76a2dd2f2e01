// The ordered links of a group: adding and removing them re-lays the group out.

#include "DmGroupItems.h"
#include "DmGroup.h"

#include <utility>

TDmGroupItems::~TDmGroupItems()
{
    qDeleteAll(std::exchange(m_items, {}));
}

TDmGroupItem *TDmGroupItems::Add(const QString &caption)
{
    auto *item = new TDmGroupItem(m_group, caption);
    m_items.append(item);
    // An item deleted directly, not through Delete or Clear, leaves the group.
    QObject::connect(item, &QObject::destroyed, m_group, [this, item] {
        if (m_items.removeOne(item))
            m_group->itemsChanged();
    });
    m_group->itemsChanged();
    return item;
}

void TDmGroupItems::Delete(int index)
{
    delete m_items.takeAt(index);
    m_group->itemsChanged();
}

void TDmGroupItems::Clear()
{
    qDeleteAll(std::exchange(m_items, {}));
    m_group->itemsChanged();
}

int TDmGroupItems::IndexOf(const TDmGroupItem *item) const
{
    return int(m_items.indexOf(const_cast<TDmGroupItem *>(item)));
}
