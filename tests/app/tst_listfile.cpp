// The list file: its bytes both ways, every failure the user can meet, and the
// guarantee that nothing the reader could not read is lost.

#include "ErrorTexts.h"
#include "Exception.h"
#include "ListFile.h"
#include "ListViewRows.h"
#include "MessageBox.h"
#include "RecordedBoxes.h"
#include "ScopedLimit.h"
#include "TestFiles.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using dm::ListRow;

using dm::test::readFile;
using dm::test::writeFile;

namespace {

const QByteArray kWorkedExample = QByteArray::fromHex("4C564601000100000000000A0054656D702066696C657305002A2E746D70");

} // namespace

class TestListFile : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_view.clear(); }

    void workedExampleBothWays();
    void roundTrips_data();
    void roundTrips();
    void readerQuirks_data();
    void readerQuirks();
    void cutOffKeepsWholeRows_data();
    void cutOffKeepsWholeRows();
    void writerRefusesWhatTheFormatCannotHold();

    void loadMissingFile();
    void loadWrongMagicKeepsRowsAndBacksUp_data();
    void loadWrongMagicKeepsRowsAndBacksUp();
    void loadCutOffFileTellsAndBacksUp();
    void loadUnopenableFileThrows();
    void saveAndLoadThroughTheView();
    void failedSaveKeepsOldFile();

private:
    QTreeWidget m_view;
};

void TestListFile::workedExampleBothWays()
{
    const QList<ListRow> rows{{"Temp files", {"*.tmp"}, 0}};
    QCOMPARE(dm::encodeListFile(rows), kWorkedExample);
    const dm::DecodedList back = dm::decodeListFile(kWorkedExample);
    QCOMPARE(back.status, dm::DecodedList::Complete);
    QCOMPARE(back.rows, rows);
    QCOMPARE(dm::encodeListFile({}), QByteArray::fromHex("4C56460000"));
}

void TestListFile::roundTrips_data()
{
    QTest::addColumn<QList<ListRow>>("rows");
    QTest::addColumn<QByteArray>("bytes"); // empty: not checked byte for byte
    QTest::newRow("empty catalog") << QList<ListRow>{} << QByteArray::fromHex("4C56460000");
    QTest::newRow("no sub-items") << QList<ListRow>{{"a", {}, 0}}
                                  << QByteArray::fromHex("4C56460100000000000000010061");
    QTest::newRow("image index -1") << QList<ListRow>{{"", {""}, -1}}
                                    << QByteArray::fromHex("4C564601000100FFFFFFFF00000000");
    QTest::newRow("three sub-items in order")
        << QList<ListRow>{{"x", {"*.a", "*.b", "*.c"}, 7}, {"y", {"*.d"}, 0}} << QByteArray();
    QTest::newRow("cyrillic in code page 1251")
        << QList<ListRow>{{u"О"_qs, {u"*.бак"_qs}, 0}}
        << QByteArray::fromHex("4C564601000100000000000100CE05002A2EE1E0EA");
    // Masks that name a place are plain text to the file: read and written
    // byte for byte as before.
    QTest::newRow("place masks")
        << QList<ListRow>{{"C", {".cache/x/**/*"}, 0}}
        << QByteArray::fromHex("4C564601000100000000000100430D002E63616368652F782F2A2A2F2A");
    QTest::newRow("place masks among names")
        << QList<ListRow>{{u"Кэш"_qs, {"*.tmp;.cache/thumbnails/**/*;__pycache__/*.pyc", "a//b/"}, 3}} << QByteArray();
}

void TestListFile::roundTrips()
{
    QFETCH(QList<ListRow>, rows);
    QFETCH(QByteArray, bytes);
    const QByteArray encoded = dm::encodeListFile(rows);
    if (!bytes.isEmpty())
        QCOMPARE(encoded, bytes);
    const dm::DecodedList back = dm::decodeListFile(encoded);
    QCOMPARE(back.status, dm::DecodedList::Complete);
    QCOMPARE(back.rows, rows);
}

void TestListFile::readerQuirks_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<ListRow>>("rows");
    // Caption "a\0b" (3 bytes) then sub-item "c": the zero cuts the text but
    // all three bytes are consumed.
    QTest::newRow("zero byte inside a string")
        << QByteArray::fromHex("4C56460100010000000000030061006201006300")
        << QList<ListRow>{{"a", {"c"}, 0}};
    QTest::newRow("extra bytes after the last row") << kWorkedExample + "garbage"
                                                    << QList<ListRow>{{"Temp files", {"*.tmp"}, 0}};
    QTest::newRow("byte 0x98 survives") << QByteArray::fromHex("4C5646010000000000000001" "0098")
                                        << QList<ListRow>{{QString(QChar(0x98)), {}, 0}};
}

