// The settings store: values of every type survive the file, results follow
// the registry's, the file is replaced atomically under a lock, and a damaged
// file is kept aside, never overwritten.

#include "ChildProcess.h"
#include "Cp1251.h"
#include "FileStream.h"
#include "TestFiles.h"
#include "RegFile.h"
#include "Registry.h"
#include "ScopedLimit.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>

using namespace dm;
using dm::test::filesIn;
using dm::test::save;

// What a store's folder holds: the store, and the lock file, which stays.
const QStringList kStoreFiles{"registry.reg", "registry.reg.lock"};

class TestRegistry : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void roundTrip_data();
    void roundTrip();
    void queryResults();
    void keysAndParents();
    void rootKeyHoldsValues();
    void handWrittenFile();

    void damagedFileKeptAside_data();
    void damagedFileKeptAside();
    void damagedNamesDoNotCollide();

    void replaceLeavesNoTemporaryFiles();
    void failedWriteKeepsOldFile();
    void unusableStore();
    void twoStoresOnOneFile();
    void concurrentWritersKeepEveryValue();
    void lockNeverHangs_data();
    void lockNeverHangs();
    void storedFileShapes_data();
    void storedFileShapes();
    void defaultPathFollowsXdg();
    void killedSavesLeaveNothingBehind_data();
    void killedSavesLeaveNothingBehind();

private:
    QString readFile() const;
    void writeFile(const QByteArray &bytes) const;
    RegKey dustmoteKey(Registry &store);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void TestRegistry::init()
{
    // Some cases run as nobody, who must reach the folder: TMPDIR may be root's alone.
    static const QString base = dm::test::tempBaseForNobody();
    m_dir = base.isEmpty() ? std::make_unique<QTemporaryDir>()
                           : std::make_unique<QTemporaryDir>(base + QStringLiteral("/tst_registry-XXXXXX"));
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(QStringLiteral("Dustmote/registry.reg"));
    Registry::setDamageNotice({});
}

