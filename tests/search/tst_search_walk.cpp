// The walk on real temporary trees: order of events and reports, levels,
// folder-event answers, exclusions, the found-file record, symbolic links and
// special files, trees deeper than the descriptor limit and the stack allow,
// and what a walk leaves behind.

#include "ScopedLimit.h"
#include "SearchTestTree.h"

#include <fcntl.h>
#include <malloc.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

using namespace dm;
using dmtest::Recorder;

class TestWalk : public dmtest::TreeTest
{
    Q_OBJECT

private slots:
    void init() { initTree(); }

    void twoMasksMatchingOneFile()
    {
        make({"a.tmp", "~a.tmp", "b.txt"});
        const QStringList log = run("*.tmp;~*");
        QCOMPARE(log.first(), "begin");
        QCOMPARE(log.at(1), "folder:");
        // The last mask's pass comes first, then the first mask's.
        QCOMPARE(log.at(2), "file:~a.tmp");
        QCOMPARE(sorted(log.mid(3, 2)), (QStringList{"file:a.tmp", "file:~a.tmp"}));
        QCOMPARE(log.last(), "finish");
        QCOMPARE(log.size(), 6);
    }

    void preOrderWalk()
    {
        make({"x.tmp", "s/y.tmp", "s/t/z.tmp"});
        const QStringList log = run("*.tmp");
        QCOMPARE(log, (QStringList{"begin", "folder:", "file:x.tmp", "folder:s/", "file:s/y.tmp",
                                   "folder:s/t/", "file:s/t/z.tmp", "finish"}));
    }

    void folderNamedTwice()
    {
        make({"a.tmp", "S/b.tmp", "s/c.tmp"});
        // The same folder twice: one target, masks twice, each file twice.
        QStringList log = run("*.tmp", [&](TFindFile &ff) {
            ff.Criteria().Files().setLocation("<" + m_root + ";<" + m_root + "./");
        });
        QCOMPARE(log, (QStringList{"begin", "folder:", "file:a.tmp", "file:a.tmp", "finish"}));
        // A folder and its subfolder: the subfolder's files come once per target.
        log = run("*.tmp", [&](TFindFile &ff) {
            ff.Criteria().Files().setLocation(m_root + ";" + m_root + "s");
        });
        QCOMPARE(log.count("file:s/c.tmp"), 2);
        QCOMPARE(log.count("folder:s/"), 2);
        QVERIFY(log.lastIndexOf("file:a.tmp") < log.lastIndexOf("file:s/c.tmp"));
        // Names differing only in case are different folders.
        log = run("*.tmp", [&](TFindFile &ff) {
            ff.Criteria().Files().setLocation("<" + m_root + "S;<" + m_root + "s");
        });
        QCOMPARE(log, (QStringList{"begin", "folder:S/", "file:S/b.tmp", "folder:s/", "file:s/c.tmp", "finish"}));
    }

    void includedEntriesFirst()
    {
        make({"a.tmp", "a.log", "in/b.log", "in/b.tmp"});
        const QStringList log = run("*.tmp", [&](TFindFile &ff) {
            ff.Criteria().Files().setLocation("<" + m_root);
            ff.Criteria().Files().Included() = {"<" + m_root + "in/*.log"};
        });
        QCOMPARE(log, (QStringList{"begin", "folder:in/", "file:in/b.log", "folder:", "file:a.tmp", "finish"}));
    }

    void levels_data()
    {
        QTest::addColumn<int>("minLevel");
        QTest::addColumn<int>("maxLevel");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("all") << 0 << 0 << QStringList{"a.tmp", "s/b.tmp", "s/t/c.tmp"};
        QTest::newRow("min 1 = all") << 1 << 0 << QStringList{"a.tmp", "s/b.tmp", "s/t/c.tmp"};
        QTest::newRow("subfolders only") << 2 << 0 << QStringList{"s/b.tmp", "s/t/c.tmp"};
        QTest::newRow("immediate subfolders") << 2 << 2 << QStringList{"s/b.tmp"};
        QTest::newRow("target alone") << 0 << 1 << QStringList{"a.tmp"};
        QTest::newRow("min above max") << 3 << 2 << QStringList{};
    }
    void levels()
    {
        QFETCH(int, minLevel);
        QFETCH(int, maxLevel);
        QFETCH(QStringList, files);
        make({"a.tmp", "s/b.tmp", "s/t/c.tmp"});
        const QStringList log = run("*.tmp", [&](TFindFile &ff) {
            ff.Criteria().Files().setMinLevel(minLevel);
            ff.Criteria().Files().setMaxLevel(maxLevel);
        });
        QStringList found;
        for (const QString &l : log)
            if (l.startsWith("file:"))
                found << l.mid(5);
        QCOMPARE(found, files);
    }

