#include "FoundFiles.h"

#include "DateTime.h"

#include <QDate>
#include <QFile>
#include <QTime>
#include <algorithm>
#include <ctime>
#include <numeric>

namespace dm {

namespace {

// 1601-01-03 and 9999-12-30 UTC: the calendar the texts can show, in any
// time zone.
constexpr std::int64_t kFirstSecond = -11644473600LL + 2 * 86400;
constexpr std::int64_t kLastSecond = 253402128000LL;

// A key whose plain code-unit order is the natural, case-insensitive order:
// letters folded, and each run of digits written as a marker that sorts with
// the digits, its significant length and its significant digits, so that
// "file9" comes before "file10".
QString naturalKey(const QString &text)
{
    const QString folded = text.toCaseFolded();
    QString key;
    key.reserve(folded.size() + 4);
    const qsizetype n = folded.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = folded[i];
        if (c < u'0' || c > u'9') {
            key += c;
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < n && folded[end] >= u'0' && folded[end] <= u'9')
            ++end;
        qsizetype first = i;
        while (first + 1 < end && folded[first] == u'0')
            ++first;
        key += u'0';
        key += QChar(char16_t(std::min<qsizetype>(end - first, 0xD7FF)));
        key += QStringView(folded).mid(first, end - first);
        i = end;
    }
    return key;
}

// One sort key per item, computed once.
template <typename Item, typename Project>
auto keysOf(const std::vector<Item> &items, Project project)
{
    std::vector<std::decay_t<decltype(project(items.front()))>> keys;
    keys.reserve(items.size());
    for (const Item &item : items)
        keys.push_back(project(item));
    return keys;
}

// Item indexes in key order; equal keys keep their order in either direction.
template <typename Key>
std::vector<std::uint32_t> stableOrder(const std::vector<Key> &keys, bool descending)
{
    std::vector<std::uint32_t> order(keys.size());
    std::iota(order.begin(), order.end(), 0u);
    if (descending)
        std::stable_sort(order.begin(), order.end(),
                         [&](std::uint32_t a, std::uint32_t b) { return keys[b] < keys[a]; });
    else
        std::stable_sort(order.begin(), order.end(),
                         [&](std::uint32_t a, std::uint32_t b) { return keys[a] < keys[b]; });
    return order;
}

} // namespace

QString SizeText(std::uint64_t bytes)
{
    return QString::number(KiloBytes(bytes)) + QStringLiteral("KB");
}

QString TimeText(std::int64_t posixSeconds)
{
    const std::time_t t = static_cast<std::time_t>(std::clamp(posixSeconds, kFirstSecond, kLastSecond));
    std::tm tm{};
    if (!localtime_r(&t, &tm))
        return {};
    return DateTimeToText(QDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday),
                          QTime(tm.tm_hour, tm.tm_min, std::min(tm.tm_sec, 59)));
}

FoundFilesModel::FoundFilesModel(QObject *parent) : QAbstractTableModel(parent) {}

int FoundFilesModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int FoundFilesModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FoundFilesModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const FoundFile &f = file(index.row());
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case NameColumn: return f.name;
        case FolderColumn: return m_folders[f.folder].text;
        case SizeColumn: return SizeText(f.version.size);
        case TimeColumn: return TimeText(f.version.modified);
        }
        break;
    case Qt::CheckStateRole:
        if (index.column() == NameColumn)
            return f.checked ? Qt::Checked : Qt::Unchecked;
        break;
    case Qt::ToolTipRole:
        if (index.column() <= FolderColumn)
            return fullPath(index.row());
        break;
    case Qt::TextAlignmentRole:
        if (index.column() == SizeColumn)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        break;
    }
    return {};
}

bool FoundFilesModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.column() != NameColumn || role != Qt::CheckStateRole)
        return false;
    setChecked(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
    return true;
}

Qt::ItemFlags FoundFilesModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == NameColumn)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant FoundFilesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char16_t *const captions[] = {u"Имя файла", u"Путь к файлу", u"Размер файла",
                                               u"Изменен"};
    return section >= 0 && section < ColumnCount ? QString::fromUtf16(captions[section]) : QVariant();
}

QByteArray FoundFilesModel::nameBytes(int row) const
{
    const FoundFile &f = file(row);
    return f.rawName ? *f.rawName : QFile::encodeName(f.name);
}