QString TestRegistry::readFile() const
{
    QFile f(m_path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

void TestRegistry::writeFile(const QByteArray &bytes) const
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QFile f(m_path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

RegKey TestRegistry::dustmoteKey(Registry &store)
{
    RegKey key;
    const RegResult r = store.createKey(Registry::currentUser(), "Software\\Dustmote", &key);
    return r == ERROR_SUCCESS ? key : RegKey();
}

void TestRegistry::roundTrip_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<uint>("type");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("line"); // how the file shows it

    const QByteArray cyrillic = cp1251::encode(u"Общее число") + '\0';
    QByteArray all(256, '\0');
    for (int i = 0; i < 256; ++i)
        all[i] = char(i);
    QTest::newRow("string") << "Scans" << uint(REG_SZ) << QByteArray("42", 3) << "\"Scans\"=\"42\"";
    QTest::newRow("quotes and backslashes") << "a \"b\" \\c" << uint(REG_SZ)
        << QByteArray("say \"hi\" C:\\dir\\", 17) << "\"a \\\"b\\\" \\\\c\"=\"say \\\"hi\\\" C:\\\\dir\\\\\"";
    QTest::newRow("cyrillic") << "Имя" << uint(REG_SZ) << cyrillic << "\"Имя\"=\"Общее число\"";
    QTest::newRow("empty string") << "e" << uint(REG_SZ) << QByteArray(1, '\0') << "\"e\"=\"\"";
    QTest::newRow("string without data") << "n" << uint(REG_SZ) << QByteArray() << "\"n\"=hex(1):";
    QTest::newRow("string without zero") << "z" << uint(REG_SZ) << QByteArray("ab") << "\"z\"=hex(1):61,62";
    QTest::newRow("string with line break") << "l" << uint(REG_SZ) << QByteArray("a\nb", 4) << "\"l\"=hex(1):61,0a,62,00";
    QTest::newRow("default value") << "" << uint(REG_SZ) << QByteArray("d", 2) << "@=\"d\"";
    QTest::newRow("expand string") << "p" << uint(REG_EXPAND_SZ) << QByteArray("%HOME%", 7)
        << "\"p\"=hex(2):25,48,4f,4d,45,25,00";
    QTest::newRow("binary empty") << "b0" << uint(REG_BINARY) << QByteArray() << "\"b0\"=hex:";
    QTest::newRow("binary 9 bytes") << "b9" << uint(REG_BINARY) << QByteArray("\x01\x02\0\xff\x10\x20\x30\x40\x50", 9)
        << "\"b9\"=hex:01,02,00,ff,10,20,30,40,50";
    QTest::newRow("binary every byte") << "all" << uint(REG_BINARY) << all << QString();
    QTest::newRow("dword") << "d" << uint(REG_DWORD) << QByteArray("\x2a\0\0\0", 4) << "\"d\"=dword:0000002a";
    QTest::newRow("dword of 2 bytes") << "d2" << uint(REG_DWORD) << QByteArray("\x2a\x01", 2) << "\"d2\"=hex(4):2a,01";
    QTest::newRow("multi string") << "m" << 7u << QByteArray("a\0b\0\0", 5) << "\"m\"=hex(7):61,00,62,00,00";
    QTest::newRow("type 0x11") << "t" << 0x11u << QByteArray("x") << "\"t\"=hex(11):78";
}

void TestRegistry::roundTrip()
{
    QFETCH(QString, name);
    QFETCH(uint, type);
    QFETCH(QByteArray, data);
    QFETCH(QString, line);

    Registry writer(m_path);
    const RegKey key = dustmoteKey(writer);
    QCOMPARE(writer.setValue(key, name, type, data), ERROR_SUCCESS);
    if (!line.isEmpty())
        QVERIFY2(readFile().split('\n').contains(line), qPrintable(readFile()));

    Registry reader(m_path);
    quint32 gotType = 0;
    quint32 size = 0;
    QCOMPARE(reader.queryValue(key, name, &gotType, nullptr, &size), ERROR_SUCCESS);
    QByteArray got(size, '?');
    QCOMPARE(reader.queryValue(key, name, &gotType, got.data(), &size), ERROR_SUCCESS);
    QCOMPARE(gotType, quint32(type));
    QCOMPARE(got, data);
    QByteArray whole;
    gotType = 0;
    QCOMPARE(reader.readValue(key, name, &gotType, &whole), ERROR_SUCCESS);
    QCOMPARE(gotType, quint32(type));
    QCOMPARE(whole, data);

    // Writing what was read gives the same file again.
    const QByteArray file = readFile().toUtf8();
    QCOMPARE(formatRegFile(parseRegFile(file).value()), file);
    for (const QString &l : readFile().split('\n'))
        QVERIFY2(l.size() <= 80, qPrintable(l));
}

void TestRegistry::queryResults()
{
    Registry store(m_path);
    RegKey key = dustmoteKey(store);
    QCOMPARE(store.setValue(key, "LastScan", REG_BINARY, QByteArray(9, '\1')), ERROR_SUCCESS);

    char buffer[8] = {7, 7, 7, 7, 7, 7, 7, 7};
    quint32 type = 0;
    quint32 size = sizeof buffer;
    QCOMPARE(store.queryValue(key, "LastScan", &type, buffer, &size), ERROR_MORE_DATA);
    QCOMPARE(size, 9u);
    QCOMPARE(type, quint32(REG_BINARY));
    QCOMPARE(QByteArray(buffer, 8), QByteArray(8, '\7')); // left alone

    size = sizeof buffer;
    QCOMPARE(store.queryValue(key, "lastscan", &type, nullptr, &size), ERROR_SUCCESS);
    QCOMPARE(size, 9u); // names compare without regard to case
    QCOMPARE(store.queryValue(key, "Missing", &type, buffer, &size), ERROR_FILE_NOT_FOUND);
    QCOMPARE(store.queryValue(key, "LastScan", &type, buffer, nullptr), ERROR_INVALID_PARAMETER);
    QByteArray whole("kept");
    QCOMPARE(store.readValue(key, "Missing", &type, &whole), ERROR_FILE_NOT_FOUND);
    QCOMPARE(whole, "kept");
    QCOMPARE(store.readValue(key, "lastscan", nullptr, &whole), ERROR_SUCCESS);
    QCOMPARE(whole, QByteArray(9, '\1'));

    QCOMPARE(store.setValue(key, "bad\nname", REG_SZ, QByteArray(1, '\0')), ERROR_INVALID_PARAMETER);
    QCOMPARE(Registry::closeKey(key), ERROR_SUCCESS);
    QVERIFY(!key.isOpen());
    QCOMPARE(store.queryValue(key, "LastScan", &type, nullptr, &size), ERROR_INVALID_HANDLE);
    QCOMPARE(store.readValue(key, "LastScan", &type, &whole), ERROR_INVALID_HANDLE);
    QCOMPARE(store.setValue(key, "x", REG_SZ, QByteArray(1, '\0')), ERROR_INVALID_HANDLE);
}

void TestRegistry::keysAndParents()
{
    Registry store(m_path);
    RegKey key;
    // Opening without creating neither finds nor makes a missing key.
    QCOMPARE(store.openKey(Registry::currentUser(), "Software\\Dustmote", &key), ERROR_FILE_NOT_FOUND);
    QVERIFY(!QFile::exists(m_path));
    QCOMPARE(store.openKey(Registry::currentUser(), "Software\\\\Dustmote", &key), ERROR_INVALID_PARAMETER);

    QCOMPARE(store.createKey(Registry::currentUser(), "Software\\Dustmote\\Quantity", &key), ERROR_SUCCESS);
    QCOMPARE(key.path(), QString("HKEY_CURRENT_USER\\Software\\Dustmote\\Quantity"));
    QCOMPARE(readFile(), QString("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software]\n\n"
                                 "[HKEY_CURRENT_USER\\Software\\Dustmote]\n\n"
                                 "[HKEY_CURRENT_USER\\Software\\Dustmote\\Quantity]\n\n"));
    RegKey parent;
    QCOMPARE(store.openKey(Registry::currentUser(), "SOFTWARE\\dustmote", &parent), ERROR_SUCCESS);
    QCOMPARE(store.openKey(parent, "quantity", &key), ERROR_SUCCESS);
    QCOMPARE(store.openKey(parent, "Quantity\\Deeper", &key), ERROR_FILE_NOT_FOUND);
    // A key whose name begins another's is not that key's parent.
    QCOMPARE(store.openKey(Registry::currentUser(), "Software\\Dust", &key), ERROR_FILE_NOT_FOUND);
    QCOMPARE(store.openKey(Registry::currentUser(), "Software\\Dustmote\\Quant", &key), ERROR_FILE_NOT_FOUND);

    // Creating an existing key does not rewrite the file.
    const QDateTime before = QFileInfo(m_path).lastModified();
    QFile::setPermissions(m_path, QFile::ReadOwner);
    QCOMPARE(store.createKey(parent, "Quantity", &key), ERROR_SUCCESS);
    QCOMPARE(QFileInfo(m_path).lastModified(), before);
}

// The root holds values like any key (it used to crash the store).
void TestRegistry::rootKeyHoldsValues()
{
    Registry store(m_path);
    QCOMPARE(store.setValue(dustmoteKey(store), "Scans", REG_SZ, QByteArray("1", 2)), ERROR_SUCCESS);
    QCOMPARE(store.setValue(Registry::currentUser(), "Top", REG_SZ, QByteArray("t", 2)), ERROR_SUCCESS);
    QCOMPARE(store.setValue(Registry::currentUser(), "Top", REG_SZ, QByteArray("u", 2)), ERROR_SUCCESS);
    QVERIFY2(readFile().startsWith("REGEDIT4\n\n[HKEY_CURRENT_USER]\n\"Top\"=\"u\"\n"), qPrintable(readFile()));
    char buffer[4];
    quint32 size = sizeof buffer;
    QCOMPARE(Registry(m_path).queryValue(Registry::currentUser(), "Top", nullptr, buffer, &size), ERROR_SUCCESS);
    QCOMPARE(QByteArray(buffer, int(size)), QByteArray("u", 2));
}

void TestRegistry::handWrittenFile()
{
    writeFile("\xEF\xBB\xBFREGEDIT4\r\n\r\n; written by hand\r\n"
              "[HKEY_CURRENT_USER\\Software\\Dustmote]\r\n"
              "\"LastScan\" = hex:00,00,00,00,\\\r\n  00,40,e6,40\r\n"
              "@=\"default\"\r\n"
              "[HKEY_CURRENT_USER\\Software\\Dustmote\\Quantity]\r\n"
              "\"Scans\"=\"7\"\r\n\"Flags\"=DWORD:2A\r\n\"Path\"=hex(2):41,00\r\n"
              "[HKEY_CURRENT_USER\\Software\\Dustmote]\r\n"
              "\"Scans\"=\"in the key itself\"\r\n");
    Registry store(m_path);
    RegKey key;
    QCOMPARE(store.openKey(Registry::currentUser(), "Software\\Dustmote", &key), ERROR_SUCCESS);
    const auto value = [&](const RegKey &k, const QString &name, quint32 expectType) {
        char buf[64];
        quint32 type = 0, size = sizeof buf;
        if (store.queryValue(k, name, &type, buf, &size) != ERROR_SUCCESS || type != expectType)
            return QByteArray("<failed>");
        return QByteArray(buf, size);
    };
    QCOMPARE(value(key, "LastScan", REG_BINARY), QByteArray("\0\0\0\0\0\x40\xe6\x40", 8));
    QCOMPARE(value(key, "", REG_SZ), QByteArray("default", 8));
    QCOMPARE(value(key, "Scans", REG_SZ), QByteArray("in the key itself", 18));
    RegKey quantity;
    QCOMPARE(store.openKey(key, "Quantity", &quantity), ERROR_SUCCESS);
    QCOMPARE(value(quantity, "Scans", REG_SZ), QByteArray("7", 2));
    QCOMPARE(value(quantity, "Flags", REG_DWORD), QByteArray("\x2a\0\0\0", 4));
    QCOMPARE(value(quantity, "Path", REG_EXPAND_SZ), QByteArray("A", 2));
}

void TestRegistry::damagedFileKeptAside_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("no header") << QByteArray("[HKEY_CURRENT_USER\\Software]\n");
    QTest::newRow("other header") << QByteArray("REGEDIT5\n");
    QTest::newRow("binary junk") << QByteArray("\x00\x01\x02garbage", 10);
    QTest::newRow("invalid utf-8") << QByteArray("REGEDIT4\n[HKEY_CURRENT_USER\\S]\n\"a\"=\"\xff\"\n");
    QTest::newRow("value before key") << QByteArray("REGEDIT4\n\"a\"=\"1\"\n");
    QTest::newRow("unknown escape") << QByteArray("REGEDIT4\n[HKEY_CURRENT_USER\\S]\n\"a\"=\"C:\\dir\"\n");
    QTest::newRow("unterminated") << QByteArray("REGEDIT4\n[HKEY_CURRENT_USER\\S]\n\"a\"=\"1\n");
    QTest::newRow("bad hex") << QByteArray("REGEDIT4\n[HKEY_CURRENT_USER\\S]\n\"a\"=hex:0g\n");
    QTest::newRow("long dword") << QByteArray("REGEDIT4\n[HKEY_CURRENT_USER\\S]\n\"a\"=dword:123456789\n");
    QTest::newRow("deletion") << QByteArray("REGEDIT4\n[-HKEY_CURRENT_USER\\S]\n");
    QTest::newRow("empty key name") << QByteArray("REGEDIT4\n[HKEY_CURRENT_USER\\\\S]\n");
    QTest::newRow("text beyond the code page") << QByteArray("REGEDIT4\n[HKEY_CURRENT_USER\\S]\n\"a\"=\"\xe2\x98\x83\"\n");
    QTest::newRow("continuation at the end") << QByteArray("REGEDIT4\n[HKEY_CURRENT_USER\\S]\n\"a\"=hex:01,\\\n");
    QTest::newRow("text after a quoted string") << QByteArray("REGEDIT4\n[HKEY_CURRENT_USER\\S]\n\"a\"=\"1\" junk\n");
    QTest::newRow("quote after a quoted string") << QByteArray("REGEDIT4\n[HKEY_CURRENT_USER\\S]\n\"a\"=\"1\"\"\n");
}

void TestRegistry::damagedFileKeptAside()
{
    QFETCH(QByteArray, content);
    writeFile(content);
    QStringList told;
    Registry::setDamageNotice([&](const QString &file, const QString &kept) {
        told << file << kept;
    });

    Registry store(m_path);
    RegKey key;
    QCOMPARE(store.openKey(Registry::currentUser(), "S", &key), ERROR_FILE_NOT_FOUND);
    QVERIFY(told.isEmpty()); // reading alone changes nothing
    key = dustmoteKey(store);
    QVERIFY(key.isOpen());
    QCOMPARE(store.setValue(key, "Scans", REG_SZ, QByteArray("1", 2)), ERROR_SUCCESS);
    QCOMPARE(store.setValue(key, "Dels", REG_SZ, QByteArray("2", 2)), ERROR_SUCCESS);

    const QString kept = m_path + ".damaged";
    QCOMPARE(told, QStringList({m_path, kept}));
    QFile keptFile(kept);
    QVERIFY(keptFile.open(QIODevice::ReadOnly));
    QCOMPARE(keptFile.readAll(), content);
    QVERIFY(readFile().contains("\"Dels\"=\"2\""));
    QVERIFY(readFile().contains("\"Scans\"=\"1\""));
    Registry::setDamageNotice({});
}

void TestRegistry::damagedNamesDoNotCollide()
{
    int notices = 0;
    Registry::setDamageNotice([&](const QString &, const QString &) { ++notices; });
    Registry store(m_path);
    for (int round = 1; round <= 3; ++round) {
        writeFile("damaged " + QByteArray::number(round));
        QCOMPARE(store.setValue(dustmoteKey(store), "x", REG_SZ, QByteArray(1, '\0')), ERROR_SUCCESS);
    }
    QCOMPARE(notices, 1); // once per run
    const QStringList names = QDir(QFileInfo(m_path).absolutePath()).entryList(QDir::Files, QDir::Name);
    QCOMPARE(names, QStringList({"registry.reg", "registry.reg.damaged", "registry.reg.damaged2",
                                 "registry.reg.damaged3", "registry.reg.lock"}));
    QFile third(m_path + ".damaged3");
    QVERIFY(third.open(QIODevice::ReadOnly));
    QCOMPARE(third.readAll(), QByteArray("damaged 3"));
    Registry::setDamageNotice({});
}

void TestRegistry::replaceLeavesNoTemporaryFiles()
{
    Registry store(m_path);
    const RegKey key = dustmoteKey(store);
    for (int i = 0; i < 20; ++i)
        QCOMPARE(store.setValue(key, QString::number(i), REG_DWORD, QByteArray(4, char(i))), ERROR_SUCCESS);
    const QDir folder(QFileInfo(m_path).absolutePath());
    QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden | QDir::System), kStoreFiles);
    QCOMPARE(parseRegFile(readFile().toUtf8())->findKey(key.path())->values.size(), 20);
}

