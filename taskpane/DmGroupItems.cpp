// The ordered links of a group: adding and removing them re-lays the group out.

#include "DmGroupItems.h"
#include "DmGroup.h"

#include <utility>

TDmGroupItem *TDmGroupItems::Add(const QString &caption)
{
    auto *item = new TDmGroupItem(m_group);
    item->m_caption = caption;
    m_items.append(item);
    m_group->contentChanged();
    return item;
}

void TDmGroupItems::Delete(int index)
{
    delete m_items.takeAt(index);
    m_group->contentChanged();
}

void TDmGroupItems::Clear()
{
    qDeleteAll(std::exchange(m_items, {}));
    m_group->contentChanged();
}

int TDmGroupItems::IndexOf(const TDmGroupItem *item) const
{
    return int(m_items.indexOf(const_cast<TDmGroupItem *>(item)));
}
