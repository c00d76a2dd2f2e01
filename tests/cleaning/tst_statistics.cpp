// Usage statistics on a real store file in a temporary folder: the counters'
// texts, wrapping and types, the last-scan date, the first start, a store that
// cannot be written and a damaged store file.

#include "Cp1251.h"
#include "Exception.h"
#include "Registry.h"
#include "ScopedLimit.h"
#include "Statistics.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <bit>
#include <cmath>

using namespace dm;

namespace {

const QString kDate = QStringLiteral("Дата последнего сканирования системы: ");
const QString kScans = QStringLiteral("Общее число сканирований: ");
const QString kDels = QStringLiteral("Общее число удаленных файлов: ");

QByteArray dateBytes(double value)
{
    QByteArray bytes(8, '\0');
    qToLittleEndian(std::bit_cast<quint64>(value), bytes.data());
    return bytes;
}

// The message of the dm::Exception that `step` throws, or "" when none.
QString keyPath(const QString &sub)
{
    return sub.isEmpty() ? QStringLiteral("Software\\Dustmote") : "Software\\Dustmote\\" + sub;
}

template <typename Step>
QString failure(Step step)
{
    try {
        step();
    } catch (const Exception &e) {
        return e.message();
    }
    return {};
}

} // namespace

class TestStatistics : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void countScan_data();
    void countScan();
    void counterTexts_data();
    void counterTexts();
    void wrongTypeFailsOnlyItsOperation();
    void deletionCounting();
    void lastScanFailures_data();
    void lastScanFailures();
    void firstFailureStopsReading();
    void dateText();
    void unwritableStore();
    void fullDiskFailsTheWrite();
    void damagedStoreToldOnce();

private:
    void store(const QString &sub, const QString &name, quint32 type, const QByteArray &data);
    QByteArray stored(const QString &sub, const QString &name, quint32 *type = nullptr);

    std::unique_ptr<QTemporaryDir> m_dir;
    QStringList m_notices; // what the user was told
};

void TestStatistics::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->path()));
    m_notices.clear();
    setStatisticsNotice([this](const QString &text) { m_notices.append(text); });
}

void TestStatistics::cleanup()
{
    QVERIFY2(m_notices.isEmpty() || QTest::currentTestFunction() == QByteArray("damagedStoreToldOnce"),
             qPrintable(m_notices.value(0)));
}

void TestStatistics::store(const QString &sub, const QString &name, quint32 type,
                           const QByteArray &data)
{
    Registry reg;
    RegKey key;
    QCOMPARE(reg.createKey(Registry::currentUser(), keyPath(sub), &key), ERROR_SUCCESS);
    QCOMPARE(reg.setValue(key, name, type, data), ERROR_SUCCESS);
}

QByteArray TestStatistics::stored(const QString &sub, const QString &name, quint32 *type)
{
    Registry reg;
    RegKey key;
    char buffer[64];
    quint32 size = sizeof buffer;
    if (reg.openKey(Registry::currentUser(), keyPath(sub), &key) != ERROR_SUCCESS
        || reg.queryValue(key, name, type, buffer, &size) != ERROR_SUCCESS)
        return "<none>";
    return QByteArray(buffer, size);
}

void TestStatistics::countScan_data()
{
    QTest::addColumn<QByteArray>("before"); // the stored count; none at the first start
    QTest::addColumn<QString>("after");
    QTest::newRow("first start") << QByteArray() << "1";
    QTest::newRow("counts up") << QByteArray("41", 3) << "42";
    QTest::newRow("wraps") << QByteArray("2147483647", 11) << "-2147483648";
}

void TestStatistics::countScan()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, after);
    if (before.isEmpty()) {
        const StatisticsTexts texts = ReadStartupStatistics();
        QCOMPARE(texts.DmLabel2, kDate + "сканирований ещё не было");
        QCOMPARE(texts.DmLabel3, kScans + "0");
        QCOMPARE(texts.DmLabel4, kDels + "0");
    } else {
        store("Quantity", "Scans", REG_SZ, before);
        QCOMPARE(ReadStartupStatistics().DmLabel3, kScans + QString::fromLatin1(before.chopped(1)));
    }
    const TDateTime start = EncodeDateTime(2024, 5, 17, 13, 45, 10);
    CountScan(start);
    quint32 type = 0;
    QCOMPARE(stored("Quantity", "Scans", &type), after.toLatin1() + '\0');
    QCOMPARE(type, quint32(REG_SZ));
    QCOMPARE(stored("", "LastScan", &type), dateBytes(start));
    QCOMPARE(type, quint32(REG_BINARY));
    QCOMPARE(ReadStartupStatistics().DmLabel3, kScans + after);
}

