#pragma once
// The found-files list's data: one plain record per file, the folders they lie
// in kept once each, and a table model over them with a check box per row.
// The list holds hundreds of thousands of rows, so rows are appended in
// batches (one insertion each), ticking all rows is one change notification,
// and a sort permutes the records by keys computed once per sort.

#include "FileVersion.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace dm {

// One found file. `folder` indexes the model's folder table.
struct FoundFile
{
    QString name;
    std::unique_ptr<QByteArray> rawName; // the name's bytes, only where the text cannot hold them
    std::uint32_t folder = 0;
    bool checked = false;
    // The version found (size and last write shown in the list), so that a
    // deletion removes only that very file.
    FileVersion version;
    // The catalog type the file counts for, by its position among the
    // scan's ticked types.
    std::uint16_t type = 0;
};

// Kilobytes of a size, rounded up: 0 bytes 0, 1 to 1024 bytes 1, 1025 bytes 2.
inline std::uint64_t KiloBytes(std::uint64_t bytes) { return bytes / 1024 + (bytes % 1024 != 0); }
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

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Appends folders (their bytes, each ending in "/") to the folder table,
    // then rows that index it; one insertion for all the rows.
    void append(std::vector<QByteArray> &&folders, std::vector<FoundFile> &&rows);
    // Removes every row; the folder table stays for rows still to come.
    void removeAllRows();
    // Removes every row and every folder: a new scan starts.
    void reset();

    const FoundFile &file(int row) const { return m_rows[std::size_t(row)]; }
    const QString &folder(int row) const { return m_folders[file(row).folder].text; }
    // The folder, ending in "/", immediately followed by the name.
    QString fullPath(int row) const { return folder(row) + file(row).name; }
    // Folder and name as the file system names them, byte for byte.
    const QByteArray &folderBytes(int row) const { return m_folders[file(row).folder].bytes; }
    QByteArray nameBytes(int row) const;

    std::uint16_t type(int row) const { return file(row).type; }
    bool isChecked(int row) const { return file(row).checked; }
    void setChecked(int row, bool checked);
    // Ticks or clears every row with one change notification.
    void setAllChecked(bool checked);
    // Ticks or clears every row of one type with one change notification.
    void setTypeChecked(std::uint16_t type, bool checked);
    // Removes the rows the predicate names, one removal per run of adjacent rows.
    void removeRowsIf(const std::function<bool(int row)> &remove);

    // Orders the rows by a column, ties keeping their order: name and folder
    // in natural, case-insensitive order, size by bytes, time chronologically.
    void sortBy(int column, bool descending);

private:
    struct Folder
    {
        QString text;
        QByteArray bytes;
    };
    std::vector<Folder> m_folders;
    std::vector<FoundFile> m_rows;
};

} // namespace dm
