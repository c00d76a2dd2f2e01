// Folders read ahead of the walk: the events are those of the walk reading
// alone, also when a handler skips folders whose reads are already in the
// window; an abort stops the helpers, which the engine joins, and what was
// read ahead stays within the window, which helpers fill again as the walk
// takes from it. The number of reads in flight follows the walk's pace.

#include "ReadTuner.h"
#include "SearchTestTree.h"

#include <QDir>

#include <atomic>
#include <map>
#include <poll.h>
#include <set>
#include <sys/inotify.h>
#include <unistd.h>

using namespace dm;
using dmtest::Recorder;

namespace {

// Which of the watched folders have been opened, as the kernel tells it.
class OpenedFolders
{
public:
    OpenedFolders() : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}
    ~OpenedFolders() { ::close(m_fd); }
    OpenedFolders(const OpenedFolders &) = delete;
    OpenedFolders &operator=(const OpenedFolders &) = delete;

    bool watch(const std::string &folder)
    {
        const int wd = ::inotify_add_watch(m_fd, folder.c_str(), IN_OPEN | IN_ONLYDIR);
        m_watched.insert(wd);
        return wd >= 0;
    }

    // How many have been opened so far.
    std::size_t count()
    {
        alignas(inotify_event) char buffer[16384];
        ssize_t n;
        while ((n = ::read(m_fd, buffer, sizeof buffer)) > 0) {
            for (ssize_t at = 0; at < n;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                if (event->len == 0 && m_watched.count(event->wd)) // the folder itself
                    m_opened.insert(event->wd);
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
        return m_opened.size();
    }

    // Waits until at least `wanted` have been opened; false if that takes
    // more than half a minute, which only a stuck read-ahead would.
    bool waitFor(std::size_t wanted)
    {
        for (int i = 0; i < 300 && count() < wanted; ++i) {
            pollfd p{m_fd, POLLIN, 0};
            ::poll(&p, 1, 100);
        }
        return count() >= wanted;
    }

private:
    int m_fd;
    std::set<int> m_watched;
    std::set<int> m_opened;
};

int threadsOfProcess()
{
    return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

} // namespace

class TestReadAhead : public dmtest::TreeTest
{
    Q_OBJECT

private slots:
    void init() { initTree(); }

    // The handler answers at `at` only once the helpers have read the
    // folders below it (their subfolders opened): the reads are then
    // ready or in flight in the window when the answer drops them.
    void sameEventsAsWalkingAlone_data()
    {
        QTest::addColumn<int>("threads");
        QTest::addColumn<QString>("at");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("maxLevel");
        for (const int threads : {2, 16, 64}) {
            const auto row = [&](const char *name) {
                return &QTest::newRow(qPrintable(QString("%1, %2 threads").arg(name).arg(threads)));
            };
            *row("no answer") << threads << QString("nowhere/") << int(fiNone) << 0;
            *row("subfolders of s skipped") << threads << QString("s/") << int(fiJustSubfolders) << 0;
            *row("s skipped whole") << threads << QString("s/") << int(fiThisAndSubfolders) << 0;
            *row("files of s skipped") << threads << QString("s/") << int(fiJustThis) << 0;
            *row("two levels") << threads << QString("s/") << int(fiNone) << 2;
        }
    }
    void sameEventsAsWalkingAlone()
    {
        QFETCH(int, threads);
        QFETCH(QString, at);
        QFETCH(int, answer);
        QFETCH(int, maxLevel);
        QStringList paths{"a.tmp", "b.log", "s/x.tmp", "t/u.tmp", "t/v/w.tmp"};
        for (int k = 1; k <= 4; ++k)
            paths << QString("s/s%1/y.tmp").arg(k) << QString("s/s%1/d/z.tmp").arg(k) << QString("s/s%1/d/e/").arg(k);
        make(paths);

        const auto walk = [&](int readThreads) {
            OpenedFolders opened;
            for (int k = 1; k <= 4; ++k)
                opened.watch(path(qPrintable(QString("s/s%1/d").arg(k))));
            return run("*.tmp;*.log", [&](TFindFile &ff) {
                ff.setReadThreads(readThreads);
                ff.Criteria().Files().setMaxLevel(maxLevel);
                const TFolderChangeEvent record = ff.OnFolderChange;
                ff.OnFolderChange = [=, this, &opened](TFindFile *s, const std::string &folder, TFolderIgnore &ignore) {
                    record(s, folder, ignore);
                    if (folder != m_root + at.toStdString())
                        return;
                    if (readThreads > 1 && maxLevel == 0)
                        QVERIFY(opened.waitFor(4));
                    ignore = TFolderIgnore(answer);
                };
            });
        };
        const QStringList alone = walk(1);
        QVERIFY(alone.contains("folder:s/"));
        QCOMPARE(walk(threads), alone);
    }

    // Helpers that found the window full read on once the walk has taken
    // from it: far into a tree wider than the window, folders are still
    // read ahead of the walk.
    void helpersGoOnOnceTheWindowEmpties()
    {
        constexpr int folders = 600; // more than the window holds
        OpenedFolders opened;
        for (int i = 0; i < folders; ++i) {
            make({QString("f%1/x.tmp").arg(i)});
            QVERIFY(opened.watch(path(qPrintable(QString("f%1").arg(i)))));
        }
        TFindFile ff;
        ff.setReadThreads(2);
        int entered = 0;
        ff.OnFolderChange = [&](TFindFile *, const std::string &folder, TFolderIgnore &) {
            if (folder == m_root)
                return;
            if (++entered == 1) { // held until the helpers stop at the full window
                for (int i = 0; i < 50; ++i) {
                    const std::size_t seen = opened.count();
                    QThread::msleep(100);
                    if (seen > 0 && opened.count() == seen)
                        break;
                }
            } else if (entered == folders * 2 / 3) {
                QVERIFY(opened.waitFor(entered + 20));
            }
        };
        ff.Criteria().Files().setFileName("*.tmp");
        ff.Criteria().Files().setLocation(m_root);
        ff.StartSearch();
        QCOMPARE(entered, folders);
    }

    // Stopped while the walk waits in the handler of the first subfolder and
    // the helpers read ahead: no event but the abort and the finish follows,
    // the helpers read no more than the window holds, and every thread the
    // engine started has been joined when AbortSearch returns.
    void abortStopsTheHelpers_data()
    {
        QTest::addColumn<int>("threads");
        QTest::newRow("2 threads") << 2;
        QTest::newRow("16 threads") << 16;
        QTest::newRow("64 threads") << 64;
    }
    void abortStopsTheHelpers()
    {
        QFETCH(int, threads);
        constexpr int folders = 600; // more than the window holds
        OpenedFolders opened;
        for (int i = 0; i < folders; ++i) {
            const std::string folder = path(qPrintable(QString("f%1").arg(i)));
            make({QString("f%1/x.tmp").arg(i)});
            QVERIFY(opened.watch(folder));
        }
        TFindFile ff;
        ff.setThreaded(true);
        ff.setReadThreads(threads);
        Recorder rec{m_root, {}, {}};
        rec.attach(ff);
        std::atomic<bool> entered{false};
        ff.OnFolderChange = [&](TFindFile *s, const std::string &folder, TFolderIgnore &) {
            rec.log << "folder:" + rec.rel(folder);
            if (folder == m_root)
                return;
            entered = true;
            while (!s->AbortRequested())
                QThread::msleep(1);
        };
        ff.Criteria().Files().setFileName("*.tmp");
        ff.Criteria().Files().setLocation(m_root);
        const int threadsBefore = threadsOfProcess();
        ff.StartSearch();
        QTRY_VERIFY(entered);
        QVERIFY(opened.waitFor(1));
        ff.AbortSearch();
        QCOMPARE(rec.log.size(), 5);
        QCOMPARE(rec.log.mid(0, 2), (QStringList{"begin", "folder:"}));
        QCOMPARE(rec.log.mid(3), (QStringList{"abort", "finish"}));
        QCOMPARE(threadsOfProcess(), threadsBefore);
        qDebug() << "read ahead" << opened.count();
        QVERIFY2(opened.count() <= 256, qPrintable(QString::number(opened.count())));

        // The next search walks everything again.
        int found = 0;
        ff.OnFolderChange = nullptr;
        ff.OnFileMatch = [&](TFindFile *, const std::string &, const TSearchRec &) { ++found; };
        ff.setThreaded(false);
        ff.StartSearch();
        QCOMPARE(found, folders);
    }

    // Periods of the walk ("waits/rate": folders of 128 not read yet when
    // the walk came to them, folders taken per second) and the number of
    // reads in flight after each. A cold walk that waits gets more reads
    // while that pays, never more than the pool, and never fewer than it
    // started with; a growth that slowed it is undone and not tried again
    // at once, so the number does not swing with every period.
    void readsInFlightFollowTheWalk_data()
    {
        QTest::addColumn<int>("cap");
        QTest::addColumn<QString>("periods");
        QTest::addColumn<QString>("reads");
        QTest::newRow("grows while waiting and faster")
            << 64 << "32/1000 32/1100 32/1200 32/1300 32/1300" << "40 50 62 64 64";
        QTest::newRow("a little slower is noise")
            << 64 << "32/1000 32/900 32/800" << "40 50 62";
        QTest::newRow("growth that slowed it is undone, then held")
            << 64 << "32/1000 32/700 32/1000 32/1000 32/1000 32/1000 32/1000 32/1000 32/1000 32/1000 32/1000"
            << "40 32 32 32 32 32 32 32 32 32 40";
        QTest::newRow("few waits: holds") << 64 << "15/1000 1/1000 15/500" << "32 32 32";
        QTest::newRow("no waits: back towards the start")
            << 64 << "32/1000 32/1100 0/1100 0/1100 0/1100 0/1100 0/1100 0/1100 0/1100 0/1100 0/1100 0/1100 "
                  "0/1100 0/1100 0/1100 0/1100 0/1100 0/1100 0/1100 0/1100 0/1100 0/1100"
            << "40 50 49 48 47 46 45 44 43 42 41 40 39 38 37 36 35 34 33 32 32 32";
        QTest::newRow("never over the pool") << 36 << "32/1000 32/1100 32/1200" << "36 36 36";
        QTest::newRow("small pool") << 3 << "32/1000 0/1000" << "3 3";
    }
    void readsInFlightFollowTheWalk()
    {
        QFETCH(int, cap);
        QFETCH(QString, periods);
        QFETCH(QString, reads);
        ReadTuner tuner{unsigned(cap)};
        QStringList got;
        for (const QString &period : periods.split(' ')) {
            const QStringList parts = period.split('/');
            tuner.period(parts[0].toULong(), parts[1].toDouble());
            got << QString::number(tuner.reads());
        }
        QCOMPARE(got.join(' '), reads);
    }
};

QTEST_GUILESS_MAIN(TestReadAhead)
#include "tst_search_readahead.moc"