void TestRegistry::failedWriteKeepsOldFile()
{
    Registry store(m_path);
    const RegKey key = dustmoteKey(store);
    QCOMPARE(store.setValue(key, "Scans", REG_SZ, QByteArray("41", 3)), ERROR_SUCCESS);
    const QString before = readFile();
    {
        // A full disk: the new file cannot be longer than 300 bytes, the old
        // one stays as it was and no half-written file is left behind.
        const test::ScopedLimit limit(RLIMIT_FSIZE, 300);
        QCOMPARE(store.setValue(key, "Big", REG_BINARY, QByteArray(400, 'x')), ERROR_WRITE_FAULT);
    }
    QCOMPARE(readFile(), before);
    const QDir folder(QFileInfo(m_path).absolutePath());
    QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden | QDir::System), kStoreFiles);
}

void TestRegistry::unusableStore()
{
    // A folder in place of the file: it can be neither read nor replaced.
    QVERIFY(QDir().mkpath(m_path));
    Registry store(m_path);
    RegKey key;
    QCOMPARE(store.createKey(Registry::currentUser(), "Software", &key), ERROR_ACCESS_DENIED);
    QCOMPARE(store.setValue(Registry::currentUser(), "x", REG_SZ, QByteArray(1, '\0')),
             ERROR_ACCESS_DENIED);
    QVERIFY(QFileInfo(m_path).isDir());

    // A file in place of the folder: nothing can be created below it, also
    // not by root.
    const QString plain = m_dir->filePath("plain");
    QFile file(plain);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    Registry below(plain + "/Dustmote/registry.reg");
    QCOMPARE(below.createKey(Registry::currentUser(), "Software", &key), ERROR_ACCESS_DENIED);
    QCOMPARE(below.openKey(Registry::currentUser(), "Software", &key), ERROR_FILE_NOT_FOUND);
}

