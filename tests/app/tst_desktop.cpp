// The program as a desktop program: where the catalog lives for a build, an
// installed copy and an unnameable folder; ending only after a successful
// close; message boxes and modal windows that can always be reached; one
// program per user; links that answer the mouse, the keyboard and screen
// readers alike.

#include "ChildProcess.h"
#include "LocalChannel.h"
#include "DmLabels.h"
#include "DmTray.h"
#include "RecordedBoxes.h"
#include "DesktopOpen.h"
#include "SingleInstance.h"
#include "TestFiles.h"
#include "Languages.h"
#include "Project1.h"
#include "Unit1.h"
#include "Unit3.h"
#include "ui_Unit1.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QDir>
#include <QLibrary>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

using dm::test::readFile;
using dm::test::writeFile;

class TestDesktop : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void catalogLocation_data();
    void catalogLocation();
    void failedSaveKeepsTheProgramRunning();
    void boxesOfAHiddenWindowStandAlone();
    void modalWindowComesBackWithTheWindow();
    void onlyOneProgramPerUser_data();
    void onlyOneProgramPerUser();
    void laterStartsAreHeardFromTheUserAlone_data();
    void laterStartsAreHeardFromTheUserAlone();
    void onlyALeftSocketIsReplaced_data();
    void onlyALeftSocketIsReplaced();
    void linksAnswerMouseKeysAndScreenReaders_data();
    void linksAnswerMouseKeysAndScreenReaders();
    void qtsOwnButtonsSpeakRussian();
    void soundPlayerLoadsOnItsOwn();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestDesktop::init()
{
    // Some cases run as nobody, who must reach the folder: TMPDIR may be root's alone.
    static const QString base = dm::test::tempBaseForNobody();
    m_dir = base.isEmpty() ? std::make_unique<QTemporaryDir>()
                           : std::make_unique<QTemporaryDir>(base + QStringLiteral("/tst_desktop-XXXXXX"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->filePath("config")));
}

void TestDesktop::catalogLocation_data()
{
    QTest::addColumn<QByteArray>("exe");       // where the program lies, below the test folder
    QTest::addColumn<QString>("folder");       // its folder of own files, "" for none
    QTest::addColumn<QString>("catalog");      // "own" for the per-user data folder
    QTest::newRow("a build") << QByteArray("build/dustmote") << "build/" << "build/List.lst";
    QTest::newRow("installed, folder read-only")
        << QByteArray("prefix/bin/dustmote") << "prefix/share/dustmote/" << "own";
    QTest::newRow("folder name not in the file-name encoding")
        << QByteArray("caf\xe9/dustmote") << "" << "own";
}

void TestDesktop::catalogLocation()
{
    QFETCH(QByteArray, exe);
    QFETCH(QString, folder);
    QFETCH(QString, catalog);
    const QByteArray root = QFile::encodeName(m_dir->path()) + '/';
    const QByteArray path = root + exe;
    QDir().mkpath(QFileInfo(QFile::decodeName(path)).path());
    // Copied by bytes: the folder's name need not be a QString's.
    QVERIFY(QFile::copy(QStringLiteral(DUSTMOTE_WHERE), m_dir->filePath("staged")));
    QVERIFY(::mkdir(path.left(path.lastIndexOf('/')).constData(), 0755) == 0 || errno == EEXIST);
    QVERIFY(::rename(QFile::encodeName(m_dir->filePath("staged")).constData(), path.constData()) == 0);
    QVERIFY(::symlink(path.constData(), (root + "run").constData()) == 0);
    const QByteArray shipped("LVF\x01\x00", 5);
    if (exe.startsWith("prefix"))
        QVERIFY(writeFile(m_dir->filePath("prefix/share/dustmote/List.lst"), shipped));
    const QString own = m_dir->filePath("data");
    QDir().mkpath(own);

    // The installed case as a user who cannot write the share folder.
    QStringList command{m_dir->filePath("run")};
    if (exe.startsWith("prefix") && ::geteuid() == 0) {
        QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                 | QFile::ReadOther | QFile::ExeOther);
        QVERIFY(::chown(QFile::encodeName(own).constData(), 65534, 65534) == 0);
        command = QStringList{"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"} + command;
    }
    QProcess where;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", own);
    where.setProcessEnvironment(env);
    where.start(command.takeFirst(), command);
    QVERIFY(where.waitForFinished());
    const QStringList lines = QString::fromUtf8(where.readAllStandardOutput()).split('\n');
    QCOMPARE(lines.value(0), folder.isEmpty() ? QString() : m_dir->filePath(folder));
    const QString expected = catalog == "own" ? own + "/Dustmote/List.lst" : m_dir->filePath(catalog);
    QCOMPARE(lines.value(1), expected);
    // The user's own catalog starts as the one the program ships.
    if (exe.startsWith("prefix"))
        QCOMPARE(readFile(expected), shipped);
    QVERIFY(!QFileInfo::exists("/List.lst"));
    // A name no QString holds is beyond the temporary folder's own clean-up.
    ::unlink(path.constData());
    ::rmdir(path.left(path.lastIndexOf('/')).constData());
}

