#include "FoundFiles.h"

#include "DateTime.h"

#include <QDate>
#include <QFile>
#include <QTime>
#include <algorithm>
#include <ctime>
#include <numeric>
#include <QCoreApplication>

namespace dm {

namespace {

// 1601-01-03 and 9999-12-30 UTC: the calendar the texts can show, in any
// time zone.
constexpr std::int64_t kFirstSecond = -11644473600LL + 2 * 86400;
constexpr std::int64_t kLastSecond = 253402128000LL;

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

FoundFilesModel::~FoundFilesModel()
{
    m_cancel = true;
    joinWorker();
}

int FoundFilesModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_order ? m_order->size() : m_rows);
}

int FoundFilesModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FoundFilesModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = index.row();
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case NameColumn: return name(row);
        case FolderColumn: return folder(row);
        case SizeColumn: return SizeText(version(row).size);
        case TimeColumn: return TimeText(version(row).modified);
        }
        break;
    case Qt::CheckStateRole:
        if (index.column() == NameColumn)
            return isChecked(row) ? Qt::Checked : Qt::Unchecked;
        break;
    case Qt::ToolTipRole:
        if (index.column() <= FolderColumn)
            return fullPath(row);
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
    static const char *const captions[] = {QT_TRANSLATE_NOOP("Dustmote", "Имя файла"),
                                           QT_TRANSLATE_NOOP("Dustmote", "Путь к файлу"),
                                           QT_TRANSLATE_NOOP("Dustmote", "Размер файла"),
                                           QT_TRANSLATE_NOOP("Dustmote", "Изменен")};
    return section >= 0 && section < ColumnCount ? QCoreApplication::translate("Dustmote", captions[section])
                                                 : QVariant();
}

QString FoundFilesModel::name(int row) const
{
    const FoundRow &f = stored(row);
    return QFile::decodeName(QByteArray::fromRawData(f.name, f.nameLength));
}

QByteArray FoundFilesModel::nameBytes(int row) const
{
    const FoundRow &f = stored(row);
    return QByteArray(f.name, f.nameLength);
}

void FoundFilesModel::append(FoundBatch &batch)
{
    for (QByteArray &bytes : batch.folders())
        m_folders.push_back(std::move(bytes));
    m_folderDevices.insert(m_folderDevices.end(), batch.folderDevices().begin(), batch.folderDevices().end());
    const std::size_t count = batch.rowCount();
    if (count == 0) {
        batch.clear();
        return;
    }
    // Room first: running out of memory must not leave an insertion begun.
    // The names are copied into the list's own blocks, packed, so that the
    // batch can be filled again.
    const std::size_t needed = m_rows + count;
    while (m_chunks.size() * FoundChunk::kRows < needed)
        m_chunks.push_back(std::shared_ptr<FoundChunk>(new FoundChunk));
    std::shared_ptr<std::vector<std::uint32_t>> order;
    if (m_order) {
        order = std::make_shared<std::vector<std::uint32_t>>();
        order->reserve(needed);
        *order = *m_order;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t s = m_rows + i;
        FoundRow row = batch.row(i);
        row.name = m_names.add({row.name, row.nameLength});
        FoundChunk &chunk = *m_chunks[s / FoundChunk::kRows];
        chunk.set(s % FoundChunk::kRows, row);
        chunk.checked[s % FoundChunk::kRows] = false;
        if (order)
            order->push_back(std::uint32_t(s));
    }
    batch.clear();
    const int first = rowCount();
    beginInsertRows({}, first, first + int(count) - 1);
    m_rows = needed;
    if (order)
        m_order = std::move(order);
    rowsChanged();
    endInsertRows();
}

void FoundFilesModel::removeAllRows()
{
    beginResetModel();
    // `= {}` would keep the vectors' room: a million-row list's folders
    // alone held 1.5 MB after it was emptied.
    m_chunks = std::vector<std::shared_ptr<FoundChunk>>();
    m_rows = 0;
    m_names = {};
    m_order = nullptr;
    rowsChanged();
    m_wanted = {};
    endResetModel();
}

void FoundFilesModel::reset()
{
    removeAllRows();
    m_folders = std::vector<QByteArray>();
    m_folderDevices = std::vector<std::uint64_t>();
}

bool FoundFilesModel::isChecked(int row) const
{
    const std::size_t s = storedRow(row);
    return m_chunks[s / FoundChunk::kRows]->checked[s % FoundChunk::kRows];
}

bool &FoundFilesModel::checkMark(int row)
{
    const std::size_t s = storedRow(row);
    return m_chunks[s / FoundChunk::kRows]->checked[s % FoundChunk::kRows];
}

void FoundFilesModel::setChecked(int row, bool checked)
{
    bool &mark = checkMark(row);
    if (mark == checked)
        return;
    mark = checked;
    const QModelIndex i = index(row, NameColumn);
    emit dataChanged(i, i, {Qt::CheckStateRole});
}

