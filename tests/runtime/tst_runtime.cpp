// The runtime layer: code page 1251, the full-stop rule of error texts, the
// failure reasons, the application folder rule and the file streams.

#include "AppFolder.h"
#include "Cp1251.h"
#include "ErrorTexts.h"
#include "Exception.h"
#include "FileStream.h"
#include "NaturalOrder.h"
#include "TestFiles.h"
#include "ScopedLimit.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <optional>
#include <clocale>
#include <sys/stat.h>
#include <unistd.h>

using dm::test::readFile;
using dm::test::filesIn;
using dm::test::save;

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
    void failureReasons_data();
    void failureReasons();
    void appFolder_data();
    void appFolder();
    void readerNamesPathAndReason();
    void writerReplacesAtomically();
    void writerRefusals_data();
    void writerRefusals();
    void shortWriteKeepsOldFile();
    void writerFollowsLinks_data();
    void writerFollowsLinks();
    void writerModes_data();
    void writerModes();
    void staleTemporariesRemoved();
    void naturalKeysOrderAsCollator_data();
    void naturalKeysOrderAsCollator();
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
    // Neighbours of the code page's characters, on the same Unicode pages.
    QCOMPARE(dm::cp1251::encode(u"\u00C0\u0400\u0460\u2010\u2139\u00BC", &lossless), QByteArray("??????"));
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

void TestRuntime::failureReasons_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("reason");
    QTest::newRow("permission") << EACCES << u"нет прав доступа"_qs;
    QTest::newRow("not permitted") << EPERM << u"нет прав доступа"_qs;
    QTest::newRow("read-only file system") << EROFS << u"файловая система доступна только для чтения"_qs;
    QTest::newRow("busy") << EBUSY << u"занято системой или другой программой"_qs;
    QTest::newRow("not found") << ENOENT << u"файл или папка не найдены"_qs;
    QTest::newRow("exists") << EEXIST << u"файл или папка с таким именем уже есть"_qs;
    QTest::newRow("no space") << ENOSPC << u"на диске нет места"_qs;
    QTest::newRow("name too long") << ENAMETOOLONG << u"слишком длинное имя"_qs;
    QTest::newRow("not a folder") << ENOTDIR << u"часть пути не является папкой"_qs;
    QTest::newRow("a folder") << EISDIR << u"это папка"_qs;
    // What the program's own files meet on a full or broken disk.
    QTest::newRow("too large") << EFBIG << u"файл слишком велик"_qs;
    QTest::newRow("too many open files") << EMFILE << u"открыто слишком много файлов"_qs;
    QTest::newRow("input/output") << EIO << u"ошибка ввода-вывода"_qs;
    // Rare failures keep the system's own words, whatever they are.
    QTest::newRow("other") << EPROTO << dm::libraryErrorText(EPROTO);
}

void TestRuntime::failureReasons()
{
    QFETCH(int, error);
    QFETCH(QString, reason);
    // The user's language is Russian whatever the locale says.
    const QByteArray locale = setlocale(LC_MESSAGES, nullptr);
    setlocale(LC_MESSAGES, "C");
    QCOMPARE(dm::systemErrorText(error), reason);
    setlocale(LC_MESSAGES, locale.constData());
    QVERIFY(!reason.isEmpty());
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
        QCOMPARE(e.message(), QStringLiteral("Не удалось открыть файл «%1/missing.lst». файл или папка не найдены")
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
    QTest::newRow("missing folder") << "missing" << "файл или папка не найдены";
    QTest::newRow("read-only file") << "readonly" << "нет прав доступа";
    QTest::newRow("a folder of that name") << "folder" << "это папка";
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
        QCOMPARE(e.message(), QStringLiteral("Не удалось создать файл «%1». %2").arg(path, reason));
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
        QVERIFY2(e.message().startsWith("Не удалось создать файл «" + path + "». "), qPrintable(e.message()));
    }
    QVERIFY(failed);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("old file"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"List.lst"});
}

// A list or store reached through a symbolic link stays a link: the file it
// leads to gets the new contents, replaced beside itself.
void TestRuntime::writerFollowsLinks_data()
{
    QTest::addColumn<QStringList>("links"); // "name>target", made in this order
    QTest::addColumn<QString>("target");    // the file that gets the contents
    QTest::newRow("link") << QStringList{"List.lst>real/List.lst"} << "real/List.lst";
    QTest::newRow("chain of links") << QStringList{"List.lst>a", "a>real/b", "real/b>c"} << "real/c";
    QTest::newRow("absolute link") << QStringList{"List.lst>@real/x"} << "real/x";
    QTest::newRow("dangling link") << QStringList{"List.lst>real/new"} << "real/new";
}

