#include "ListViewRows.h"

#include "MessageBox.h"

#include <QCoreApplication>
#include <QTreeWidget>

namespace dm {
namespace {

constexpr int kSubItemsRole = Qt::UserRole + 1;
constexpr int kImageIndexRole = Qt::UserRole + 2;

QTreeWidgetItem *makeItem(const ListRow &row, int columns)
{
    auto *item = new QTreeWidgetItem;
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable
                   | Qt::ItemIsEditable | Qt::ItemNeverHasChildren);
    item->setCheckState(0, Qt::Unchecked);
    item->setText(0, row.caption);
    for (int i = 0; i < row.subItems.size() && i + 1 < columns; ++i)
        item->setText(i + 1, row.subItems[i]);
    item->setData(0, kSubItemsRole, row.subItems);
    item->setData(0, kImageIndexRole, row.imageIndex);
    return item;
}

} // namespace

int ListViewRows::rowCount() const
{
    return m_view->topLevelItemCount();
}

ListRow ListViewRows::row(int index) const
{
    const QTreeWidgetItem *item = m_view->topLevelItem(index);
    return {item->text(0), item->data(0, kSubItemsRole).toStringList(),
            item->data(0, kImageIndexRole).toInt()};
}

void ListViewRows::replaceRows(const QList<ListRow> &rows)
{
    m_view->setUpdatesEnabled(false);
    m_view->clear();
    QList<QTreeWidgetItem *> items;
    items.reserve(rows.size());
    for (const ListRow &row : rows)
        items.append(makeItem(row, m_view->columnCount()));
    m_view->addTopLevelItems(items);
    m_view->setUpdatesEnabled(true);
}

void ListViewRows::appendRow(const ListRow &row)
{
    m_view->addTopLevelItem(makeItem(row, m_view->columnCount()));
}

void ListViewRows::tellReadError(const QString &text) const
{
    messageBox({m_view->window(), QCoreApplication::translate("Dustmote", "Ошибка ввода/вывода"), text,
                QMessageBox::Critical, QMessageBox::Ok, QMessageBox::Ok});
}

} // namespace dm
