// The way back from the trash as other local users and kills would meet it:
// a link planted on the way, a shared trash owned by someone else, a file
// swapped in the trash, a path longer than the system's limit, and the
// leftovers of a pass killed midway. Cases about other users run as two
// unprivileged users (they prove nothing as root).

#include "ChildProcess.h"
#include "DeletionPass.h"
#include "FileDeletion.h"
#include "TestFiles.h"
#include "Trash.h"
#include "TrashRestore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSemaphore>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using dm::test::kNobody;
using dm::test::kOtherUser;
using dm::test::readFile;
using dm::test::runInChildAs;
using dm::test::writeFile;

namespace {

QByteArray bytes(const QString &path)
{
    return QFile::encodeName(path);
}

// Runs a pass to its end.
template <typename Pass>
void runToEnd(Pass &pass)
{
    pass.start();
    while (!pass.finished())
        QThread::msleep(2);
}

// Moves the files to the trash as a deletion from `root` does; the number moved.
std::size_t trashFiles(const QString &root, const QStringList &files)
{
    std::vector<dm::DeletionTarget> targets;
    for (const QString &f : files) {
        const QByteArray path = bytes(f);
        struct stat st;
        if (::lstat(path.constData(), &st) != 0)
            return 0;
        const qsizetype slash = path.lastIndexOf('/');
        targets.push_back({path.left(slash + 1), path.mid(slash + 1), dm::FileVersion::of(st)});
    }
    dm::DeletionPass pass(dm::ScanRoot::of(bytes(root)), std::move(targets), dm::DeletionPass::Mode::ToTrash);
    runToEnd(pass);
    return pass.removed();
}

dm::RestoreOutcome restoreAll()
{
    const std::optional<dm::TrashRecord> record = dm::loadTrashRecord();
    return record ? dm::restoreFromTrash(*record) : dm::RestoreOutcome{};
}

// The environment of a user whose home and data folder are `home`.
void becomeUser(const QString &home)
{
    qputenv("HOME", bytes(home));
    qputenv("XDG_DATA_HOME", bytes(home + "/data"));
}

bool exists(const QString &path)
{
    struct stat st;
    return ::lstat(bytes(path).constData(), &st) == 0;
}

} // namespace

class TestWayBack : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    // restore
    void linkPlantedOnTheWay_data();
    void linkPlantedOnTheWay();
    void deeperThanPathMax();
    // trash ownership
    void sharedTrashRule_data();
    void sharedTrashRule();
    void sharedTrashOfAnotherUser();
    void fileSwappedInTheTrash();
    void recordOfTheVersionBefore();
    // kills
    void recordKeptAsTheDeletionGoes();
    void leftoversOfAKill_data();
    void leftoversOfAKill();

private:
    // A folder every user may enter, reached without links.
    QString base() const { return m_base; }
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_base;
};

void TestWayBack::init()
{
    // The cases run as other users, who must reach the folder: TMPDIR may be
    // root's alone.
    static const QString shared = dm::test::tempBaseForNobody();
    if (shared.isEmpty())
        QSKIP("no temporary folder here that other users may enter");
    m_dir = std::make_unique<QTemporaryDir>(shared + QStringLiteral("/tst_wayback-XXXXXX"));
    m_base = QDir(m_dir->path()).canonicalPath();
    QFile::setPermissions(m_base, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeGroup
                                      | QFile::ExeOther | QFile::ReadGroup | QFile::ReadOther);
    QVERIFY(QDir(m_base).mkdir("user"));
    becomeUser(m_base + "/user");
}

void TestWayBack::cleanup()
{
    dm::DeletionPass::setBeforeFileHook({});
    m_dir.reset();
}

void TestWayBack::linkPlantedOnTheWay_data()
{
    QTest::addColumn<bool>("folderThere");
    QTest::newRow("the file's folder there") << true;
    QTest::newRow("the file's folder missing") << false;
}

