// GIO first: its headers must be read before Qt's keyword macros exist.

#include "GioLazy.h"
#include "GioShell.h"
#include "GioUtil.h"
#include "ShellMounts.h"

#include <QFile>
#include <QPointer>
#include <QCoreApplication>

using dm::gio::fileFor;
using dm::gio::takeError;

namespace {

// Entries asked for per step of a folder read: large enough that a folder of
// ten thousand subfolders takes few round trips to GIO's worker threads.
constexpr int kBatch = 1000;

constexpr char kListAttributes[] =
    "standard::name,standard::display-name,standard::type,standard::is-hidden,"
    "standard::is-symlink,access::can-rename,unix::nlink";

TDmShellItem itemFrom(GFileInfo *info)
{
    TDmShellItem item;
    const char *name = g_file_info_get_name(info);
    item.name = QFile::decodeName(name);
    if (QFile::encodeName(item.name) != name)
        item.rawName = name;
    item.caption = QString::fromUtf8(g_file_info_get_display_name(info));
    item.hidden = g_file_info_get_is_hidden(info);
    item.link = g_file_info_get_is_symlink(info);
    if (g_file_info_has_attribute(info, G_FILE_ATTRIBUTE_ACCESS_CAN_RENAME))
        item.canRename = g_file_info_get_attribute_boolean(info, G_FILE_ATTRIBUTE_ACCESS_CAN_RENAME);
    // A folder's link count is 2 plus its subfolders where the file system
    // keeps it that way; 2 means surely none. Others report 1: unknown.
    if (g_file_info_has_attribute(info, G_FILE_ATTRIBUTE_UNIX_NLINK))
        item.mayHaveSubfolders =
            g_file_info_get_attribute_uint32(info, G_FILE_ATTRIBUTE_UNIX_NLINK) != 2;
    item.icons = {QStringLiteral("folder")};
    return item;
}

// One folder read in flight. It lives until GIO's last callback, also when
// its request was destroyed meanwhile (then the result is dropped).
struct ListJob;

class ListRequest : public TDmShellRequest
{
public:
    ListJob *job = nullptr;
    ~ListRequest() override;
};

struct ListJob
{
    GCancellable *cancellable = g_cancellable_new();
    ListRequest *owner = nullptr;
    TDmShellNamespace::ListCallback done;
    QList<TDmShellItem> folders;

    ~ListJob() { g_object_unref(cancellable); }

    void finish(bool ok)
    {
        if (owner) {
            owner->job = nullptr;
            const auto callback = std::move(done);
            callback(ok, folders);
        }
        delete this;
    }
};

ListRequest::~ListRequest()
{
    if (job) {
        job->owner = nullptr;
        g_cancellable_cancel(job->cancellable);
    }
}

void onBatch(GObject *source, GAsyncResult *result, gpointer data)
{
    auto *job = static_cast<ListJob *>(data);
    auto *enumerator = G_FILE_ENUMERATOR(source);
    GError *error = nullptr;
    GList *infos = g_file_enumerator_next_files_finish(enumerator, result, &error);
    if (error || !infos || !job->owner) {
        // An error part way through keeps what was read: one bad entry must
        // not hide its siblings.
        const bool cancelled = error && g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
        if (error)
            g_error_free(error);
        g_list_free_full(infos, g_object_unref);
        g_file_enumerator_close_async(enumerator, G_PRIORITY_DEFAULT, nullptr, nullptr, nullptr);
        g_object_unref(enumerator);
        job->finish(!cancelled);
        return;
    }
    for (GList *l = infos; l; l = l->next) {
        auto *info = G_FILE_INFO(l->data);
        if (g_file_info_get_file_type(info) == G_FILE_TYPE_DIRECTORY)
            job->folders.append(itemFrom(info));
    }
    g_list_free_full(infos, g_object_unref);
    g_file_enumerator_next_files_async(enumerator, kBatch, G_PRIORITY_DEFAULT, job->cancellable,
                                       onBatch, job);
}

void onEnumerated(GObject *source, GAsyncResult *result, gpointer data)
{
    auto *job = static_cast<ListJob *>(data);
    GFileEnumerator *enumerator =
        g_file_enumerate_children_finish(G_FILE(source), result, nullptr);
    if (!enumerator) {
        job->finish(false);
        return;
    }
    g_file_enumerator_next_files_async(enumerator, kBatch, G_PRIORITY_DEFAULT, job->cancellable,
                                       onBatch, job);
}

// A rename or trash call; its answer reaches `done` only while the context lives.
struct OpCall
{
    QPointer<QObject> context;
    TDmShellNamespace::DoneCallback done;

