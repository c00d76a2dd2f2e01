#pragma once
// The list file's format: the file-type checklist between runs, in a small
// binary format opened by the magic "LVF". All integers are little-endian;
// strings are code page 1251 with an unsigned 16-bit byte count and no
// terminator.
//
//   "LVF"  u16 rowCount  { u16 subItemCount  i32 imageIndex  str caption  str subItem* }*
//
// Bytes in, bytes out: no files and no windows, so that the build tool that
// writes the starting catalog needs QtCore alone.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace dm {

struct ListRow
{
    QString caption;
    QStringList subItems;
    qint32 imageIndex = 0;
    bool operator==(const ListRow &) const = default;
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

} // namespace dm
