#pragma once
// The list file: the file-type checklist between runs, in a small binary
// format opened by the magic "LVF". All integers are little-endian; strings are
// code page 1251 with an unsigned 16-bit byte count and no terminator.
//
//   "LVF"  u16 rowCount  { u16 subItemCount  i32 imageIndex  str caption  str subItem* }*
//
// Writing replaces the file atomically. Reading a file that is not a list, or
// that ends before its counts are satisfied, first keeps a copy of it beside
// the original, so that the save at close never destroys what it could not read.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

namespace dm {

struct ListRow
{
    QString caption;
    QStringList subItems;
    qint32 imageIndex = 0;
    bool operator==(const ListRow &) const = default;
};

// What the list file routines need of a report-style list view.
class ListViewAccess
{
public:
    virtual ~ListViewAccess() = default;
    virtual int rowCount() const = 0;
    virtual ListRow row(int index) const = 0;
    // Empties the view and appends the rows in order, all unticked.
    virtual void replaceRows(const QList<ListRow> &rows) = 0;
    // The window that owns the routines' message boxes.
    virtual QWidget *ownerWindow() const = 0;
};

// The most rows, sub-items per row and bytes per string the format can state.
inline constexpr int kMaxListCount = 0xFFFF;

// The bytes of a list file. Throws dm::Exception, writing nothing, when the
// rows exceed what the format's 16-bit counts can state.
QByteArray encodeListFile(const QList<ListRow> &rows);

struct DecodedList
{
    enum Status { Complete, WrongMagic, CutOff };
    Status status = Complete;
    QList<ListRow> rows;   // the rows read whole
    int statedRows = 0;    // the row count the file announced
};

// Never reads past the data; bytes after the last row are ignored.
DecodedList decodeListFile(QByteArrayView bytes);

// Throws EFCreateError when the file cannot be written; the old file stays.
void SaveListViewToFile(const ListViewAccess &view, const QString &path);

// Replaces the view's rows with the file's. A missing file, a wrong magic or a
// cut-off file are told in a message box; a file that exists but cannot be
// opened throws EFOpenError.
void LoadListViewFromFile(ListViewAccess &view, const QString &path);

} // namespace dm