// In a folder all may write (no sticky bit), another user swaps the project
// folder for a link to a folder of theirs after the deletion: the restore
// must neither move the file there nor make folders there.
void TestWayBack::linkPlantedOnTheWay()
{
    QFETCH(bool, folderThere);
    const QString home = base() + "/user", shared = base() + "/S", theirs = base() + "/theirs";
    QVERIFY(QDir().mkpath(shared) && QDir().mkpath(theirs));
    QVERIFY(::chmod(bytes(shared).constData(), 0777) == 0);
    QVERIFY(::chown(bytes(home).constData(), kNobody, kNobody) == 0);
    QVERIFY(::chown(bytes(theirs).constData(), kOtherUser, kOtherUser) == 0);

    QCOMPARE(runInChildAs(kNobody, [&] {
        return writeFile(shared + "/proj/cache/a.tmp", "mine") && trashFiles(shared, {shared + "/proj/cache/a.tmp"}) == 1
            ? 0 : 1;
    }, 20000), 0);
    QCOMPARE(runInChildAs(kOtherUser, [&] {
        if (folderThere && !QDir().mkpath(theirs + "/cache"))
            return 1;
        return ::rename(bytes(shared + "/proj").constData(), bytes(shared + "/old").constData()) == 0
                && ::symlink(bytes(theirs).constData(), bytes(shared + "/proj").constData()) == 0
            ? 0 : 2;
    }, 20000), 0);
    QCOMPARE(runInChildAs(kNobody, [&] {
        const dm::RestoreOutcome outcome = restoreAll();
        if (outcome.restored != 0 || outcome.failures.size() != 1)
            return 1;
        if (outcome.failures[0].error != dm::kFolderReplaced)
            return 2;
        if (!dm::RestoreReport(outcome.failures).contains("заменена ссылкой"))
            return 3;
        return 0;
    }, 20000), 0);
    QVERIFY(!exists(theirs + "/cache/a.tmp"));
    QCOMPARE(exists(theirs + "/cache"), folderThere);
    // Still in the trash, and still on the record for a later try.
    QCOMPARE(readFile(home + "/data/Trash/files/a.tmp"), QByteArray("mine"));
    QVERIFY(dm::hasTrashRecord());
}

// A file below more than PATH_MAX bytes of folders goes and comes back,
// also when its folders are gone meanwhile.
void TestWayBack::deeperThanPathMax()
{
    const QString root = base() + "/deep";
    QVERIFY(QDir().mkpath(root));
    const QByteArray step(200, 'd');
    dm::UniqueFd fd(::open(bytes(root).constData(), O_PATH | O_DIRECTORY));
    QByteArray path = bytes(root);
    for (int i = 0; i < 25; ++i) {
        QVERIFY(::mkdirat(fd.get(), step.constData(), 0755) == 0);
        fd.reset(::openat(fd.get(), step.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW));
        QVERIFY(fd);
        path += '/' + step;
    }
    QVERIFY(path.size() > PATH_MAX);
    dm::UniqueFd file(::openat(fd.get(), "a.tmp", O_WRONLY | O_CREAT | O_EXCL, 0644));
    QVERIFY(file && ::write(file.get(), "deep", 4) == 4);
    file.reset();
    struct stat st;
    QVERIFY(::fstatat(fd.get(), "a.tmp", &st, AT_SYMLINK_NOFOLLOW) == 0);
    dm::DeletionPass pass(dm::ScanRoot::of(bytes(root)), {{path + '/', "a.tmp", dm::FileVersion::of(st)}},
                          dm::DeletionPass::Mode::ToTrash);
    runToEnd(pass);
    QCOMPARE(pass.removed(), std::size_t(1));
    QVERIFY(::fstatat(fd.get(), "a.tmp", &st, AT_SYMLINK_NOFOLLOW) != 0);
    // The last folder is gone: made again on the way back.
    dm::UniqueFd parent(::openat(fd.get(), "..", O_PATH | O_DIRECTORY));
    QVERIFY(::unlinkat(parent.get(), step.constData(), AT_REMOVEDIR) == 0);

    const dm::RestoreOutcome outcome = restoreAll();
    QCOMPARE(outcome.failures.size(), std::size_t(0));
    QCOMPARE(outcome.restored, std::size_t(1));
    dm::UniqueFd again(::openat(parent.get(), (step + "/a.tmp").constData(), O_RDONLY | O_NOFOLLOW));
    char text[8] = {};
    QVERIFY(again && ::read(again.get(), text, sizeof text) == 4);
    QCOMPARE(QByteArray(text), QByteArray("deep"));
    // Deeper than the temporary folder's own removal reaches.
    QCOMPARE(QProcess::execute("rm", {"-rf", root}), 0);
}

