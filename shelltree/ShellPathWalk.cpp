#include "ShellPathWalk.h"
#include "ErrorBox.h"

#include <cstdlib>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace dm {

namespace {

using CString = std::unique_ptr<char, decltype(&std::free)>;

} // namespace

QByteArray normalisedFolderPath(const QByteArray &path)
{
    if (path.isEmpty())
        return {};
    QByteArray absolute = path;
    if (!path.startsWith('/')) {
        // The current folder as bytes: its name need not be UTF-8 either.
        const CString cwd(::getcwd(nullptr, 0), &std::free);
        if (!cwd)
            return {};
        absolute = QByteArray(cwd.get()) + '/' + path;
    }
    QList<QByteArray> parts;
    for (const QByteArray &part : absolute.split('/')) {
        if (part == "..") {
            if (!parts.isEmpty())
                parts.removeLast();
        } else if (!part.isEmpty() && part != ".") {
            parts << part;
        }
    }
    const QByteArray clean = '/' + parts.join('/');
    // A link the user names stands for the folder it points to, as it does
    // for `cd`: the tree shows that folder where it really lies, so that the
    // chosen path is the folder itself, not a way through a link that may
    // later point elsewhere. Links on the way stay: the tree shows them as
    // folders, and ".." was taken lexically, as in every path the program
    // takes. A link to a file or to nothing is no folder and is left as it
    // is: the walk stops at its parent.
    struct stat st;
    if (::lstat(clean.constData(), &st) == 0 && S_ISLNK(st.st_mode)
        && ::stat(clean.constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
        const CString real(::realpath(clean.constData(), nullptr), &std::free);
        if (real)
            return QByteArray(real.get());
    }
    return clean;
}

bool pathWithin(const QByteArray &path, const QByteArray &base)
{
    if (base == "/")
        return path.startsWith('/');
    return path.startsWith(base) && (path.size() == base.size() || path[base.size()] == '/');
}

} // namespace dm

TDmShellPathWalk::TDmShellPathWalk(TDmShellModel *model, const QByteArray &path, Hooks hooks,
                                   QObject *parent)
    : QObject(parent), m_model(model), m_path(path), m_hooks(std::move(hooks))
{
    for (const QByteArray &part : path.split('/'))
        if (!part.isEmpty())
            m_components << part;
    connect(model, &TDmShellModel::folderRead, this, [this](const QModelIndex &index) {
        if (m_at == index)
            schedule(false);
    });
    // A rebuilt tree, or a node on the way gone: start again from the top.
    connect(model, &QAbstractItemModel::modelReset, this, [this] { schedule(true); });
    connect(model, &QAbstractItemModel::rowsRemoved, this, [this] {
        if (!m_at.isValid())
            schedule(true);
    });
    schedule(true);
}

void TDmShellPathWalk::cancel()
{
    m_over = true;
    m_hooks = {};
}

void TDmShellPathWalk::schedule(bool fromTop)
{
    if (m_over)
        return;
    m_restartDue = m_restartDue || fromTop;
    if (std::exchange(m_scheduled, true))
        return;
    // From the event loop: the model may be in the middle of a change.
    QMetaObject::invokeMethod(this, dm::guarded([this] {
        m_scheduled = false;
        if (m_over)
            return;
        if (std::exchange(m_restartDue, false))
            restart();
        else
            step();
    }), Qt::QueuedConnection);
}

void TDmShellPathWalk::restart()
{
    m_at = QPersistentModelIndex();
    if (m_model->isEmpty())
        return;  // the tree is filled later, and its reset brings the walk back
    if (m_path.isEmpty())
        return finish(false);
    // The deepest top-level place that holds the path.
    QModelIndex best;
    qsizetype bestDepth = -1;
    auto consider = [&](const QModelIndex &node) {
        const QByteArray base = node.data(TDmShellModel::PathBytesRole).toByteArray();
        if (base.isEmpty() || !dm::pathWithin(m_path, base))
            return;
        const qsizetype depth = base == "/" ? 0 : base.count('/');
        if (depth > bestDepth) {
            best = node;
            bestDepth = depth;
        }
    };
    const QModelIndex root = m_model->rootIndex();
    consider(root);
    for (int row = 0; row < m_model->rowCount(root); ++row) {
        const QModelIndex child = m_model->index(row, 0, root);
        const int kind = child.data(TDmShellModel::KindRole).toInt();
        if (kind == snkPlace)
            consider(child);
        else if (kind == snkVirtual)  // the computer: its mounts
            for (int mount = 0; mount < m_model->rowCount(child); ++mount)
                consider(m_model->index(mount, 0, child));
    }
    if (!best.isValid())
        return finish(false);
    m_at = best;
    m_depth = bestDepth;
    m_fresh = false;
    call(m_hooks.reach, best);
    step();
}

void TDmShellPathWalk::step()
{
    for (;;) {
        if (m_over)
            return;
        if (!m_at.isValid())
            return schedule(true);
        if (m_depth >= m_components.size())
            return finish(true);
        const QModelIndex at = m_at;
        if (m_model->isFolderRead(at)) {
            const QModelIndex next = m_model->subfolderNamed(at, m_components[m_depth]);
            if (next.isValid()) {
                m_at = next;
                ++m_depth;
                m_fresh = false;
                call(m_hooks.reach, next);
                continue;
            }
        }
        call(m_hooks.open, at);
        if (m_over)
            return;
        if (m_model->isFolderReading(at)) {
            m_fresh = true;  // what it brings was read after the walk began
            return;
        }
        // Read during this walk, and the name is not there, or it could not
        // be read: the deepest node reached is as far as the path goes.
        if (m_fresh)
            return finish(false);
        // Read before (a folder made since is missing from it), failed
        // before, or never read: read it now.
        m_fresh = true;
        m_model->readFolder(at);
        return;
    }
}

// The hook is a copy: it may cancel the walk, which drops the hooks.
void TDmShellPathWalk::call(std::function<void(const QModelIndex &)> hook,
                            const QModelIndex &index)
{
    if (!m_over && hook)
        hook(index);
}

void TDmShellPathWalk::finish(bool found)
{
    m_over = true;
    const auto done = std::move(m_hooks.done);
    m_hooks = {};
    if (done)
        done(found);
}
