// The starting catalog's Linux cache types on a home laid out like a real
// desktop's: each type finds all its junk, and no type of the catalog finds
// a file a user keeps beside a cache (a profile, a database, bookmarks,
// passwords, settings).

#include "DesktopHome.h"
#include "FindFile.h"
#include "ListFile.h"
#include "ScanTexts.h"
#include "TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

using dm::test::readFile;
using dm::test::writeFile;

class TestLinuxCaches : public QObject
{
    Q_OBJECT
private slots:
    void startingCatalogOnADesktopHome_data();
    void startingCatalogOnADesktopHome();
};

namespace {

// What the engine finds below root with the masks of the rows, the way a
// scan hands them over; paths relative to root.
QStringList findWith(const QString &root, const QList<QStringList> &rows)
{
    const std::string masks = QFile::encodeName(dm::BuildMaskList(rows)).toStdString();
    const std::string folder = QFile::encodeName(root).toStdString();
    dm::TFindFile engine;
    engine.Criteria().Files().setIncluded(dm::ScanTargets(folder, masks));
    engine.Criteria().Files().setPlaces(dm::ScanPlaces(masks));
    QStringList found;
    engine.OnFileMatch = [&](dm::TFindFile *, const std::string &in, const dm::TSearchRec &rec) {
        found << QFile::decodeName(QByteArray::fromStdString(in + rec.Name)).mid(root.size() + 1);
    };
    engine.StartSearch();
    found.removeDuplicates();
    found.sort();
    return found;
}

} // namespace

void TestLinuxCaches::startingCatalogOnADesktopHome_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<QStringList>("junk");
    QTest::addColumn<QStringList>("kept");
    for (const dm::test::DesktopType &type : dm::test::desktopTypes())
        QTest::newRow(qPrintable(type.description)) << type.description << type.junk << type.kept;
}

void TestLinuxCaches::startingCatalogOnADesktopHome()
{
    QFETCH(QString, description);
    QFETCH(QStringList, junk);
    QFETCH(QStringList, kept);
    const dm::DecodedList shipped = dm::decodeListFile(readFile(QStringLiteral(DUSTMOTE_DEFAULT_LIST)));
    QList<QStringList> all, own;
    for (const dm::ListRow &row : shipped.rows) {
        all.append(row.subItems);
        if (row.caption == description)
            own.append(row.subItems);
    }
    QCOMPARE(own.size(), 1);

    // The whole desktop home: every type's junk and keepers side by side.
    QTemporaryDir dir;
    const QString home = dir.filePath("home");
    for (const dm::test::DesktopType &type : dm::test::desktopTypes())
        for (const QString &file : type.junk + type.kept)
            QVERIFY(writeFile(home + '/' + file, "x"));
    // The type alone finds all its junk.
    const QStringList byType = findWith(home, own);
    for (const QString &file : junk)
        QVERIFY2(byType.contains(file), qPrintable(file));
    // No type of the catalog finds a file kept beside it.
    const QStringList byAll = findWith(home, all);
    for (const QString &file : kept)
        QVERIFY2(!byAll.contains(file), qPrintable(file));
}

QTEST_GUILESS_MAIN(TestLinuxCaches)
#include "tst_linuxcaches.moc"