void TestDesktop::failedSaveKeepsTheProgramRunning()
{
    dm::test::RecordedBoxes boxes;
    TForm1 form(m_dir->filePath("dustmote"));
    QDir(m_dir->path()).mkdir("List.lst"); // cannot be written
    form.hide();                           // as in the tray
    boxes.shown.clear();
    form.ui->Action1->trigger();           // the tray's "Выход"
    QCOMPARE(boxes.shown.size(), 1);
    QVERIFY(!form.close());
    QVERIFY(QDir(m_dir->path()).rmdir("List.lst"));
    QVERIFY(form.close());
}

void TestDesktop::boxesOfAHiddenWindowStandAlone()
{
    QWidget owner;
    for (bool shown : {false, true}) {
        owner.setVisible(shown);
        QWidget *parent = &owner;
        Qt::WindowFlags flags;
        QTimer::singleShot(0, [&] {
            QWidget *box = QApplication::activeModalWidget();
            parent = box->parentWidget();
            flags = box->windowFlags();
            box->close();
        });
        dm::messageBox({&owner, "Dustmote", "text", QMessageBox::Critical, QMessageBox::Ok});
        QCOMPARE(parent, shown ? &owner : nullptr);
        QCOMPARE(bool(flags & Qt::WindowStaysOnTopHint), !shown);
    }
}

void TestDesktop::modalWindowComesBackWithTheWindow()
{
    dm::test::RecordedBoxes boxes;
    TForm1 form(m_dir->filePath("dustmote"));
    TForm3 about(&form);
    QCOMPARE(about.windowModality(), Qt::WindowModal);
    form.show();
    about.show();
    about.showMinimized();
    form.DmTrayIcon1->RestoreApp();
    QVERIFY(about.isVisible());
    QVERIFY(!about.isMinimized());
}

// A later start brings the running window forward with the folder it was
// given, named as that start's own current folder resolves it.
void TestDesktop::onlyOneProgramPerUser_data()
{
    QTest::addColumn<QByteArray>("given");
    QTest::addColumn<QByteArray>("asked"); // "~" stands for the later start's current folder
    QTest::newRow("no folder") << QByteArray() << QByteArray();
    QTest::newRow("absolute") << QByteArray("/var/tmp") << QByteArray("/var/tmp");
    QTest::newRow("relative") << QByteArray("sub/dir") << QByteArray("~/sub/dir");
    QTest::newRow("not UTF-8, with a line break") << QByteArray("/a\xff\nb") << QByteArray("/a\xff\nb");
}

void TestDesktop::onlyOneProgramPerUser()
{
    QFETCH(QByteArray, given);
    QFETCH(QByteArray, asked);
    asked.replace("~", QFile::encodeName(QDir::currentPath()));
    {
        dm::SingleInstance first(m_dir->path()), second(m_dir->path());
        QVERIFY(first.claim());
        QSignalSpy forward(&first, &dm::SingleInstance::activationRequested);
        QVERIFY(!second.claim());
        QVERIFY(second.activateRunning(given));
        QVERIFY(forward.wait());
        QCOMPARE(forward.takeFirst().at(0).toByteArray(), asked);
    }
    // Once the first has gone, the next start runs.
    dm::SingleInstance next(m_dir->path());
    QVERIFY(next.claim());
}

