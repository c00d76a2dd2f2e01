// Start, abort and finish in both modes: which thread runs which event,
// the abort from the main thread with input dropped while it waits, and
// exceptions from handlers.

#include "SearchTestTree.h"

#include <QCoreApplication>

#include <atomic>
#include <stdexcept>

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
        ff.StartSearch();
        QCOMPARE(rec.log.first(), "begin");
        QVERIFY(ff.Searching());
        ff.StartSearch(); // ignored: no second begin
        QTRY_VERIFY(!ff.Searching());
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
