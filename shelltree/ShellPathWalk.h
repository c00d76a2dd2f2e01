#pragma once
// Finding a folder's node in the shell model from its path. Folders are read
// only when first opened, so the way down is walked level by level as each
// reading arrives, never waiting on one: the walk starts at the deepest
// top-level place that holds the path (the desktop, the home folder, a user
// folder, a mount, "/"), then opens each folder on the way and looks its next
// component up among the subfolders read. It starts again from the top when
// the tree is rebuilt or a node on the way goes, and it ends when the folder's
// node is reached, or when a level read afresh lacks the next component or
// cannot be read: then the deepest node reached is where it stops.

#include "DmShellModel.h"

#include <QByteArray>
#include <QObject>
#include <QPersistentModelIndex>
#include <functional>

namespace dm {

/// `path` made absolute against the current folder and lexically normalised
/// (no ".", "..", doubled or trailing "/"; "/" for the root), as file paths
/// are everywhere in the program; a path that is itself a symbolic link to a
/// folder is replaced by the real path of that folder. Empty for an empty path.
QByteArray normalisedFolderPath(const QByteArray &path);

/// Whether `path` is `base` or lies below it, compared by whole components
/// ("/home/ab" is not below "/home/a"); both normalised.
bool pathWithin(const QByteArray &path, const QByteArray &base);

} // namespace dm

class TDmShellPathWalk : public QObject
{
    Q_OBJECT
public:
    /// What the walk asks of the view.
    struct Hooks
    {
        std::function<void(const QModelIndex &)> open;   ///< show the node's subfolders
        std::function<void(const QModelIndex &)> reach;  ///< the deepest node found so far
        std::function<void(bool found)> done;            ///< the walk ended (see above)
    };

    /// Starts walking to `path` (normalised) from the event loop: no hook is
    /// called before this returns.
    TDmShellPathWalk(TDmShellModel *model, const QByteArray &path, Hooks hooks,
                     QObject *parent = nullptr);

    /// Stops for good: no hook is called any more.
    void cancel();
    /// The deepest node reached so far.
    QModelIndex reached() const { return m_at; }

private:
    void schedule(bool fromTop);
    void restart();
    void step();
    void finish(bool found);

    void call(std::function<void(const QModelIndex &)> hook, const QModelIndex &index);

    TDmShellModel *m_model;
    QByteArray m_path;
    QList<QByteArray> m_components;
    Hooks m_hooks;
    QPersistentModelIndex m_at;    // the deepest node reached
    qsizetype m_depth = 0;         // components of the path that m_at stands for
    bool m_fresh = false;          // m_at's subfolders were read during this walk
    bool m_scheduled = false, m_restartDue = false, m_over = false;
};
