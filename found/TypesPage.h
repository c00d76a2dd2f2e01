#pragma once
// The "По типам" page: the space each ticked catalog type takes as bars with
// their numbers, a row for the whole, and below them the found files of the
// chosen type with their own "Отметить/Снять всё". Choosing a row of the bars
// by mouse or keys chooses the type; the whole shows every file.

#include "TypeTotals.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QTableView;
class TFoundListView;

namespace dm {

class TypesPage : public QWidget
{
    Q_OBJECT
public:
    TypesPage(FoundFilesModel *files, QWidget *parent = nullptr);

    TypeTotalsModel &totals() { return *m_totals; }
    TypeFilterModel &filter() { return *m_filter; }
    QTableView *bars() const { return m_bars; }
    TFoundListView *list() const { return m_list; }
    QCheckBox *tickAll() const { return m_tickAll; }
    // The type whose files are shown; -1 for all.
    void showType(int type);

signals:
    // A file of the narrowed list was opened, by its row in the whole list.
    void fileOpened(int row);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void tickAllClicked();
    // The narrowed list follows the whole one while the page is shown, or
    // before its window has ever been.
    void followIfSeen();

    bool m_windowShown = false;

    FoundFilesModel *m_files;
    TypeTotalsModel *m_totals;
    TypeFilterModel *m_filter;
    QTableView *m_bars;
    QLabel *m_shown;
    TFoundListView *m_list;
    QCheckBox *m_tickAll;
};

} // namespace dm