void TestWayBack::sharedTrashRule_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("owner");
    QTest::addColumn<bool>("usable");
    QTest::newRow("root's, sticky") << int(S_IFDIR | 01777) << 0 << true;
    QTest::newRow("the user's, sticky") << int(S_IFDIR | 01777) << int(kNobody) << true;
    QTest::newRow("another user's, sticky") << int(S_IFDIR | 01777) << int(kOtherUser) << false;
    QTest::newRow("root's, not sticky") << int(S_IFDIR | 0777) << 0 << false;
    QTest::newRow("a link") << int(S_IFLNK | 0777) << 0 << false;
}

void TestWayBack::sharedTrashRule()
{
    QFETCH(int, mode);
    QFETCH(int, owner);
    QFETCH(bool, usable);
    struct stat st{};
    st.st_mode = mode_t(mode);
    st.st_uid = uid_t(owner);
    QCOMPARE(dm::sharedTrashUsable(st, kNobody), usable);
}

// On a volume whose top all may write, another user makes a sticky .Trash
// of their own: the user's files go to the user's own .Trash-$uid, and a
// record naming .Trash/$uid (as an older version wrote it) is refused
// rather than restoring what the other user put there.
void TestWayBack::sharedTrashOfAnotherUser()
{
    const QString mnt = base() + "/mnt", home = base() + "/user";
    QVERIFY(QDir().mkpath(mnt));
    if (::mount("tmpfs", bytes(mnt).constData(), "tmpfs", 0, "size=1m,mode=0777") != 0)
        QSKIP("Mounting a file system is not allowed here");
    const auto unmount = qScopeGuard([&] { ::umount2(bytes(mnt).constData(), MNT_DETACH); });
    QVERIFY(::chown(bytes(home).constData(), kNobody, kNobody) == 0);
    const QString uid = QString::number(kNobody);

    QCOMPARE(runInChildAs(kOtherUser, [&] {
        return QDir().mkpath(mnt + "/.Trash") && ::chmod(bytes(mnt + "/.Trash").constData(), 01777) == 0 ? 0 : 1;
    }, 20000), 0);
    QCOMPARE(runInChildAs(kNobody, [&] {
        return writeFile(mnt + "/d/x.tmp", "mine") && trashFiles(mnt, {mnt + "/d/x.tmp"}) == 1 ? 0 : 1;
    }, 20000), 0);
    QCOMPARE(readFile(mnt + "/.Trash-" + uid + "/files/x.tmp"), QByteArray("mine"));
    QVERIFY(!exists(mnt + "/.Trash/" + uid));

    // What the other user could do with a folder in their .Trash.
    QCOMPARE(runInChildAs(kOtherUser, [&] {
        const QString planted = mnt + "/.Trash/" + uid;
        return writeFile(planted + "/files/y.tmp", "theirs")
                && writeFile(planted + "/info/y.tmp.trashinfo", "[Trash Info]\nPath=d/y.tmp\n")
                && ::chmod(bytes(planted + "/files/y.tmp").constData(), 0666) == 0
            ? 0 : 1;
    }, 20000), 0);
    QCOMPARE(runInChildAs(kNobody, [&] {
        const QByteArray older = "Dustmote trash record 2\n" + bytes(mnt + "/d/y.tmp").toPercentEncoding("/") + ' '
            + bytes(mnt + "/.Trash/" + uid + '/').toPercentEncoding("/") + " y.tmp\n";
        if (!writeFile(dm::trashRecordFile(), older))
            return 1;
        const dm::RestoreOutcome outcome = restoreAll();
        if (outcome.restored != 0 || outcome.failures.size() != 1)
            return 2;
        return outcome.failures[0].error == dm::kTrashNotOwn ? 0 : 3;
    }, 20000), 0);
    QVERIFY(!exists(mnt + "/d/y.tmp"));
}

// The file in the trash is no longer the one moved there (replaced under
// the same name): it stays where it is, and nothing comes back in its place.
void TestWayBack::fileSwappedInTheTrash()
{
    const QString home = base() + "/user";
    QVERIFY(writeFile(home + "/w/a.tmp", "mine"));
    QCOMPARE(trashFiles(home + "/w", {home + "/w/a.tmp"}), std::size_t(1));
    const QString inTrash = home + "/data/Trash/files/a.tmp";
    QVERIFY(QFile::remove(inTrash) && writeFile(inTrash, "someone else's"));

    const dm::RestoreOutcome outcome = restoreAll();
    QCOMPARE(outcome.restored, std::size_t(0));
    QCOMPARE(outcome.failures.size(), std::size_t(1));
    QCOMPARE(outcome.failures[0].error, int(dm::kNotTrashed));
    QVERIFY(dm::RestoreReport(outcome.failures).contains("в Корзине под этим именем теперь другой файл"));
    QVERIFY(!exists(home + "/w/a.tmp"));
    QCOMPARE(readFile(inTrash), QByteArray("someone else's"));
}

