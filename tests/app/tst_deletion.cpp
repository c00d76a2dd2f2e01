// A deletion as a user meets it once it takes a while: stopped, the window
// closed meanwhile, every other action refused until it ends; and the
// deletion to the trash with its way back.

#include "DeletionPass.h"
#include "DmGroupBar.h"
#include "DmTray.h"
#include "FoundFiles.h"
#include "ScanFixture.h"
#include "Statistics.h"
#include "TrashRestore.h"
#include "ui_Unit1.h"

#include <QPushButton>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>

#include <QScopeGuard>
#include <cstdlib>
#include <sys/mount.h>
#include <unistd.h>

using dm::test::writeFile;

namespace {

// GLib reads the home and data folders once per process: both are fixed
// before anything can ask, so that the trash lives in this test's folder.
const QByteArray kProcessHome = [] {
    QByteArray dir = qgetenv("TMPDIR").isEmpty() ? QByteArray("/tmp") : qgetenv("TMPDIR");
    dir += "/tst_deletion-XXXXXX";
    if (!::mkdtemp(dir.data()))
        std::abort();
    qputenv("HOME", dir);
    qputenv("XDG_DATA_HOME", dir + "/data");
    return dir;
}();

QString trashFiles()
{
    return QFile::decodeName(kProcessHome) + "/data/Trash/files";
}

} // namespace

class TestDeletion : public QObject, protected dm::test::ScanFixture
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void cleanupTestCase() { QDir(QFile::decodeName(kProcessHome)).removeRecursively(); }
    void heldDeletion_data();
    void heldDeletion();
    void trashAndRestore();
    void trashOnAnotherMount();

private:
    // A window that has found `count` files "f<i>.tmp" in the home folder,
    // all ticked, and a deletion of them held before its `holdAt`-th file.
    std::unique_ptr<TForm1> startHeld(int count, int holdAt);
    QSemaphore m_reached, m_release;
};

void TestDeletion::init()
{
    setUp();
    QFile::remove(dm::trashRecordFile());
}

void TestDeletion::cleanup()
{
    // A pass still held would never end.
    m_release.release(1 << 20);
    tearDown();
    dm::DeletionPass::setBeforeFileHook({});
    m_release.tryAcquire(m_release.available());
    m_reached.tryAcquire(m_reached.available());
}

std::unique_ptr<TForm1> TestDeletion::startHeld(int count, int holdAt)
{
    for (int i = 0; i < count; ++i)
        writeFile(home(QString("f%1.tmp").arg(i)));
    auto form = makeForm({"*.tmp"});
    scan(*form);
    form->ui->CheckBox2->setChecked(true);
    auto at = std::make_shared<std::atomic<int>>(0);
    dm::DeletionPass::setBeforeFileHook([this, at, holdAt] {
        if (at->fetch_add(1) == holdAt) {
            m_reached.release();
            m_release.acquire();
        }
    });
    m_boxes->answer = QMessageBox::Yes;
    form->BitBtn1Click();
    m_reached.acquire();
    return form;
}

void TestDeletion::heldDeletion_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Stop button") << "stop";
    QTest::newRow("Esc") << "esc";
    QTest::newRow("window closed") << "close";
    QTest::newRow("other actions meanwhile") << "actions";
}

void TestDeletion::heldDeletion()
{
    QFETCH(QString, how);
    dm::StatisticsKey().WriteCounter("Quantity", "Dels", 10);
    auto form = startHeld(20, 5);
    // A check failing while the pass is held ends the case before the form
    // goes, whose end waits for the pass: release it then, or the suite hangs.
    const auto unhold = qScopeGuard([this] { m_release.release(1 << 20); });
    QVERIFY(form->busy());
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    const QSize size = form->size();
    QVERIFY(form->StopButton->isVisibleTo(form.get()));
    QCOMPARE(form->foundFiles().rowCount(), 20);

    if (how == "stop") {
        QTest::mouseClick(form->StopButton, Qt::LeftButton);
    } else if (how == "esc") {
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        QTest::keyClick(form.get(), Qt::Key_Escape);
    } else if (how == "close") {
        QVERIFY(!form->close()); // put off until the pass has stopped
    } else {
        // Whatever reaches the window meanwhile (a menu, the tray, the task
        // pane, a screen reader calling a handler) leaves the list alone.
        QVERIFY(!form->ui->Action4->isEnabled() && !form->ui->DmGroup3->Items(0)->Enabled());
        QVERIFY(!form->ActionTrash->isEnabled() && !form->ActionRestore->isEnabled());
        for (QWidget *w : {form->ui->TabSheet1, form->ui->TabSheet2, static_cast<QWidget *>(form->ui->ListView1),
                           static_cast<QWidget *>(form->ui->BitBtn1), static_cast<QWidget *>(form->ui->CheckBox2)})
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        form->ui->DmGroup3->Items(0)->Click();
        form->Action4Execute();
        form->BitBtn1Click();
        form->ui->CheckBox2->setChecked(false);
        QVERIFY(!form->FindFile1->Searching());
        QCOMPARE(form->foundFiles().rowCount(), 20);
        QVERIFY(form->foundFiles().isChecked(19));
    }
    m_release.release();
    QTRY_VERIFY(!form->busy());

    int left = 0;
    for (int i = 0; i < 20; ++i)
        left += QFileInfo::exists(home(QString("f%1.tmp").arg(i)));
    // Stopped after the file in hand; the count is exactly what went.
    QCOMPARE(left, how == "actions" ? 0 : 14);
    QCOMPARE(dm::StatisticsKey().ReadCounter("Quantity", "Dels", 0), 10 + 20 - left);
    QCOMPARE(form->foundFiles().rowCount(), 0);
    QVERIFY(!form->StopButton->isVisibleTo(form.get()));
    QCOMPARE(form->size(), size); // the window never widens by itself
    QVERIFY(form->ui->Action4->isEnabled() && form->ui->ListView1->isEnabled());
    QCOMPARE(form->windowTitle(), QString("Dustmote 3.1"));
    // A close asked for meanwhile is carried out once the pass has ended.
    QCOMPARE(QFileInfo::exists(form->listFilePath()), how == "close");
}

