#pragma once
// The shell namespace as an item model: the desktop root, below it the
// computer with its mounts, the home folder, the user folders and the
// desktop's own subfolders; below each folder its subfolders, read when the
// view first expands it and compared with a fresh reading on each refresh.
// Nodes are kept in place across refreshes, so the view's selection and
// expanded state survive them.

#include "ShellNamespace.h"

#include <QAbstractItemModel>
#include <QCollator>
#include <memory>
#include <vector>

/// What a node stands for.
enum TDmShellNodeKind {
    snkRoot,     ///< the desktop: its folder's path
    snkVirtual,  ///< the computer: no path
    snkPlace,    ///< a mount or a user folder, anchored at a fixed path
    snkFolder    ///< a subfolder of its parent node
};

class TDmShellModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    enum Role {
        PathRole = Qt::UserRole + 1,  ///< QString: the node's path, empty for virtual nodes
        KindRole,                     ///< int: TDmShellNodeKind
        OpenIconRole,                 ///< QIcon: the image of an open folder (folders only)
        CanRenameRole,                ///< bool: the file system allows renaming it
        PathBytesRole                 ///< QByteArray: the path as the file system names it
    };

    explicit TDmShellModel(TDmShellNamespace *shell, QObject *parent = nullptr);
    ~TDmShellModel() override;

    /// Builds the root and its fixed entries anew and starts reading the desktop.
    void fill();
    /// Compares every folder whose children were read, and the mounts, with a
    /// fresh reading; a folder that could not be read is tried again.
    void refresh();
    /// Whether the model holds no nodes (before fill()).
    bool isEmpty() const { return !m_root; }
    /// Whether folder reads are pending.
    bool isReading() const { return m_reading > 0; }
    /// The node `index` was renamed on disk to `newName`: takes the name and
    /// moves the node to its sorted place.
    void renamed(const QModelIndex &index, const QString &newName);
    /// Whether the next change notice is ignored (the echo of a rename made here).
    void setSkipNextNotice(bool skip) { m_skipNotice = skip; }
    /// The root's index.
    QModelIndex rootIndex() const;
    /// Whether the subfolders of `index` were read (false before the first
    /// read ended and after a failed one).
    bool isFolderRead(const QModelIndex &index) const;
    /// Whether a read of the subfolders of `index` is pending.
    bool isFolderReading(const QModelIndex &index) const;
    /// Starts reading the subfolders of the root, a place or a folder afresh,
    /// unless a read of it is pending; folderRead() tells when it ended.
    void readFolder(const QModelIndex &index);
    /// The subfolder of `parent`, as last read, whose file name is `name`
    /// byte for byte; invalid when there is none.
    QModelIndex subfolderNamed(const QModelIndex &parent, const QByteArray &name) const;

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDropActions() const override;
    Qt::DropActions supportedDragActions() const override;
    bool canDropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                         const QModelIndex &parent) const override;
    bool dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                      const QModelIndex &parent) override;

Q_SIGNALS:
    /// A folder whose children were read, or the set of mounts, changed.
    void changeNoticed();
    /// Reading began while none was pending / the last pending read ended.
    void readingStarted();
    void readingFinished();
    /// A read of the subfolders of `index` ended, well or not.
    void folderRead(const QModelIndex &index);
    /// The user committed a new caption for `index` in place.
    void renameRequested(const QModelIndex &index, const QString &newName);
    /// Items were dropped onto folder `target`.
    void dropRequested(const QMimeData *data, Qt::DropAction action, const QModelIndex &target);

public:
    // The nodes behind the indexes (DmShellNode.h); opaque to users of the model.
    struct Node;
    struct Reading;
    using Nodes = std::vector<std::unique_ptr<Node>>;

private:

    Node *nodeOf(const QModelIndex &index) const;
    QModelIndex indexOf(const Node *node) const;
    QString pathOf(const Node *node) const;
    QByteArray pathBytesOf(const Node *node) const;
    void startReading(Node *node);
    void readingDone(Node *node, bool ok, const QList<TDmShellItem> &items);
    void readingEnded();
    void noticed(Node *node, const TDmShellNotice &notice);
    void refreshNode(Node *node);
    void refreshMounts(Node *computer);
    void sortFolders(Nodes &nodes) const;
    void merge(Node *parent, int first, Nodes wanted);
    void insertRun(Node *parent, int at, Nodes::iterator from, Nodes::iterator to);
    void removeRun(Node *parent, int first, int last);
    void renumber(Node *parent, int from);
    void update(Node *node, const Node &fresh);

    TDmShellNamespace *m_shell;
    std::unique_ptr<Node> m_root;
    QCollator m_collator;
    int m_reading = 0;
    bool m_skipNotice = false;
};
