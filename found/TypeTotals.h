#pragma once
// Models that follow the found-files list from outside it: the space per
// catalog type (the rows of the "По типам" view), the list narrowed to one
// type, and the ticked files' count and size. Each reads the list through its
// accessors and its change signals only.

#include "FoundFiles.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <QStringList>
#include <QTimer>
#include <cstdint>
#include <vector>

namespace dm {

// One row per ticked type, largest first (ties in catalog order), then a row
// for the whole. Rows added to the list are counted as they come; a removal
// or a new scan counts again from the list.
class TypeTotalsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { TypeColumn, FilesColumn, SizeColumn, ColumnCount };
    // The size as a share of the largest type's, 0 to 1, for the bar.
    static constexpr int ShareRole = Qt::UserRole + 1;

    explicit TypeTotalsModel(const FoundFilesModel *files, QObject *parent = nullptr);

    // The scan's ticked types, by their descriptions; counts start again.
    void setTypes(const QStringList &names);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The type shown at a row; -1 for the whole.
    int typeAt(int row) const;
    // A type's file count and kilobytes (the sum of each file's, as the total shows).
    std::uint64_t files(int type) const { return m_totals[std::size_t(type)].files; }
    std::uint64_t kiloBytes(int type) const { return m_totals[std::size_t(type)].kiloBytes; }

private:
    struct Total
    {
        std::uint64_t files = 0;
        std::uint64_t kiloBytes = 0;
    };
    void count(int first, int last);
    void recount();
    // Orders the rows again, keeping the views' selection on its type.
    void reorder();

    const FoundFilesModel *m_files;
    QStringList m_names;
    std::vector<Total> m_totals;
    Total m_whole;
    std::vector<int> m_order; // types by row
};

// The found files of one type; the rows map to the list's own, so a row of
// the list means the same file everywhere.
class TypeFilterModel : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit TypeFilterModel(FoundFilesModel *files, QObject *parent = nullptr);
    // -1 shows every row.
    void setType(int type);
    int type() const { return m_type; }
    // Follows the list, or lets it go (and shows no rows, the columns kept,
    // so that a view keeps their widths): a million rows cost the filter
    // tens of milliseconds at every sort of the list. It starts following.
    void follow(bool on);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    FoundFilesModel *m_files;
    FoundFilesModel m_idle; // an empty list with the same columns
    int m_type = -1;
};

// The ticked files' count and kilobytes, counted again from the list once per
// turn of the event loop in which ticks changed or rows went.
class TickedTotal : public QObject
{
    Q_OBJECT
public:
    explicit TickedTotal(const FoundFilesModel *files, QObject *parent = nullptr);
    std::uint64_t files() const { return m_files; }
    std::uint64_t kiloBytes() const { return m_kiloBytes; }
    // Counts now rather than at the next turn.
    void recount();

signals:
    void changed();

private:
    const FoundFilesModel *m_model;
    QTimer m_later;
    std::uint64_t m_files = 0;
    std::uint64_t m_kiloBytes = 0;
};

} // namespace dm
