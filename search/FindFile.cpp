// The component: start, finish, abort and the event dispatchers. The walk
// itself is in FindFileWalk.cpp.
//
// Threaded mode: the worker runs the walk, then hands the termination notice
// to the main thread through a blocking queued call and ends only after the
// notice ran there. AbortSearch on the main thread waits by serving the event
// loop, so that the notice (and OnSearchFinish with it) can run meanwhile.
// The engine joins its worker; the worker never frees the engine.

#include "FindFile.h"
#include "TargetSearch.h"

#include "Exception.h"
#include "FolderListing.h"
#include "NameMatch.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QObject>
#include <QThread>

#include <system_error>
#include <sys/resource.h>
#include <unistd.h>

namespace dm {

namespace {

// Eats keyboard and mouse input for as long as it lives, so the user cannot
// act on a window while an abort waits for the worker.
class InputBlocker : public QObject
{
public:
    InputBlocker()
    {
        if (QCoreApplication *app = QCoreApplication::instance())
            app->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonRelease:
        case QEvent::NonClientAreaMouseButtonDblClick:
        case QEvent::NonClientAreaMouseMove:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
        case QEvent::TabletPress:
        case QEvent::TabletMove:
        case QEvent::TabletRelease:
            return true;
        default:
            return false;
        }
    }
};

int niceValue(TThreadPriority p)
{
    static constexpr int kNice[] = {19, 10, 5, 0, -5, -10, -20};
    return kNice[p];
}

} // namespace

TFindFile::TFindFile() = default;

TFindFile::~TFindFile()
{
    m_destroying = true;
    if (Searching()) {
        m_abortRequested.store(true, std::memory_order_relaxed);
        if (m_workerRunning.load(std::memory_order_acquire))
            waitForWorker();
    }
    joinWorker();
}

void TFindFile::DoSearchBegin()
{
    if (OnSearchBegin && !m_destroying)
        OnSearchBegin(this);
}

void TFindFile::DoSearchFinish()
{
    if (OnSearchFinish && !m_destroying)
        OnSearchFinish(this);
}

void TFindFile::DoSearchAbort()
{
    if (OnSearchAbort && !m_destroying)
        OnSearchAbort(this);
}

TFolderIgnore TFindFile::DoFolderChange(const std::string &Folder)
{
    TFolderIgnore ignore = AbortRequested() ? fiThisAndSubfolders : fiNone;
    if (!AbortRequested() && OnFolderChange)
        OnFolderChange(this, Folder, ignore);
    return ignore;
}

void TFindFile::DoFileMatch(const std::string &Folder, const TSearchRec &FileInfo)
{
    if (!AbortRequested() && OnFileMatch)
        OnFileMatch(this, Folder, FileInfo);
}

bool TFindFile::AcceptFile(const std::string &Folder, const TSearchRec &FileInfo)
{
    return m_search->AcceptFile(Folder, FileInfo);
}

void TFindFile::PrepareSearch()
{
    m_searching.store(true, std::memory_order_release);
    m_abortRequested.store(false, std::memory_order_relaxed);
    m_search = std::make_unique<TTargetSearch>(m_criteria);
    DoSearchBegin();
}

void TFindFile::FinishSearch()
{
    // The snapshot goes and Searching clears even when the handler raises.
    struct Cleanup
    {
        TFindFile *self;
        ~Cleanup()
        {
            self->m_current = nullptr;
            self->m_search.reset();
            self->m_searching.store(false, std::memory_order_release);
        }
    } cleanup{this};
    DoSearchFinish();
}

void TFindFile::StartSearch()
{
    if (Searching())
        return;
    try {
        // A failed begin (a raising handler) still finishes, or the engine
        // would stay busy for good.
        PrepareSearch();
        if (m_threaded) {
            joinWorker();
            m_workerRunning.store(true, std::memory_order_release);
            try {
                m_worker = std::thread([this] { threadBody(); });
            } catch (const std::system_error &e) {
                m_workerRunning.store(false, std::memory_order_release);
                throw Exception(QStringLiteral("Thread creation error: %1")
                                    .arg(QString::fromLocal8Bit(e.what())));
            }
        } else {
            RunSearch();
            FinishSearch();
        }
    } catch (...) {
        if (Searching())
            FinishSearch();
        throw;
    }
}

void TFindFile::threadBody()
{
    if (m_priority != tpNormal)
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), niceValue(m_priority));
    try {
        RunSearch();
    } catch (...) {
        // A failure on the worker ends the search quietly.
    }
    QCoreApplication *app = QCoreApplication::instance();
    const auto notice = [this] {
        try {
            ThreadTerminated();
        } catch (...) {
            // Exceptions must not cross the event loop.
        }
    };
    if (app && app->thread() != QThread::currentThread())
        QMetaObject::invokeMethod(app, notice, Qt::BlockingQueuedConnection);
    else
        notice();
}

void TFindFile::ThreadTerminated()
{
    m_workerRunning.store(false, std::memory_order_release);
    FinishSearch();
}

void TFindFile::AbortSearch()
{
    if (!Searching() || AbortRequested())
        return;
    m_abortRequested.store(true, std::memory_order_relaxed);
    DoSearchAbort();
    // A handler on the worker cannot wait for its own thread to end.
    if (m_workerRunning.load(std::memory_order_acquire)
        && m_worker.get_id() != std::this_thread::get_id())
        waitForWorker();
}

void TFindFile::waitForWorker()
{
    QCoreApplication *app = QCoreApplication::instance();
    if (app && app->thread() == QThread::currentThread()) {
        InputBlocker blocker;
        while (m_workerRunning.load(std::memory_order_acquire))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    // Without an event loop to serve, the notice runs on the worker itself.
    joinWorker();
}

void TFindFile::joinWorker()
{
    if (m_worker.joinable() && m_worker.get_id() != std::this_thread::get_id())
        m_worker.join();
}

} // namespace dm
