// Start, abort and finish in both modes: which thread runs which event,
// the abort from the main thread with input dropped while it waits,
// exceptions from handlers, and handlers that stop or destroy the engine.

#include "SearchTestTree.h"

#include <QCoreApplication>
#include <QTimer>

#include <atomic>
#include <stdexcept>
#include <unistd.h>

using namespace dm;
using dmtest::Recorder;

class TestThreads : public dmtest::TreeTest
{
    Q_OBJECT

private slots:
    void init() { initTree(); }

    void noTargetFolders()
    {
        TFindFile ff;
        Recorder rec{m_root, {}, {}};
        rec.attach(ff);
        ff.Criteria().Files().setFileName("*");
        ff.Criteria().Files().setLocation(" ; ");
        ff.StartSearch();
        QCOMPARE(rec.log, (QStringList{"begin", "finish"}));
        ff.setThreaded(true);
        rec.log.clear();
        ff.StartSearch();
        QCOMPARE(rec.log, QStringList{"begin"});
        QTRY_VERIFY(!ff.Searching());
        QCOMPARE(rec.log, (QStringList{"begin", "finish"}));
        QCOMPARE(rec.finishThreads.last(), QThread::currentThread());
    }

    void threadedEventsAndThreads()
    {
        make({"a.tmp", "s/b.tmp"});
        TFindFile ff;
        ff.setThreaded(true);
        Recorder rec{m_root, {}, {}};
        rec.attach(ff);
        std::atomic<bool> walkedOnWorker{true};
        QThread *const main = QThread::currentThread();
        ff.OnFolderChange = [&](TFindFile *, const std::string &folder, TFolderIgnore &) {
            if (QThread::currentThread() == main)
                walkedOnWorker = false;
            rec.log << "folder:" + rec.rel(folder);
        };
        ff.Criteria().Files().setFileName("*.tmp");
        ff.Criteria().Files().setLocation(m_root);
        bool begun = false;
        ff.OnSearchBegin = [&](TFindFile *) {
            begun = true;
            rec.log << "begin";
        };
        ff.StartSearch();
        // The log is the worker's now: read it once the search has ended.
        QVERIFY(begun);
        QVERIFY(ff.Searching());
        ff.StartSearch(); // ignored: no second begin
        QTRY_VERIFY(!ff.Searching());
        QCOMPARE(rec.log.first(), "begin");
        QCOMPARE(rec.log.count("begin"), 1);
        QCOMPARE(rec.log.last(), "finish");
        QCOMPARE(rec.log.size(), 6);
        QVERIFY(walkedOnWorker);
        QCOMPARE(rec.finishThreads, QList<QThread *>{main});
    }

    void threadedAbortFromMainThread()
    {
        make({"a.tmp", "s/b.tmp", "t/c.tmp"});
        TFindFile ff;
        ff.setThreaded(true);
        Recorder rec{m_root, {}, {}};
        rec.attach(ff);
        std::atomic<bool> entered{false};
        struct Receiver : QObject
        {
            QList<QEvent::Type> got;
            bool event(QEvent *e) override { got << e->type(); return true; }
        } receiver;
        ff.OnFolderChange = [&](TFindFile *s, const std::string &folder, TFolderIgnore &) {
            rec.log << "folder:" + rec.rel(folder);
            if (entered.exchange(true))
                return;
            while (!s->AbortRequested())
                QThread::msleep(1);
            // Input arriving while the abort waits must be dropped; other
            // events must still be served.
            QCoreApplication::postEvent(&receiver, new QEvent(QEvent::KeyPress));
            QCoreApplication::postEvent(&receiver, new QEvent(QEvent::MouseButtonPress));
            QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
        };
        ff.Criteria().Files().setFileName("*.tmp");
        ff.Criteria().Files().setLocation(m_root);
        ff.StartSearch();
        QTRY_VERIFY(entered);
        const qsizetype before = rec.log.size();
        ff.AbortSearch();
        QVERIFY(!ff.Searching());
        QVERIFY(ff.AbortRequested());
        QCOMPARE(rec.log.mid(before), (QStringList{"abort", "finish"}));
        QCOMPARE(rec.log, (QStringList{"begin", "folder:", "abort", "finish"}));
        QCOMPARE(rec.finishThreads, QList<QThread *>{QThread::currentThread()});
        QCoreApplication::processEvents();
        QCOMPARE(receiver.got, QList<QEvent::Type>{QEvent::User});
        ff.AbortSearch(); // idle: ignored
        QCOMPARE(rec.log.count("abort"), 1);
    }

