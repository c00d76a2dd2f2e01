#pragma once
// The file search component: owns the search criteria, walks the target
// folders on the caller's thread or on a worker thread of its own, and reports
// through five events. Each event is a callback whose first argument is the
// engine, raised through a virtual Do... dispatcher a derived engine may
// override.
//
// Threads: OnSearchBegin runs inside StartSearch; OnFolderChange and
// OnFileMatch run on the walking thread (the worker when Threaded); OnSearchAbort
// runs inside AbortSearch; OnSearchFinish runs exactly once and last, at the
// end of StartSearch inline, or on the main (QCoreApplication) thread through
// the worker's termination notice, which the worker waits for. The main
// thread must keep its event loop running during a threaded search. The walk
// has helper threads (ReadThreads) that only read folders ahead of it: no
// handler ever runs on them, and the walk joins them before it ends.

#include "SearchCriteria.h"
#include "SearchRec.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace dm {

struct FolderNode;
struct FolderRead;
class ReadAhead;
class TTargetSearch;
struct TTargetFolder;

// The folder event's answer: which parts of the folder to skip.
enum TFolderIgnore { fiNone, fiJustThis, fiJustSubfolders, fiThisAndSubfolders };

// Priority of the worker thread (a nice value of 19, 10, 5, 0, -5, -10, -20;
// raising it above normal needs privileges and is otherwise left at normal).
enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TFindFile;

using TNotifyEvent = std::function<void(TFindFile *Sender)>;
using TFileMatchEvent =
    std::function<void(TFindFile *Sender, const std::string &Folder, const TSearchRec &FileInfo)>;
using TFolderChangeEvent =
    std::function<void(TFindFile *Sender, const std::string &Folder, TFolderIgnore &IgnoreFolder)>;

class TFindFile
{
public:
    TFindFile();
    // Aborts a running search first, waiting for its worker. An OnSearchFinish
    // handler may destroy the engine; it must not be destroyed by a handler
    // running on the worker.
    virtual ~TFindFile();
    TFindFile(const TFindFile &) = delete;
    TFindFile &operator=(const TFindFile &) = delete;

    // What the next search looks for; read once, when a search starts.
    TSearchCriteria &Criteria() { return m_criteria; }
    const TSearchCriteria &Criteria() const { return m_criteria; }
    void setCriteria(const TSearchCriteria &Value) { m_criteria.Assign(&Value); }

    // Run the walk on a worker thread (default off).
    bool Threaded() const { return m_threaded; }
    void setThreaded(bool Value) { m_threaded = Value; }
    // Read when a search starts: a change reaches the next worker.
    TThreadPriority ThreadPriority() const { return m_priority; }
    void setThreadPriority(TThreadPriority Value) { m_priority = Value; }
    // Threads that may read folders, the walk's own included: the others
    // read the folders the walk enters next while it raises its events, so
    // that a cold cache is read several folders at a time; they are made as
    // needed, and how many read at once follows the walk's pace. 1: the walk
    // reads alone. Read when a search starts; at least 1.
    int ReadThreads() const { return m_readThreads; }
    void setReadThreads(int Value) { m_readThreads = std::max(Value, 1); }
    // The ReadThreads of engines made from now on: 64 unless a program wants
    // another for all of its engines.
    static int DefaultReadThreads() { return s_defaultReadThreads.load(std::memory_order_relaxed); }
    static void setDefaultReadThreads(int Value)
    {
        s_defaultReadThreads.store(std::max(Value, 1), std::memory_order_relaxed);
    }
    // The read-ahead keeps at most a quarter of the open-file limit open, so
    // a desktop's usual soft limit of 1,024 narrows its window to 256
    // folders, and a cold walk where other work takes the processors takes
    // a fifth longer. Programs call this once at start: it raises the soft
    // limit to what the window needs, never past the hard limit, and never
    // lowers it. Returns the soft limit now in force (0: unknown).
    static unsigned long RaiseOpenFileLimit();

