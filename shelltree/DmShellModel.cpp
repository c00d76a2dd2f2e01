#include "DmShellModel.h"
#include "DmShellNode.h"
#include "NaturalOrder.h"
#include "ShellPlaces.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <ranges>
#include <QCoreApplication>

namespace {

std::unique_ptr<TDmShellModel::Node> placeNode(const TDmShellMount &place)
{
    auto node = std::make_unique<TDmShellModel::Node>();
    node->kind = snkPlace;
    node->name = QDir::cleanPath(place.path);  // "/" keeps its slash, others lose theirs
    node->caption = place.caption;
    node->icons = place.icons;
    return node;
}

} // namespace

TDmShellModel::TDmShellModel(TDmShellNamespace *shell, QObject *parent)
    : QAbstractItemModel(parent), m_shell(shell), m_collator(dm::naturalCollator())
{
    connect(m_shell, &TDmShellNamespace::mountsChanged, this, &TDmShellModel::changeNoticed);
}

TDmShellModel::~TDmShellModel()
{
    // Nodes first: their pending reads report back to the model as they go.
    m_root.reset();
}

QModelIndex TDmShellModel::rootIndex() const
{
    return m_root ? createIndex(0, 0, m_root.get()) : QModelIndex();
}

bool TDmShellModel::isFolderRead(const QModelIndex &index) const
{
    const Node *node = nodeOf(index);
    return node && node->fill == Node::Read;
}

bool TDmShellModel::isFolderReading(const QModelIndex &index) const
{
    const Node *node = nodeOf(index);
    return node && node->reading;
}

void TDmShellModel::readFolder(const QModelIndex &index)
{
    Node *node = nodeOf(index);
    if (node && node->kind != snkVirtual && !node->reading)
        startReading(node);
}

QModelIndex TDmShellModel::subfolderNamed(const QModelIndex &parent, const QByteArray &name) const
{
    const Node *node = nodeOf(parent);
    if (!node)
        return {};
    for (const auto &child : node->children | std::views::drop(node->fixed))
        if (child->nameBytes() == name)
            return indexOf(child.get());
    return {};
}

void TDmShellModel::fill()
{
    beginResetModel();
    m_root.reset();
    auto root = std::make_unique<Node>();
    root->kind = snkRoot;
    root->name = dm::desktopFolder();
    root->caption = QCoreApplication::translate("Dustmote", "Рабочий стол");
    root->icons = {QStringLiteral("user-desktop")};
    auto computer = std::make_unique<Node>();
    computer->kind = snkVirtual;
    computer->caption = QCoreApplication::translate("Dustmote", "Компьютер");
    computer->icons = {QStringLiteral("computer")};
    computer->fill = Node::Read;
    root->children.push_back(std::move(computer));
    for (const TDmShellMount &place : dm::userPlaces(root->name))
        root->children.push_back(placeNode(place));
    root->fixed = int(root->children.size());
    for (const auto &child : root->children)
        child->parent = root.get();
    renumber(root.get(), 0);
    m_root = std::move(root);
    endResetModel();
    refreshMounts(m_root->children.front().get());
    startReading(m_root.get());
}

void TDmShellModel::refresh()
{
    if (m_root)
        refreshNode(m_root.get());
}

void TDmShellModel::refreshNode(Node *node)
{
    if (node->kind == snkVirtual)
        refreshMounts(node);
    else if (node->fill != Node::Unread)
        startReading(node);
    for (const auto &child : node->children)
        refreshNode(child.get());
}

void TDmShellModel::refreshMounts(Node *computer)
{
    Nodes wanted;
    for (const TDmShellMount &mount : m_shell->mounts())
        wanted.push_back(placeNode(mount));
    merge(computer, 0, std::move(wanted));
}

QString TDmShellModel::pathOf(const Node *node) const
{
    if (node->kind != snkFolder)
        return node->name;
    const QString parent = pathOf(node->parent);
    return parent.endsWith(u'/') ? parent + node->name : parent + u'/' + node->name;
}

QByteArray TDmShellModel::pathBytesOf(const Node *node) const
{
    if (node->kind != snkFolder)
        return QFile::encodeName(node->name);
    QByteArray path = pathBytesOf(node->parent);
    if (!path.endsWith('/'))
        path += '/';
    return path + node->nameBytes();
}

void TDmShellModel::startReading(Node *node)
{
    node->reading.reset();
    auto reading = std::make_unique<Reading>(this);
    reading->request = m_shell->listFolders(
        pathBytesOf(node), [this, node](bool ok, const QList<TDmShellItem> &items) {
            readingDone(node, ok, items);
        });
    node->reading = std::move(reading);
}