// The channel a later start uses: the running program hears its own user
// alone, whatever the umask or the socket's mode, and never more than the
// bound it was given.
void TestDesktop::laterStartsAreHeardFromTheUserAlone_data()
{
    QTest::addColumn<uid_t>("writer");
    QTest::addColumn<bool>("openToAll"); // the socket's mode widened after it was made
    QTest::addColumn<bool>("deep");      // in a folder too deep for a socket's address
    QTest::addColumn<int>("bytes");
    QTest::addColumn<bool>("sent");
    QTest::addColumn<bool>("heard");
    const int bound = 4096;
    QTest::newRow("the same user") << uid_t(0) << false << false << 12 << true << true;
    QTest::newRow("the same user, at the bound") << uid_t(0) << false << false << bound << true << true;
    QTest::newRow("the same user, past the bound") << uid_t(0) << false << false << bound + 1 << true << false;
    QTest::newRow("a deep folder") << uid_t(0) << false << true << 12 << true << true;
    QTest::newRow("another user") << dm::test::kOtherUser << false << false << 12 << false << false;
    QTest::newRow("another user, socket open to all") << dm::test::kOtherUser << true << false << 12 << true << false;
    QTest::newRow("another user, deep folder open to all") << dm::test::kOtherUser << true << true << 12 << true << false;
}

void TestDesktop::laterStartsAreHeardFromTheUserAlone()
{
    QFETCH(uid_t, writer);
    QFETCH(bool, openToAll);
    QFETCH(bool, deep);
    QFETCH(int, bytes);
    QFETCH(bool, sent);
    QFETCH(bool, heard);
    if (writer != 0 && ::geteuid() != 0)
        QSKIP("another user's case needs root to become one");
    QVERIFY(::chmod(QFile::encodeName(m_dir->path()).constData(), 0711) == 0);
    QString folder = m_dir->path();
    if (deep) {
        folder += u'/' + QString(120, u'd');
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0711) == 0);
    }
    const QString path = folder + QStringLiteral("/channel");
    dm::LocalListener listener(4096);
    const mode_t umask = ::umask(0);
    const bool listening = listener.listen(path);
    ::umask(umask);
    QVERIFY(listening);
    struct stat st;
    QVERIFY(::stat(QFile::encodeName(path).constData(), &st) == 0);
    QCOMPARE(st.st_mode & 07777, mode_t(0600));
    if (openToAll)
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0666) == 0);
    QSignalSpy spy(&listener, &dm::LocalListener::received);
    const QByteArray request(bytes, 'x');
    QCOMPARE(dm::test::runInChildAs(writer, [&] { return dm::sendLocal(path, request, 300) ? 0 : 1; }, 20000),
             sent ? 0 : 1);
    if (heard) {
        QVERIFY(spy.wait());
        QCOMPARE(spy.takeFirst().at(0).toByteArray(), request);
    } else {
        QTest::qWait(200);
        QCOMPARE(spy.count(), 0);
    }
}

void TestDesktop::onlyALeftSocketIsReplaced_data()
{
    QTest::addColumn<QString>("left"); // what lies in the socket's place
    QTest::addColumn<bool>("listening");
    QTest::newRow("a socket of a program that died") << "socket" << true;
    QTest::newRow("a file") << "file" << false;
    QTest::newRow("a folder") << "folder" << false;
}

