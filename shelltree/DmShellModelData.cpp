// The shell model's item interface (indexes, data, flags, drag and drop) and
// the merge that brings a node's children in line with a fresh reading.

#include "DmShellModel.h"
#include "DmShellNode.h"
#include "ShellClipboard.h"
#include "ShellIcons.h"

#include <QApplication>
#include <QHash>
#include <QPalette>
#include <iterator>
#include <QCoreApplication>


TDmShellModel::Node *TDmShellModel::nodeOf(const QModelIndex &index) const
{
    return index.isValid() && index.model() == this ? static_cast<Node *>(index.internalPointer())
                                                     : nullptr;
}

QModelIndex TDmShellModel::indexOf(const Node *node) const
{
    return node ? createIndex(node->row, 0, const_cast<Node *>(node)) : QModelIndex();
}

QModelIndex TDmShellModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column != 0 || row < 0)
        return {};
    if (!parent.isValid())
        return row == 0 && m_root ? indexOf(m_root.get()) : QModelIndex();
    const Node *node = nodeOf(parent);
    return node && size_t(row) < node->children.size() ? indexOf(node->children[size_t(row)].get())
                                                        : QModelIndex();
}

QModelIndex TDmShellModel::parent(const QModelIndex &child) const
{
    const Node *node = nodeOf(child);
    return node ? indexOf(node->parent) : QModelIndex();
}

int TDmShellModel::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return m_root ? 1 : 0;
    const Node *node = nodeOf(parent);
    return node ? int(node->children.size()) : 0;
}

int TDmShellModel::columnCount(const QModelIndex &) const
{
    return 1;
}

QVariant TDmShellModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    // The header is hidden; assistive technology still reads its name.
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return QCoreApplication::translate("Dustmote", "Папки");
    return {};
}

bool TDmShellModel::hasChildren(const QModelIndex &parent) const
{
    const Node *node = nodeOf(parent);
    if (!node)
        return !parent.isValid() && m_root;
    if (!node->children.empty())
        return true;
    switch (node->fill) {
    case Node::Unread: return node->kind == snkFolder || node->kind == snkPlace ? node->mayHaveChildren : false;
    case Node::Failed: return true;  // a folder that could not be read keeps its button
    case Node::Read: break;
    }
    return false;
}

QVariant TDmShellModel::data(const QModelIndex &index, int role) const
{
    const Node *node = nodeOf(index);
    if (!node)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return node->caption;
    case Qt::EditRole:
        return node->kind == snkFolder ? node->name : node->caption;
    case Qt::ToolTipRole:
    case PathRole:
        return pathOf(node);
    case PathBytesRole:
        return pathBytesOf(node);
    case Qt::DecorationRole:
        return dm::shellIcon(node->icons, node->link, node->hidden);
    case OpenIconRole:
        if (node->kind != snkFolder)
            return {};
        return dm::shellIcon({QStringLiteral("folder-open"), QStringLiteral("folder")}, node->link,
                             node->hidden);
    case Qt::ForegroundRole:
        if (node->hidden)
            return QApplication::palette().brush(QPalette::Disabled, QPalette::Text);
        return {};
    case KindRole:
        return int(node->kind);
    case CanRenameRole:
        return node->kind == snkFolder && node->canRename;
    }
    return {};
}

Qt::ItemFlags TDmShellModel::flags(const QModelIndex &index) const
{
    const Node *node = nodeOf(index);
    if (!node)
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    // Nothing is dropped on or dragged from the root and the computer; mounts
    // and user folders take drops but stay where they are.
    if (node->kind == snkPlace || node->kind == snkFolder)
        flags |= Qt::ItemIsDropEnabled;
    if (node->kind == snkFolder)
        flags |= Qt::ItemIsDragEnabled | (node->canRename ? Qt::ItemIsEditable : Qt::NoItemFlags);
    return flags;
}

bool TDmShellModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    // The rename happens on disk first; the node follows once it succeeded.
    if (role == Qt::EditRole && value.isValid() && (flags(index) & Qt::ItemIsEditable))
        Q_EMIT renameRequested(index, value.toString());
    return false;
}

bool TDmShellModel::canFetchMore(const QModelIndex &parent) const
{
    const Node *node = nodeOf(parent);
    return node && (node->kind == snkFolder || node->kind == snkPlace)
        && node->fill == Node::Unread && !node->reading;
}

void TDmShellModel::fetchMore(const QModelIndex &parent)
{
    if (canFetchMore(parent))
        startReading(nodeOf(parent));
}

QStringList TDmShellModel::mimeTypes() const
{
    return {QStringLiteral("text/uri-list")};
}