void TestRegistry::twoStoresOnOneFile()
{
    Registry first(m_path);
    Registry second(m_path);
    const RegKey a = dustmoteKey(first);
    RegKey b;
    QCOMPARE(second.createKey(Registry::currentUser(), "Software\\Dustmote\\Quantity", &b), ERROR_SUCCESS);
    QCOMPARE(first.setValue(a, "LastScan", REG_BINARY, QByteArray(8, '\1')), ERROR_SUCCESS);
    QCOMPARE(second.setValue(b, "Scans", REG_SZ, QByteArray("5", 2)), ERROR_SUCCESS);
    QCOMPARE(first.setValue(a, "Other", REG_SZ, QByteArray("o", 2)), ERROR_SUCCESS);

    // Each sees the other's values at once: nothing is cached.
    quint32 size = 0;
    QCOMPARE(first.queryValue(b, "Scans", nullptr, nullptr, &size), ERROR_SUCCESS);
    QCOMPARE(size, 2u);
    QCOMPARE(second.queryValue(a, "LastScan", nullptr, nullptr, &size), ERROR_SUCCESS);
    QCOMPARE(size, 8u);
    QCOMPARE(second.queryValue(a, "Other", nullptr, nullptr, &size), ERROR_SUCCESS);
}

void TestRegistry::concurrentWritersKeepEveryValue()
{
    // Two writers at once, each with its own store object: the lock keeps
    // either from replacing the file with a copy lacking the other's values.
    constexpr int perWriter = 40;
    auto writer = [this](QChar tag) {
        Registry store(m_path);
        RegKey key;
        store.createKey(Registry::currentUser(), "Software\\Dustmote", &key);
        for (int i = 0; i < perWriter; ++i)
            store.setValue(key, tag + QString::number(i), REG_SZ, QByteArray("1", 2));
    };
    std::thread one(writer, u'a');
    std::thread two(writer, u'b');
    one.join();
    two.join();
    const auto tree = parseRegFile(readFile().toUtf8());
    QVERIFY(tree);
    QCOMPARE(tree->findKey(u"HKEY_CURRENT_USER\\Software\\Dustmote")->values.size(), 2 * perWriter);
}