// The running program takes the place of a socket left by one that died,
// and never removes anything else found there.
void TestDesktop::onlyALeftSocketIsReplaced()
{
    QFETCH(QString, left);
    QFETCH(bool, listening);
    const QString path = m_dir->filePath(QStringLiteral("channel"));
    const QByteArray name = QFile::encodeName(path);
    if (left == "socket") {
        dm::LocalListener dead(16);
        QVERIFY(dead.listen(path));
    } else if (left == "file") {
        QVERIFY(writeFile(path, "kept"));
    } else {
        QVERIFY(QDir().mkpath(path));
    }
    dm::LocalListener listener(16);
    QCOMPARE(listener.listen(path), listening);
    struct stat st;
    QVERIFY(::lstat(name.constData(), &st) == 0);
    QCOMPARE(S_ISSOCK(st.st_mode), left == "socket");
    QCOMPARE(S_ISDIR(st.st_mode), left == "folder");
}

void TestDesktop::linksAnswerMouseKeysAndScreenReaders_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<int>("clicks");
    for (const char *link : {"site", "delete"}) {
        QTest::addRow("%s: click", link) << link << "click" << 1;
        QTest::addRow("%s: pressed elsewhere, released on it", link) << link << "release" << 0;
        QTest::addRow("%s: pressed on it, released elsewhere", link) << link << "dragged off" << 0;
        QTest::addRow("%s: Enter", link) << link << "enter" << 1;
        QTest::addRow("%s: Space", link) << link << "space" << 1;
        QTest::addRow("%s: screen reader's press", link) << link << "press action" << 1;
    }
}

void TestDesktop::linksAnswerMouseKeysAndScreenReaders()
{
    QFETCH(QString, link);
    QFETCH(QString, gesture);
    QFETCH(int, clicks);
    dm::test::RecordedBoxes boxes;
    int opened = 0;
    dm::setShellHandler([&](const QUrl &) { return ++opened, true; });
    TForm1 form(m_dir->filePath("dustmote"));
    boxes.shown.clear();
    TDmLinkLabel *label = link == "site" ? static_cast<TDmLinkLabel *>(form.ui->DmURLLabel1) : form.ui->Label4;
    form.ui->DmPageControl1->setCurrentWidget(link == "site" ? form.ui->TabSheet4 : form.ui->TabSheet1);
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));

    QCOMPARE(label->focusPolicy(), Qt::TabFocus);
    if (gesture == "click") {
        QTest::mouseClick(label, Qt::LeftButton);
    } else if (gesture == "release") {
        QTest::mouseRelease(label, Qt::LeftButton);
    } else if (gesture == "dragged off") {
        QTest::mousePress(label, Qt::LeftButton);
        QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(label->width() + 5, 2));
    } else if (gesture == "press action") {
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(label);
        QCOMPARE(a->role(), QAccessible::Link);
        QCOMPARE(a->text(QAccessible::Name), label->text());
        a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    } else {
        label->setFocus(Qt::TabFocusReason);
        QVERIFY(label->hasFocus());
        QTest::keyClick(label, gesture == "enter" ? Qt::Key_Return : Qt::Key_Space);
    }
    // The site link opens the address; the delete link, with nothing
    // selected, says so.
    QCOMPARE(link == "site" ? opened : int(boxes.shown.size()), clicks);
    dm::setShellHandler({});
}

void TestDesktop::qtsOwnButtonsSpeakRussian()
{
    // Whatever the locale: the tests run in the C locale.
    QVERIFY(dm::installLanguage(dm::Language::Russian));
    QMessageBox box(QMessageBox::Warning, u"Внимание!!!"_qs, u"Удалить?"_qs,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QCOMPARE(box.button(QMessageBox::Yes)->text(), u"&Да"_qs);
    QCOMPARE(box.button(QMessageBox::No)->text(), u"&Нет"_qs);
    QCOMPARE(box.button(QMessageBox::Cancel)->text(), u"Отмена"_qs);
}

// The end-of-scan sound's player is a module loaded at the first sound: it
// must load with what it links and offer the entry the program looks up,
// or every scan would end with the bell instead.
void TestDesktop::soundPlayerLoadsOnItsOwn()
{
    QLibrary player(QStringLiteral(DUSTMOTE_SOUND_PLAYER));
    QVERIFY2(player.load(), qPrintable(player.errorString()));
    QVERIFY(player.resolve("dustmote_play_sound"));
}

QTEST_MAIN(TestDesktop)

#include "tst_desktop.moc"
