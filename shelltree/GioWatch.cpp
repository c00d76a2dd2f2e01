// Change notices of one folder through a GIO file monitor. Only what can
// change the tree is passed on: an entry that left, or a folder that arrived.

#include "GioUtil.h" // GIO before Qt

#include "GioShell.h"

using dm::gio::fileFor;

namespace {

// A folder watch; the type of an arrived entry is asked asynchronously, so a
// slow mount never holds up the main thread.
class WatchRequest : public TDmShellRequest
{
public:
    struct Shared
    {
        TDmShellNamespace::NoticeCallback notice;
    };
    GFileMonitor *monitor = nullptr;
    GCancellable *cancellable = g_cancellable_new();
    std::shared_ptr<Shared> shared = std::make_shared<Shared>();

    ~WatchRequest() override
    {
        g_cancellable_cancel(cancellable);
        g_object_unref(cancellable);
        g_signal_handlers_disconnect_by_data(monitor, this);
        g_file_monitor_cancel(monitor);
        g_object_unref(monitor);
    }
};

struct TypeQuery
{
    std::weak_ptr<WatchRequest::Shared> shared;
    QString gone;
};

QString baseName(GFile *file)
{
    char *name = g_file_get_basename(file);
    const QString out = QFile::decodeName(name);
    g_free(name);
    return out;
}

void onTypeKnown(GObject *source, GAsyncResult *result, gpointer data)
{
    std::unique_ptr<TypeQuery> query(static_cast<TypeQuery *>(data));
    GFileInfo *info = g_file_query_info_finish(G_FILE(source), result, nullptr);
    const bool folder = info && g_file_info_get_file_type(info) == G_FILE_TYPE_DIRECTORY;
    if (info)
        g_object_unref(info);
    const auto shared = query->shared.lock();
    if (shared && (folder || !query->gone.isEmpty()))
        shared->notice({query->gone, folder ? baseName(G_FILE(source)) : QString()});
}

void onChanged(GFileMonitor *, GFile *file, GFile *other, GFileMonitorEvent event, gpointer data)
{
    auto *watch = static_cast<WatchRequest *>(data);
    GFile *arrived = nullptr;
    QString gone;
    switch (event) {
    case G_FILE_MONITOR_EVENT_CREATED:
    case G_FILE_MONITOR_EVENT_MOVED_IN:
        arrived = file;
        break;
    case G_FILE_MONITOR_EVENT_DELETED:
    case G_FILE_MONITOR_EVENT_MOVED_OUT:
        gone = baseName(file);
        break;
    case G_FILE_MONITOR_EVENT_RENAMED:
        gone = baseName(file);
        arrived = other;
        break;
    default:
        return;
    }
    if (!arrived) {
        watch->shared->notice({gone, QString()});
        return;
    }
    g_file_query_info_async(arrived, G_FILE_ATTRIBUTE_STANDARD_TYPE, G_FILE_QUERY_INFO_NONE,
                            G_PRIORITY_DEFAULT, watch->cancellable, onTypeKnown,
                            new TypeQuery{watch->shared, gone});
}

} // namespace

namespace dm {

std::unique_ptr<TDmShellRequest> watchShellFolder(const QString &path,
                                                 TDmShellNamespace::NoticeCallback notice)
{
    GFile *file = fileFor(path);
    GFileMonitor *monitor =
        g_file_monitor_directory(file, G_FILE_MONITOR_WATCH_MOVES, nullptr, nullptr);
    g_object_unref(file);
    if (!monitor)
        return nullptr;
    auto watch = std::make_unique<WatchRequest>();
    watch->monitor = monitor;
    watch->shared->notice = std::move(notice);
    g_signal_connect(monitor, "changed", G_CALLBACK(onChanged), watch.get());
    return watch;
}

} // namespace dm