    // An accepted entry was found (Folder ends in "/"; FileInfo valid during the call).
    TFileMatchEvent OnFileMatch;
    // A folder is about to be searched; the handler may set IgnoreFolder.
    TFolderChangeEvent OnFolderChange;
    // A search has started.
    TNotifyEvent OnSearchBegin;
    // A search has ended, completed, aborted or failed.
    TNotifyEvent OnSearchFinish;
    // An abort was requested.
    TNotifyEvent OnSearchAbort;

    // True from the start of a search until its finish step has run.
    bool Searching() const { return m_searching.load(std::memory_order_acquire); }
    // Set by AbortSearch, cleared by the next StartSearch.
    bool AbortRequested() const { return m_abortRequested.load(std::memory_order_relaxed); }
    // Threaded: what ended the last search's walk early (a handler's or the
    // walk's own exception, such as running out of memory), or null. The
    // search itself still ends quietly; read it from OnSearchFinish on.
    std::exception_ptr WalkFailure() const { return m_walkFailure; }
    // Level of the folder being searched (1 for a target folder, 0 between
    // them); a walk deeper than 65,535 levels goes on, and this stays at 65,535.
    std::uint16_t FolderLevel() const { return m_folderLevel.load(std::memory_order_relaxed); }

    // Starts a search; ignored while one runs. Inline, returns after the
    // whole search and passes on an exception of the walk or a handler after
    // OnSearchFinish. Threaded, returns once the worker runs.
    void StartSearch();
    // Requests the stop; ignored when idle or already stopping. Threaded, and
    // called on the main thread, it returns only when the search has finished,
    // serving the event loop meanwhile with keyboard and mouse input dropped.
    void AbortSearch();

protected:
    virtual void DoSearchBegin();
    virtual void DoSearchFinish();
    virtual void DoSearchAbort();
    virtual TFolderIgnore DoFolderChange(const std::string &Folder);
    virtual void DoFileMatch(const std::string &Folder, const TSearchRec &FileInfo);
    // Whether the found entry is reported; by default the snapshot's tests.
    virtual bool AcceptFile(const std::string &Folder, const TSearchRec &FileInfo);

    // Walks every target folder, in the order they were first named.
    void RunSearch();
    // Searches one folder (ending in "/") of the current target and its
    // subfolders. The depth is bounded by memory alone: neither the stack nor
    // the open-file limit grows with it.
    void SearchIn(const std::string &Folder);

private:
    void PrepareSearch();
    void FinishSearch();
    void ThreadTerminated();
    void threadBody(TThreadPriority priority);
    void waitForWorker();
    void joinWorker();
    bool onOwnWorker() const;

    // The walk (FindFileWalk.cpp).
    void enterFolder(FolderNode *child);
    void reportFiles(const FolderRead &read);
    void setLevel(std::size_t level);

    TSearchCriteria m_criteria;
    bool m_threaded = false;
    TThreadPriority m_priority = tpNormal;
    inline static std::atomic<int> s_defaultReadThreads{64};
    int m_readThreads = DefaultReadThreads();
    std::atomic<bool> m_destroying{false};

    std::atomic<bool> m_searching{false};
    std::atomic<bool> m_abortRequested{false};
    std::atomic<bool> m_workerRunning{false};
    // Set by the worker once its walk is over, before it hands over the notice.
    std::atomic<bool> m_walkEnded{false};
    std::thread m_worker;
    // Written by the worker before m_walkEnded, cleared by PrepareSearch.
    std::exception_ptr m_walkFailure;
    // Main thread only: the termination notice is running.
    std::atomic<bool> m_inNotice{false};
    // Cleared by the destructor, so that a step further up the stack (a finish
    // or an abort wait whose handler destroyed the engine) leaves it alone.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);

    std::unique_ptr<TTargetSearch> m_search;
    TTargetFolder *m_current = nullptr;
    std::atomic<std::uint16_t> m_folderLevel{0};

    // Walk state, reused across folders so the hot path does not allocate.
    std::string m_path;
    ReadAhead *m_readAhead = nullptr; // the stack and reads ahead of the running walk
    std::size_t m_level = 0;
    TSearchRec m_rec;
};

} // namespace dm