    void folderLevelDuringWalk()
    {
        make({"s/t/c.tmp"});
        TFindFile ff;
        QList<int> levels;
        ff.OnFolderChange = [&](TFindFile *s, const std::string &, TFolderIgnore &) { levels << s->FolderLevel(); };
        ff.Criteria().Files().setLocation(m_root);
        ff.StartSearch();
        QCOMPARE(levels, (QList<int>{1, 2, 3}));
        QCOMPARE(ff.FolderLevel(), 0);
    }

    void folderAnswers_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("at");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("just subfolders everywhere") << int(fiJustSubfolders) << QString("*")
            << QStringList{"folder:", "file:a.tmp"};
        QTest::newRow("just this at the target") << int(fiJustThis) << QString("")
            << QStringList{"folder:", "folder:s/", "file:s/b.tmp"};
        QTest::newRow("this and subfolders at s") << int(fiThisAndSubfolders) << QString("s/")
            << QStringList{"folder:", "file:a.tmp", "folder:s/"};
    }
    void folderAnswers()
    {
        QFETCH(int, answer);
        QFETCH(QString, at);
        QFETCH(QStringList, expected);
        make({"a.tmp", "s/b.tmp"});
        TFindFile ff;
        Recorder rec{m_root, {}, {}};
        rec.attach(ff);
        ff.OnFolderChange = [&](TFindFile *, const std::string &folder, TFolderIgnore &ignore) {
            rec.log << "folder:" + rec.rel(folder);
            if (at == "*" || rec.rel(folder) == at)
                ignore = TFolderIgnore(answer);
        };
        ff.OnSearchBegin = ff.OnSearchFinish = nullptr;
        ff.Criteria().Files().setFileName("*.tmp");
        ff.Criteria().Files().setLocation(m_root);
        ff.StartSearch();
        QCOMPARE(rec.log, expected);
    }

    void emptyMaskListStillWalks()
    {
        make({"a.tmp", "s/b.tmp"});
        QCOMPARE(run(""), (QStringList{"begin", "folder:", "folder:s/", "finish"}));
    }

    void directoriesWithDirectoryAttribute()
    {
        make({"x.tmp/inner.tmp"});
        QCOMPARE(run("*.tmp"), (QStringList{"begin", "folder:", "folder:x.tmp/", "file:x.tmp/inner.tmp", "finish"}));
        const QStringList log = run("*.tmp", [](TFindFile &ff) {
            ff.Criteria().Attribute().setAttributes({ffArchive, ffDirectory});
        });
        QCOMPARE(log, (QStringList{"begin", "folder:", "file:x.tmp", "folder:x.tmp/", "file:x.tmp/inner.tmp", "finish"}));
    }

    void excludedEntries()
    {
        make({"a.log", "keep/b.log", "drop/c.log", "drop/d.txt"});
        const QStringList log = run("*.*", [](TFindFile &ff) {
            ff.Criteria().Files().Excluded() = {"drop/", "/*.txt"};
        });
        QCOMPARE(sorted(log.filter("file:")), (QStringList{"file:a.log", "file:keep/b.log"}));
        QVERIFY(log.contains("folder:drop/")); // still walked
    }

    void symlinksAndSpecialFiles()
    {
        make({"real/f.tmp"});
        QVERIFY(::symlink(m_root.c_str(), path("loop.tmp").c_str()) == 0);
        QVERIFY(::symlink("real", path("real/back").c_str()) == 0);
        QVERIFY(::symlink("missing", path("dangling.tmp").c_str()) == 0);
        QVERIFY(::mkfifo(path("pipe.tmp").c_str(), 0644) == 0);
        TFindFile ff;
        QStringList found;
        std::uint32_t loopAttr = 0;
        ff.OnFileMatch = [&](TFindFile *, const std::string &folder, const TSearchRec &r) {
            found << QString::fromStdString(folder.substr(m_root.size()) + r.Name);
            if (r.Name == "loop.tmp")
                loopAttr = r.Attr;
        };
        ff.Criteria().Files().setFileName("*");
        ff.Criteria().Files().setLocation(m_root);
        ff.StartSearch();
        // Links are reported as themselves and never entered; the FIFO never.
        QCOMPARE(sorted(found), (QStringList{"dangling.tmp", "loop.tmp", "real/back", "real/f.tmp"}));
        QCOMPARE(loopAttr, 0x20u);
    }

    void targetFolderThroughLink()
    {
        make({"real/f.tmp"});
        QVERIFY(::symlink("real", path("link").c_str()) == 0);
        const QStringList log = run("*.tmp", [&](TFindFile &ff) {
            ff.Criteria().Files().setLocation(path("link"));
        });
        QCOMPARE(log, (QStringList{"begin", "folder:link/", "file:link/f.tmp", "finish"}));
    }

    void foundFileRecord()
    {
        make({"small.tmp", ".hidden.tmp"});
        const std::string big = path("big.tmp");
        const int fd = ::open(big.c_str(), O_CREAT | O_WRONLY, 0644);
        QVERIFY(fd >= 0);
        const std::uint64_t fiveGB = 5ull << 30;
        QVERIFY(::ftruncate(fd, static_cast<off_t>(fiveGB)) == 0);
        ::close(fd);
        QVERIFY(::chmod(path("small.tmp").c_str(), 0444) == 0);
        std::map<std::string, TSearchRec> recs;
        TFindFile ff;
        ff.OnFileMatch = [&](TFindFile *, const std::string &, const TSearchRec &r) { recs[r.Name] = r; };
        ff.Criteria().Files().setFileName("*.tmp");
        ff.Criteria().Files().setLocation(m_root);
        ff.StartSearch();
        QCOMPARE(recs.size(), 3u);
        QCOMPARE(recs["big.tmp"].FindData.FileSize, fiveGB);
        QCOMPARE(recs["big.tmp"].Size, std::int32_t(0x40000000));
        QCOMPARE(recs["small.tmp"].Attr, 0x21u);
        QCOMPARE(recs["small.tmp"].Size, 4);
        QCOMPARE(recs[".hidden.tmp"].Attr, 0x22u);
        // A file written just now: packed today's local date.
        const QDate today = QDate::currentDate();
        const auto date = static_cast<quint32>(recs["small.tmp"].Time) >> 16;
        QCOMPARE(int(date >> 9) + 1980, today.year());
        QCOMPARE(int((date >> 5) & 15), today.month());

        // The size bound applies to the full size: 5 GB never passes Max = 1000.
        recs.clear();
        ff.Criteria().Size().setMax(1000);
        ff.StartSearch();
        QCOMPARE(recs.size(), 2u);
        QVERIFY(!recs.count("big.tmp"));
    }

    void changesAfterStartDoNotReachSearch()
    {
        make({"a.tmp", "b.log"});
        TFindFile ff;
        QStringList found;
        ff.OnFolderChange = [&](TFindFile *s, const std::string &, TFolderIgnore &) {
            s->Criteria().Files().setFileName("*.log");
        };
        ff.OnFileMatch = [&](TFindFile *, const std::string &, const TSearchRec &r) {
            found << QString::fromStdString(r.Name);
        };
        ff.Criteria().Files().setFileName("*.tmp");
        ff.Criteria().Files().setLocation(m_root);
        ff.StartSearch();
        QCOMPARE(found, QStringList{"a.tmp"});
    }

    void unlistableFolderStillReported()
    {
        make({"locked/a.tmp", "b.tmp"});
        QVERIFY(::chmod(path("locked").c_str(), 0) == 0);
        const QStringList log = run("*.tmp");
        ::chmod(path("locked").c_str(), 0755);
        QVERIFY(log.contains("folder:locked/"));
        if (::geteuid() != 0)
            QVERIFY(!log.contains("file:locked/a.tmp"));
        QVERIFY(log.contains("file:b.tmp"));
        QCOMPARE(log.last(), "finish");
    }

    // Deeper than the open-file limit (with side folders met on the way back
    // up, which a walk must open again) and deeper than a small stack allows.
    void deepTrees_data()
    {
        QTest::addColumn<int>("levels");
        QTest::addColumn<int>("sides");
        QTest::addColumn<int>("fileLimit");
        QTest::addColumn<int>("stackKB");
        QTest::newRow("1,500 levels, 256 open files") << 1500 << 3 << 256 << 0;
        QTest::newRow("30,000 levels, 512 KB stack") << 30000 << 0 << 0 << 512;
    }
    void deepTrees()
    {
        QFETCH(int, levels);
        QFETCH(int, sides);
        QFETCH(int, fileLimit);
        QFETCH(int, stackKB);
        // Building these trees is most of the suite's time; the depth limits
        // they prove are the walk's own, whatever the read-ahead pool's size,
        // so they run in the default pool's process only.
        if (qEnvironmentVariableIsSet("DUSTMOTE_TEST_READ_THREADS"))
            QSKIP("deep trees run at the default read-ahead pool size only");
        const dmtest::DeepTree tree(m_root, levels, sides, "deep.tmp");
        QVERIFY(tree.complete());

        int folders = 0, files = 0, deepestLevel = 0;
        std::size_t deepestPath = 0;
        const auto walk = [&] {
            TFindFile ff;
            ff.OnFolderChange = [&](TFindFile *s, const std::string &, TFolderIgnore &) {
                ++folders;
                deepestLevel = std::max<int>(deepestLevel, s->FolderLevel());
            };
            ff.OnFileMatch = [&](TFindFile *, const std::string &folder, const TSearchRec &r) {
                ++files;
                if (r.Name == "deep.tmp")
                    deepestPath = folder.size();
            };
            ff.Criteria().Files().setFileName("*.tmp");
            ff.Criteria().Files().setLocation(m_root);
            ff.StartSearch();
        };
        if (stackKB > 0) {
            std::unique_ptr<QThread> thread(QThread::create(walk));
            thread->setStackSize(uint(stackKB) * 1024);
            thread->start();
            QVERIFY(thread->wait());
        } else {
            const test::ScopedLimit limit(RLIMIT_NOFILE, rlim_t(fileLimit));
            walk();
        }
        QCOMPARE(folders, 1 + levels * (1 + sides));
        QCOMPARE(files, 1 + levels * sides);
        QCOMPARE(deepestLevel, 1 + levels + (sides > 0));
        QCOMPARE(deepestPath, m_root.size() + std::size_t(levels) * (std::strlen(dmtest::DeepTree::name) + 1));
    }

    // With the current folder deleted, a relative place names no folder: it
    // must never be taken relative to the root.
    void relativePlacesWithoutCurrentFolder()
    {
        const QString saved = QDir::currentPath();
        const std::string gone = path("gone");
        QVERIFY(::mkdir(gone.c_str(), 0755) == 0);
        QVERIFY(::chdir(gone.c_str()) == 0);
        QVERIFY(::rmdir(gone.c_str()) == 0);
        const QStringList log = run("*.none", [](TFindFile &ff) {
            ff.Criteria().Files().setLocation("sub;<.;..");
            ff.Criteria().Files().Included() = {"rel/*.tmp", "<tmp/*.tmp"};
            ff.Criteria().Files().setMaxLevel(1);
        });
        QVERIFY(QDir::setCurrent(saved));
        QCOMPARE(log, (QStringList{"begin", "finish"}));
    }

    // A folder of many thousand entries does not leave its listing held by
    // the engine for the rest of its life.
    void wideFolderMemoryGivenBack()
    {
        constexpr int entries = 40000;
        make({"wide/"});
        const int dir = ::open(path("wide").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        QVERIFY(dir >= 0);
        for (int i = 0; i < entries; ++i) {
            const QByteArray name = "a-rather-long-file-name-of-the-wide-folder-" + QByteArray::number(i);
            const int fd = ::openat(dir, name.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
            QVERIFY(fd >= 0);
            ::close(fd);
        }
        ::close(dir);
        TFindFile ff;
        ff.Criteria().Files().setFileName("*.none");
        ff.Criteria().Files().setLocation(m_root); // the engine warmed up on a small folder
        ff.Criteria().Files().setMaxLevel(1);
        ff.StartSearch();
        // In use from the heap and from blocks mapped on their own.
        const auto held = [] { return mallinfo2().uordblks + mallinfo2().hblkhd; };
        const std::size_t before = held();
        ff.Criteria().Files().setLocation(path("wide"));
        ff.StartSearch();
        const std::size_t after = held();
        QVERIFY2(after < before + 512 * 1024, qPrintable(QString("%1 bytes more").arg(qint64(after - before))));
    }

    void pseudoFileSystemsNotWalked()
    {
        if (!QFileInfo::exists("/proc/self"))
            QSKIP("no /proc");
        TFindFile ff;
        int files = 0, folders = 0;
        ff.OnFolderChange = [&](TFindFile *, const std::string &, TFolderIgnore &) { ++folders; };
        ff.OnFileMatch = [&](TFindFile *, const std::string &, const TSearchRec &) { ++files; };
        ff.Criteria().Files().setFileName("*");
        ff.Criteria().Files().setLocation("/proc");
        ff.StartSearch();
        QCOMPARE(folders, 1);
        QCOMPARE(files, 0);
    }
};

QTEST_GUILESS_MAIN(TestWalk)
#include "tst_search_walk.moc"