    static void complete(OpCall *call, GError *error)
    {
        std::unique_ptr<OpCall> own(call);
        const QString text = takeError(error);
        if (own->context)
            own->done(text);
    }
};

void onRenamed(GObject *source, GAsyncResult *result, gpointer data)
{
    GError *error = nullptr;
    if (GFile *renamed = g_file_set_display_name_finish(G_FILE(source), result, &error))
        g_object_unref(renamed);
    OpCall::complete(static_cast<OpCall *>(data), error);
}

void onTrashed(GObject *source, GAsyncResult *result, gpointer data)
{
    GError *error = nullptr;
    g_file_trash_finish(G_FILE(source), result, &error);
    OpCall::complete(static_cast<OpCall *>(data), error);
}

// Whether a mount is one a user would pick: not a package image (snap's
// squashfs loops) nor a system-internal file system.
bool userVisibleMount(const QByteArray &path)
{
    if (path.startsWith("/snap/"))
        return false;
    GUnixMountEntry *entry = g_unix_mount_at(path.constData(), nullptr);
    if (!entry)
        return true;
    const bool internal = g_unix_mount_is_system_internal(entry)
        || qstrcmp(g_unix_mount_get_fs_type(entry), "squashfs") == 0;
    g_unix_mount_free(entry);
    return !internal;
}

QStringList iconNames(GIcon *icon)
{
    QStringList names;
    if (icon && G_IS_THEMED_ICON(icon))
        for (const gchar *const *n = g_themed_icon_get_names(G_THEMED_ICON(icon)); n && *n; ++n)
            names << QString::fromUtf8(*n);
    if (icon)
        g_object_unref(icon);
    return names;
}

void onMountsChanged(GVolumeMonitor *, GMount *, gpointer data)
{
    Q_EMIT static_cast<TDmGioShell *>(data)->mountsChanged();
}

} // namespace

TDmGioShell::TDmGioShell(QObject *parent) : TDmShellNamespace(parent) {}

TDmGioShell::~TDmGioShell()
{
    if (!m_volumes)
        return;
    g_signal_handlers_disconnect_by_data(m_volumes, this);
    g_object_unref(m_volumes);
}

GVolumeMonitor *TDmGioShell::volumes()
{
    // Made when the tree first asks for the drives, not with the window: it
    // asks the desktop's volume services over the session bus and waits for
    // their answers, tens of milliseconds the window would not show for.
    if (!m_volumes) {
        m_volumes = g_volume_monitor_get();
        for (const char *signal : {"mount-added", "mount-removed", "mount-changed"})
            g_signal_connect(m_volumes, signal, G_CALLBACK(onMountsChanged), this);
    }
    return m_volumes;
}

QList<TDmShellMount> TDmGioShell::mounts()
{
    QList<TDmShellMount> out{{QStringLiteral("/"), QCoreApplication::translate("Dustmote", "Файловая система"),
                              {QStringLiteral("drive-harddisk-system"),
                               QStringLiteral("drive-harddisk")}}};
    GList *mounts = g_volume_monitor_get_mounts(volumes());
    for (GList *l = mounts; l; l = l->next) {
        GMount *mount = G_MOUNT(l->data);
        GFile *root = g_mount_get_root(mount);
        char *path = g_file_get_path(root);
        g_object_unref(root);
        // Mounts without a local path cannot be scanned; shadowed ones are
        // shown through the mount that shadows them.
        if (path && qstrcmp(path, "/") != 0 && !g_mount_is_shadowed(mount)
            && userVisibleMount(path)) {
            char *name = g_mount_get_name(mount);
            out.append({QFile::decodeName(path), QString::fromUtf8(name),
                        iconNames(g_mount_get_icon(mount)) << QStringLiteral("drive-harddisk")});
            g_free(name);
        }
        g_free(path);
    }
    g_list_free_full(mounts, g_object_unref);
    return out;
}

std::unique_ptr<TDmShellRequest> TDmGioShell::listFolders(const QByteArray &path, ListCallback done)
{
    auto request = std::make_unique<ListRequest>();
    auto *job = new ListJob;
    job->owner = request.get();
    job->done = std::move(done);
    request->job = job;
    GFile *file = g_file_new_for_path(path.constData());
    g_file_enumerate_children_async(file, kListAttributes, G_FILE_QUERY_INFO_NONE,
                                    G_PRIORITY_DEFAULT, job->cancellable, onEnumerated, job);
    g_object_unref(file);
    return request;
}

std::unique_ptr<TDmShellRequest> TDmGioShell::watchFolder(const QString &path,
                                                          NoticeCallback notice)
{
    return dm::watchShellFolder(path, std::move(notice));
}

void TDmGioShell::rename(const QString &path, const QString &newName, QObject *context,
                         DoneCallback done)
{
    GFile *file = fileFor(path);
    g_file_set_display_name_async(file, newName.toUtf8().constData(), G_PRIORITY_DEFAULT, nullptr,
                                  onRenamed, new OpCall{context, std::move(done)});
    g_object_unref(file);
}

void TDmGioShell::trash(const QString &path, QObject *context, DoneCallback done)
{
    // The trash is a rename on the same file system: a mount below would go along.
    if (const QString refusal = dm::mountRefusal(path, QCoreApplication::translate("Dustmote", "переместить в корзину"));
        !refusal.isEmpty()) {
        QMetaObject::invokeMethod(context, [done = std::move(done), refusal] { done(refusal); },
                                  Qt::QueuedConnection);
        return;
    }
    GFile *file = fileFor(path);
    g_file_trash_async(file, G_PRIORITY_DEFAULT, nullptr, onTrashed,
                       new OpCall{context, std::move(done)});
    g_object_unref(file);
}

std::unique_ptr<TDmShellJob> TDmGioShell::transfer(TDmShellTransferKind kind,
                                                   const QStringList &sources,
                                                   const QStringList &targets)
{
    return dm::startShellTransfer(kind, sources, targets);
}
