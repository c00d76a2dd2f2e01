// The desktop's trash left alone and at a glance: which folders are trash
// folders and never walked, what the trash holds, emptying it by descriptors
// (a link in it removed, never followed) with the record of the last deletion
// cleared, the window's "Очистить Корзину…" and its confirmation, and the
// running browser named before its cache is deleted.

#include "DesktopHome.h"
#include "FoundFiles.h"
#include "RunningBrowsers.h"
#include "ScanFixture.h"
#include "TrashEmpty.h"
#include "TrashFolders.h"
#include "TrashRestore.h"

#include <QLabel>
#include <QTest>
#include <unistd.h>

using dm::test::writeFile;

// The trash is measured and emptied on a worker: on a loaded machine that
// may take longer than the test library's default five seconds.
constexpr int kBackground = 30000;

class TestTrash : public QObject, public dm::test::ScanFixture
{
    Q_OBJECT
private slots:
    void init()
    {
        setUp();
        qputenv("XDG_DATA_HOME", QFile::encodeName(home(".local/share")));
    }
    void cleanup() { tearDown(); }

    void trashFoldersNeverWalked_data();
    void trashFoldersNeverWalked();
    void ownTrashFolders();
    void sizeAndEmptying();
    void emptyingClearsTheRecord();
    void othersTrashNeverEmptied_data();
    void othersTrashNeverEmptied();
    void emptyTrashFromTheMenu_data();
    void emptyTrashFromTheMenu();
    void desktopScanLeavesTheTrash();
    void runningBrowserNamed_data();
    void runningBrowserNamed();
};

void TestTrash::trashFoldersNeverWalked_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("trash");
    QTest::newRow("home trash") << "/h/.local/share/Trash/" << true;
    QTest::newRow("home trash, no slash") << "/h/.local/share/Trash" << true;
    QTest::newRow("inside the home trash") << "/h/.local/share/Trash/files/a/" << true;
    QTest::newRow("beside the home trash") << "/h/.local/share/Trash2/" << false;
    QTest::newRow(".Trash-uid at a mount top") << "/media/usb/.Trash-1000/" << true;
    QTest::newRow("another user's .Trash-uid") << "/media/usb/.Trash-1001/files/x/" << true;
    QTest::newRow(".Trash/uid at a mount top") << "/media/usb/.Trash/1000/files/" << true;
    QTest::newRow(".Trash-uid at the root") << "/.Trash-0/" << true;
    QTest::newRow(".Trash-uid below a top") << "/media/usb/photos/.Trash-1000/" << false;
    QTest::newRow("not a uid") << "/media/usb/.Trash-old/" << false;
    QTest::newRow("a name that begins alike") << "/media/usb/.Trashes/" << false;
    QTest::newRow("ordinary") << "/media/usb/photos/" << false;
}

void TestTrash::trashFoldersNeverWalked()
{
    QFETCH(QString, folder);
    QFETCH(bool, trash);
    const dm::TrashFolders folders("/h/.local/share/Trash", {"/", "/media/usb", "/h"}, 1000);
    QCOMPARE(folders.contains(folder.toStdString()), trash);
}

void TestTrash::ownTrashFolders()
{
    const QString top = m_dir->filePath("usb");
    QVERIFY(QDir().mkpath(top + "/.Trash/1000/files"));
    QVERIFY(QDir().mkpath(top + "/.Trash-1000/files"));
    QVERIFY(QDir().mkpath(top + "/.Trash-1001/files")); // another user's
    QVERIFY(QDir().mkpath(home(".local/share/Trash/files")));
    const QByteArray t = QFile::encodeName(top);
    const dm::TrashFolders folders(QFile::encodeName(home(".local/share/Trash")), {t}, 1000);
    QCOMPARE(folders.own(), (QList<QByteArray>{QFile::encodeName(home(".local/share/Trash/")),
                                                t + "/.Trash/1000/", t + "/.Trash-1000/"}));
}

