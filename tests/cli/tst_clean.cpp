// dustmote-clean: what it is asked, what it answers and what it removes.

#include "CleanRun.h"
#include "DeletionPass.h"
#include "KeepList.h"
#include "ListFileCodec.h"
#include "Preferences.h"
#include "Statistics.h"
#include "TestFiles.h"
#include "TrashFolders.h"
#include "TrashRestore.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>
#include <utime.h>

using namespace dm;

namespace {

QByteArray bytes(const QString &s)
{
    return QFile::encodeName(s);
}

// Reads back what a run wrote to one of its streams.
QString drain(std::FILE *f)
{
    std::fflush(f);
    std::rewind(f);
    QByteArray all;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
        all.append(buffer, qsizetype(n));
    std::fclose(f);
    return QString::fromLocal8Bit(all);
}

struct Run
{
    int code = -1;
    QString out, err;
};

// Ages a file by days (its last write moved back).
void age(const QString &path, int days)
{
    const time_t then = time(nullptr) - time_t(days) * 86400;
    utimbuf times{then, then};
    QVERIFY(::utime(bytes(path).constData(), &times) == 0);
}

QProcessEnvironment withoutDisplay()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    return env;
}

} // namespace

class TestClean : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void options_data();
    void options();
    void programsAnswer_data();
    void programsAnswer();
    void previewEqualsClean_data();
    void previewEqualsClean();
    void keepListAndAgeHonoured();
    void stoppedAfterTheCurrentFile();
    void oneWayBackWithTheWindow();
    void failuresListedWithTheirReason();

private:
    QString path(const QString &rel) const { return m_tree + QLatin1Char('/') + rel; }
    void make(const QStringList &rels);
    Run run(const QStringList &args, const std::atomic<bool> &stop = {});
    QStringList remaining() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_tree, m_catalog;
};

void TestClean::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    const QString base = QDir(m_dir->path()).canonicalPath();
    // The scanned tree is neither HOME nor an XDG folder.
    for (const char *sub : {"home", "data", "config", "tree"})
        QVERIFY(QDir(base).mkdir(QString::fromLatin1(sub)));
    qputenv("HOME", bytes(base + "/home"));
    qputenv("XDG_DATA_HOME", bytes(base + "/data"));
    qputenv("XDG_CONFIG_HOME", bytes(base + "/config"));
    TrashFolders::setMountTopsForTests(QList<QByteArray>{"/"});
    m_tree = base + "/tree";
    m_catalog = base + "/List.lst";
    const QList<ListRow> rows = {{"Временные файлы", {"*.tmp;*.temp"}, 0},
                                 {"Резервные копии", {"*.bak"}, 0},
                                 {"Эскизы", {".cache/thumbnails/**/*"}, 0}};
    test::save(m_catalog, encodeListFile(rows));
}

void TestClean::cleanup()
{
    DeletionPass::setBeforeFileHook({});
    TrashFolders::setMountTopsForTests(std::nullopt);
    m_dir.reset();
}

void TestClean::make(const QStringList &rels)
{
    for (const QString &rel : rels) {
        QVERIFY(QDir().mkpath(QFileInfo(path(rel)).path()));
        test::save(path(rel), rel.toUtf8());
    }
}

Run TestClean::run(const QStringList &args, const std::atomic<bool> &stop)
{
    QList<QByteArray> words;
    for (const QString &a : args)
        words.append(a == QLatin1String("TREE") ? bytes(m_tree) : bytes(a));
    const ParsedCleanOptions parsed = ParseCleanOptions(words);
    Run r;
    if (!parsed.error.isEmpty()) {
        r.code = kCleanUsage;
        r.err = parsed.error;
        return r;
    }
    CleanIo io;
    io.out = std::tmpfile();
    io.err = std::tmpfile();
    io.catalogPath = m_catalog;
    r.code = RunClean(parsed.options, io, stop);
    r.out = drain(io.out);
    r.err = drain(io.err);
    return r;
}

