// Folders read ahead of the walk: the events are those of the walk reading
// alone, also when a handler skips folders whose reads are already in the
// window; an abort stops the helpers, which the engine joins, and what was
// read ahead stays within the window, which helpers fill again as the walk
// takes from it. The number of reads in flight follows the walk's pace.

#include "ReadAhead.h"
#include "ReadTuner.h"
#include "SearchTestTree.h"

#include <QDir>
#include <QScopeGuard>

#include <atomic>
#include <map>
#include <poll.h>
#include <set>
#include <sys/inotify.h>
#include <sys/resource.h>
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
        constexpr int folders = int(ReadAhead::kWindowFolders) + 200; // more than the window holds
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
        constexpr int folders = int(ReadAhead::kWindowFolders) + 200; // more than the window holds
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
        QVERIFY2(opened.count() <= int(ReadAhead::kWindowFolders), qPrintable(QString::number(opened.count())));

        // The next search walks everything again.
        int found = 0;
        ff.OnFolderChange = nullptr;
        ff.OnFileMatch = [&](TFindFile *, const std::string &, const TSearchRec &) { ++found; };
        ff.setThreaded(false);
        ff.StartSearch();
        QCOMPARE(found, folders);
    }

    // A desktop's soft open-file limit narrows the read-ahead's window: it is
    // raised to what the window needs, never past the hard limit (a row that
    // lowers the hard limit needs root, to put it back), never lowered.
    void openFileLimitFollowsTheWindow_data()
    {
        QTest::addColumn<qulonglong>("soft");
        QTest::addColumn<qulonglong>("hard"); // 0: as it is
        QTest::addColumn<qulonglong>("expected");
        const auto needed = qulonglong(ReadAhead::kLimitShare * ReadAhead::kWindowFolders);
        QTest::newRow("a desktop's 1,024") << 1024ull << 0ull << needed;
        QTest::newRow("one short") << needed - 1 << 0ull << needed;
        QTest::newRow("more already: kept") << needed * 2 << 0ull << needed * 2;
        QTest::newRow("hard limit below the need") << 256ull << 2048ull << 2048ull;
    }
    void openFileLimitFollowsTheWindow()
    {
        QFETCH(qulonglong, soft);
        QFETCH(qulonglong, hard);
        QFETCH(qulonglong, expected);
        rlimit before{};
        QCOMPARE(getrlimit(RLIMIT_NOFILE, &before), 0);
        if (hard != 0 && geteuid() != 0)
            QSKIP("lowering the hard limit for good needs root to undo");
        if (before.rlim_max != RLIM_INFINITY && before.rlim_max < std::max(soft, expected))
            QSKIP("the hard limit here is lower than the row needs");
        const auto restore = qScopeGuard([&] { setrlimit(RLIMIT_NOFILE, &before); });
        rlimit set = before;
        set.rlim_cur = soft;
        if (hard != 0)
            set.rlim_max = hard;
        QCOMPARE(setrlimit(RLIMIT_NOFILE, &set), 0);
        QCOMPARE(qulonglong(TFindFile::RaiseOpenFileLimit()), expected);
        rlimit after{};
        QCOMPARE(getrlimit(RLIMIT_NOFILE, &after), 0);
        QCOMPARE(qulonglong(after.rlim_cur), expected);
        QCOMPARE(after.rlim_max, set.rlim_max);
    }

    // Periods of the walk ("waits/rate": folders of 128 not read yet when
    // the walk came to them, folders taken per second; "x*n": n times) and
    // the number of reads in flight after each. A walk that waits tries a
    // quarter more reads for four periods, and keeps them only where it then
    // went a tenth faster: where more reads do not pay (the processors are
    // the limit), the number stays, and tries come ever more rarely. Never
    // more than the pool, never fewer than it started with.
    void readsInFlightFollowTheWalk_data()
    {
        QTest::addColumn<int>("cap");
        QTest::addColumn<QString>("periods");
        QTest::addColumn<QString>("reads");
        QTest::newRow("growth that paid is kept, and the next tried")
            << 64 << "32/1000*4 32/1200*4 32/1200*4" << "32*3 40 40*4 40*3 50";
        QTest::newRow("growth that did not pay is undone, tried later, then later still")
            << 64 << "32/1000*4 32/1050*4 32/1000*8 32/1000*4 32/1000*16"
            << "32*3 40 40*3 32 32*7 40 40*3 32 32*15 40";
        QTest::newRow("slower: undone") << 64 << "32/1000*4 32/700*4" << "32*3 40 40*3 32";
        QTest::newRow("few waits: holds") << 64 << "15/1000*6" << "32*6";
        QTest::newRow("no waits: back towards the start")
            << 64 << "32/1000*4 32/1200*4 0/1200*10" << "32*3 40 40*4 39 38 37 36 35 34 33 32 32 32";
        QTest::newRow("never over the pool") << 36 << "32/1000*4 32/1200*4 32/1300*4" << "32*3 36 36*8";
        QTest::newRow("small pool") << 3 << "32/1000*5 0/1000" << "3*6";
        // "c=N": the system refused threads past N.
        QTest::newRow("fewer threads during a try") << 64 << "32/1000*4 c=20 32/1000*4" << "32*3 40 20 20*4";
    }
    void readsInFlightFollowTheWalk()
    {
        QFETCH(int, cap);
        QFETCH(QString, periods);
        QFETCH(QString, reads);
        const auto expand = [](const QString &list) {
            QStringList out;
            for (const QString &item : list.split(' ')) {
                const QStringList parts = item.split('*');
                for (int i = 0; i < (parts.size() > 1 ? parts[1].toInt() : 1); ++i)
                    out << parts[0];
            }
            return out;
        };
        ReadTuner tuner{unsigned(cap)};
        QStringList got;
        for (const QString &period : expand(periods)) {
            const QStringList parts = period.split('/');
            if (period.startsWith(u"c="))
                tuner.lowerCap(period.mid(2).toUInt());
            else
                tuner.period(parts[0].toULong(), parts[1].toDouble());
            got << QString::number(tuner.reads());
        }
        QCOMPARE(got, expand(reads));
    }
};

QTEST_GUILESS_MAIN(TestReadAhead)
#include "tst_search_readahead.moc"