    void threadedExceptionEndsQuietly()
    {
        make({"a.tmp", "b.tmp"});
        TFindFile ff;
        ff.setThreaded(true);
        Recorder rec{m_root, {}, {}};
        rec.attach(ff);
        ff.OnFileMatch = [&](TFindFile *, const std::string &, const TSearchRec &) {
            throw std::runtime_error("boom");
        };
        ff.Criteria().Files().setFileName("*.tmp");
        ff.Criteria().Files().setLocation(m_root);
        ff.StartSearch();
        QTRY_VERIFY(!ff.Searching());
        QCOMPARE(rec.log, (QStringList{"begin", "folder:", "finish"}));
        QVERIFY(!ff.AbortRequested());
    }

    void destroyingWhileSearchingWaits()
    {
        make({"a.tmp"});
        std::atomic<bool> entered{false};
        QStringList log;
        {
            TFindFile ff;
            ff.setThreaded(true);
            ff.OnSearchFinish = [&](TFindFile *) { log << "finish"; };
            ff.OnSearchAbort = [&](TFindFile *) { log << "abort"; };
            ff.OnFolderChange = [&](TFindFile *s, const std::string &, TFolderIgnore &) {
                entered = true;
                while (!s->AbortRequested())
                    QThread::msleep(1);
            };
            ff.Criteria().Files().setLocation(m_root);
            ff.StartSearch();
            QTRY_VERIFY(entered);
        }
        QVERIFY(log.isEmpty());
    }