void TestListFile::readerQuirks()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<ListRow>, rows);
    const dm::DecodedList back = dm::decodeListFile(bytes);
    QCOMPARE(back.status, dm::DecodedList::Complete);
    QCOMPARE(back.rows, rows);
}

void TestListFile::cutOffKeepsWholeRows_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("wholeRows");
    // The first row ends at byte 30, the second at 52.
    QTest::newRow("inside the count") << 4 << 0;
    QTest::newRow("inside the first row's header") << 9 << 0;
    QTest::newRow("inside the first caption") << 20 << 0;
    QTest::newRow("inside the first sub-item") << 28 << 0;
    QTest::newRow("after the first row") << 30 << 1;
    QTest::newRow("inside the second row") << 40 << 1;
}

void TestListFile::cutOffKeepsWholeRows()
{
    QFETCH(int, length);
    QFETCH(int, wholeRows);
    const QList<ListRow> rows{{"Temp files", {"*.tmp"}, 0}, {"Backups", {"*.bak"}, 3}};
    const QByteArray full = dm::encodeListFile(rows);
    const dm::DecodedList back = dm::decodeListFile(full.left(length));
    QCOMPARE(back.status, dm::DecodedList::CutOff);
    QCOMPARE(back.rows, rows.first(wholeRows));
}

void TestListFile::writerRefusesWhatTheFormatCannotHold()
{
    QVERIFY_THROWS_EXCEPTION(dm::Exception, dm::encodeListFile(QList<ListRow>(65536)));
    QVERIFY_THROWS_EXCEPTION(dm::Exception, dm::encodeListFile({{QString(65536, 'x'), {}, 0}}));
    QVERIFY_THROWS_EXCEPTION(dm::Exception, dm::encodeListFile({{"", {QString(65536, 'x')}, 0}}));
    QVERIFY_THROWS_EXCEPTION(dm::Exception, dm::encodeListFile({{"", QStringList(65536), 0}}));
    // The limits themselves are fine.
    QCOMPARE(dm::encodeListFile(QList<ListRow>(65535)).size(), 5 + 65535 * 8);
    QCOMPARE(dm::encodeListFile({{QString(65535, 'x'), {}, 0}}).size(), 5 + 8 + 65535);
}

void TestListFile::loadMissingFile()
{
    QTemporaryDir dir;
    dm::test::RecordedBoxes boxes;
    dm::ListViewRows rows(&m_view);
    rows.appendRow({"kept", {"*.x"}, 0});
    dm::LoadListViewFromFile(rows, dir.filePath("List.lst"));
    QDir(dir.path()).mkdir("Folder.lst");
    dm::LoadListViewFromFile(rows, dir.filePath("Folder.lst"));
    QCOMPARE(boxes.shown.size(), 2);
    for (const auto &box : boxes.shown) {
        QCOMPARE(box.text, QStringLiteral("Не удалось загрузить лист"));
        QCOMPARE(box.title, QStringLiteral("Ошибка ввода/вывода"));
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }
    QCOMPARE(rows.rowCount(), 1);
}

void TestListFile::loadWrongMagicKeepsRowsAndBacksUp_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("lower-case lvf") << QByteArray("lvf\0\0", 5);
    QTest::newRow("LVX") << QByteArray("LVX\0\0", 5);
    QTest::newRow("two bytes") << QByteArray("LV");
    QTest::newRow("empty file") << QByteArray();
}

void TestListFile::loadWrongMagicKeepsRowsAndBacksUp()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath("List.lst");
    QVERIFY(writeFile(path, bytes));
    QVERIFY(writeFile(path + ".bak", "an older backup"));
    dm::test::RecordedBoxes boxes;
    dm::ListViewRows rows(&m_view);
    rows.appendRow({"kept", {"*.x"}, 0});
    dm::LoadListViewFromFile(rows, path);
    QCOMPARE(rows.rowCount(), 1);
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown[0].title, QStringLiteral("Ошибка ввода/вывода"));
    QCOMPARE(boxes.shown[0].icon, QMessageBox::Critical);
    QVERIFY2(boxes.shown[0].text.contains(u"«List.lst» не является списком"), qPrintable(boxes.shown[0].text));
    QVERIFY2(boxes.shown[0].text.contains(u"«List.lst.bak2»"), qPrintable(boxes.shown[0].text));
    // The unreadable original is kept; an older backup is not overwritten.
    QCOMPARE(readFile(path + ".bak2"), bytes);
    QCOMPARE(readFile(path + ".bak"), QByteArray("an older backup"));
}

