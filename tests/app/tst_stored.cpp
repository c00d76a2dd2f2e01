// The program's own stored files on a hostile machine: a full disk keeps the
// old keep list and deletion record and says so; odd files in the keep
// list's place are never waited on or read without bound; the keep list and
// the settings store are read once per change, not at every look.

#include "ChildProcess.h"
#include "KeepList.h"
#include "ScanFixture.h"
#include "Statistics.h"
#include "TestFiles.h"
#include "TrashRestore.h"

#include <QScopeGuard>
#include <QTest>

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using dm::test::readFile;
using dm::test::writeFile;

namespace {

// Counts the times a file named `name` in `folder` is opened.
class OpenCount
{
public:
    OpenCount(const QString &folder, QByteArray name)
        : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)), m_name(std::move(name))
    {
        // Each open's close comes between two opens, so that the kernel never
        // folds two opens into one event.
        ::inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), IN_OPEN | IN_CLOSE);
    }
    ~OpenCount() { ::close(m_fd); }
    int count()
    {
        alignas(inotify_event) char buffer[65536];
        for (ssize_t n; (n = ::read(m_fd, buffer, sizeof buffer)) > 0;)
            for (ssize_t at = 0; at < n;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                if ((event->mask & IN_OPEN) && event->len && QByteArray(event->name) == m_name)
                    ++m_count;
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        return m_count;
    }

private:
    int m_fd;
    QByteArray m_name;
    int m_count = 0;
};

// Fills the file system holding folder until not one more byte fits.
void fill(const QString &folder)
{
    QFile f(folder + "/filler");
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return;
    const QByteArray block(4096, 'x');
    while (f.write(block) == block.size()) {
    }
    while (f.write("x", 1) == 1) {
    }
}

} // namespace

class TestStored : public QObject, protected dm::test::ScanFixture
{
    Q_OBJECT
private slots:
    void init();
    void cleanup() { tearDown(); }
    void fullDiskKeepsTheOldFile_data();
    void fullDiskKeepsTheOldFile();
    void oddFileInTheKeepListsPlace_data();
    void oddFileInTheKeepListsPlace();
    void keepListReadOncePerChange();
    void settingsReadOnceAtStart();
};

void TestStored::init()
{
    setUp();
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir->filePath("data")));
}

void TestStored::fullDiskKeepsTheOldFile_data()
{
    QTest::addColumn<QString>("what");
    QTest::newRow("keep list") << "keep";
    QTest::newRow("deletion record, replaced") << "record";
    QTest::newRow("deletion record, as a deletion goes") << "notes";
}

void TestStored::fullDiskKeepsTheOldFile()
{
    QFETCH(QString, what);
    const QString data = m_dir->filePath("data");
    QVERIFY(QDir().mkpath(data));
    if (::mount("tmpfs", QFile::encodeName(data).constData(), "tmpfs", 0, "size=256k") != 0)
        QSKIP("Mounting a file system is not allowed here");
    const auto unmount = qScopeGuard([&] { ::umount2(QFile::encodeName(data).constData(), MNT_DETACH); });
    const dm::TrashedFile first{"/a/b.tmp", QFile::encodeName(data) + "/Trash/", "b.tmp", {1, 2, 3, 4, 0, 5, 0}};
    dm::KeepList kept;
    kept.add({"/a/kept.tmp", false});
    QVERIFY(what == "keep" ? kept.save() : dm::saveTrashRecord({first}));
    const QString file = what == "keep" ? dm::KeepList::file() : dm::trashRecordFile();
    const QByteArray before = readFile(file);
    QVERIFY(!before.isEmpty());
    fill(data);

    // A small change, as one click makes.
    if (what == "keep") {
        kept.add({"/a/more.tmp", false});
        QVERIFY(!kept.save());
    } else if (what == "record") {
        QVERIFY(!dm::saveTrashRecord(dm::TrashRecord(2, first)));
    } else {
        dm::TrashRecordWriter notes;
        notes.moving("/a/c.tmp", {first.trash, "c.tmp"}, first.version);
        notes.sync();
        QVERIFY(!notes.kept());
    }
    QCOMPARE(readFile(file), before);
}

void TestStored::oddFileInTheKeepListsPlace_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("FIFO") << "fifo";
    QTest::newRow("link to an endless device") << "zero";
    QTest::newRow("a huge file") << "huge";
    QTest::newRow("a folder") << "folder";
}

// Read at every scan's start: never waited on, never read without end; it
// reads as an empty list.
void TestStored::oddFileInTheKeepListsPlace()
{
    QFETCH(QString, kind);
    const QByteArray file = QFile::encodeName(dm::KeepList::file());
    QVERIFY(QDir().mkpath(QFileInfo(dm::KeepList::file()).path()));
    if (kind == "fifo")
        QVERIFY(::mkfifo(file.constData(), 0600) == 0);
    else if (kind == "zero")
        QVERIFY(::symlink("/dev/zero", file.constData()) == 0);
    else if (kind == "folder")
        QVERIFY(::mkdir(file.constData(), 0700) == 0);
    else
        QVERIFY(writeFile(dm::KeepList::file(), "Dustmote keep list 1\nF /a\n") && ::truncate(file.constData(), 1 << 30) == 0);
    const int items = dm::test::runInChild([] { return int(dm::KeepList::load().items().size()); }, false, 10000);
    QCOMPARE(items, 0);
}

// Scan after scan, the list is read only when it has changed.
void TestStored::keepListReadOncePerChange()
{
    dm::KeepList kept;
    for (int i = 0; i < 1000; ++i)
        kept.add({"/a/kept" + QByteArray::number(i), i % 2 == 0});
    QVERIFY(kept.save());
    OpenCount opens(QFileInfo(dm::KeepList::file()).path(), "KeepList");
    for (int i = 0; i < 3; ++i)
        QCOMPARE(dm::KeepList::load().items().size(), std::size_t(1000));
    QCOMPARE(opens.count(), 1);
    kept.add({"/a/one more", false});
    QVERIFY(kept.save());
    QCOMPARE(dm::KeepList::load().items().size(), std::size_t(1001));
    QCOMPARE(dm::KeepList::load().items().size(), std::size_t(1001));
    QCOMPARE(opens.count(), 2);
}

// A start-up reads the settings store once, however many values it looks at.
void TestStored::settingsReadOnceAtStart()
{
    dm::StatisticsKey().WriteCounter("Quantity", "Scans", 3);
    dm::StatisticsKey().WriteCounter("Quantity", "Dels", 4);
    OpenCount opens(m_dir->filePath("config/Dustmote"), "registry.reg");
    auto form = makeForm({"*.tmp"});
    QCOMPARE(opens.count(), 1);
}

QTEST_MAIN(TestStored)
#include "tst_stored.moc"
