#pragma once
// The shell folder tree: the desktop's namespace of folders, from which the
// user picks the drive or folder to clean. The root "Рабочий стол" stands for
// the desktop folder; below it "Компьютер" with "/" and the mounted volumes,
// the home folder, the user folders and the desktop's own subfolders. Folders
// are read when first expanded, without ever blocking the window, and kept
// current through change notices. Folders can be opened, cut, copied, pasted,
// renamed, trashed or deleted (never the root), by context menu, keys, or
// drag and drop with other programs.

#include "DmShellModel.h"
#include "ShellNamespace.h"
#include "ShellPathWalk.h"

#include <QPersistentModelIndex>
#include <QTimer>
#include <QTreeView>
#include <functional>
#include <memory>

class TDmShellTree : public QTreeView
{
    Q_OBJECT
public:
    /// A plain notification whose argument is the component.
    using TNotifyEvent = std::function<void(TDmShellTree *sender)>;

    /// A tree over the desktop's namespace (GIO); fills itself once the event
    /// loop runs.
    explicit TDmShellTree(QWidget *parent = nullptr);
    /// A tree over `shell` (tests).
    TDmShellTree(QWidget *parent, std::unique_ptr<TDmShellNamespace> shell);
    ~TDmShellTree() override;

    /// The file-system path of the selected node: for the root its folder, for
    /// a mount point its path ("/" keeps its slash), for a folder its full path
    /// without a trailing "/"; empty for "Компьютер", with no selection and on
    /// any failure. Never throws.
    QString SelectedPathName() const;
    /// The same path byte for byte, also where a folder's name is not valid
    /// UTF-8 and the text above cannot hold it.
    QByteArray SelectedPathBytes() const;

    /// Selects the node of folder `path` (bytes: names need not be UTF-8),
    /// expanding the way there and scrolling it into view. The path is made
    /// absolute and normalised first (see dm::normalisedFolderPath: a link to
    /// a folder stands for its real path), and SelectedPathBytes() then
    /// reports it exactly. Folders are read level by level as their readings
    /// arrive, never blocking the window; meanwhile the deepest node reached
    /// is selected. `done`, called once from the event loop, says true when
    /// the folder's node was selected, false when the path names no folder
    /// the tree shows (missing, a file, below a folder that cannot be read)
    /// and the deepest node on its way is selected instead. A later call, the
    /// user choosing another node, or the tree's end cancels a pending one:
    /// its `done` is then never called. A rebuilt tree is walked anew.
    void SelectPath(const QByteArray &path, std::function<void(bool found)> done = {});

    /// Builds the tree anew: the root, expanded one level and selected.
    void FillTree();
    /// Compares every read folder and the mounts with the disk, keeping the
    /// selection; fills the tree when it is empty. Put off while a drag, an
    /// in-place edit or the context menu is in progress.
    void RefreshTree();

    /// The model behind the view.
    TDmShellModel *ShellModel() const { return m_model; }

    TNotifyEvent OnFillStart;     ///< reading of folders began
    TNotifyEvent OnFillComplete;  ///< the last pending folder read ended

    /// Quiet time after a change notice before the tree refreshes.
    static constexpr int kRefreshFocusedMs = 400, kRefreshUnfocusedMs = 2000;

protected:
    /// Dispatchers of the events above; a subclass may override them.
    virtual void DoFillStart();
    virtual void DoFillComplete();

    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void mousePressEvent(QMouseEvent *event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event) const override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end) override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;

private:
    bool busy() const;
    void changeNoticed();
    void runDueRefresh();
    void restoreSelection();
    void selectQuietly(const QModelIndex &index);
    void cancelPathWalk();
    // The operations on folders (DmShellTreeOps.cpp).
    void copyToClipboard(const QModelIndex &index, bool cut);
    void paste(const QModelIndex &target);
    void drop(const QMimeData *data, Qt::DropAction action, const QModelIndex &target);
    void pasteItems(const QStringList &sources, bool move, const QModelIndex &target,
                    bool clearClipboard);
    void trash(const QModelIndex &index);
    void deleteForGood(const QModelIndex &index);
    void rename(const QModelIndex &index, const QString &newName);
    void openInFileManager(const QModelIndex &index);
    void runJob(TDmShellTransferKind kind, const QStringList &sources, const QStringList &targets,
                std::function<void()> succeeded);
    void showError(const QString &text);

    std::unique_ptr<TDmShellNamespace> m_shell;
    TDmShellModel *m_model;
    QTimer m_refreshTimer;
    QPersistentModelIndex m_reselect;  // where the selection goes when its node is removed
    bool m_dragging = false, m_menuOpen = false, m_refreshDue = false;
    std::unique_ptr<TDmShellPathWalk> m_pathWalk;  // a pending SelectPath
    int m_quietSelection = 0;  // selection changes made by the tree itself, not the user
};