QStringList TestClean::remaining() const
{
    QStringList files;
    QDirIterator it(m_tree, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next().mid(m_tree.size() + 1);
    files.sort();
    return files;
}

void TestClean::options_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("parsed"); // action|types|days|preview print0 permanent|folders, or "error: <part>"
    QTest::newRow("folder") << QStringList{"/a"} << "clean||-|000|/a";
    QTest::newRow("all types") << QStringList{"--types", "all", "/a"} << "clean||-|000|/a";
    QTest::newRow("types joined") << QStringList{"--types=1,Резервные копии", "/a", "/b"}
                                  << "clean|1;Резервные копии|-|000|/a;/b";
    QTest::newRow("older than") << QStringList{"--older-than", "7", "--permanent", "/a"} << "clean||7|001|/a";
    QTest::newRow("older than 0") << QStringList{"--older-than=0", "/a"} << "clean||0|000|/a";
    QTest::newRow("preview print0") << QStringList{"--preview", "--print0", "/a"} << "clean||-|110|/a";
    QTest::newRow("after --") << QStringList{"--", "--preview"} << "clean||-|000|--preview";
    QTest::newRow("list types") << QStringList{"--list-types"} << "list|||000|";
    QTest::newRow("help wins") << QStringList{"--bogus-later", "-h"} << "error: неизвестный параметр";
    QTest::newRow("help") << QStringList{"--help"} << "help|||000|";
    QTest::newRow("unknown") << QStringList{"--prevew", "/a"} << "error: неизвестный параметр «--prevew»";
    QTest::newRow("no folder") << QStringList{"--preview"} << "error: не указана папка";
    QTest::newRow("days not a number") << QStringList{"--older-than", "week", "/a"} << "error: --older-than";
    QTest::newRow("days negative") << QStringList{"--older-than=-1", "/a"} << "error: --older-than";
    QTest::newRow("days missing") << QStringList{"/a", "--older-than"} << "error: --older-than";
    QTest::newRow("types empty") << QStringList{"--types=", "/a"} << "error: --types";
    QTest::newRow("print0 alone") << QStringList{"--print0", "/a"} << "error: --print0";
}

void TestClean::options()
{
    QFETCH(QStringList, args);
    QFETCH(QString, parsed);
    QList<QByteArray> words;
    for (const QString &a : args)
        words.append(a.toUtf8());
    const ParsedCleanOptions p = ParseCleanOptions(words);
    if (parsed.startsWith("error: ")) {
        QVERIFY2(p.error.contains(parsed.mid(7)), qPrintable(p.error));
        return;
    }
    QVERIFY2(p.error.isEmpty(), qPrintable(p.error));
    const CleanOptions &o = p.options;
    const char *actions[] = {"clean", "list", "help", "version"};
    QStringList folders;
    for (const QByteArray &f : o.folders)
        folders << QString::fromUtf8(f);
    const QString got = QStringList{QString::fromLatin1(actions[int(o.action)]), o.types.join(';'),
                                    o.action == CleanOptions::Action::Clean
                                        ? (o.olderThanDays ? QString::number(*o.olderThanDays) : QString("-"))
                                        : QString(),
                                    QString("%1%2%3").arg(int(o.preview)).arg(int(o.print0)).arg(int(o.permanent)),
                                    folders.join(';')}
                            .join('|');
    QCOMPARE(got, parsed);
}

void TestClean::programsAnswer_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("stdoutHas");
    QTest::addColumn<QString>("stderrHas");
    const QString clean = QStringLiteral(DUSTMOTE_CLEAN), window = QStringLiteral(DUSTMOTE_WINDOW);
    QTest::newRow("clean --help") << clean << QStringList{"--help"} << 0 << "--older-than" << "";
    QTest::newRow("clean --version") << clean << QStringList{"--version"} << 0 << "dustmote-clean 3" << "";
    QTest::newRow("clean unknown") << clean << QStringList{"--bogus", "/"} << 2 << "" << "dustmote-clean --help";
    QTest::newRow("clean no folder") << clean << QStringList{} << 2 << "" << "не указана папка";
    QTest::newRow("clean not a folder") << clean << QStringList{"--preview", "/nonexistent-x"} << 2 << ""
                                        << "«/nonexistent-x» — не папка";
    QTest::newRow("clean unknown type") << clean << QStringList{"--types=нет такого", "--preview", "/"} << 2
                                        << "" << "нет типа «нет такого»";
    QTest::newRow("window --help") << window << QStringList{"--help"} << 0 << "dustmote-clean --help" << "";
    QTest::newRow("window --version") << window << QStringList{"--version"} << 0 << "dustmote 3" << "";
    QTest::newRow("window unknown") << window << QStringList{"--bogus"} << 2 << "" << "dustmote --help";
    QTest::newRow("window two folders") << window << QStringList{"/a", "/b"} << 2 << "" << "одна";
    // On an English desktop (the rows' LC_ALL names the language).
    QTest::newRow("clean --help, English") << clean << QStringList{"en_US.UTF-8", "--help"} << 0
                                           << "Usage: dustmote-clean" << "";
    QTest::newRow("clean unknown, English") << clean << QStringList{"en_US.UTF-8", "--x"} << 2 << ""
                                            << "unknown option “--x”";
    QTest::newRow("window unknown, English") << window << QStringList{"en_US.UTF-8", "--x"} << 2 << ""
                                             << "unknown option “--x”";
}