// A lock left by a killed program, or held by one that is stuck, never
// freezes a change: the lock is the kernel's, released when its holder dies,
// and a change that cannot get it in time fails. Each change runs in a child
// process that is given up after 20 s; the read-only folder's case runs as an
// unprivileged user, as root would write there anyway.
void TestRegistry::lockNeverHangs_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<int>("result");
    QTest::newRow("empty lock file left by a kill") << "stale" << int(ERROR_SUCCESS);
    QTest::newRow("stale lock in a read-only folder") << "read-only" << int(ERROR_WRITE_FAULT);
    QTest::newRow("lock held by a stopped copy") << "held" << int(ERROR_LOCK_VIOLATION);
}

void TestRegistry::lockNeverHangs()
{
    QFETCH(QString, situation);
    QFETCH(int, result);
    const QString folder = QFileInfo(m_path).absolutePath();
    QVERIFY(QDir().mkpath(folder));
    const QByteArray lockFile = QFile::encodeName(m_path + ".lock");
    QFile stale(QString::fromLocal8Bit(lockFile));
    QVERIFY(stale.open(QIODevice::WriteOnly)); // empty: its writer was killed at once
    stale.close();
    pid_t holder = -1;
    if (situation == "read-only") {
        for (const QString &p : {m_dir->path(), folder, QString::fromLocal8Bit(lockFile)})
            QVERIFY(::chown(QFile::encodeName(p).constData(), test::kNobody, test::kNobody) == 0);
        QVERIFY(::chmod(QFile::encodeName(m_dir->path()).constData(), 0755) == 0);
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0555) == 0);
    } else if (situation == "held") {
        int ready[2];
        QVERIFY(::pipe(ready) == 0);
        holder = ::fork();
        if (holder == 0) {
            const int fd = ::open(lockFile.constData(), O_RDWR);
            ::flock(fd, LOCK_EX);
            [[maybe_unused]] const auto n = ::write(ready[1], "x", 1);
            for (;;)
                ::pause();
        }
        char c;
        QCOMPARE(::read(ready[0], &c, 1), ssize_t(1));
        ::close(ready[0]);
        ::close(ready[1]);
    }
    const int got = test::runInChild([this] {
        Registry store(m_path);
        return int(store.setValue(Registry::currentUser(), "x", REG_SZ, QByteArray("1", 2)));
    }, situation == "read-only", 20000);
    if (holder > 0) {
        ::kill(holder, SIGKILL);
        ::waitpid(holder, nullptr, 0);
    }
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    QCOMPARE(got, result);
}

