// The runtime layer: code page 1251, the error box's full-stop rule, the
// application folder rule, file streams and the handler guard.

#include "AppFolder.h"
#include "Cp1251.h"
#include "ErrorBox.h"
#include "Exception.h"
#include "FileStream.h"
#include "MessageBox.h"
#include "Messages.h"
#include "RecordedBoxes.h"
#include "ScopedLimit.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class TestRuntime : public QObject
{
    Q_OBJECT
private slots:
    void cp1251RoundTripsEveryByte();
    void cp1251Letters_data();
    void cp1251Letters();
    void cp1251EncodeReportsLoss();
    void cp1251LowerCaseAndWords();

    void fullStop_data();
    void fullStop();

    void appFolder_data();
    void appFolder();

    void readerNamesPathAndReason();
    void writerReplacesAtomically();
    void writerRefusals_data();
    void writerRefusals();
    void shortWriteKeepsOldFile();

    void guardShowsErrorBox();
    void guardedWrapsSignalHandlers();
};

void TestRuntime::cp1251RoundTripsEveryByte()
{
    QByteArray all(256, Qt::Uninitialized);
    for (int i = 0; i < 256; ++i)
        all[i] = char(i);
    const QString text = dm::cp1251::decode(all);
    QCOMPARE(text.size(), 256);
    bool lossless = false;
    QCOMPARE(dm::cp1251::encode(text, &lossless), all);
    QVERIFY(lossless);
    // Every byte has its own character.
    QSet<QChar> distinct(text.begin(), text.end());
    QCOMPARE(distinct.size(), 256);
}

void TestRuntime::cp1251Letters_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("unicode");
    QTest::newRow("capital O") << 0xCE << 0x041E;
    QTest::newRow("capital A") << 0xC0 << 0x0410;
    QTest::newRow("small ya") << 0xFF << 0x044F;
    QTest::newRow("capital Yo") << 0xA8 << 0x0401;
    QTest::newRow("small yo") << 0xB8 << 0x0451;
    QTest::newRow("euro") << 0x88 << 0x20AC;
    QTest::newRow("undefined byte") << 0x98 << 0x0098;
    QTest::newRow("numero") << 0xB9 << 0x2116;
    QTest::newRow("ascii") << 0x2A << 0x2A;
}

void TestRuntime::cp1251Letters()
{
    QFETCH(int, byte);
    QFETCH(int, unicode);
    QCOMPARE(int(dm::cp1251::toUnicode(uchar(byte))), unicode);
    QCOMPARE(dm::cp1251::fromUnicode(char16_t(unicode)), byte);
}

void TestRuntime::cp1251EncodeReportsLoss()
{
    bool lossless = true;
    QCOMPARE(dm::cp1251::encode(u"Файл 日本", &lossless), QByteArray("\xD4\xE0\xE9\xEB ??"));
    QVERIFY(!lossless);
}

void TestRuntime::cp1251LowerCaseAndWords()
{
    const auto &lower = dm::cp1251::lowerCaseTable();
    QCOMPARE(lower['A'], uchar('a'));
    QCOMPARE(lower['z'], uchar('z'));
    QCOMPARE(lower['5'], uchar('5'));
    QCOMPARE(lower[0xC0], uchar(0xE0)); // А -> а
    QCOMPARE(lower[0xDF], uchar(0xFF)); // Я -> я
    QCOMPARE(lower[0xA8], uchar(0xB8)); // Ё -> ё
    QCOMPARE(lower[0x80], uchar(0x90)); // Ђ -> ђ
    QCOMPARE(lower[0xB8], uchar(0xB8));
    QCOMPARE(lower[0], uchar(0));
    QVERIFY(dm::cp1251::isAlphaNumeric('a'));
    QVERIFY(dm::cp1251::isAlphaNumeric('7'));
    QVERIFY(dm::cp1251::isAlphaNumeric(0xC6)); // Ж
    QVERIFY(dm::cp1251::isAlphaNumeric(0xB8)); // ё
    QVERIFY(!dm::cp1251::isAlphaNumeric(' '));
    QVERIFY(!dm::cp1251::isAlphaNumeric(0));
    QVERIFY(!dm::cp1251::isAlphaNumeric(0xAB)); // «
    QVERIFY(!dm::cp1251::isAlphaNumeric(0x96)); // en dash
}

