#include "TypeTotals.h"

#include <QFont>
#include <algorithm>
#include <numeric>
#include <QCoreApplication>

namespace dm {

TypeTotalsModel::TypeTotalsModel(const FoundFilesModel *files, QObject *parent)
    : QAbstractTableModel(parent), m_files(files)
{
    connect(files, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) { count(first, last); });
    connect(files, &QAbstractItemModel::rowsRemoved, this, &TypeTotalsModel::recount);
    connect(files, &QAbstractItemModel::modelReset, this, &TypeTotalsModel::recount);
}

void TypeTotalsModel::setTypes(const QStringList &names)
{
    beginResetModel();
    m_names = names;
    m_totals.assign(std::size_t(names.size()), {});
    m_whole = {};
    m_order.resize(std::size_t(names.size()));
    std::iota(m_order.begin(), m_order.end(), 0);
    endResetModel();
    recount();
}

int TypeTotalsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || m_names.isEmpty() ? 0 : int(m_order.size()) + 1;
}

int TypeTotalsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

int TypeTotalsModel::typeAt(int row) const
{
    return row >= 0 && std::size_t(row) < m_order.size() ? m_order[std::size_t(row)] : -1;
}

QVariant TypeTotalsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const int type = typeAt(index.row());
    const Total &t = type < 0 ? m_whole : m_totals[std::size_t(type)];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        switch (index.column()) {
        case TypeColumn: return type < 0 ? QCoreApplication::translate("Dustmote", "Всего") : m_names[type];
        case FilesColumn: return QString::number(t.files);
        case SizeColumn: return QString::number(t.kiloBytes) + QStringLiteral(" KB");
        }
        break;
    case ShareRole: {
        std::uint64_t largest = 0;
        for (const Total &each : m_totals)
            largest = std::max(largest, each.kiloBytes);
        return largest == 0 ? 0.0 : std::min(1.0, double(t.kiloBytes) / double(largest));
    }
    case Qt::TextAlignmentRole:
        if (index.column() == FilesColumn)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        break;
    case Qt::FontRole:
        if (type < 0) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        break;
    }
    return {};
}

QVariant TypeTotalsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char *const captions[] = {QT_TRANSLATE_NOOP("Dustmote", "Тип файлов"),
                                           QT_TRANSLATE_NOOP("Dustmote", "Файлов"),
                                           QT_TRANSLATE_NOOP("Dustmote", "Размер")};
    return section >= 0 && section < ColumnCount ? QCoreApplication::translate("Dustmote", captions[section])
                                                 : QVariant();
}

void TypeTotalsModel::count(int first, int last)
{
    if (m_totals.empty())
        return;
    for (int row = first; row <= last; ++row) {
        const std::size_t type = std::min<std::size_t>(m_files->type(row), m_totals.size() - 1);
        const std::uint64_t kb = KiloBytes(m_files->version(row).size);
        ++m_totals[type].files;
        m_totals[type].kiloBytes += kb;
        ++m_whole.files;
        m_whole.kiloBytes += kb;
    }
    reorder();
}

void TypeTotalsModel::recount()
{
    for (Total &t : m_totals)
        t = {};
    m_whole = {};
    count(0, m_files->rowCount() - 1);
    if (m_totals.empty())
        reorder();
}

void TypeTotalsModel::reorder()
{
    std::vector<int> order(m_order.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
        return m_totals[std::size_t(a)].kiloBytes > m_totals[std::size_t(b)].kiloBytes;
    });
    if (order != m_order) {
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        const QModelIndexList before = persistentIndexList();
        QModelIndexList after;
        for (const QModelIndex &i : before) {
            const int type = typeAt(i.row());
            const int row = type < 0 ? int(order.size())
                                     : int(std::find(order.begin(), order.end(), type) - order.begin());
            after.append(index(row, i.column()));
        }
        m_order = std::move(order);
        changePersistentIndexList(before, after);
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    }
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}

TypeFilterModel::TypeFilterModel(FoundFilesModel *files, QObject *parent)
    : QSortFilterProxyModel(parent), m_files(files)
{
    // A row's type never changes: ticks need not be filtered again.
    setDynamicSortFilter(false);
    setSourceModel(files);
}

void TypeFilterModel::setType(int type)
{
    if (type == m_type)
        return;
    m_type = type;
    // Filtered again as one layout change: removing the other types' rows
    // run by run would tell the view once per run, thousands of times.
    invalidate();
}

void TypeFilterModel::follow(bool on)
{
    if (on != (sourceModel() == m_files))
        setSourceModel(on ? m_files : &m_idle);
}

bool TypeFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex &) const
{
    return m_type < 0 || m_files->type(sourceRow) == m_type;
}

TickedTotal::TickedTotal(const FoundFilesModel *files, QObject *parent)
    : QObject(parent), m_model(files)
{
    m_later.setSingleShot(true);
    m_later.setInterval(0);
    connect(&m_later, &QTimer::timeout, this, &TickedTotal::recount);
    connect(files, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &, const QModelIndex &, const QList<int> &roles) {
                if (roles.isEmpty() || roles.contains(Qt::CheckStateRole))
                    m_later.start();
            });
    // New rows come unticked; a row that comes ticked is counted all the same.
    connect(files, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex &, int first, int last) {
        for (int row = first; row <= last; ++row)
            if (m_model->isChecked(row))
                return m_later.start();
    });
    connect(files, &QAbstractItemModel::rowsRemoved, &m_later, qOverload<>(&QTimer::start));
    connect(files, &QAbstractItemModel::modelReset, &m_later, qOverload<>(&QTimer::start));
}

void TickedTotal::recount()
{
    m_later.stop();
    std::uint64_t files = 0, kb = 0;
    const int rows = m_model->rowCount();
    for (int row = 0; row < rows; ++row) {
        if (m_model->isChecked(row)) {
            ++files;
            kb += KiloBytes(m_model->version(row).size);
        }
    }
    m_files = files;
    m_kiloBytes = kb;
    emit changed();
}

} // namespace dm