// A record the version before wrote (no identity) still brings its files back.
void TestWayBack::recordOfTheVersionBefore()
{
    const QString home = base() + "/user";
    QVERIFY(writeFile(home + "/w/a.tmp", "mine"));
    QCOMPARE(trashFiles(home + "/w", {home + "/w/a.tmp"}), std::size_t(1));
    QVERIFY(writeFile(dm::trashRecordFile(),
                      "Dustmote trash record 2\n" + bytes(home + "/w/a.tmp").toPercentEncoding("/") + ' '
                          + bytes(home + "/data/Trash/").toPercentEncoding("/") + " a.tmp\n"));
    QVERIFY(QDir(home + "/w").removeRecursively());
    const dm::RestoreOutcome outcome = restoreAll();
    QCOMPARE(outcome.failures.size(), std::size_t(0));
    QCOMPARE(outcome.restored, std::size_t(1));
    QCOMPARE(readFile(home + "/w/a.tmp"), QByteArray("mine"));
}

// Killed in the middle, a deletion has already told the record of every
// file it moved.
void TestWayBack::recordKeptAsTheDeletionGoes()
{
    const QString home = base() + "/user";
    QStringList files;
    for (int i = 0; i < 20; ++i) {
        files << home + QString("/w/f%1.tmp").arg(i);
        QVERIFY(writeFile(files.last(), QByteArray::number(i)));
    }
    std::vector<dm::DeletionTarget> targets;
    for (const QString &f : files) {
        struct stat st;
        QVERIFY(::lstat(bytes(f).constData(), &st) == 0);
        targets.push_back({bytes(home + "/w/"), bytes(QFileInfo(f).fileName()), dm::FileVersion::of(st)});
    }
    QSemaphore reached, release;
    std::atomic<int> at{0};
    dm::DeletionPass::setBeforeFileHook([&] {
        if (at.fetch_add(1) == 12) {
            reached.release();
            release.acquire();
        }
    });
    dm::DeletionPass pass(dm::ScanRoot::of(bytes(home + "/w")), std::move(targets), dm::DeletionPass::Mode::ToTrash);
    pass.start();
    reached.acquire();
    const std::optional<dm::TrashRecord> record = dm::loadTrashRecord();
    release.release();
    while (!pass.finished())
        QThread::msleep(2);
    QVERIFY(record);
    QCOMPARE(record->size(), std::size_t(12));
    QCOMPARE(record->front().path, bytes(files.first()));
    QVERIFY(pass.recordKept());
    QCOMPARE(dm::loadTrashRecord()->size(), std::size_t(20));
}

void TestWayBack::leftoversOfAKill_data()
{
    QTest::addColumn<QString>("info");
    // A deletion noted the file and made its trash record, then was killed
    // before the move; or a restore moved the file back and was killed
    // before removing the trash record.
    QTest::newRow("trash record left") << "whole";
    // A deletion killed between making the trash record and writing it.
    QTest::newRow("empty trash record left") << "empty";
    // A deletion noted the file and was killed at once.
    QTest::newRow("only the note") << "none";
}

// Either way the file is in its place and stays there; no failure is
// reported, and the leftover trash record goes.
void TestWayBack::leftoversOfAKill()
{
    QFETCH(QString, info);
    const QString home = base() + "/user", file = home + "/w/a.tmp";
    QVERIFY(writeFile(file, "mine"));
    QCOMPARE(trashFiles(home + "/w", {file}), std::size_t(1));
    const QString record = home + "/data/Trash/info/a.tmp.trashinfo";
    QVERIFY(exists(record));
    QVERIFY(::rename(bytes(home + "/data/Trash/files/a.tmp").constData(), bytes(file).constData()) == 0);
    if (info == "none")
        QVERIFY(QFile::remove(record));
    if (info == "empty")
        QVERIFY(writeFile(record, {}));

    const dm::RestoreOutcome outcome = restoreAll();
    QCOMPARE(outcome.failures.size(), std::size_t(0));
    QCOMPARE(outcome.restored, std::size_t(0));
    QCOMPARE(readFile(file), QByteArray("mine"));
    QVERIFY(!exists(record));
}

QTEST_GUILESS_MAIN(TestWayBack)
#include "tst_wayback.moc"