void TestStatistics::counterTexts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<uint>("type");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("label"); // DmLabel3 for Scans, DmLabel4 for Dels

    QTest::newRow("scans decimal") << "Scans" << uint(REG_SZ) << QByteArray("17", 3) << kScans + "17";
    QTest::newRow("scans blanks first") << "Scans" << uint(REG_SZ) << QByteArray("   17", 6) << kScans + "17";
    QTest::newRow("scans dollar hex") << "Scans" << uint(REG_SZ) << QByteArray("$1F", 4) << kScans + "31";
    QTest::newRow("scans 0x hex") << "Scans" << uint(REG_SZ) << QByteArray("0x10", 5) << kScans + "16";
    QTest::newRow("scans negative") << "Scans" << uint(REG_SZ) << QByteArray("-5", 3) << kScans + "-5";
    QTest::newRow("scans expand string") << "Scans" << uint(REG_EXPAND_SZ) << QByteArray("9", 2) << kScans + "9";
    QTest::newRow("scans text to first zero") << "Scans" << uint(REG_SZ) << QByteArray("12\0" "34", 6) << kScans + "12";
    QTest::newRow("scans without zero") << "Scans" << uint(REG_SZ) << QByteArray("8") << kScans + "8";
    QTest::newRow("scans empty text") << "Scans" << uint(REG_SZ) << QByteArray(1, '\0') << kScans + "0";
    // No data means an empty text, whatever the type says.
    QTest::newRow("scans dword without data") << "Scans" << uint(REG_DWORD) << QByteArray() << kScans + "0";
    QTest::newRow("dels abc") << "Dels" << uint(REG_SZ) << QByteArray("abc", 4) << kDels + "0";
    QTest::newRow("dels -1 unsigned") << "Dels" << uint(REG_SZ) << QByteArray("-1", 3) << kDels + "4294967295";
    QTest::newRow("dels hex all bits") << "Dels" << uint(REG_SZ) << QByteArray("$FFFFFFFF", 10) << kDels + "4294967295";
    QTest::newRow("dels too big") << "Dels" << uint(REG_SZ) << QByteArray("4294967295", 11) << kDels + "0";
}

void TestStatistics::counterTexts()
{
    QFETCH(QString, name);
    QFETCH(uint, type);
    QFETCH(QByteArray, data);
    QFETCH(QString, label);
    store("Quantity", name, type, data);
    const StatisticsTexts texts = ReadStartupStatistics();
    QCOMPARE(name == "Scans" ? texts.DmLabel3 : texts.DmLabel4, label);
}

void TestStatistics::wrongTypeFailsOnlyItsOperation()
{
    store("Quantity", "Scans", REG_DWORD, QByteArray("\x29\0\0\0", 4));
    store("Quantity", "Dels", REG_SZ, QByteArray("5", 2));
    QCOMPARE(failure([] { CountScan(EncodeDate(2024, 1, 1)); }),
             QString("Неверный тип данных «Scans»"));
    QCOMPARE(stored("", "LastScan"), QByteArray("<none>")); // the scan did not start
    QCOMPARE(failure([] { ReadStartupStatistics(); }), QString("Неверный тип данных «Scans»"));

    // Deletions go on counting.
    DeletionCounter dels;
    dels.add();
    dels.write();
    QCOMPARE(stored("Quantity", "Dels"), QByteArray("6", 2));
}

void TestStatistics::deletionCounting()
{
    store("Quantity", "Dels", REG_SZ, QByteArray("abc", 4));
    {
        DeletionCounter dels;
        for (int row = 0; row < 3; ++row)
            dels.add();
        QCOMPARE(stored("Quantity", "Dels"), QByteArray("abc", 4)); // written only at the end
        dels.write();
    }
    QCOMPARE(stored("Quantity", "Dels"), QByteArray("3", 2));

    // Nothing deleted: the value read is written back.
    DeletionCounter none;
    store("Quantity", "Dels", REG_SZ, QByteArray("99", 3)); // another copy meanwhile
    none.write();
    QCOMPARE(stored("Quantity", "Dels"), QByteArray("3", 2));

    store("Quantity", "Dels", REG_SZ, QByteArray("-1", 3));
    DeletionCounter wraps;
    wraps.add();
    wraps.write();
    QCOMPARE(stored("Quantity", "Dels"), QByteArray("0", 2));
}