    void beginHandlerExceptionStillFinishes()
    {
        TFindFile ff;
        int finishes = 0;
        ff.OnSearchBegin = [](TFindFile *) { throw std::runtime_error("begin"); };
        ff.OnSearchFinish = [&](TFindFile *) { ++finishes; };
        ff.Criteria().Files().setLocation(m_root);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, ff.StartSearch());
        QCOMPARE(finishes, 1);
        QVERIFY(!ff.Searching());
    }

    void inlineExceptionReachesCallerAfterFinish()
    {
        make({"a.tmp", "b.tmp"});
        TFindFile ff;
        Recorder rec{m_root, {}, {}};
        rec.attach(ff);
        ff.OnFileMatch = [&](TFindFile *, const std::string &, const TSearchRec &) {
            rec.log << "match";
            throw std::runtime_error("boom");
        };
        ff.Criteria().Files().setFileName("*.tmp");
        ff.Criteria().Files().setLocation(m_root);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, ff.StartSearch());
        QCOMPARE(rec.log, (QStringList{"begin", "folder:", "match", "finish"}));
        QVERIFY(!ff.Searching());
        QCOMPARE(ff.FolderLevel(), 0);
    }

    void inlineAbortFromHandler()
    {
        make({"a.tmp", "b.tmp", "s/c.tmp"});
        TFindFile ff;
        Recorder rec{m_root, {}, {}};
        rec.attach(ff);
        ff.OnFileMatch = [&](TFindFile *s, const std::string &, const TSearchRec &) {
            rec.log << "match";
            s->StartSearch(); // ignored while searching
            s->AbortSearch();
            s->AbortSearch(); // ignored while stopping
        };
        ff.Criteria().Files().setFileName("*.tmp");
        ff.Criteria().Files().setLocation(m_root);
        ff.StartSearch();
        QCOMPARE(rec.log, (QStringList{"begin", "folder:", "match", "abort", "finish"}));
        QVERIFY(ff.AbortRequested());
        QVERIFY(!ff.Searching());
        ff.OnFileMatch = nullptr;
        ff.StartSearch();
        QVERIFY(!ff.AbortRequested());
    }

    // The owner of an engine may well destroy it in its finish handler.
    void destroyedByFinishHandler_data()
    {
        QTest::addColumn<bool>("threaded");
        QTest::addColumn<bool>("abort");
        QTest::newRow("threaded, walk completed") << true << false;
        QTest::newRow("threaded, inside the abort's wait") << true << true;
        QTest::newRow("inline") << false << false;
    }
    void destroyedByFinishHandler()
    {
        QFETCH(bool, threaded);
        QFETCH(bool, abort);
        make({"a.tmp", "s/b.tmp"});
        auto *ff = new TFindFile;
        ff->setThreaded(threaded);
        std::atomic<bool> entered{false};
        int finishes = 0;
        ff->OnFolderChange = [&](TFindFile *s, const std::string &, TFolderIgnore &) {
            entered = true;
            while (abort && !s->AbortRequested())
                QThread::msleep(1);
        };
        ff->OnSearchFinish = [&](TFindFile *s) {
            ++finishes;
            delete s;
            ff = nullptr;
        };
        ff->Criteria().Files().setFileName("*.tmp");
        ff->Criteria().Files().setLocation(m_root);
        ff->StartSearch();
        if (abort) {
            QTRY_VERIFY(entered);
            ff->AbortSearch();
        }
        QTRY_VERIFY(!ff);
        QCOMPARE(finishes, 1);
    }

    // AbortSearch on the worker, from inside a handler, must not wait for the
    // worker's own end; the search stops after that handler.
    void abortFromWorkerHandler()
    {
        make({"a.tmp", "b.tmp", "s/c.tmp"});
        TFindFile ff;
        ff.setThreaded(true);
        Recorder rec{m_root, {}, {}};
        rec.attach(ff);
        ff.OnFileMatch = [&](TFindFile *s, const std::string &, const TSearchRec &) {
            rec.log << "match";
            s->AbortSearch();
        };
        ff.Criteria().Files().setFileName("*.tmp");
        ff.Criteria().Files().setLocation(m_root);
        ff.StartSearch();
        QTRY_VERIFY(!ff.Searching());
        QCOMPARE(rec.log, (QStringList{"begin", "folder:", "match", "abort", "finish"}));
        QVERIFY(ff.AbortRequested());
    }

    // The worker's flag is cleared before the finish handler runs, so an
    // AbortSearch from inside it returns at once: waiting there would never
    // end, as the worker waits for the handler. Were it to wait, a timer run
    // by that wait tells so (and ends the wait by destroying the engine).
    void abortFromFinishHandlerDoesNotWait()
    {
        auto *ff = new TFindFile;
        ff->setThreaded(true);
        Recorder rec{m_root, {}, {}};
        rec.attach(*ff);
        bool insideAbort = false, waitedInsideAbort = false;
        ff->OnSearchFinish = [&](TFindFile *s) {
            rec.log << "finish";
            QTimer::singleShot(0, [&] {
                if (insideAbort) {
                    waitedInsideAbort = true;
                    delete std::exchange(ff, nullptr);
                }
            });
            insideAbort = true;
            s->AbortSearch();
            insideAbort = false;
        };
        ff->Criteria().Files().setLocation(m_root);
        ff->StartSearch();
        QTRY_VERIFY(!ff || !ff->Searching());
        QVERIFY(!waitedInsideAbort);
        QCOMPARE(rec.log, (QStringList{"begin", "folder:", "finish", "abort"}));
        QVERIFY(ff->AbortRequested());
        delete ff;
    }

    // Stopping during the content scan of a huge file ends the scan at the
    // next chunk, not at the end of the file (a terabyte of zeros).
    void abortEndsContentScan()
    {
        const int fd = ::open(path("huge.tmp").c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        QVERIFY(fd >= 0);
        QVERIFY(::ftruncate(fd, off_t(1) << 40) == 0);
        ::close(fd);
        TFindFile ff;
        ff.setThreaded(true);
        std::atomic<bool> entered{false};
        int matches = 0;
        ff.OnFolderChange = [&](TFindFile *, const std::string &, TFolderIgnore &) { entered = true; };
        ff.OnFileMatch = [&](TFindFile *, const std::string &, const TSearchRec &) { ++matches; };
        ff.Criteria().Files().setFileName("*.tmp");
        ff.Criteria().Files().setLocation(m_root);
        ff.Criteria().Content().setPhrase("needle");
        ff.StartSearch();
        QTRY_VERIFY(entered);
        ff.AbortSearch();
        QVERIFY(!ff.Searching());
        QCOMPARE(matches, 0);
    }

    void startFromFinishHandlerIgnored()
    {
        TFindFile ff;
        int begins = 0;
        ff.OnSearchBegin = [&](TFindFile *) { ++begins; };
        ff.OnSearchFinish = [&](TFindFile *s) { s->StartSearch(); };
        ff.Criteria().Files().setLocation(m_root);
        ff.StartSearch();
        QCOMPARE(begins, 1);
    }
};

QTEST_GUILESS_MAIN(TestThreads)
#include "tst_search_threads.moc"