void TestRuntime::fullStop_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "Cannot open" << "Cannot open.";
    QTest::newRow("digit") << "Error 5" << "Error 5.";
    QTest::newRow("cyrillic letter") << u"Ошибка"_qs << u"Ошибка."_qs;
    QTest::newRow("closing quote") << "Cannot open file \"x\"" << "Cannot open file \"x\"";
    QTest::newRow("bracket") << "Failed (5)" << "Failed (5)";
    QTest::newRow("exclamation") << u"Нет файлов!"_qs << u"Нет файлов!"_qs;
    QTest::newRow("full stop") << "Done." << "Done.";
    QTest::newRow("slash comes after the stop") << "/tmp/" << "/tmp/.";
    QTest::newRow("guillemet in the upper half") << u"Файл «x»"_qs << u"Файл «x»."_qs;
    QTest::newRow("empty") << "" << "";
}

void TestRuntime::fullStop()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(dm::withFullStop(message), shown);
}

void TestRuntime::appFolder_data()
{
    QTest::addColumn<QString>("exe");
    QTest::addColumn<QString>("folder");
    QTest::newRow("root") << "/dustmote" << "/";
    QTest::newRow("nested") << "/opt/dustmote/bin/dustmote" << "/opt/dustmote/bin/";
    QTest::newRow("double slash stays") << "/opt//dustmote" << "/opt//";
    QTest::newRow("colon is ordinary") << "/a:b/dustmote" << "/a:b/";
    QTest::newRow("bare name") << "dustmote" << "/";
}

void TestRuntime::appFolder()
{
    QFETCH(QString, exe);
    QFETCH(QString, folder);
    QCOMPARE(dm::appFolderOf(exe), folder);
    QCOMPARE(dm::appFolderOf(exe) + "List.lst", folder + "List.lst");
}

void TestRuntime::readerNamesPathAndReason()
{
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    try {
        dm::FileReader reader(QStringLiteral("sub/../missing.lst"));
        QFAIL("opened a missing file");
    } catch (const dm::EFOpenError &e) {
        QCOMPARE(e.message(), QStringLiteral("Cannot open file \"%1/missing.lst\". No such file or directory")
                                  .arg(QDir(dir.path()).canonicalPath()));
    }
    QFile f(dir.filePath("data"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("abcdef");
    f.close();
    dm::FileReader reader(f.fileName());
    char buf[4];
    QCOMPARE(reader.read(buf, 4), 4);
    QCOMPARE(reader.read(buf, 4), 2);
    QCOMPARE(reader.read(buf, 4), 0);
}

void TestRuntime::writerReplacesAtomically()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("List.lst");
    {
        dm::AtomicFileWriter w(path);
        w.write("old");
        w.commit();
    }
    {
        dm::AtomicFileWriter w(path);
        w.write("new contents");
        // Until the commit the old file is what a reader sees.
        QFile now(path);
        QVERIFY(now.open(QIODevice::ReadOnly));
        QCOMPARE(now.readAll(), QByteArray("old"));
        w.commit();
    }
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("new contents"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"List.lst"});
}

void TestRuntime::writerRefusals_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing folder") << "missing" << "No such file or directory";
    QTest::newRow("read-only file") << "readonly" << "Permission denied";
    QTest::newRow("a folder of that name") << "folder" << "Is a directory";
}

void TestRuntime::writerRefusals()
{
    QFETCH(QString, setup);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QString path = dir.filePath("List.lst");
    if (setup == "missing")
        path = dir.filePath("nowhere/List.lst");
    if (setup == "folder")
        QVERIFY(QDir(dir.path()).mkdir("List.lst"));
    if (setup == "readonly") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("keep");
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    }
    try {
        dm::AtomicFileWriter w(path);
        w.write("x");
        w.commit();
        QFAIL("the write went through");
    } catch (const dm::EFCreateError &e) {
        QCOMPARE(e.message(), QStringLiteral("Cannot create file \"%1\". %2").arg(path, reason));
    }
    if (setup == "readonly") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("keep"));
    }
}

void TestRuntime::shortWriteKeepsOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("List.lst");
    {
        dm::AtomicFileWriter w(path);
        w.write("old file");
        w.commit();
    }
    bool failed = false;
    try {
        dm::test::ScopedLimit fullDisk(RLIMIT_FSIZE, 1000);
        dm::AtomicFileWriter w(path);
        w.write(QByteArray(5000, 'x'));
        w.commit();
    } catch (const dm::EFCreateError &e) {
        failed = true;
        QVERIFY2(e.message().startsWith("Cannot create file \"" + path + "\". "), qPrintable(e.message()));
    }
    QVERIFY(failed);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("old file"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"List.lst"});
}

void TestRuntime::guardShowsErrorBox()
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

void TestRuntime::guardedWrapsSignalHandlers()
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

QTEST_MAIN(TestRuntime)
#include "tst_runtime.moc"
