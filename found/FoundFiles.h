#pragma once
// The found-files list's data: a table model over the found rows, with a
// check box per row. The list may hold a million rows, so rows are a few
// integers in chunks that never move, names are kept as their bytes and
// decoded only for the rows shown, folders are kept once each, rows are
// appended a batch at a time (one insertion each), ticking all rows is one
// change notification, and a sort changes only the order in which the stored
// rows are shown, computed on a worker when the list is long.

#include "FoundSort.h"

#include "DeletionTexts.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QFile>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace dm {

// The size column's text: kilobytes followed by "KB".
QString SizeText(std::uint64_t bytes);
// The time column's text: the local date, then the time to the second unless
// it is exactly midnight. Times beyond the calendar are shown at its ends.
QString TimeText(std::int64_t posixSeconds);

class FoundFilesModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { NameColumn, FolderColumn, SizeColumn, TimeColumn, ColumnCount };

    explicit FoundFilesModel(QObject *parent = nullptr);
    ~FoundFilesModel() override;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Appends the batch's folders to the folder table, then its rows, which
    // index the table as it is after them; one insertion for all the rows.
    // The batch is left empty, its room kept for the next one.
    void append(FoundBatch &batch);
    // Removes every row; the folder table stays for rows still to come.
    void removeAllRows();
    // Removes every row and every folder: a new scan starts.
    void reset();

    QString name(int row) const;
    QString folder(int row) const { return QFile::decodeName(folderBytes(row)); }
    // The folder, ending in "/", immediately followed by the name.
    QString fullPath(int row) const { return folder(row) + name(row); }
    // Folder and name as the file system names them, byte for byte.
    const QByteArray &folderBytes(int row) const { return m_folders[stored(row).folder]; }
    QByteArray nameBytes(int row) const;
    // The version found (size and last write shown in the list), so that a
    // deletion removes only that very file.
    FileVersion version(int row) const
    {
        const FoundRow &f = stored(row);
        return f.version(m_folderDevices[f.folder]);
    }
    // The catalog type that matched the file.
    std::uint16_t type(int row) const { return stored(row).type; }

    bool isChecked(int row) const;
    void setChecked(int row, bool checked);
    // Ticks or clears every row with one change notification.
    void setAllChecked(bool checked);
    // Ticks or clears every row of one type with one change notification.
    void setTypeChecked(std::uint16_t type, bool checked);
    // Removes the rows for which `remove` is true (asked of each row once or
    // twice, rows as numbered before the removal).
    void removeRowsIf(const std::function<bool(int row)> &remove);

    // Orders the rows by a column, ties keeping their order: name and folder
    // in the locale's collation (case ignored, numbers by value), size by
    // bytes, time chronologically. From `backgroundSortRows()` rows on, the
    // order is computed on a worker and shown when ready (`sorted`); a sort
    // asked for meanwhile is the one shown in the end.
    void sortBy(int column, bool descending);
    // Whether a sort is still being computed.
    bool sorting() const { return m_worker.joinable(); }
    int backgroundSortRows() const { return m_backgroundRows; }
    void setBackgroundSortRows(int rows) { m_backgroundRows = rows; }

signals:
    // The rows are shown in the order last asked for.
    void sorted();
    // A sort on the worker began, or ended with nothing more to sort.
    void sortingChanged(bool sorting);

private:
    struct Wanted
    {
        int column = -1;
        bool descending = false;
        bool operator==(const Wanted &) const = default;
    };
    std::size_t storedRow(int row) const { return m_order ? (*m_order)[std::size_t(row)] : std::size_t(row); }
    const FoundRow &stored(int row) const
    {
        const std::size_t s = storedRow(row);
        return m_chunks[s / FoundChunk::kRows]->row(s % FoundChunk::kRows);
    }
    bool &checkMark(int row);
    // Stops using what a running sort computes, and drops cached ranks.
    void rowsChanged();
    void startSort();
    void sortDone(SortOutput out, Wanted done, std::uint64_t generation);
    void show(RowOrder order);
    void joinWorker();

    std::vector<std::shared_ptr<FoundChunk>> m_chunks;
    std::size_t m_rows = 0;
    NameArena m_names;
    std::vector<QByteArray> m_folders;
    std::vector<std::uint64_t> m_folderDevices; // beside m_folders
    RowOrder m_order; // shown row -> stored row; null: as stored
    RowOrder m_nameRanks;
    RowOrder m_folderRanks;

    Wanted m_wanted;
    std::uint64_t m_generation = 0; // counts changes of the rows
    int m_backgroundRows = 50000;
    std::thread m_worker;
    std::atomic<bool> m_cancel = false;
};

} // namespace dm
