#pragma once
// A report-style list view on a QTreeWidget: rows with a caption, sub-items, an
// image index and a check box. Sub-item i is shown in column i + 1 when the
// view has that column; the whole list is kept with the row, so sub-items that
// are not shown survive a load and a save.

#include "ListFile.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace dm {

class ListViewRows : public ListViewAccess
{
public:
    explicit ListViewRows(QTreeWidget *view) : m_view(view) {}

    int rowCount() const override;
    ListRow row(int index) const override;
    void replaceRows(const QList<ListRow> &rows) override;
    void tellReadError(const QString &text) const override;

    // Appends one unticked row.
    void appendRow(const ListRow &row);

private:
    QTreeWidget *m_view;
};

} // namespace dm