void TDmShellModel::readingEnded()
{
    if (--m_reading == 0)
        QMetaObject::invokeMethod(this, [this] {
            if (m_reading == 0)
                Q_EMIT readingFinished();
        }, Qt::QueuedConnection);
}

void TDmShellModel::readingDone(Node *node, bool ok, const QList<TDmShellItem> &items)
{
    const auto reading = std::move(node->reading);  // counted as ended on return
    if (!ok) {
        // An unreadable folder keeps its expand button and shows nothing.
        if (node->fill != Node::Read)
            node->fill = Node::Failed;
        Q_EMIT folderRead(indexOf(node));
        return;
    }
    const QString path = pathOf(node);
    QSet<QString> fixedNames;  // subfolders already shown as user folders
    for (int i = 0; i < node->fixed; ++i) {
        const QString fixedPath = pathOf(node->children[size_t(i)].get());
        if (QFileInfo(fixedPath).path() == path)
            fixedNames.insert(QFileInfo(fixedPath).fileName());
    }
    Nodes wanted;
    for (const TDmShellItem &item : items) {
        if (fixedNames.contains(item.name))
            continue;
        auto child = std::make_unique<Node>();
        child->name = item.name;
        child->rawName = item.rawName;
        child->caption = item.caption.isEmpty() ? item.name : item.caption;
        child->icons = item.icons;
        child->hidden = item.hidden;
        child->link = item.link;
        child->canRename = item.canRename;
        child->mayHaveChildren = item.mayHaveSubfolders;
        wanted.push_back(std::move(child));
    }
    sortFolders(wanted);
    const bool firstRead = node->fill != Node::Read;
    node->fill = Node::Read;
    merge(node, node->fixed, std::move(wanted));
    if (firstRead && node->children.empty()) {
        // The view caches whether a node has children; have it ask again so
        // that the expand button of an empty folder goes away.
        Q_EMIT layoutAboutToBeChanged();
        Q_EMIT layoutChanged();
    }
    if (!node->watch || node->watchedPath != path) {
        node->watch = m_shell->watchFolder(
            path, [this, node](const TDmShellNotice &notice) { noticed(node, notice); });
        node->watchedPath = path;
    }
    Q_EMIT folderRead(indexOf(node));
}

void TDmShellModel::noticed(Node *node, const TDmShellNotice &notice)
{
    if (std::exchange(m_skipNotice, false))
        return;
    auto has = [node](const QString &name) {
        return std::any_of(node->children.begin() + node->fixed, node->children.end(),
                           [&](const auto &child) { return child->name == name; });
    };
    // Files coming and going, and echoes of what the tree already shows, are no change.
    if ((!notice.gone.isEmpty() && has(notice.gone)) || (!notice.added.isEmpty() && !has(notice.added)))
        Q_EMIT changeNoticed();
}

void TDmShellModel::sortFolders(Nodes &nodes) const
{
    // Sort keys once per name: far cheaper than collating each comparison.
    std::vector<std::pair<QCollatorSortKey, size_t>> keys;
    keys.reserve(nodes.size());
    for (size_t i = 0; i < nodes.size(); ++i)
        keys.emplace_back(m_collator.sortKey(nodes[i]->caption), i);
    std::stable_sort(keys.begin(), keys.end(), [&](const auto &a, const auto &b) {
        const int order = a.first.compare(b.first);
        return order != 0 ? order < 0 : nodes[a.second]->name < nodes[b.second]->name;
    });
    Nodes sorted;
    sorted.reserve(nodes.size());
    for (const auto &key : keys)
        sorted.push_back(std::move(nodes[key.second]));
    nodes = std::move(sorted);
}

void TDmShellModel::renamed(const QModelIndex &index, const QString &newName)
{
    Node *node = nodeOf(index);
    if (!node || node->kind != snkFolder)
        return;
    node->name = newName;
    node->caption = newName;
    Q_EMIT dataChanged(index, index);
    Node *parent = node->parent;
    // The sorted place among the read siblings, counted without the node itself.
    int to = parent->fixed;
    for (const auto &sibling : parent->children | std::views::drop(parent->fixed)) {
        if (sibling.get() == node)
            continue;
        const int order = m_collator.compare(sibling->caption, node->caption);
        if (order > 0 || (order == 0 && sibling->name > node->name))
            break;
        ++to;
    }
    const int from = node->row;
    if (to == from)
        return;
    const QModelIndex parentIndex = indexOf(parent);
    beginMoveRows(parentIndex, from, from, parentIndex, to > from ? to + 1 : to);
    auto moved = std::move(parent->children[size_t(from)]);
    parent->children.erase(parent->children.begin() + from);
    parent->children.insert(parent->children.begin() + to, std::move(moved));
    renumber(parent, std::min(from, to));
    endMoveRows();
}
