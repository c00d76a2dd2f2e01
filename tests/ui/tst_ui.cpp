// The framework services as a window sees them: the handler guard and its
// error box, and opening a file with the desktop's program.

#include "DesktopOpen.h"
#include "ErrorBox.h"
#include "Exception.h"
#include "MessageBox.h"
#include "RecordedBoxes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

class TestUi : public QObject
{
    Q_OBJECT
private slots:
    void openerGetsTheFilesBytesInItsFolder();
    void guardShowsErrorBox();
    void guardedWrapsSignalHandlers();
};

void TestUi::openerGetsTheFilesBytesInItsFolder()
{
    // A stand-in for the desktop's opener that writes down where it ran and
    // what it was given.
    QTemporaryDir dir;
    const QByteArray bin = QFile::encodeName(dir.filePath("bin"));
    const QByteArray record = QFile::encodeName(dir.filePath("record"));
    QVERIFY(QDir().mkpath(dir.filePath("bin")));
    QFile script(dir.filePath("bin/xdg-open"));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\n{ pwd; printf '%s' \"$1\"; } > \"" + record + ".part\"\n"
                 "mv \"" + record + ".part\" \"" + record + "\"\n");
    script.close();
    QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QByteArray folder = QFile::encodeName(dir.filePath("caf\u00e9")) + "\xe9/";
    QVERIFY(::mkdir(folder.constData(), 0700) == 0);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin + ':' + path);
    const bool started = dm::shellOpenFile(folder, "-\xff.txt");
    qputenv("PATH", path);
    QVERIFY(started);
    QTRY_VERIFY(QFile::exists(QFile::decodeName(record)));
    QFile result(QFile::decodeName(record));
    QVERIFY(result.open(QIODevice::ReadOnly));
    QCOMPARE(result.readAll(), folder.chopped(1) + "\n./-\xff.txt");
    // No opener at all: said, not hidden.
    qputenv("PATH", dir.filePath("none").toLocal8Bit());
    QVERIFY(!dm::shellOpenFile(folder, "a.txt"));
    qputenv("PATH", path);
}

void TestUi::guardShowsErrorBox()
{
    dm::test::RecordedBoxes boxes;
    const QList<dm::MessageRequest> &shown = boxes.shown;
    QVERIFY(dm::runGuarded([] {}));
    QVERIFY(!dm::runGuarded([] { throw dm::Exception("Cannot open file \"a\". Denied"); }));
    QVERIFY(!dm::runGuarded([] { throw std::runtime_error("plain"); }));
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[0].title, QStringLiteral("Dustmote"));
    QCOMPARE(shown[0].text, QStringLiteral("Cannot open file \"a\". Denied."));
    QCOMPARE(shown[0].icon, QMessageBox::Critical);
    QCOMPARE(shown[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(shown[1].text, QStringLiteral("plain."));
}

void TestUi::guardedWrapsSignalHandlers()
{
    dm::test::RecordedBoxes boxes;
    QObject sender;
    int received = -1;
    QObject::connect(&sender, &QObject::objectNameChanged, &sender, dm::guarded([&](const QString &name) {
        received = name.size();
        throw dm::Exception("boom");
    }));
    QObject::connect(&sender, &QObject::objectNameChanged, &sender, dm::guarded([&] { ++received; }));
    sender.setObjectName("abc");
    QCOMPARE(received, 4);
    QCOMPARE(boxes.shown.size(), 1);
}

QTEST_MAIN(TestUi)
#include "tst_ui.moc"
