// The component: start, finish, abort and the event dispatchers. The walk
// itself is in FindFileWalk.cpp.
//
// Threaded mode: the worker runs the walk, then hands the termination notice
// to the main thread through a blocking queued call and ends only after the
// notice ran there. AbortSearch on the main thread waits by serving the event
// loop, so that the notice (and OnSearchFinish with it) can run meanwhile.
// The engine joins its worker; the worker never frees the engine. A finish
// handler may destroy the engine: every step that runs a handler holds a
// copy of m_alive and touches nothing of the engine once it reads false.

#include "FindFile.h"
#include "TargetSearch.h"

#include "Exception.h"

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

// The engine whose walk this thread runs, if any: tells a handler on the
// worker from the main thread without reading the thread object, which the
// starting thread may still be writing.
thread_local const TFindFile *t_walkOf = nullptr;

} // namespace

TFindFile::TFindFile() = default;

TFindFile::~TFindFile()
{
    m_destroying.store(true, std::memory_order_relaxed);
    if (onOwnWorker())
        qFatal("A search engine was destroyed by a handler on its own worker thread.");
    if (Searching()) {
        m_abortRequested.store(true, std::memory_order_relaxed);
        if (m_inNotice) {
            // Destroyed by the finish handler: the worker waits for this notice
            // to return and touches nothing of the engine afterwards, so it is
            // let go instead of joined (joining it here would never end).
            if (m_worker.joinable())
                m_worker.detach();
        } else if (m_workerRunning.load(std::memory_order_acquire)) {
            waitForWorker();
        }
    }
    joinWorker();
    *m_alive = false;
}

bool TFindFile::onOwnWorker() const
{
    return t_walkOf == this;
}

// The begin, finish and abort handlers run from a copy: one that destroys
// the engine destroys the engine's handler, not the one still running.
void TFindFile::DoSearchBegin()
{
    if (OnSearchBegin && !m_destroying.load(std::memory_order_relaxed)) {
        const TNotifyEvent handler = OnSearchBegin;
        handler(this);
    }
}

void TFindFile::DoSearchFinish()
{
    if (OnSearchFinish && !m_destroying.load(std::memory_order_relaxed)) {
        const TNotifyEvent handler = OnSearchFinish;
        handler(this);
    }
}

void TFindFile::DoSearchAbort()
{
    if (OnSearchAbort && !m_destroying.load(std::memory_order_relaxed)) {
        const TNotifyEvent handler = OnSearchAbort;
        handler(this);
    }
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
    m_walkFailure = nullptr;
    m_search = std::make_unique<TTargetSearch>(m_criteria);
    // A content scan of a large file stops when the search is stopped.
    m_search->Stop = &m_abortRequested;
    DoSearchBegin();
}

void TFindFile::FinishSearch()
{
    // The snapshot goes and Searching clears even when the handler raises,
    // unless the handler destroyed the engine.
    struct Cleanup
    {
        TFindFile *self;
        std::shared_ptr<bool> alive;
        ~Cleanup()
        {
            if (!*alive)
                return;
            self->m_current = nullptr;
            self->m_search.reset();
            self->m_searching.store(false, std::memory_order_release);
        }
    } cleanup{this, m_alive};
    DoSearchFinish();
}

void TFindFile::StartSearch()
{
    if (Searching())
        return;
    const std::shared_ptr<bool> alive = m_alive;
    try {
        // A failed begin (a raising handler) still finishes, or the engine
        // would stay busy for good.
        PrepareSearch();
        if (m_threaded) {
            joinWorker();
            m_workerRunning.store(true, std::memory_order_release);
            m_walkEnded.store(false, std::memory_order_relaxed);
            try {
                m_worker = std::thread([this, priority = m_priority] { threadBody(priority); });
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
        if (*alive && Searching())
            FinishSearch();
        throw;
    }
}

void TFindFile::threadBody(TThreadPriority priority)
{
    t_walkOf = this;
    if (priority != tpNormal)
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), niceValue(priority));
    try {
        RunSearch();
    } catch (...) {
        // A failure on the worker ends the search quietly; the finish
        // handler may tell why.
        m_walkFailure = std::current_exception();
    }
    // Orders the walk's writes before whatever the notice's handlers read.
    m_walkEnded.store(true, std::memory_order_release);
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
    // The engine may be gone now (its finish handler may destroy it).
    t_walkOf = nullptr;
}

void TFindFile::ThreadTerminated()
{
    const std::shared_ptr<bool> alive = m_alive;
    // Its value is known; the load pairs with the worker's release store, so
    // that the walk's writes (the failure, the results) are seen by the
    // finish handler whichever thread runs this notice.
    m_walkEnded.load(std::memory_order_acquire);
    m_inNotice = true;
    // Cleared before the finish handler runs, so that an AbortSearch called
    // from inside it does not wait for the worker, which waits for it.
    m_workerRunning.store(false, std::memory_order_release);
    FinishSearch();
    if (*alive)
        m_inNotice = false;
}

void TFindFile::AbortSearch()
{
    if (!Searching() || AbortRequested())
        return;
    m_abortRequested.store(true, std::memory_order_relaxed);
    DoSearchAbort();
    // A handler on the worker cannot wait for its own thread to end.
    if (m_workerRunning.load(std::memory_order_acquire) && !onOwnWorker())
        waitForWorker();
}

void TFindFile::waitForWorker()
{
    const std::shared_ptr<bool> alive = m_alive;
    QCoreApplication *app = QCoreApplication::instance();
    if (app && app->thread() == QThread::currentThread()) {
        InputBlocker blocker;
        while (*alive && m_workerRunning.load(std::memory_order_acquire))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (!*alive)
            return; // a handler run by the wait destroyed the engine
    }
    // Without an event loop to serve, the notice runs on the worker itself.
    joinWorker();
}

void TFindFile::joinWorker()
{
    if (m_worker.joinable() && !onOwnWorker())
        m_worker.join();
}

} // namespace dm