// Whatever stands in the store file's place, a start neither hangs nor
// replaces it: anything but a regular file reads as empty and refuses every
// change; a regular file of any size is read and changed. Each case runs in a
// child process given up after 30 s, so a hang fails instead of stopping the
// test program.
void TestRegistry::storedFileShapes_data()
{
    QTest::addColumn<QString>("shape");
    QTest::addColumn<int>("scans");   // what "Scans" reads as (-1: missing)
    QTest::addColumn<int>("change");  // the result of storing a value
    QTest::newRow("FIFO") << "fifo" << -1 << int(ERROR_ACCESS_DENIED);
    QTest::newRow("link to a character device") << "device" << -1 << int(ERROR_ACCESS_DENIED);
    QTest::newRow("folder") << "folder" << -1 << int(ERROR_ACCESS_DENIED);
    QTest::newRow("empty file") << "empty" << -1 << int(ERROR_SUCCESS);
    QTest::newRow("link to a regular file") << "link" << 7 << int(ERROR_SUCCESS);
    QTest::newRow("25,000 sections") << "sections" << 7 << int(ERROR_SUCCESS);
}

void TestRegistry::storedFileShapes()
{
    QFETCH(QString, shape);
    QFETCH(int, scans);
    QFETCH(int, change);
    QVERIFY(QDir().mkpath(QFileInfo(m_path).absolutePath()));
    const QByteArray path = QFile::encodeName(m_path);
    QByteArray text = "REGEDIT4\n\n";
    const int sections = shape == "sections" ? 25000 : 1;
    for (int i = 0; i < sections; ++i)
        text += "[HKEY_CURRENT_USER\\Software\\Other" + QByteArray::number(i) + "]\n\"v\"=\"1\"\n\n";
    text += "[HKEY_CURRENT_USER\\Software\\Dustmote\\Quantity]\n\"Scans\"=\"7\"\n";
    const QString real = m_dir->filePath("real.reg");
    QFile realFile(real);
    if (shape == "fifo")
        QCOMPARE(::mkfifo(path.constData(), 0600), 0);
    else if (shape == "device")
        QVERIFY(QFile::link("/dev/zero", m_path));
    else if (shape == "folder")
        QVERIFY(QDir().mkpath(m_path));
    else if (shape == "link")
        QVERIFY(realFile.open(QIODevice::WriteOnly) && realFile.write(text) == text.size()
                && QFile::link(real, m_path));
    else
        writeFile(shape == "empty" ? QByteArray() : text);
    realFile.close();
    struct stat before;
    QCOMPARE(::lstat(path.constData(), &before), 0);

    const int got = test::runInChild([&] {
        Registry store(m_path);
        RegKey key;
        char data[16] = {};
        quint32 size = sizeof data;
        const bool found = store.openKey(Registry::currentUser(), "Software\\Dustmote\\Quantity", &key) == ERROR_SUCCESS
            && store.queryValue(key, "Scans", nullptr, data, &size) == ERROR_SUCCESS;
        if ((found ? QByteArray(data).toInt() : -1) != scans)
            return 1;
        if (store.setValue(Registry::currentUser(), "x", REG_SZ, QByteArray("1", 2)) != change)
            return 2;
        return 0;
    }, false, 30000);
    QCOMPARE(got, 0);

    // Whatever was in place is still there, as it was (a link stays a link).
    struct stat after;
    QCOMPARE(::lstat(path.constData(), &after), 0);
    QCOMPARE(after.st_mode & S_IFMT, before.st_mode & S_IFMT);
    if (change == ERROR_SUCCESS) {
        QFile stored(shape == "link" ? real : m_path);
        QVERIFY(stored.open(QIODevice::ReadOnly));
        const QByteArray bytes = stored.readAll();
        QVERIFY(bytes.contains("\"x\"=\"1\""));
        QCOMPARE(bytes.count("\n["), qsizetype(shape == "empty" ? 1 : sections + 2)); // and the root's
    }
}