void TestRuntime::writerFollowsLinks()
{
    QFETCH(QStringList, links);
    QFETCH(QString, target);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("real"));
    if (!target.endsWith("new"))
        save(dir.filePath(target), "old");
    for (const QString &link : links) {
        QString to = link.section('>', 1);
        if (to.startsWith('@'))
            to = dir.filePath(to.mid(1));
        QVERIFY(QFile::link(to, dir.filePath(link.section('>', 0, 0))));
    }
    save(dir.filePath("List.lst"), "new contents");
    QVERIFY(QFileInfo(dir.filePath("List.lst")).isSymLink());
    QCOMPARE(readFile(dir.filePath(target)), QByteArray("new contents"));
    QCOMPARE(readFile(dir.filePath("List.lst")), QByteArray("new contents"));
    QVERIFY(filesIn(dir.filePath("real")).filter(".tmp").isEmpty());
    QVERIFY(filesIn(dir.path()).filter(".tmp").isEmpty());
}

// A new file's mode follows the umask; a replaced file keeps its own.
void TestRuntime::writerModes_data()
{
    QTest::addColumn<int>("umask");
    QTest::addColumn<int>("oldMode"); // 0: no old file
    QTest::addColumn<int>("mode");
    QTest::newRow("new file, umask 022") << 022 << 0 << 0644;
    QTest::newRow("new file, umask 077") << 077 << 0 << 0600;
    QTest::newRow("replaced file keeps 0604") << 077 << 0604 << 0604;
}

void TestRuntime::writerModes()
{
    QFETCH(int, umask);
    QFETCH(int, oldMode);
    QFETCH(int, mode);
    QTemporaryDir dir;
    const QString path = dir.filePath("List.lst");
    if (oldMode) {
        save(path, "old");
        QVERIFY(::chmod(QFile::encodeName(path).constData(), mode_t(oldMode)) == 0);
    }
    const mode_t saved = ::umask(mode_t(umask));
    save(path, "new");
    ::umask(saved);
    struct stat st;
    QVERIFY(::stat(QFile::encodeName(path).constData(), &st) == 0);
    QCOMPARE(int(st.st_mode & 07777), mode);
}

// Leftovers of killed writers go at the next save; a running writer's file,
// and anything else in the folder, stay.
void TestRuntime::staleTemporariesRemoved()
{
    QTemporaryDir dir;
    const QString dead = QStringLiteral(".List.lst.999999999.1.tmp");
    const QString running = QStringLiteral(".List.lst.%1.77.tmp").arg(::getpid());
    const QStringList others{"List.lst.bak", ".List.lst.999999999.tmp", ".Other.lst.999999999.1.tmp"};
    for (const QString &name : QStringList{dead, running} + others)
        save(dir.filePath(name), "x");
    save(dir.filePath("List.lst"), "new");
    QCOMPARE(filesIn(dir.path()), (QStringList{running, ".List.lst.999999999.tmp", ".Other.lst.999999999.1.tmp",
                                              "List.lst", "List.lst.bak"}));
}

void TestRuntime::naturalKeysOrderAsCollator_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("names");
    const QStringList plain{"file10", "File9", "file09", "file0009x", "a", "A", "a0", "a00", "a 1", "a1", "a-1",
                            "a_1", "a.1", "(a)", "$a", "~a", "1.5", "1.10", "18446744073709551616",
                            "18446744073709551615", "chata", "cesta", "hrad", "aa", "ab", "zz", "dz", "dzs", "e"};
    const QStringList other{"étude", "ёлка", "елка", "файл10", "x\x01y", "x\ty", "naïve"};
    for (const char *locale : {"en_US", "ru_RU", "de_DE", "cs_CZ", "da_DK", "hu_HU", "C"})
        QTest::newRow(locale) << QString(locale) << plain + other;
}

// Keys made without the collator order names exactly as it does, ties
// included, in any language; names they cannot key are left to it.
void TestRuntime::naturalKeysOrderAsCollator()
{
    QFETCH(QString, locale);
    QFETCH(QStringList, names);
    QCollator collator(QLocale(locale).language() == QLocale::C ? QLocale(QLocale::English) : QLocale(locale));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    const dm::NaturalAsciiKeys keys(collator);
    if (locale == "en_US" || locale == "ru_RU" || locale == "C")
        QVERIFY(keys.usable());
    std::vector<std::optional<std::string>> made;
    for (const QString &name : names) {
        const QByteArray bytes = name.toUtf8();
        std::string key(dm::NaturalAsciiKeys::room(std::size_t(bytes.size())), '\0');
        const int length = keys.make(bytes.toStdString(), reinterpret_cast<unsigned char *>(key.data()));
        bool printable = true;
        for (char c : bytes)
            printable = printable && c >= ' ' && c <= '~';
        if (!printable)
            QCOMPARE(length, -1);
        made.push_back(length < 0 ? std::nullopt : std::optional(key.substr(0, std::size_t(length))));
    }
    const auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (qsizetype a = 0; a < names.size(); ++a)
        for (qsizetype b = 0; b < names.size(); ++b)
            if (made[std::size_t(a)] && made[std::size_t(b)])
                QVERIFY2(sign(made[std::size_t(a)]->compare(*made[std::size_t(b)]))
                             == sign(collator.compare(names[a], names[b])),
                         qPrintable(names[a] + " / " + names[b]));
}

QTEST_GUILESS_MAIN(TestRuntime)
#include "tst_runtime.moc"