QMimeData *TDmShellModel::mimeData(const QModelIndexList &indexes) const
{
    QStringList paths;
    for (const QModelIndex &index : indexes)
        if (flags(index) & Qt::ItemIsDragEnabled)
            paths << pathOf(nodeOf(index));
    return paths.isEmpty() ? nullptr : dm::shellMimeData(paths, false).release();
}

Qt::DropActions TDmShellModel::supportedDropActions() const
{
    return Qt::CopyAction | Qt::MoveAction;
}

Qt::DropActions TDmShellModel::supportedDragActions() const
{
    return Qt::CopyAction | Qt::MoveAction;
}

bool TDmShellModel::canDropMimeData(const QMimeData *data, Qt::DropAction action, int row, int,
                                    const QModelIndex &parent) const
{
    return data && data->hasUrls() && row == -1 && (flags(parent) & Qt::ItemIsDropEnabled)
        && (action == Qt::CopyAction || action == Qt::MoveAction);
}

bool TDmShellModel::dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                                 const QModelIndex &parent)
{
    if (!canDropMimeData(data, action, row, column, parent))
        return false;
    Q_EMIT dropRequested(data, action, parent);
    return true;
}

void TDmShellModel::merge(Node *parent, int first, Nodes wanted)
{
    // Nodes are told apart by their names' bytes: names that are not UTF-8
    // may read alike as text.
    QHash<QByteArray, qsizetype> wantedAt;
    for (qsizetype i = 0; i < qsizetype(wanted.size());) {
        if (wantedAt.contains(wanted[size_t(i)]->nameBytes())) {
            wanted.erase(wanted.begin() + i);
            continue;
        }
        wantedAt.insert(wanted[size_t(i)]->nameBytes(), i);
        ++i;
    }
    auto &children = parent->children;
    auto kept = [&](int i) { return wantedAt.contains(children[size_t(i)]->nameBytes()); };
    // Nodes of items that are gone, in runs from the end.
    for (int i = int(children.size()) - 1; i >= first; --i) {
        if (kept(i))
            continue;
        const int last = i;
        while (i > first && !kept(i - 1))
            --i;
        removeRun(parent, i, last);
    }
    // The survivors keep their places unless the order changed under them.
    for (int i = first + 1; i < int(children.size()); ++i)
        if (wantedAt.value(children[size_t(i)]->nameBytes())
            < wantedAt.value(children[size_t(i - 1)]->nameBytes())) {
            removeRun(parent, first, int(children.size()) - 1);
            break;
        }
    auto survivorAt = [&](int pos, size_t w) {
        return pos < int(children.size()) && children[size_t(pos)]->nameBytes() == wanted[w]->nameBytes();
    };
    int pos = first;
    for (size_t w = 0; w < wanted.size();) {
        if (survivorAt(pos, w)) {
            update(children[size_t(pos)].get(), *wanted[w]);
            ++pos;
            ++w;
            continue;
        }
        size_t end = w + 1;
        while (end < wanted.size() && !survivorAt(pos, end))
            ++end;
        insertRun(parent, pos, wanted.begin() + qsizetype(w), wanted.begin() + qsizetype(end));
        pos += int(end - w);
        w = end;
    }
}

void TDmShellModel::insertRun(Node *parent, int at, Nodes::iterator from, Nodes::iterator to)
{
    beginInsertRows(indexOf(parent), at, at + int(to - from) - 1);
    for (auto it = from; it != to; ++it)
        (*it)->parent = parent;
    parent->children.insert(parent->children.begin() + at, std::make_move_iterator(from),
                            std::make_move_iterator(to));
    renumber(parent, at);
    endInsertRows();
}

void TDmShellModel::removeRun(Node *parent, int first, int last)
{
    beginRemoveRows(indexOf(parent), first, last);
    auto begin = parent->children.begin() + first, end = parent->children.begin() + last + 1;
    Nodes removed(std::make_move_iterator(begin), std::make_move_iterator(end));
    parent->children.erase(begin, end);
    renumber(parent, first);
    endRemoveRows();
}

void TDmShellModel::renumber(Node *parent, int from)
{
    for (size_t i = size_t(from); i < parent->children.size(); ++i)
        parent->children[i]->row = int(i);
}

void TDmShellModel::update(Node *node, const Node &fresh)
{
    node->mayHaveChildren = fresh.mayHaveChildren;
    node->canRename = fresh.canRename;
    node->rawName = fresh.rawName;
    if (node->caption == fresh.caption && node->icons == fresh.icons
        && node->hidden == fresh.hidden && node->link == fresh.link)
        return;
    node->caption = fresh.caption;
    node->icons = fresh.icons;
    node->hidden = fresh.hidden;
    node->link = fresh.link;
    const QModelIndex index = indexOf(node);
    Q_EMIT dataChanged(index, index);
}