void FoundFilesModel::setAllChecked(bool checked)
{
    if (m_rows == 0)
        return;
    for (const auto &chunk : m_chunks)
        std::fill(std::begin(chunk->checked), std::end(chunk->checked), checked);
    emit dataChanged(index(0, NameColumn), index(rowCount() - 1, NameColumn), {Qt::CheckStateRole});
}

void FoundFilesModel::setTypeChecked(std::uint16_t type, bool checked)
{
    int first = -1, last = -1;
    for (int row = 0; row < rowCount(); ++row) {
        if (stored(row).type != type)
            continue;
        checkMark(row) = checked;
        if (first < 0)
            first = row;
        last = row;
    }
    if (first >= 0)
        emit dataChanged(index(first, NameColumn), index(last, NameColumn), {Qt::CheckStateRole});
}

void FoundFilesModel::removeRowsIf(const std::function<bool(int row)> &remove)
{
    // Rows never move: a removal only takes them out of the order shown.
    std::vector<std::pair<int, int>> runs; // [begin, end), last first
    for (int end = rowCount(); end > 0;) {
        if (!remove(end - 1)) {
            --end;
            continue;
        }
        int begin = end - 1;
        while (begin > 0 && remove(begin - 1))
            --begin;
        runs.emplace_back(begin, end);
        end = begin;
    }
    if (runs.empty())
        return;
    std::vector<std::uint32_t> order;
    if (m_order) {
        order = *m_order;
    } else {
        order.resize(m_rows);
        std::iota(order.begin(), order.end(), 0u);
    }
    // A sort under way worked on the rows as they were.
    ++m_generation;
    m_cancel = true;
    // A few runs go one by one, keeping the view's selection and place; many
    // scattered ones (a folder's files in a list sorted by name) at once.
    constexpr std::size_t kRunsOneByOne = 16;
    if (runs.size() > kRunsOneByOne) {
        beginResetModel();
        for (const auto &[begin, end] : runs)
            order.erase(order.begin() + begin, order.begin() + end);
        m_order = std::make_shared<const std::vector<std::uint32_t>>(std::move(order));
        endResetModel();
        return;
    }
    for (const auto &[begin, end] : runs) {
        beginRemoveRows({}, begin, end - 1);
        order.erase(order.begin() + begin, order.begin() + end);
        m_order = std::make_shared<const std::vector<std::uint32_t>>(order);
        endRemoveRows();
    }
}

void FoundFilesModel::rowsChanged()
{
    ++m_generation;
    m_cancel = true;
    m_nameRanks = nullptr;
    m_folderRanks = nullptr;
}

void FoundFilesModel::sortBy(int column, bool descending)
{
    if (column < 0 || column >= ColumnCount)
        return;
    m_wanted = {column, descending};
    // A sort under way finishes first (its ranks are kept); the one wanted
    // by then follows.
    if (!sorting())
        startSort();
}

void FoundFilesModel::startSort()
{
    joinWorker();
    const Wanted wanted = m_wanted;
    SortInput in{wanted.column, wanted.descending, m_chunks, m_names.blocks(), m_folders,
                 m_rows, m_order, m_nameRanks, m_folderRanks};
    m_cancel = false;
    const std::uint64_t generation = m_generation;
    if (m_rows < std::size_t(std::max(m_backgroundRows, 0)) || m_rows == 0) {
        sortDone(sortRows(in, m_cancel), wanted, generation);
        return;
    }
    const bool began = !sorting();
    m_worker = std::thread([this, in = std::move(in), wanted, generation] {
        SortOutput out = sortRows(in, m_cancel);
        QMetaObject::invokeMethod(
            this, [this, out = std::move(out), wanted, generation] { sortDone(out, wanted, generation); },
            Qt::QueuedConnection);
    });
    if (began)
        emit sortingChanged(true);
}

void FoundFilesModel::sortDone(SortOutput out, Wanted done, std::uint64_t generation)
{
    const bool onWorker = m_worker.joinable();
    joinWorker();
    if (generation == m_generation) {
        m_nameRanks = out.nameRanks;
        m_folderRanks = out.folderRanks;
        if (done == m_wanted) {
            m_wanted = {};
            if (out.order)
                show(std::move(out.order));
            emit sorted();
        }
    }
    // What the rows changed meanwhile made useless, or a sort asked for
    // meanwhile, is sorted again.
    if (m_wanted.column >= 0)
        startSort();
    if (onWorker && !sorting())
        emit sortingChanged(false);
}

void FoundFilesModel::show(RowOrder order)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // Where each stored row is shown now, for the selection and the current row.
    std::vector<std::uint32_t> shownAt(m_rows);
    for (std::uint32_t i = 0; i < order->size(); ++i)
        shownAt[(*order)[i]] = i;
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &i : before)
        after.append(index(int(shownAt[storedRow(i.row())]), i.column()));
    m_order = std::move(order);
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void FoundFilesModel::joinWorker()
{
    if (m_worker.joinable())
        m_worker.join();
}

} // namespace dm
