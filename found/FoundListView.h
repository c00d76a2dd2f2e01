#pragma once
// The found-files list's view: a report with a check box before each name,
// grid lines, whole-row selection of one row at most and no in-place editing.
// Space ticks or clears the selected row, whichever column has the focus; so
// does a screen reader's action on any cell of a row.

#include <QHeaderView>
#include <QTableView>

class TFoundListView : public QTableView
{
    Q_OBJECT
public:
    explicit TFoundListView(QWidget *parent = nullptr);

    // Column widths once a model is set: 100, the rest, 90, 130 (or what a
    // date and time in the locale's formats need). The name takes a third of
    // what the size and time leave once that is more than 100, until the
    // user sets its width.
    void setModel(QAbstractItemModel *model) override;
    void doItemsLayout() override;
    void reset() override;

protected:
    void rowsInserted(const QModelIndex &parent, int start, int end) override;
    void rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QHeaderView *rowHeader();
    int fittingRowHeight() const;
    void shareWidth();
    bool m_sharing = false;
    bool m_nameSetByUser = false;
    int m_rowsBeforeReset = 0;
    // What changed since the last layout: only rows added (from
    // m_firstAdded on), or more.
    enum class Pending { Nothing, RowsAdded, Everything };
    Pending m_pending = Pending::Nothing;
    int m_firstAdded = 0;
};
