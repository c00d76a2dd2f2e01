#include "ListFileCodec.h"

#include "Cp1251.h"
#include "Exception.h"

#include <QtEndian>
#include <QCoreApplication>

namespace dm {
namespace {

constexpr char kMagic[3] = {'L', 'V', 'F'};
constexpr int kMaxCount = kMaxListCount;

void putU16(QByteArray &out, int value)
{
    const quint16 le = qToLittleEndian(quint16(value));
    out.append(reinterpret_cast<const char *>(&le), 2);
}

void putString(QByteArray &out, const QString &text)
{
    const QByteArray bytes = cp1251::encode(text);
    if (bytes.size() > kMaxCount)
        throw Exception(QCoreApplication::translate("Dustmote", "Список типов файлов не сохранён: текст «%1…» длиннее %2 байт.")
                            .arg(text.left(40), QString::number(kMaxCount)));
    putU16(out, int(bytes.size()));
    out.append(bytes);
}

// Reads fields off the front of the data; every read says whether the data
// still held the whole field.
class Cursor
{
public:
    explicit Cursor(QByteArrayView data) : m_data(data) {}

    bool u16(int &value)
    {
        if (m_data.size() < 2)
            return false;
        value = qFromLittleEndian<quint16>(m_data.data());
        m_data = m_data.sliced(2);
        return true;
    }

    bool i32(qint32 &value)
    {
        if (m_data.size() < 4)
            return false;
        value = qFromLittleEndian<qint32>(m_data.data());
        m_data = m_data.sliced(4);
        return true;
    }

    // The text ends at the first zero byte, but all stated bytes are consumed.
    bool string(QString &text)
    {
        int length = 0;
        if (!u16(length) || m_data.size() < length)
            return false;
        QByteArrayView bytes = m_data.first(length);
        if (const qsizetype zero = bytes.indexOf('\0'); zero >= 0)
            bytes = bytes.first(zero);
        text = cp1251::decode(bytes);
        m_data = m_data.sliced(length);
        return true;
    }

private:
    QByteArrayView m_data;
};

bool readRow(Cursor &in, ListRow &row)
{
    int subItems = 0;
    if (!in.u16(subItems) || !in.i32(row.imageIndex) || !in.string(row.caption))
        return false;
    row.subItems.reserve(subItems);
    for (int i = 0; i < subItems; ++i) {
        QString item;
        if (!in.string(item))
            return false;
        row.subItems.append(item);
    }
    return true;
}

} // namespace

QByteArray encodeListFile(const QList<ListRow> &rows)
{
    if (rows.size() > kMaxCount)
        throw Exception(QCoreApplication::translate("Dustmote", "Список типов файлов не сохранён: в нём %1 строк, "
                                       "а файл вмещает не больше %2.")
                            .arg(rows.size())
                            .arg(kMaxCount));
    QByteArray out(kMagic, sizeof kMagic);
    putU16(out, int(rows.size()));
    for (const ListRow &row : rows) {
        if (row.subItems.size() > kMaxCount)
            throw Exception(QCoreApplication::translate("Dustmote", "Список типов файлов не сохранён: у строки «%1» "
                                           "больше %2 подэлементов.")
                                .arg(row.caption, QString::number(kMaxCount)));
        putU16(out, int(row.subItems.size()));
        const qint32 image = qToLittleEndian(row.imageIndex);
        out.append(reinterpret_cast<const char *>(&image), 4);
        putString(out, row.caption);
        for (const QString &item : row.subItems)
            putString(out, item);
    }
    return out;
}

DecodedList decodeListFile(QByteArrayView bytes)
{
    DecodedList result;
    if (bytes.size() < 3 || bytes.first(3) != QByteArrayView(kMagic, 3)) {
        result.status = DecodedList::WrongMagic;
        return result;
    }
    Cursor in(bytes.sliced(3));
    if (!in.u16(result.statedRows)) {
        result.status = DecodedList::CutOff;
        return result;
    }
    result.rows.reserve(result.statedRows);
    for (int i = 0; i < result.statedRows; ++i) {
        ListRow row;
        if (!readRow(in, row)) {
            result.status = DecodedList::CutOff;
            break;
        }
        result.rows.append(std::move(row));
    }
    return result;
}

} // namespace dm