void TestStatistics::lastScanFailures_data()
{
    QTest::addColumn<uint>("type");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("message");
    const QString invalid = "Неверный тип данных «LastScan»";
    QTest::newRow("4 bytes") << uint(REG_BINARY) << QByteArray(4, '\0') << invalid;
    QTest::newRow("no bytes") << uint(REG_BINARY) << QByteArray() << invalid;
    QTest::newRow("string") << uint(REG_SZ) << QByteArray("2024-01-01", 11) << "Не удалось прочитать данные «LastScan»";
    QTest::newRow("short string") << uint(REG_SZ) << QByteArray("x", 2) << invalid;
    QTest::newRow("8-byte string") << uint(REG_SZ) << QByteArray("1234567", 8) << invalid;
    QTest::newRow("9 bytes") << uint(REG_BINARY) << QByteArray(9, '\0') << "Не удалось прочитать данные «LastScan»";
    QTest::newRow("not a number") << uint(REG_BINARY) << dateBytes(std::nan("")) << invalid;
    QTest::newRow("infinite") << uint(REG_BINARY) << dateBytes(INFINITY) << invalid;
    QTest::newRow("year 10000") << uint(REG_BINARY) << dateBytes(2958466.0) << invalid;
    QTest::newRow("before year 1") << uint(REG_BINARY) << dateBytes(-693594.0) << invalid;
}

void TestStatistics::lastScanFailures()
{
    QFETCH(uint, type);
    QFETCH(QByteArray, data);
    QFETCH(QString, message);
    store("", "LastScan", type, data);
    QCOMPARE(failure([] { ReadStartupStatistics(); }), message);
    // Counting a scan writes the date without reading it, and so mends it.
    CountScan(EncodeDate(2024, 1, 1));
    QCOMPARE(failure([] { ReadStartupStatistics(); }), QString());
}

void TestStatistics::firstFailureStopsReading()
{
    // Read in the order Scans, LastScan, Dels: the first failure is reported.
    store("", "LastScan", REG_BINARY, QByteArray(4, '\0'));
    store("Quantity", "Dels", REG_DWORD, QByteArray(4, '\0'));
    QCOMPARE(failure([] { ReadStartupStatistics(); }), QString("Неверный тип данных «LastScan»"));
    store("Quantity", "Scans", REG_DWORD, QByteArray(4, '\0'));
    QCOMPARE(failure([] { ReadStartupStatistics(); }), QString("Неверный тип данных «Scans»"));
}

void TestStatistics::dateText()
{
    const QLocale locale;
    store("", "LastScan", REG_BINARY, dateBytes(EncodeDate(2024, 3, 5)));
    QCOMPARE(ReadStartupStatistics().DmLabel2,
             kDate + locale.toString(QDate(2024, 3, 5), QLocale::ShortFormat));
    store("", "LastScan", REG_BINARY, dateBytes(EncodeDateTime(2024, 3, 5, 0, 0, 1)));
    QCOMPARE(ReadStartupStatistics().DmLabel2,
             kDate + locale.toString(QDate(2024, 3, 5), QLocale::ShortFormat) + ' '
                 + locale.toString(QTime(0, 0, 1), dm::LongTimeFormat(locale)));
}

void TestStatistics::unwritableStore()
{
    // The config folder lies below a plain file: nothing can be created there.
    QFile plain(m_dir->filePath("plain"));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(plain.fileName()));

    QCOMPARE(ReadStartupStatistics().DmLabel3, kScans + "0"); // reads find nothing
    QCOMPARE(failure([] { CountScan(EncodeDate(2024, 1, 1)); }), QString("Не удалось создать раздел Quantity"));
    DeletionCounter dels;
    QCOMPARE(failure([&] { dels.write(); }), QString("Не удалось создать раздел Quantity"));
}

void TestStatistics::fullDiskFailsTheWrite()
{
    store("Quantity", "Scans", REG_SZ, QByteArray("41", 3));
    store("", "Padding", REG_BINARY, QByteArray(100, 'x'));
    {
        const test::ScopedLimit limit(RLIMIT_FSIZE, 200);
        QCOMPARE(failure([] { CountScan(EncodeDate(2024, 1, 1)); }), QString("Не удалось записать данные «Scans»"));
    }
    QCOMPARE(stored("Quantity", "Scans"), QByteArray("41", 3));
}

void TestStatistics::damagedStoreToldOnce()
{
    const QString path = Registry::defaultFilePath();
    store("Quantity", "Scans", REG_SZ, QByteArray("5", 2));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Dustmote]\n\"LastScan\"=hex:zz\n");
    file.close();

    // Opening creates the key, the first write: the file is kept aside and the
    // user told, and the program goes on with an empty store.
    QCOMPARE(ReadStartupStatistics().DmLabel3, kScans + "0");
    QCOMPARE(m_notices.size(), 1);
    CountScan(EncodeDate(2024, 1, 1));
    CountScan(EncodeDate(2024, 1, 2));
    QCOMPARE(m_notices.size(), 1);
    QVERIFY2(m_notices.first().contains(path + ".damaged"), qPrintable(m_notices.first()));
    QVERIFY(QFile::exists(path + ".damaged"));
    QCOMPARE(stored("Quantity", "Scans"), QByteArray("2", 2));
}

QTEST_MAIN(TestStatistics)
#include "tst_statistics.moc"