void TestClean::programsAnswer()
{
    QFETCH(QString, program);
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, stdoutHas);
    QFETCH(QString, stderrHas);
    // Answered without a display, and never by opening the window.
    QProcessEnvironment env = withoutDisplay();
    env.remove("LANGUAGE");
    if (!args.isEmpty() && args.first().contains('.'))
        env.insert("LC_ALL", args.takeFirst());
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    QVERIFY(p.waitForFinished(30000));
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    const QString err = QString::fromUtf8(p.readAllStandardError());
    QCOMPARE(p.exitCode(), code);
    QVERIFY2(out.contains(stdoutHas), qPrintable(out));
    QVERIFY2(err.contains(stderrHas), qPrintable(err));
    if (code == 2)
        QVERIFY2(out.isEmpty(), qPrintable(out));
}

void TestClean::previewEqualsClean_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("removed");
    const QStringList junk = {"a.tmp", "deep/er/b.TEMP", "c.bak", "u/.cache/thumbnails/normal/t.png"};
    QTest::newRow("every type") << QStringList{} << junk;
    QTest::newRow("named and numbered") << QStringList{"--types", "резервные копии,3"}
                                        << QStringList{"c.bak", "u/.cache/thumbnails/normal/t.png"};
    QTest::newRow("permanent") << QStringList{"--permanent", "--types=1"}
                               << QStringList{"a.tmp", "deep/er/b.TEMP"};
}

void TestClean::previewEqualsClean()
{
    QFETCH(QStringList, args);
    QFETCH(QStringList, removed);
    removed.sort();
    const QStringList keepers = {"notes.txt", "tmp.txt", "u/.cache/other/x.png", "u/thumbnails/y.png"};
    make(keepers + QStringList{"a.tmp", "deep/er/b.TEMP", "c.bak", "u/.cache/thumbnails/normal/t.png"});

    const Run preview = run(QStringList{"--preview"} + args + QStringList{"TREE"});
    QCOMPARE(preview.code, 0);
    QStringList listed;
    for (const QString &line : preview.out.split('\n', Qt::SkipEmptyParts))
        if (line.startsWith(m_tree))
            listed << line.section('\t', 0, 0).mid(m_tree.size() + 1);
    listed.sort();
    QCOMPARE(listed, removed);
    QVERIFY2(preview.out.contains(QString("Будет удалено файлов: %1").arg(removed.size())), qPrintable(preview.out));

    const Run print0 = run(QStringList{"--preview", "--print0"} + args + QStringList{"TREE"});
    QCOMPARE(print0.out.count(QChar(0)), removed.size());

    QStringList before = remaining();
    const Run clean = run(args + QStringList{"TREE"});
    QCOMPARE(clean.code, 0);
    QVERIFY2(clean.err.isEmpty(), qPrintable(clean.err));
    QVERIFY2(clean.out.contains(QString("Удалено файлов: %1 (%1 KB) — %2.")
                                    .arg(removed.size())
                                    .arg(args.contains("--permanent") ? "безвозвратно" : "в Корзину")),
             qPrintable(clean.out));
    for (const QString &r : removed)
        before.removeOne(r);
    QCOMPARE(remaining(), before);
    // Counted as the window counts, and told to the schedule's menu.
    QCOMPARE(DeletionCounter().value(), removed.size());
    const std::optional<LastClean> last = ReadLastClean();
    QVERIFY(last);
    QCOMPARE(last->files, removed.size());
    // To the trash unless asked otherwise: the record holds exactly those.
    const std::optional<TrashRecord> record = loadTrashRecord();
    QCOMPARE(record.has_value() && !record->empty(), !args.contains("--permanent"));
}

