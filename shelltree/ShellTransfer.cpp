// Copy, move and permanent deletion of folders, on a worker thread.
//
// GIO copies and moves single files asynchronously but does not recurse into
// folders. The recursion is written here as plain GIO sync calls on one worker
// thread rather than as a chain of asynchronous callbacks: straight-line code
// that stops at the first error, with one GCancellable that every call checks,
// and the main thread only receives throttled progress notices.

#include "GioUtil.h" // GIO before Qt

#include "GioShell.h"
#include "ShellMounts.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QCoreApplication>

using dm::gio::fileFor;
using dm::gio::takeError;

namespace {

// Progress notices to the main thread at most this often.
constexpr qint64 kProgressEveryMs = 100;

constexpr GFileQueryInfoFlags kNoFollow = G_FILE_QUERY_INFO_NOFOLLOW_SYMLINKS;

class TransferJob : public TDmShellJob
{
public:
    TransferJob(TDmShellTransferKind kind, const QStringList &sources, const QStringList &targets)
        : m_kind(kind), m_sources(sources), m_targets(targets)
    {
        m_thread.reset(QThread::create([this] { run(); }));
        m_thread->start();
    }

    ~TransferJob() override
    {
        g_cancellable_cancel(m_cancellable);
        m_thread->wait();
        g_object_unref(m_cancellable);
    }

    void cancel() override { g_cancellable_cancel(m_cancellable); }

private:
    void run()
    {
        GError *error = nullptr;
        for (qsizetype i = 0; i < m_sources.size() && !error; ++i) {
            m_made = false;
            GFile *source = fileFor(m_sources[i]);
            GFile *target = m_kind == stkDelete ? nullptr : fileFor(m_targets.value(i));
            runOne(source, target, &error);
            g_object_unref(source);
            if (target)
                g_object_unref(target);
        }
        // Cancelled only when the cancel stopped something: a move whose
        // source was being removed is finished all the same.
        const bool cancelled = g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
        if (cancelled)
            g_clear_error(&error);
        const QString text = takeError(error);
        report(true);
        QMetaObject::invokeMethod(
            this, [this, text, cancelled] { Q_EMIT finished(text, cancelled); },
            Qt::QueuedConnection);
    }

    bool runOne(GFile *source, GFile *target, GError **error)
    {
        // Never into another mount: deleting would empty it, moving carry it along.
        if (m_kind != stkCopy) {
            char *path = g_file_get_path(source);
            const QString refusal = path ? dm::mountRefusal(QFile::decodeName(path),
                                                            m_kind == stkDelete ? QCoreApplication::translate("Dustmote", "удалить")
                                                                                : QCoreApplication::translate("Dustmote", "переместить"))
                                         : QString();
            g_free(path);
            if (!refusal.isEmpty()) {
                // Its own words, which name the mount.
                g_set_error_literal(error, G_IO_ERROR, G_IO_ERROR_FAILED, refusal.toUtf8().constData());
                return false;
            }
        }
        switch (m_kind) {
        case stkCopy:
            return measure(source, error) && copyOrUndo(source, target, error);
        case stkDelete:
            return measure(source, error) && deleteTree(source, m_cancellable, error);
        case stkMove:
            // Within one file system a move is a rename; across file systems
            // see moveAcross().
            if (g_file_move(source, target,
                            GFileCopyFlags(G_FILE_COPY_NOFOLLOW_SYMLINKS
                                           | G_FILE_COPY_NO_FALLBACK_FOR_MOVE),
                            m_cancellable, nullptr, nullptr, error))
                return true;
            if (!g_error_matches(*error, G_IO_ERROR, G_IO_ERROR_NOT_SUPPORTED)
                && !g_error_matches(*error, G_IO_ERROR, G_IO_ERROR_WOULD_RECURSE))
                return false;
            g_clear_error(error);
            return moveAcross(source, target, error);
        }
        return false;
    }

    // A move across file systems: the folder is copied, the copy checked
    // against the source (the same files of the same sizes), and only then is
    // the source removed, and that no longer stops for a cancel. A cancel or a
    // failure before that takes the copy away and leaves the source whole;
    // a source that cannot be removed whole is told, with where the copy is.
    bool moveAcross(GFile *source, GFile *target, GError **error)
    {
        if (!measure(source, error) || !copyOrUndo(source, target, error))
            return false;
        Content original, copied;
        if (!content(source, m_cancellable, original, error)
            || !content(target, m_cancellable, copied, error) || !(original == copied)) {
            if (!*error)
                g_set_error(error, G_IO_ERROR, G_IO_ERROR_FAILED,
                            "Копия не совпала с «%s»: перемещение отменено, копия убрана, "
                            "исходное не тронуто.", g_file_peek_path(source));
            deleteTree(target, nullptr, nullptr);
            return false;
        }
        GError *failure = nullptr;
        if (deleteTree(source, nullptr, &failure))
            return true;
        g_set_error(error, G_IO_ERROR, G_IO_ERROR_FAILED,
                    "«%s» скопировано в «%s» целиком, но удалить исходное полностью не удалось "
                    "(%s): всё, что от него осталось, есть и в копии.",
                    g_file_peek_path(source), g_file_peek_path(target), failure->message);
        g_error_free(failure);
        return false;
    }

    // What a copy must match: the entries at and below a file or folder and
    // the bytes of its files and links (folders' own sizes differ between
    // file systems).
    struct Content
    {
        guint64 entries = 0, bytes = 0;
        bool operator==(const Content &) const = default;
    };

    bool content(GFile *file, GCancellable *cancellable, Content &out, GError **error)
    {
        GFileInfo *info = g_file_query_info(file, G_FILE_ATTRIBUTE_STANDARD_TYPE "," G_FILE_ATTRIBUTE_STANDARD_SIZE,
                                            kNoFollow, cancellable, error);
        if (!info)
            return false;
        const bool ok = addContent(file, info, cancellable, out, error);
        g_object_unref(info);
        return ok;
    }