void TestDeletion::trashAndRestore()
{
    QVERIFY(writeFile(home("a.tmp"), 10) && writeFile(home("sub/a.tmp"), 20) && writeFile(home("c.tmp"), 30));
    auto form = makeForm({"*.tmp"});
    form->ActionTrash->trigger();
    QVERIFY(form->ActionTrash->isChecked());
    scan(*form);
    form->ui->CheckBox2->setChecked(true);
    m_boxes->answer = QMessageBox::Yes;
    form->BitBtn1Click();
    QTRY_VERIFY(!form->busy());
    QCOMPARE(m_boxes->shown.value(0).text, QString("Вы уверены, что хотите удалить выбраные файлы?"));
    QCOMPARE(m_boxes->shown.size(), 1);
    for (const char *name : {"a.tmp", "sub/a.tmp", "c.tmp"})
        QVERIFY2(!QFileInfo::exists(home(name)), name);
    // Two of one name: both kept, under names of their own.
    QCOMPARE(QDir(trashFiles()).entryList(QDir::Files), (QStringList{"a.2.tmp", "a.tmp", "c.tmp"}));
    QCOMPARE(dm::StatisticsKey().ReadCounter("Quantity", "Dels", 0), 3);
    QVERIFY(form->ActionRestore->isEnabled());

    // After a restart: the choice and the way back are still there. A new
    // file in the place of one of them is never overwritten.
    form.reset();
    QVERIFY(writeFile(home("c.tmp"), 5));
    form = makeForm({});
    QVERIFY(form->ActionTrash->isChecked());
    QVERIFY(form->ActionRestore->isEnabled());
    m_boxes->shown.clear();
    form->ActionRestore->trigger();
    QTRY_VERIFY(!form->busy());
    QCOMPARE(QFileInfo(home("a.tmp")).size(), 10);
    QCOMPARE(QFileInfo(home("sub/a.tmp")).size(), 20);
    QCOMPARE(QFileInfo(home("c.tmp")).size(), 5);
    QCOMPARE(m_boxes->shown.size(), 1);
    QVERIFY(m_boxes->shown[0].text.startsWith("Возвращено файлов: 2."));
    QVERIFY(m_boxes->shown[0].text.contains(home("c.tmp") + "\n    на этом месте уже есть файл"));
    // The one kept back comes once its place is free; then nothing is left.
    QVERIFY(form->ActionRestore->isEnabled());
    QVERIFY(QFile::remove(home("c.tmp")));
    form->ActionRestore->trigger();
    QTRY_VERIFY(!form->busy());
    QCOMPARE(QFileInfo(home("c.tmp")).size(), 30);
    QVERIFY(!form->ActionRestore->isEnabled());
    QVERIFY(QDir(trashFiles()).entryList(QDir::Files).isEmpty());
}

void TestDeletion::trashOnAnotherMount()
{
    const QByteArray mnt = QFile::encodeName(home("mnt"));
    QVERIFY(QDir().mkpath(home("mnt")));
    if (::mount("tmpfs", mnt.constData(), "tmpfs", 0, "size=1m") != 0)
        QSKIP("Mounting a file system is not allowed here");
    const auto unmount = qScopeGuard([&] { ::umount2(mnt.constData(), MNT_DETACH); });
    QVERIFY(writeFile(home("mnt/d/x.tmp"), 7));
    auto form = makeForm({"*.tmp"});
    form->ActionTrash->setChecked(true);
    scan(*form);
    form->ui->CheckBox2->setChecked(true);
    m_boxes->answer = QMessageBox::Yes;
    form->BitBtn1Click();
    QTRY_VERIFY(!form->busy());
    // The mount's own trash, the record's path relative to its top.
    const QString trash = home("mnt/.Trash-" + QString::number(::getuid()));
    QCOMPARE(QFileInfo(trash + "/files/x.tmp").size(), 7);
    QFile info(trash + "/info/x.tmp.trashinfo");
    QVERIFY(info.open(QIODevice::ReadOnly));
    QVERIFY(info.readAll().startsWith("[Trash Info]\nPath=d/x.tmp\nDeletionDate="));
    form->ActionRestore->trigger();
    QTRY_VERIFY(!form->busy());
    QCOMPARE(QFileInfo(home("mnt/d/x.tmp")).size(), 7);
    QVERIFY(!info.exists());
}

QTEST_MAIN(TestDeletion)
#include "tst_deletion.moc"