void TestTrash::sizeAndEmptying()
{
    // The user's own trash on a volume: only such a trash is counted or
    // emptied.
    const QString trash = m_dir->filePath(QStringLiteral("usb/.Trash-%1/").arg(::getuid()));
    QVERIFY(writeFile(trash + "files/a.tmp", 1000));
    QVERIFY(writeFile(trash + "files/папка/b/c.log", 2000));
    QVERIFY(writeFile(trash + "files/папка/d", 0));
    QVERIFY(writeFile(trash + "info/a.tmp.trashinfo", 40));
    QVERIFY(writeFile(trash + "info/папка.trashinfo", 40));
    QVERIFY(writeFile(trash + "directorysizes", 10));
    // A link in the trash to a file outside: counted as the link, removed
    // as the link, its target untouched.
    const QString outside = m_dir->filePath("outside/keep.txt");
    QVERIFY(writeFile(outside, 5000));
    QVERIFY(QFile::link(outside, trash + "files/link"));
    QVERIFY(QDir().mkpath(m_dir->filePath("outside/inner")));
    QVERIFY(writeFile(m_dir->filePath("outside/inner/x"), 7));
    QVERIFY(QFile::link(m_dir->filePath("outside/inner"), trash + "files/папка/dirlink"));

    const QList<QByteArray> folders{QFile::encodeName(trash)};
    const dm::TrashContents before = dm::measureTrash(folders);
    QCOMPARE(before.files, 5u);
    QCOMPARE(before.bytes, 3000u + QFile::encodeName(outside).size() + QFile::encodeName(m_dir->filePath("outside/inner")).size());
    QCOMPARE(dm::TrashText({3, 2049}), QStringLiteral("Корзина: 3 файлов(ла), 3KB"));

    std::atomic<std::size_t> done{0};
    const dm::EmptyOutcome outcome = dm::emptyTrash(folders, &done);
    QCOMPARE(outcome.failed, 0u);
    QCOMPARE(outcome.removed, 7u); // five files and two records
    QCOMPARE(done.load(), 7u);
    QCOMPARE(QDir(trash + "files").entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    QCOMPARE(QDir(trash + "info").entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    QVERIFY(!QFile::exists(trash + "directorysizes"));
    QVERIFY(QFile::exists(outside));
    QVERIFY(QFile::exists(m_dir->filePath("outside/inner/x")));
    QCOMPARE(dm::measureTrash(folders).files, 0u);
}

void TestTrash::emptyingClearsTheRecord()
{
    const QString trash = home(".local/share/Trash/");
    QVERIFY(writeFile(trash + "files/a.tmp", 10));
    QVERIFY(QDir().mkpath(trash + "info"));
    QVERIFY(dm::saveTrashRecord({{QFile::encodeName(home("a.tmp")), QFile::encodeName(trash), "a.tmp", {}}}));
    QVERIFY(dm::hasTrashRecord());
    dm::TrashEmptying pass(QList<QByteArray>{QFile::encodeName(trash)});
    pass.start();
    QTRY_VERIFY_WITH_TIMEOUT(pass.finished(), kBackground);
    QVERIFY(pass.recordCleared());
    QVERIFY(!dm::hasTrashRecord());
    QVERIFY(!QFile::exists(trash + "files/a.tmp"));
}

void TestTrash::othersTrashNeverEmptied_data()
{
    QTest::addColumn<QString>("shape");
    QTest::newRow("shared trash not sticky") << "loose";
    QTest::newRow("shared trash of another user") << "theirs";
    QTest::newRow("the user's folder a link") << "link";
}

// A shared .Trash that another user could swap things into, or a link in
// place of the user's folder, is neither counted nor emptied: what lies
// there may be anybody's.
void TestTrash::othersTrashNeverEmptied()
{
    QFETCH(QString, shape);
    const QString top = m_dir->filePath("usb");
    const QString uid = QString::number(::getuid());
    const QString elsewhere = m_dir->filePath("elsewhere/");
    QVERIFY(writeFile(elsewhere + "files/precious.txt", 100));
    QVERIFY(QDir().mkpath(elsewhere + "info"));
    QVERIFY(QDir().mkpath(top + "/.Trash"));
    const QByteArray shared = QFile::encodeName(top + "/.Trash");
    QVERIFY(::chmod(shared.constData(), shape == "loose" ? 0777 : 01777) == 0);
    if (shape == "theirs")
        QVERIFY(::chown(shared.constData(), 65533, 65533) == 0);
    QString trash = top + "/.Trash/" + uid + "/";
    if (shape == "link") {
        trash = top + "/.Trash-" + uid + "/";
        QVERIFY(QFile::link(elsewhere.chopped(1), trash.chopped(1)));
    } else {
        QVERIFY(QFile::rename(elsewhere.chopped(1), trash.chopped(1)));
    }
    const QList<QByteArray> folders{QFile::encodeName(trash)};
    QCOMPARE(dm::measureTrash(folders).files, 0u);
    QCOMPARE(dm::emptyTrash(folders).removed, 0u);
    QVERIFY(QFile::exists(trash + "files/precious.txt"));
}

void TestTrash::emptyTrashFromTheMenu_data()
{
    QTest::addColumn<bool>("record");
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::newRow("yes") << false << QMessageBox::Yes;
    QTest::newRow("yes, with a record") << true << QMessageBox::Yes;
    QTest::newRow("no") << true << QMessageBox::No;
}

void TestTrash::emptyTrashFromTheMenu()
{
    QFETCH(bool, record);
    QFETCH(QMessageBox::StandardButton, answer);
    const QString trash = home(".local/share/Trash/");
    QVERIFY(writeFile(trash + "files/a.tmp", 1024));
    QVERIFY(writeFile(trash + "files/b.tmp", 2048));
    QVERIFY(writeFile(trash + "info/a.tmp.trashinfo", 10));
    if (record)
        QVERIFY(dm::saveTrashRecord({{QFile::encodeName(home("a.tmp")), QFile::encodeName(trash), "a.tmp", {}}}));
    auto form = makeForm({});
    // The Information page tells what the trash holds.
    QTRY_COMPARE_WITH_TIMEOUT(form->LabelTrash->text(), QStringLiteral("Корзина: 2 файлов(ла), 3KB"), kBackground);

    m_boxes->answer = answer;
    form->ActionEmptyTrash->trigger();
    QVERIFY(!form->ActionEmptyTrash->isEnabled()); // counting afresh for the question
    QTRY_COMPARE_WITH_TIMEOUT(m_boxes->shown.size(), 1, kBackground);
    QString question = QStringLiteral("Удалить из Корзины навсегда 2 файлов(ла), 3KB?");
    if (record)
        question += QStringLiteral("\n\nСреди них файлы, удалённые в Корзину последним удалением: вернуть их "
                                   "командой «Вернуть удалённое» будет нельзя.");
    QCOMPARE(m_boxes->shown[0].text, question);
    if (answer == QMessageBox::Yes) {
        // The window waits for it without freezing, the affected actions off.
        QVERIFY(form->busy());
        QVERIFY(!form->ui->Action4->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!form->busy(), kBackground);
        QTRY_COMPARE_WITH_TIMEOUT(form->LabelTrash->text(), QStringLiteral("Корзина: 0 файлов(ла), 0KB"), kBackground);
        QVERIFY(!QFile::exists(trash + "files/a.tmp"));
        QVERIFY(!dm::hasTrashRecord());
        QVERIFY(!form->ActionRestore->isEnabled());
    } else {
        QVERIFY(!form->busy());
        QVERIFY(QFile::exists(trash + "files/a.tmp"));
        QCOMPARE(dm::hasTrashRecord(), record);
    }
    QTRY_VERIFY_WITH_TIMEOUT(form->ActionEmptyTrash->isEnabled(), kBackground);
    QCOMPARE(m_boxes->shown.size(), 1);
}

void TestTrash::desktopScanLeavesTheTrash()
{
    // A home laid out like a desktop's, its trash full of junk by name and
    // place, scanned with the starting catalog, every type ticked.
    QStringList expected = dm::test::desktopNamedJunk();
    for (const dm::test::DesktopType &type : dm::test::desktopTypes()) {
        expected += type.junk;
        for (const QString &file : type.junk + type.kept)
            QVERIFY(writeFile(home(file)));
    }
    for (const QString &file : dm::test::desktopNamedJunk() + dm::test::desktopOrdinary())
        QVERIFY(writeFile(home(file)));
    for (const QString &file : dm::test::desktopTrash())
        QVERIFY(writeFile(home(".local/share/Trash/" + file)));

    QVERIFY(QFile::copy(QStringLiteral(DUSTMOTE_DEFAULT_LIST), m_dir->filePath("List.lst")));
    auto form = makeForm({});
    QVERIFY(form->catalog().rowCount() > 25);
    scan(*form);
    QStringList found;
    for (int r = 0; r < form->foundFiles().rowCount(); ++r)
        found << form->foundFiles().fullPath(r).mid(home().size());
    found.sort();
    expected.sort();
    QCOMPARE(found, expected);
    for (const QString &file : dm::test::desktopTrash())
        QVERIFY(QFile::exists(home(".local/share/Trash/" + file)));
}

void TestTrash::runningBrowserNamed_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("lock");   // relative to home
    QTest::addColumn<bool>("alive");
    QTest::addColumn<QString>("line");
    QTest::newRow("Firefox running") << ".cache/mozilla/firefox/p.default/cache2/entries/"
                                     << ".mozilla/firefox/p.default/lock" << true
                                     << "Браузер Firefox сейчас запущен: его кэш лучше удалять, когда браузер закрыт.";
    QTest::newRow("Firefox closed") << ".cache/mozilla/firefox/p.default/cache2/entries/"
                                    << ".mozilla/firefox/p.default/lock" << false << "";
    QTest::newRow("Chromium running") << ".config/chromium/Default/GPUCache/" << ".config/chromium/SingletonLock"
                                      << true
                                      << "Браузер Chromium сейчас запущен: его кэш лучше удалять, когда браузер закрыт.";
    QTest::newRow("another browser running") << ".cache/chromium/Default/Cache/"
                                              << ".config/google-chrome/SingletonLock" << true << "";
    QTest::newRow("not a cache") << "Документы/" << ".config/chromium/SingletonLock" << true << "";
}

void TestTrash::runningBrowserNamed()
{
    QFETCH(QString, folder);
    QFETCH(QString, lock);
    QFETCH(bool, alive);
    QFETCH(QString, line);
    // No process has an id above the kernel's largest.
    const QByteArray pid = alive ? QByteArray::number(::getpid()) : QByteArray("999999999");
    const QByteArray target = lock.endsWith("SingletonLock") ? "host-" + pid : "127.0.1.1:+" + pid;
    QVERIFY(QDir().mkpath(QFileInfo(home(lock)).path()));
    QVERIFY(::symlink(target.constData(), QFile::encodeName(home(lock)).constData()) == 0);
    QVERIFY(writeFile(home(folder + "f1")));

    auto form = makeForm({"f1"});
    scan(*form);
    form->foundFiles().setAllChecked(true);
    m_boxes->shown.clear();
    m_boxes->answer = QMessageBox::No;
    qputenv("HOME", QFile::encodeName(home().chopped(1)));
    form->ui->BitBtn1->click();
    QCOMPARE(m_boxes->shown.size(), 1);
    // The question stays word for word; the browser is named on a line of
    // its own under it, after the count and size.
    QCOMPARE(m_boxes->shown[0].text, QStringLiteral("Вы уверены, что хотите удалить выбраные файлы?"));
    const QStringList notes = m_boxes->shown[0].informative.split(QLatin1Char('\n'));
    QCOMPARE(notes.size(), line.isEmpty() ? 1 : 2);
    if (!line.isEmpty())
        QCOMPARE(notes.last(), line);
    QVERIFY(QFile::exists(home(folder + "f1")));
}

QTEST_MAIN(TestTrash)
#include "tst_trash.moc"