void TestRegistry::defaultPathFollowsXdg()
{
    const QByteArray old = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->path()));
    QCOMPARE(Registry::defaultFilePath(), m_dir->path() + "/Dustmote/registry.reg");
    qputenv("XDG_CONFIG_HOME", old);
}

// Saves killed at random moments never leave a cut file, and never a
// temporary file once the next save is done; the next save never hangs.
void TestRegistry::killedSavesLeaveNothingBehind_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("files"); // what the folder holds after the next save
    QTest::newRow("list file") << "list" << "List.lst" << QStringList{"List.lst"};
    QTest::newRow("settings store") << "store" << "registry.reg"
                                    << QStringList{"registry.reg", "registry.reg.lock"};
}

void TestRegistry::killedSavesLeaveNothingBehind()
{
    QFETCH(QString, mode);
    QFETCH(QString, file);
    QFETCH(QStringList, files);
    constexpr int kills = 100;
    QTemporaryDir dir;
    const QString path = dir.filePath(file);
    int leftovers = 0;
    for (int i = 0; i < kills; ++i) {
        QProcess victim;
        victim.start(QStringLiteral(DUSTMOTE_SAVE_LOOP), {mode, path});
        QVERIFY(victim.waitForReadyRead());
        std::this_thread::sleep_for(std::chrono::microseconds(QRandomGenerator::global()->bounded(30000)));
        ::kill(pid_t(victim.processId()), SIGKILL);
        QVERIFY(victim.waitForFinished());
        leftovers += int(filesIn(dir.path()).filter(".tmp").size());
        // The file is whole: the last save's, never a cut one.
        if (mode == "list" && QFileInfo::exists(path)) {
            const QByteArray bytes = dm::test::readFile(path);
            QVERIFY(bytes == "next" || (bytes.size() == 2 << 20 && bytes.count(bytes[0]) == bytes.size()));
        }
        if (mode == "list") {
            save(path, "next");
        } else {
            dm::Registry store(path);
            dm::RegKey key;
            QCOMPARE(store.createKey(dm::Registry::currentUser(), "Software\\Dustmote", &key), dm::ERROR_SUCCESS);
            QCOMPARE(store.setValue(key, "Next", dm::REG_SZ, QByteArray("1", 2)), dm::ERROR_SUCCESS);
        }
        QCOMPARE(filesIn(dir.path()), files);
    }
    qInfo("%d kills; temporary files seen right after a kill: %d", kills, leftovers);
}

QTEST_GUILESS_MAIN(TestRegistry)
#include "tst_registry.moc"
