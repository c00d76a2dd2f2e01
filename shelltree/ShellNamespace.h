#pragma once
// What the shell folder tree needs of the desktop's file system, behind one
// small interface: the program uses GIO (GioShell.h); tests use the same on a
// temporary tree, with mounts of their own where a real one is needed.
//
// Every call answers on the main thread. Reading a folder never blocks: the
// answer comes later through the callback, and destroying the returned request
// cancels it (the callback is then never called).

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

/// One subfolder as the platform lists it.
struct TDmShellItem
{
    QString name;       ///< the file name, as the path has it
    QByteArray rawName; ///< its bytes, only where `name` cannot hold them (not UTF-8)
    QString caption;    ///< the name a file manager shows
    QStringList icons;  ///< themed icon names, best first
    bool hidden = false;
    bool link = false;          ///< a symbolic link to a folder
    bool canRename = true;      ///< the file system allows renaming it
    bool mayHaveSubfolders = true;  ///< false only when it surely has none
};

/// One mounted file system a user cares about.
struct TDmShellMount
{
    QString path;       ///< its mount point
    QString caption;    ///< its volume label or name
    QStringList icons;  ///< themed icon names, best first
};

/// A change inside a watched folder: `gone` left it (deleted, moved away or
/// renamed from), `added` is a folder that arrived; either may be empty.
struct TDmShellNotice
{
    QString gone, added;
};

/// A pending read or a watch; destroying it cancels it.
class TDmShellRequest
{
public:
    virtual ~TDmShellRequest() = default;
};

/// The kinds of long file operations, run off the main thread.
enum TDmShellTransferKind { stkCopy, stkMove, stkDelete };

/// One long file operation (copy, move or permanent deletion of folders and
/// files). Destroying it cancels it and waits for it to stop.
class TDmShellJob : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    /// Asks the operation to stop; it then finishes with cancelled true.
    virtual void cancel() = 0;

Q_SIGNALS:
    /// Bytes (or, for deletion, items) done of total; total is 0 while unknown.
    void progress(qint64 done, qint64 total);
    /// The operation ended; `error` is the system's text of the first failure.
    void finished(const QString &error, bool cancelled);
};

/// The desktop's namespace of folders and mounts.
class TDmShellNamespace : public QObject
{
    Q_OBJECT
public:
    using ListCallback = std::function<void(bool ok, const QList<TDmShellItem> &folders)>;
    using NoticeCallback = std::function<void(const TDmShellNotice &notice)>;
    using DoneCallback = std::function<void(const QString &error)>;

    using QObject::QObject;

    /// "/" and the user-visible mounts, "/" first.
    virtual QList<TDmShellMount> mounts() = 0;
    /// Reads the subfolders of `path` (links to folders included, files not);
    /// ok is false when the folder cannot be read. The path is bytes: a
    /// folder whose name is not UTF-8 is read like any other.
    virtual std::unique_ptr<TDmShellRequest> listFolders(const QByteArray &path, ListCallback done) = 0;
    /// Reports changes of the entries of folder `path` until destroyed; null
    /// when the folder cannot be watched.
    virtual std::unique_ptr<TDmShellRequest> watchFolder(const QString &path,
                                                         NoticeCallback notice) = 0;
    /// Renames `path` to `newName` in its folder, never over an existing name.
    /// `done` (empty error on success) is called only while `context` lives.
    virtual void rename(const QString &path, const QString &newName, QObject *context,
                        DoneCallback done) = 0;
    /// Moves `path` to the desktop's trash; `done` as for rename.
    virtual void trash(const QString &path, QObject *context, DoneCallback done) = 0;
    /// Starts copying or moving each of `sources` (paths or URIs) to the path of
    /// the same index in `targets`, or deleting them for good (targets unused).
    /// Never overwrites or merges: an existing target is an error.
    virtual std::unique_ptr<TDmShellJob> transfer(TDmShellTransferKind kind,
                                                  const QStringList &sources,
                                                  const QStringList &targets) = 0;

Q_SIGNALS:
    /// A file system was mounted or unmounted, or a mount changed.
    void mountsChanged();
};