void TestListFile::loadCutOffFileTellsAndBacksUp()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("List.lst");
    const QByteArray full = dm::encodeListFile({{"Temp files", {"*.tmp"}, 0}, {"Backups", {"*.bak"}, 3}});
    QVERIFY(writeFile(path, full.left(40)));
    dm::test::RecordedBoxes boxes;
    dm::ListViewRows rows(&m_view);
    rows.appendRow({"replaced", {}, 0});
    dm::LoadListViewFromFile(rows, path);
    QCOMPARE(rows.rowCount(), 1);
    QCOMPARE(rows.row(0), (ListRow{"Temp files", {"*.tmp"}, 0}));
    QCOMPARE(boxes.shown.size(), 1);
    QVERIFY2(boxes.shown[0].text.contains(u"повреждён"), qPrintable(boxes.shown[0].text));
    QVERIFY2(boxes.shown[0].text.contains(u"1 из 2"), qPrintable(boxes.shown[0].text));
    QVERIFY2(boxes.shown[0].text.contains(u"«List.lst.bak»"), qPrintable(boxes.shown[0].text));
    QCOMPARE(readFile(path + ".bak"), full.left(40));
}

void TestListFile::loadUnopenableFileThrows()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("List.lst");
    QVERIFY(writeFile(path, kWorkedExample));
    dm::ListViewRows rows(&m_view);
    rows.appendRow({"kept", {}, 0});
    QString message;
    try {
        // Out of file handles: a file that exists and cannot be opened, even for root.
        dm::test::ScopedLimit noHandles(RLIMIT_NOFILE, 0);
        dm::LoadListViewFromFile(rows, path);
    } catch (const dm::EFOpenError &e) {
        message = e.message();
    }
    QCOMPARE(message, QStringLiteral("Не удалось открыть файл «%1». %2").arg(path, dm::systemErrorText(EMFILE)));
    QCOMPARE(rows.rowCount(), 1);
}

void TestListFile::saveAndLoadThroughTheView()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("List.lst");
    m_view.setColumnCount(2);
    dm::ListViewRows rows(&m_view);
    rows.appendRow({"Temp files", {"*.tmp"}, 0});
    rows.appendRow({u"Резервные копии"_qs, {"*.bak", "*.old", "~*"}, -1});
    m_view.topLevelItem(0)->setCheckState(0, Qt::Checked);
    dm::SaveListViewToFile(rows, path);
    QCOMPARE(readFile(path).mid(5, 25), kWorkedExample.mid(5));

    dm::test::RecordedBoxes boxes;
    QTreeWidget other;
    other.setColumnCount(2);
    dm::ListViewRows loaded(&other);
    dm::LoadListViewFromFile(loaded, path);
    QVERIFY(boxes.shown.isEmpty());
    QCOMPARE(loaded.rowCount(), 2);
    QCOMPARE(loaded.row(1), rows.row(1));
    // Only the first sub-item is shown; every loaded row is unticked.
    QCOMPARE(other.topLevelItem(1)->text(1), QStringLiteral("*.bak"));
    QCOMPARE(other.topLevelItem(0)->checkState(0), Qt::Unchecked);
}

void TestListFile::failedSaveKeepsOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("List.lst");
    QVERIFY(writeFile(path, kWorkedExample));
    dm::ListViewRows rows(&m_view);
    for (int i = 0; i < 200; ++i)
        rows.appendRow({QString(20, 'x'), {"*.tmp"}, i});
    bool failed = false;
    try {
        dm::test::ScopedLimit fullDisk(RLIMIT_FSIZE, 1024);
        dm::SaveListViewToFile(rows, path);
    } catch (const dm::EFCreateError &) {
        failed = true;
    }
    QVERIFY(failed);
    QCOMPARE(readFile(path), kWorkedExample);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"List.lst"});
}

QTEST_MAIN(TestListFile)
#include "tst_listfile.moc"