void TestClean::keepListAndAgeHonoured()
{
    make({"old.tmp", "young.tmp", "kept.tmp", "keptfolder/old.bak", "sub/old.bak"});
    for (const char *rel : {"old.tmp", "kept.tmp", "keptfolder/old.bak", "sub/old.bak"})
        age(path(rel), 30);
    age(path("young.tmp"), 3);
    KeepList kept;
    QVERIFY(kept.add({bytes(path("kept.tmp")), false}));
    QVERIFY(kept.add({bytes(path("keptfolder")), true}));
    QVERIFY(kept.save());

    QVERIFY(WriteAgeLimitDays(10)); // the window's age limit, the default
    Run r = run({"--preview", "TREE"});
    QCOMPARE(r.out.count(m_tree), 2);
    QVERIFY(r.out.contains("/old.tmp\t") && r.out.contains("/sub/old.bak\t"));
    r = run({"--preview", "--older-than", "0", "TREE"});
    QCOMPARE(r.out.count(m_tree), 3); // young too, never the kept ones
    r = run({"--preview", "--older-than=60", "TREE"});
    QCOMPARE(r.out.count(m_tree), 0);
    QVERIFY(r.out.contains("Будет удалено файлов: 0"));
}

void TestClean::stoppedAfterTheCurrentFile()
{
    QStringList junk;
    for (int i = 0; i < 40; ++i)
        junk << QString("f%1.tmp").arg(i, 2, 10, QChar('0'));
    make(junk);
    std::atomic<bool> stop{false};
    int seen = 0;
    DeletionPass::setBeforeFileHook([&] {
        if (++seen == 6)
            stop.store(true); // Ctrl+C while the sixth file goes
        if (seen >= 6)
            QThread::msleep(150); // the run notices it before the pass ends
    });
    const Run r = run({"TREE"}, stop);
    QCOMPARE(r.code, int(kCleanStopped));
    const int gone = 40 - int(remaining().size());
    QVERIFY2(gone >= 6 && gone < 40, qPrintable(QString::number(gone)));
    // What went is counted and can come back.
    QCOMPARE(DeletionCounter().value(), gone);
    const std::optional<TrashRecord> record = loadTrashRecord();
    QVERIFY(record);
    QCOMPARE(int(record->size()), gone);
    QVERIFY2(r.out.contains(QString("Удалено файлов: %1 (%1 KB)").arg(gone)), qPrintable(r.out));

    // Ctrl+C during the scan: nothing goes, nothing is counted.
    const QStringList left = remaining();
    std::atomic<bool> early{true};
    const Run scanStopped = run({"TREE"}, early);
    QCOMPARE(scanStopped.code, int(kCleanStopped));
    QVERIFY2(scanStopped.err.contains("ничего не удалено"), qPrintable(scanStopped.err));
    QCOMPARE(remaining(), left);
    QCOMPARE(DeletionCounter().value(), gone);
}

void TestClean::oneWayBackWithTheWindow()
{
    make({"a.tmp", "b/c.bak", "keep.txt"});
    QCOMPARE(run({"TREE"}).code, 0);
    QCOMPARE(remaining(), QStringList{"keep.txt"});
    // The window's restore reads the same record.
    const std::optional<TrashRecord> record = loadTrashRecord();
    QVERIFY(record);
    const RestoreOutcome back = restoreFromTrash(*record);
    QCOMPARE(int(back.restored), 2);
    QCOMPARE(remaining(), (QStringList{"a.tmp", "b/c.bak", "keep.txt"}));
    QCOMPARE(test::readFile(path("b/c.bak")), QByteArray("b/c.bak"));
}

void TestClean::failuresListedWithTheirReason()
{
    make({"a.tmp", "b.tmp", "c.tmp"});
    // b.tmp is written again between the scan and its deletion: another
    // version, which the pass must leave.
    int seen = 0;
    DeletionPass::setBeforeFileHook([&] {
        if (++seen == 2)
            test::save(path("b.tmp"), "a newer and longer text");
    });
    const Run r = run({"TREE"});
    QCOMPARE(r.code, int(kCleanSomeFailed));
    QCOMPARE(remaining(), QStringList{"b.tmp"});
    QVERIFY2(r.err.contains(path("b.tmp") + ": "), qPrintable(r.err));
    QVERIFY2(r.out.contains("Удалено файлов: 2 (2 KB) — в Корзину. Не удалось удалить файлов: 1."), qPrintable(r.out));
}

QTEST_GUILESS_MAIN(TestClean)
#include "tst_clean.moc"
