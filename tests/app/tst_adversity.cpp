// The program against a hostile machine: odd files in place of its lock and
// its catalog, a full disk, and memory running out during a scan. Whatever
// happens, nothing the user made is lost and the user is never locked out.

#include "ChildProcess.h"
#include "DmShellTree.h"
#include "FoundFiles.h"
#include "ListViewRows.h"
#include "RecordedBoxes.h"
#include "ScopedLimit.h"
#include "SingleInstance.h"
#include "Sound.h"
#include "Statistics.h"
#include "TestFiles.h"
#include "Unit1.h"
#include "ui_Unit1.h"

#include <QLockFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <cstdlib>
#include <new>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

// Memory that runs out on demand: while armed, every allocation of at least
// gFailFrom bytes on the chosen side (the main thread or the others) fails.
namespace {
std::atomic<std::size_t> gFailFrom{0}; // 0: disarmed
std::atomic<bool> gFailOnMain{false};
std::thread::id gMainThread;
} // namespace

void *operator new(std::size_t size)
{
    const std::size_t from = gFailFrom.load(std::memory_order_relaxed);
    if (from != 0 && size >= from
        && (std::this_thread::get_id() == gMainThread) == gFailOnMain.load(std::memory_order_relaxed))
        throw std::bad_alloc();
    if (void *p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }
// Every other form too, so that no block is taken by one allocator and given
// back to another (the standard library's temporary buffers use nothrow new).
void *operator new(std::size_t size, const std::nothrow_t &) noexcept
{
    try {
        return ::operator new(size);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}
void *operator new[](std::size_t size) { return ::operator new(size); }
void *operator new[](std::size_t size, const std::nothrow_t &tag) noexcept { return ::operator new(size, tag); }
void operator delete(void *p, const std::nothrow_t &) noexcept { std::free(p); }
void operator delete[](void *p) noexcept { std::free(p); }
void operator delete[](void *p, std::size_t) noexcept { std::free(p); }
void operator delete[](void *p, const std::nothrow_t &) noexcept { std::free(p); }

namespace {

using dm::test::readFile;
using dm::test::writeFile;

// The type bits of what is at path, links not followed.
mode_t typeAt(const QString &path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

// A FIFO, a socket or a character device (like /dev/null) of the test's own.
bool makeSpecial(const QString &path, const QString &kind)
{
    const QByteArray name = QFile::encodeName(path);
    if (kind == "fifo")
        return ::mkfifo(name.constData(), 0600) == 0;
    if (kind == "device")
        return ::mknod(name.constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(name.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool ok = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    if (fd >= 0)
        ::close(fd);
    return ok;
}

} // namespace

class TestAdversity : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void staleLockIsTakenOver_data();
    void staleLockIsTakenOver();
    void specialFileInTheCatalogsPlace_data();
    void specialFileInTheCatalogsPlace();
    void specialFileThereAtStart();
    void fullDiskStillScans();
    void outOfMemoryStopsTheScan_data();
    void outOfMemoryStopsTheScan();

private:
    std::unique_ptr<TForm1> makeForm();
    QString home(const QString &relative = {}) const { return m_dir->filePath("home/" + relative); }
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<dm::test::RecordedBoxes> m_boxes;
};

void TestAdversity::initTestCase()
{
    gMainThread = std::this_thread::get_id();
}

void TestAdversity::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QDir(m_dir->path()).mkpath("home");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->filePath("config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir->filePath("data")));
    qputenv("HOME", QFile::encodeName(home()));
    m_boxes = std::make_unique<dm::test::RecordedBoxes>();
    dm::setSoundHandler([](const QString &) {});
}

void TestAdversity::cleanup()
{
    gFailFrom = 0;
    dm::setSoundHandler({});
    m_boxes.reset();
}

// A window over the test's home, with one ticked type "*.tmp".
std::unique_ptr<TForm1> TestAdversity::makeForm()
{
    auto form = std::make_unique<TForm1>(m_dir->filePath("dustmote"));
    const QString root = home().chopped(1);
    if (!QTest::qWaitFor([&] { return form->ui->DmShellTree1->SelectedPathName() == root; }))
        qWarning("the folder tree did not select the home folder");
    form->catalog().appendRow({"Временные", {"*.tmp"}, 0});
    form->ui->CheckBox1->setChecked(true);
    m_boxes->shown.clear();
    return form;
}

// Every start runs in a child process given up after 20 s: a lock that made
// the start wait for ever fails the test instead of hanging it. In the lock
// texts, PID is this process, DEAD one that has ended, OTHER a live process
// of another program, SELF this program's name and HERE this machine.
void TestAdversity::staleLockIsTakenOver_data()
{
    QTest::addColumn<QByteArray>("lock");
    QTest::addColumn<bool>("claimed");
    QTest::newRow("empty: killed before writing it") << QByteArray() << true;
    QTest::newRow("garbled") << QByteArray("\x01\x02 not a lock") << true;
    QTest::newRow("a process that has ended") << QByteArray("DEAD\nSELF\nHERE") << true;
    QTest::newRow("another machine's")
        << QByteArray("PID\nSELF\nother-host\n0123456789abcdef0123456789abcdef\n\n") << true;
    QTest::newRow("a live process of another program") << QByteArray("OTHER\nSELF\nHERE") << true;
    QTest::newRow("a FIFO in its place") << QByteArray("FIFO") << true;
    QTest::newRow("held by a copy that does not answer") << QByteArray("HELD") << false;
}

void TestAdversity::staleLockIsTakenOver()
{
    QFETCH(QByteArray, lock);
    QFETCH(bool, claimed);
    const QString path = m_dir->filePath("dustmote.lock");
    const pid_t dead = ::fork();
    if (dead == 0)
        ::_exit(0);
    ::waitpid(dead, nullptr, 0);
    lock.replace("DEAD", QByteArray::number(dead)).replace("OTHER", QByteArray::number(::getppid()))
        .replace("PID", QByteArray::number(::getpid()))
        .replace("SELF", QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUtf8())
        .replace("HERE", QSysInfo::machineHostName().toUtf8() + '\n' + QSysInfo::machineUniqueId()
                             + '\n' + QSysInfo::bootUniqueId() + '\n');
    QLockFile hung(path); // holds the lock, never listens
    if (lock == "FIFO")
        QVERIFY(makeSpecial(path, "fifo"));
    else if (lock == "HELD")
        QVERIFY(hung.tryLock(0));
    else
        QVERIFY(writeFile(path, lock));
    const QString folder = m_dir->path();
    QCOMPARE(dm::test::runInChild([folder] { return int(dm::SingleInstance(folder).claim()); }, false, 20000),
             int(claimed));
    if (claimed)
        return;
    // Not handed over: said, not a silent end.
    dm::SingleInstance start(folder);
    QVERIFY(!start.claim() && !start.handOver({}, 300));
    QCOMPARE(m_boxes->shown.size(), 1);
    QCOMPARE(m_boxes->shown[0].text,
             QStringLiteral("Программа уже запущена, но не отвечает. Закройте её или завершите её "
                            "процесс и запустите программу снова."));
}

// Something that is not a regular file takes List.lst's place while the
// program runs: it is never replaced, the catalog goes to the user's own
// copy, the user is told where, and the next start reads it from there.
void TestAdversity::specialFileInTheCatalogsPlace_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("link");
    QTest::newRow("link to a character device") << "device" << true;
    QTest::newRow("character device") << "device" << false;
    QTest::newRow("FIFO") << "fifo" << false;
    QTest::newRow("link to a FIFO") << "fifo" << true;
    QTest::newRow("socket") << "socket" << false;
}

void TestAdversity::specialFileInTheCatalogsPlace()
{
    QFETCH(QString, kind);
    QFETCH(bool, link);
    auto form = makeForm();
    const QString list = form->listFilePath();
    QCOMPARE(list, m_dir->filePath("List.lst"));
    const QString special = link ? m_dir->filePath("elsewhere") : list;
    if (!makeSpecial(special, kind))
        QSKIP(qPrintable(QStringLiteral("cannot make a %1 here: %2").arg(kind, qt_error_string(errno))));
    if (link)
        QVERIFY(QFile::link(special, list));
    const mode_t listType = typeAt(list), specialType = typeAt(special);

    QVERIFY(form->close());
    QCOMPARE(typeAt(list), listType);
    QCOMPARE(typeAt(special), specialType);
    const QString own = m_dir->filePath("data/Dustmote/List.lst");
    QCOMPARE(m_boxes->shown.size(), 1);
    QCOMPARE(m_boxes->shown[0].icon, QMessageBox::Warning);
    QVERIFY2(m_boxes->shown[0].text.contains(list) && m_boxes->shown[0].text.contains(own),
             qPrintable(m_boxes->shown[0].text));

    m_boxes->shown.clear();
    TForm1 next(m_dir->filePath("dustmote"));
    QCOMPARE(next.listFilePath(), own);
    QVERIFY(m_boxes->shown.isEmpty());
    QCOMPARE(next.catalog().rowCount(), 1);
    QCOMPARE(next.catalog().row(0).subItems, QStringList{"*.tmp"});
}

// A special file already in the catalog's place at start, and no data
// folder of the user's yet: the catalog is saved in the user's own copy,
// whose folder is made for it.
void TestAdversity::specialFileThereAtStart()
{
    if (!makeSpecial(m_dir->filePath("List.lst"), "fifo"))
        QSKIP("cannot make a FIFO here");
    QVERIFY(!QFileInfo::exists(m_dir->filePath("data")));
    auto form = makeForm();
    const QString own = m_dir->filePath("data/Dustmote/List.lst");
    QCOMPARE(form->listFilePath(), own);
    QVERIFY(form->close());
    QVERIFY(m_boxes->shown.isEmpty());
    m_boxes->shown.clear();
    TForm1 next(m_dir->filePath("dustmote"));
    QVERIFY(m_boxes->shown.isEmpty());
    QCOMPARE(next.catalog().rowCount(), 1);
}

// The scan counter cannot be stored (a file-size limit makes the disk look
// full, also for root): told once, and every scan still runs.
void TestAdversity::fullDiskStillScans()
{
    QVERIFY(writeFile(home("junk/a.tmp"), "x") && writeFile(home("junk/b.tmp"), "x"));
    auto form = makeForm();
    const dm::test::ScopedLimit full(RLIMIT_FSIZE, 4);
    for (int scan = 0; scan < 2; ++scan) {
        form->ui->CheckBox1->setChecked(true); // a scan's end unticks the types
        form->ui->Action4->trigger();
        QTRY_VERIFY(!form->FindFile1->Searching());
        QCOMPARE(form->foundFiles().rowCount(), 2);
        QVERIFY(form->ui->Action4->isEnabled());
    }
    QCOMPARE(m_boxes->shown.size(), 1);
    QCOMPARE(m_boxes->shown[0].icon, QMessageBox::Warning);
    QVERIFY2(m_boxes->shown[0].text.startsWith("Статистика не сохранена: Не удалось "),
             qPrintable(m_boxes->shown[0].text));
}

// Memory runs out during a scan, on the engine's worker (the match handler's
// batch) or on the main thread (the list taking a batch): the scan stops with
// a message, the window is ready for the next scan, and the catalog's edits
// reach the list file at close.
void TestAdversity::outOfMemoryStopsTheScan_data()
{
    QTest::addColumn<bool>("onMain");
    QTest::addColumn<int>("failFrom"); // bytes
    QTest::newRow("on the worker") << false << 32 * 1024;
    // A block of the list's rows is the main thread's largest allocation.
    QTest::newRow("on the main thread") << true << int(sizeof(dm::FoundChunk));
}

void TestAdversity::outOfMemoryStopsTheScan()
{
    QFETCH(bool, onMain);
    QFETCH(int, failFrom);
    for (int i = 0; i < 8000; ++i)
        QVERIFY(writeFile(home(QStringLiteral("junk/%1/f%2.tmp").arg(i / 500).arg(i)), "x"));
    auto form = makeForm();
    form->catalog().appendRow({"Правка этого сеанса", {"*.edit"}, 0});

    gFailOnMain = onMain;
    gFailFrom = std::size_t(failFrom);
    form->ui->Action4->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!form->FindFile1->Searching(), 20000);
    gFailFrom = 0;

    QVERIFY(form->foundFiles().rowCount() < 8000);
    QCOMPARE(m_boxes->shown.size(), 1);
    QCOMPARE(m_boxes->shown[0].text, QStringLiteral("Не хватило памяти: сканирование остановлено. "
                                                     "В списке только файлы, найденные до остановки."));
    QVERIFY(form->ui->Action4->isEnabled());
    QVERIFY(!form->ui->Action5->isEnabled());
    QVERIFY(form->close());
    QVERIFY(readFile(form->listFilePath()).contains("*.edit"));
}

QTEST_MAIN(TestAdversity)
#include "tst_adversity.moc"