    bool addContent(GFile *file, GFileInfo *info, GCancellable *cancellable, Content &out, GError **error)
    {
        ++out.entries;
        if (g_file_info_get_file_type(info) != G_FILE_TYPE_DIRECTORY) {
            out.bytes += guint64(g_file_info_get_size(info));
            return true;
        }
        return forEachChild(file, cancellable, error, [&](GFile *child, GFileInfo *childInfo) {
            return addContent(child, childInfo, cancellable, out, error);
        });
    }

    // A copy that fails or is cancelled takes away what it has made, so no
    // half copy is left behind; a target that was there before is never touched.
    bool copyOrUndo(GFile *source, GFile *target, GError **error)
    {
        if (copyTree(source, target, error))
            return true;
        if (m_made)
            deleteTree(target, nullptr, nullptr);
        return false;
    }

    // Adds the bytes (for deletion: the entries) below source to the total.
    bool measure(GFile *source, GError **error)
    {
        guint64 bytes = 0, dirs = 0, files = 0;
        if (!g_file_measure_disk_usage(source, G_FILE_MEASURE_APPARENT_SIZE, m_cancellable, nullptr,
                                       nullptr, &bytes, &dirs, &files, error))
            return false;
        m_total += qint64(m_kind == stkDelete ? dirs + files : bytes);
        report(true);
        return true;
    }

    bool copyTree(GFile *source, GFile *target, GError **error)
    {
        GFileInfo *info = g_file_query_info(source, G_FILE_ATTRIBUTE_STANDARD_TYPE "," G_FILE_ATTRIBUTE_STANDARD_SIZE,
                                            kNoFollow, m_cancellable, error);
        if (!info)
            return false;
        const bool folder = g_file_info_get_file_type(info) == G_FILE_TYPE_DIRECTORY;
        const qint64 size = g_file_info_get_size(info);
        g_object_unref(info);
        if (!folder) {
            // No overwrite flag: an existing target is an error, never replaced.
            const bool ok = g_file_copy(source, target, G_FILE_COPY_NOFOLLOW_SYMLINKS, m_cancellable,
                                        onFileProgress, this, error);
            // A file copy that failed other than on an existing target may
            // have left part of the file.
            m_made = m_made || ok || !g_error_matches(*error, G_IO_ERROR, G_IO_ERROR_EXISTS);
            m_doneBase += size;
            m_done = m_doneBase;
            return ok;
        }
        // Making the folder fails when it exists: a copy never merges.
        if (!g_file_make_directory(target, m_cancellable, error))
            return false;
        m_made = true;
        return forEachChild(source, m_cancellable, error, [&](GFile *child, GFileInfo *childInfo) {
            GFile *to = g_file_get_child(target, g_file_info_get_name(childInfo));
            const bool ok = copyTree(child, to, error);
            g_object_unref(to);
            return ok;
        });
    }

    bool deleteTree(GFile *file, GCancellable *cancellable, GError **error)
    {
        if (g_file_query_file_type(file, kNoFollow, cancellable) == G_FILE_TYPE_DIRECTORY
            && !forEachChild(file, cancellable, error, [&](GFile *child, GFileInfo *) {
                   return deleteTree(child, cancellable, error);
               }))
            return false;
        if (!g_file_delete(file, cancellable, error))
            return false;
        if (m_kind == stkDelete) {
            m_done = ++m_doneBase;
            report(false);
        }
        return true;
    }

    template <class F>
    bool forEachChild(GFile *folder, GCancellable *cancellable, GError **error, F step)
    {
        GFileEnumerator *children = g_file_enumerate_children(
            folder, G_FILE_ATTRIBUTE_STANDARD_NAME "," G_FILE_ATTRIBUTE_STANDARD_TYPE "," G_FILE_ATTRIBUTE_STANDARD_SIZE,
            kNoFollow, cancellable, error);
        if (!children)
            return false;
        bool ok = true;
        while (ok) {
            GFileInfo *info = nullptr;
            GFile *child = nullptr;
            ok = g_file_enumerator_iterate(children, &info, &child, cancellable, error);
            if (!ok || !info)
                break;
            ok = step(child, info);
        }
        g_object_unref(children);
        return ok;
    }

    static void onFileProgress(goffset current, goffset, gpointer data)
    {
        auto *job = static_cast<TransferJob *>(data);
        job->m_done = job->m_doneBase + current;
        job->report(false);
    }

    // Sends the progress to the main thread, throttled unless `now`.
    void report(bool now)
    {
        if (!now && m_lastReport.isValid() && m_lastReport.elapsed() < kProgressEveryMs)
            return;
        m_lastReport.start();
        const qint64 done = m_done, total = m_total;
        QMetaObject::invokeMethod(
            this, [this, done, total] { Q_EMIT progress(done, total); }, Qt::QueuedConnection);
    }

    const TDmShellTransferKind m_kind;
    const QStringList m_sources, m_targets;
    GCancellable *m_cancellable = g_cancellable_new();
    std::unique_ptr<QThread> m_thread;
    // Worker-side counters; only their copies cross to the main thread.
    qint64 m_total = 0, m_done = 0, m_doneBase = 0;
    bool m_made = false;  // the current item's copy has made its target
    QElapsedTimer m_lastReport;
};

} // namespace

namespace dm {

std::unique_ptr<TDmShellJob> startShellTransfer(TDmShellTransferKind kind,
                                                const QStringList &sources,
                                                const QStringList &targets)
{
    return std::make_unique<TransferJob>(kind, sources, targets);
}

} // namespace dm