void FoundFilesModel::append(std::vector<QByteArray> &&folders, std::vector<FoundFile> &&rows)
{
    for (QByteArray &bytes : folders)
        m_folders.push_back({QFile::decodeName(bytes), std::move(bytes)});
    if (rows.empty())
        return;
    // Room first: running out of memory must not leave an insertion begun.
    const std::size_t needed = m_rows.size() + rows.size();
    if (m_rows.capacity() < needed)
        m_rows.reserve(std::max(needed, m_rows.capacity() * 2));
    const int first = int(m_rows.size());
    beginInsertRows({}, first, first + int(rows.size()) - 1);
    m_rows.insert(m_rows.end(), std::make_move_iterator(rows.begin()),
                  std::make_move_iterator(rows.end()));
    endInsertRows();
}

void FoundFilesModel::removeAllRows()
{
    beginResetModel();
    std::vector<FoundFile>().swap(m_rows);
    endResetModel();
}

void FoundFilesModel::reset()
{
    removeAllRows();
    m_folders = {};
}

void FoundFilesModel::setChecked(int row, bool checked)
{
    FoundFile &f = m_rows[std::size_t(row)];
    if (f.checked == checked)
        return;
    f.checked = checked;
    const QModelIndex i = index(row, NameColumn);
    emit dataChanged(i, i, {Qt::CheckStateRole});
}

void FoundFilesModel::setAllChecked(bool checked)
{
    if (m_rows.empty())
        return;
    for (FoundFile &f : m_rows)
        f.checked = checked;
    emit dataChanged(index(0, NameColumn), index(rowCount() - 1, NameColumn), {Qt::CheckStateRole});
}

void FoundFilesModel::setTypeChecked(std::uint16_t type, bool checked)
{
    int first = -1, last = -1;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].type != type)
            continue;
        m_rows[i].checked = checked;
        if (first < 0)
            first = int(i);
        last = int(i);
    }
    if (first >= 0)
        emit dataChanged(index(first, NameColumn), index(last, NameColumn), {Qt::CheckStateRole});
}

void FoundFilesModel::removeRowsIf(const std::function<bool(int row)> &remove)
{
    // From the end, so that each run's removal moves only the rows after it.
    for (int end = rowCount(); end > 0;) {
        if (!remove(end - 1)) {
            --end;
            continue;
        }
        int begin = end - 1;
        while (begin > 0 && remove(begin - 1))
            --begin;
        beginRemoveRows({}, begin, end - 1);
        m_rows.erase(m_rows.begin() + begin, m_rows.begin() + end);
        endRemoveRows();
        end = begin;
    }
}

void FoundFilesModel::sortBy(int column, bool descending)
{
    std::vector<std::uint32_t> order;
    switch (column) {
    case NameColumn:
        order = stableOrder(keysOf(m_rows, [](const FoundFile &f) { return naturalKey(f.name); }),
                            descending);
        break;
    case FolderColumn: {
        // Folders are far fewer than files: order them once, then rows by rank.
        const std::vector<std::uint32_t> folderOrder =
            stableOrder(keysOf(m_folders, [](const Folder &f) { return naturalKey(f.text); }), false);
        std::vector<std::uint32_t> rank(m_folders.size());
        for (std::uint32_t r = 0; r < folderOrder.size(); ++r)
            rank[folderOrder[r]] = r;
        order = stableOrder(keysOf(m_rows, [&](const FoundFile &f) { return rank[f.folder]; }),
                            descending);
        break;
    }
    case SizeColumn:
        order = stableOrder(keysOf(m_rows, [](const FoundFile &f) { return f.version.size; }), descending);
        break;
    case TimeColumn:
        order = stableOrder(keysOf(m_rows, [](const FoundFile &f) { return f.version.modified; }), descending);
        break;
    default:
        return;
    }

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<FoundFile> sorted;
    sorted.reserve(m_rows.size());
    std::vector<int> newRow(m_rows.size());
    for (std::uint32_t i = 0; i < order.size(); ++i) {
        sorted.push_back(std::move(m_rows[order[i]]));
        newRow[order[i]] = int(i);
    }
    m_rows = std::move(sorted);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &i : before)
        after.append(index(newRow[std::size_t(i.row())], i.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace dm
