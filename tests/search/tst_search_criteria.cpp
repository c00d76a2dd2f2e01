// Criteria, list syntax, matching rules and date-time packing: the pure rules
// that decide what a search reports.

#include "DateTime.h"
#include "Exception.h"
#include "SearchCriteria.h"
#include "TargetSearch.h"

#include <QTest>

#include <limits>

using namespace dm;

using Strings = std::vector<std::string>;
Q_DECLARE_METATYPE(Strings)

namespace {

std::int64_t fileTimeOfLocal(int y, int mo, int d, int h, int mi, int s)
{
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    tm.tm_sec = s;
    tm.tm_isdst = -1;
    return UnixToFileTime(std::mktime(&tm), 0);
}

} // namespace

class TestCriteria : public QObject
{
    Q_OBJECT

private slots:

    void assignCopiesEveryPart()
    {
        TSearchCriteria a, b;
        a.Files().setFileName("*.tmp");
        a.Files().setLocation("/x");
        a.Files().Included() = {"/i/*.a"};
        a.Files().Excluded() = {"/e/"};
        a.Files().setSubfolders(false);
        a.Files().setMinLevel(2);
        a.Files().setMaxLevel(3);
        a.Attribute().setExactMatch(true);
        a.TimeStamp().setAccessedAfter(5.5);
        a.Size().setMax(77);
        a.Content().setPhrase("ABC");
        a.Content().setWholeWord(true);
        b.Assign(&a);
        QCOMPARE(b.Files().FileName(), std::string("*.tmp"));
        QCOMPARE(b.Files().Included(), Strings{"/i/*.a"});
        QCOMPARE(b.Files().Excluded(), Strings{"/e/"});
        QCOMPARE(b.Files().Subfolders(), false);
        QCOMPARE(b.Files().MinLevel(), 2);
        QCOMPARE(b.Files().MaxLevel(), 3);
        QVERIFY(b.Attribute().ExactMatch());
        QCOMPARE(b.TimeStamp().AccessedAfter(), 5.5);
        QCOMPARE(b.Size().Max(), 77u);
        QCOMPARE(b.Content().SearchPhrase(), std::string("abc"));
        QVERIFY(b.Content().WholeWord());
        // The owned objects stay the same objects.
        TFileCriteria *files = &b.Files();
        b.setFiles(a.Files());
        QCOMPARE(&b.Files(), files);
    }

    void assignFromUnrelatedClassFails()
    {
        TSizeCriteria size;
        size.setMin(5);
        TFileCriteria files;
        try {
            size.Assign(&files);
            QFAIL("no error");
        } catch (const EConvertError &e) {
            QCOMPARE(e.message(), QStringLiteral("Cannot assign a TFileCriteria to a TSizeCriteria"));
        }
        QCOMPARE(size.Min(), 5u);
        try {
            size.Assign(nullptr);
            QFAIL("no error");
        } catch (const EConvertError &e) {
            QCOMPARE(e.message(), QStringLiteral("Cannot assign a nil to a TSizeCriteria"));
        }
    }

    void attributes_data()
    {
        QTest::addColumn<bool>("exact");
        QTest::addColumn<uint>("attr");
        QTest::addColumn<bool>("passes");
        QTest::newRow("no known bits") << false << 0x80u << true;
        QTest::newRow("archive read-only") << false << 0x21u << true;
        QTest::newRow("folder") << false << 0x10u << false;
        QTest::newRow("exact: all four") << true << 0x27u << true;
        QTest::newRow("exact: archive only") << true << 0x20u << false;
        QTest::newRow("exact: other bits ignored") << true << 0x8A7u << true;
    }
    void attributes()
    {
        QFETCH(bool, exact);
        QFETCH(uint, attr);
        TAttributeCriteria a;
        a.setExactMatch(exact);
        QFETCH(bool, passes);
        QCOMPARE(a.Matches(attr), passes);
    }

    void attributeSetRoundTrip()
    {
        TAttributeCriteria a;
        QCOMPARE(a.AttributeMask(), 0x27u);
        QCOMPARE(a.Attributes(), (TFileAttributes{ffArchive, ffReadonly, ffHidden, ffSystem}));
        a.setAttributes({ffDirectory});
        QCOMPARE(a.AttributeMask(), 0x10u);
        QCOMPARE(a.Attributes(), TFileAttributes{ffDirectory});
    }

    void size_data()
    {
        QTest::addColumn<uint>("min");
        QTest::addColumn<uint>("max");
        QTest::addColumn<quint64>("size");
        QTest::addColumn<bool>("passes");
        QTest::newRow("exact size") << 1000u << 1000u << quint64(1000) << true;
        QTest::newRow("one below") << 1000u << 1000u << quint64(999) << false;
        QTest::newRow("one above") << 1000u << 1000u << quint64(1001) << false;
        QTest::newRow("no upper bound") << 0u << 0u << (quint64(1) << 40) << true;
        QTest::newRow("5 GB against Max 1000") << 0u << 1000u << quint64(5) * 1024 * 1024 * 1024 << false;
        QTest::newRow("4 GB + 500 against Max 1000") << 0u << 1000u << (quint64(1) << 32) + 500 << false;
        QTest::newRow("min above max") << 10u << 5u << quint64(7) << false;
    }
    void size()
    {
        QFETCH(uint, min);
        QFETCH(uint, max);
        QFETCH(quint64, size);
        TSizeCriteria s;
        s.setMin(min);
        s.setMax(max);
        QFETCH(bool, passes);
        QCOMPARE(s.Matches(size), passes);
    }

    void dateRange_data()
    {
        QTest::addColumn<double>("after");
        QTest::addColumn<double>("before");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("passes");
        const double mar1 = EncodeDate(2005, 3, 1);
        QTest::newRow("date-only upper: same day 23:59")
            << 0.0 << mar1 << EncodeDateTime(2005, 3, 1, 23, 59, 0) << true;
        QTest::newRow("date-only upper: next day 00:00")
            << 0.0 << mar1 << EncodeDateTime(2005, 3, 2, 0, 0, 0) << false;
        QTest::newRow("date-only lower: same day 00:00")
            << mar1 << 0.0 << EncodeDateTime(2005, 3, 1, 0, 0, 0) << true;
        QTest::newRow("date-only lower: day before 23:59")
            << mar1 << 0.0 << EncodeDateTime(2005, 2, 28, 23, 59, 0) << false;
        QTest::newRow("time-only lower: 18:00 any day")
            << 0.75 << 0.0 << EncodeDateTime(1999, 7, 4, 18, 0, 0) << true;
        QTest::newRow("time-only lower: 17:59")
            << 0.75 << 0.0 << EncodeDateTime(2030, 7, 4, 17, 59, 0) << false;
        QTest::newRow("time-only upper: 06:00 passes 05:00")
            << 0.0 << 0.25 << EncodeDateTime(2001, 1, 1, 5, 0, 0) << true;
        QTest::newRow("full bounds: inside")
            << EncodeDateTime(2005, 3, 1, 12, 0, 0) << EncodeDateTime(2005, 3, 1, 13, 0, 0)
            << EncodeDateTime(2005, 3, 1, 12, 30, 0) << true;
        QTest::newRow("full bounds: after upper")
            << EncodeDateTime(2005, 3, 1, 12, 0, 0) << EncodeDateTime(2005, 3, 1, 13, 0, 0)
            << EncodeDateTime(2005, 3, 1, 13, 0, 1) << false;
        QTest::newRow("no bounds") << 0.0 << 0.0 << 12345.678 << true;
        // Before 30 December 1899 the day count runs backwards, the time forwards.
        const double dec29 = EncodeDate(1899, 12, 29);
        QTest::newRow("1899: within one day, inside")
            << EncodeDateTime(1899, 12, 29, 6, 0, 0) << EncodeDateTime(1899, 12, 29, 18, 0, 0)
            << EncodeDateTime(1899, 12, 29, 12, 0, 0) << true;
        QTest::newRow("1899: within one day, after upper")
            << EncodeDateTime(1899, 12, 29, 6, 0, 0) << EncodeDateTime(1899, 12, 29, 18, 0, 0)
            << EncodeDateTime(1899, 12, 29, 19, 0, 0) << false;
        QTest::newRow("1899: within one day, before lower")
            << EncodeDateTime(1899, 12, 29, 6, 0, 0) << EncodeDateTime(1899, 12, 29, 18, 0, 0)
            << EncodeDateTime(1899, 12, 29, 5, 0, 0) << false;
        QTest::newRow("1899: time-only upper, 18:00 fails 12:00")
            << 0.0 << 0.5 << EncodeDateTime(1899, 12, 29, 18, 0, 0) << false;
        QTest::newRow("1899: time-only lower, 06:00 fails 12:00")
            << 0.5 << 0.0 << EncodeDateTime(1850, 6, 1, 6, 0, 0) << false;
        QTest::newRow("1899: date-only upper, same day 23:59")
            << 0.0 << dec29 << EncodeDateTime(1899, 12, 29, 23, 59, 0) << true;
        QTest::newRow("1899: date-only lower, day before 23:59")
            << dec29 << 0.0 << EncodeDateTime(1899, 12, 28, 23, 59, 0) << false;
        QTest::newRow("across the epoch: 1899 late evening before 1900 morning")
            << 0.0 << EncodeDateTime(1900, 1, 1, 6, 0, 0) << EncodeDateTime(1899, 12, 29, 23, 0, 0)
            << true;
    }
    void dateRange()
    {
        QFETCH(double, after);
        QFETCH(double, before);
        QFETCH(double, value);
        QFETCH(bool, passes);
        QCOMPARE(IsWithinDateRange(after, before, value), passes);
    }

    void dateCriteriaUsesLocalFileTimes()
    {
        TDateTimeCriteria t;
        t.setModifiedBefore(EncodeDate(2005, 3, 1));
        const auto late = fileTimeOfLocal(2005, 3, 1, 23, 59, 0);
        const auto next = fileTimeOfLocal(2005, 3, 2, 0, 0, 0);
        QVERIFY(t.Matches(0, late, 0));
        QVERIFY(!t.Matches(0, next, 0));
        t.setCreatedAfter(0.75);
        QVERIFY(t.Matches(fileTimeOfLocal(2010, 5, 5, 18, 0, 0), late, 0));
        QVERIFY(!t.Matches(fileTimeOfLocal(2010, 5, 5, 17, 0, 0), late, 0));
    }

    void contentDerivedFields()
    {
        TContentCriteria src;
        src.setPhrase("ABC");
        TContentCriteria c;
        c.Assign(&src);
        QCOMPARE(c.SearchPhrase(), std::string("abc"));
        QCOMPARE(c.PhraseLength(), 3);
        QCOMPARE(c.CaseTable(), &LowerCaseTable());
        c.setIgnoreCase(false);
        QCOMPARE(c.SearchPhrase(), std::string("ABC"));
        QCOMPARE(c.CaseTable(), &IdentityTable());
        c.setPhrase("XyZ");
        QCOMPARE(c.SearchPhrase(), std::string("XyZ"));
        c.setIgnoreCase(true);
        QCOMPARE(c.SearchPhrase(), std::string("xyz"));
        // Cyrillic capitals fold in code page 1251: "АБВ" -> "абв".
        c.setPhrase("\xC0\xC1\xC2");
        QCOMPARE(c.SearchPhrase(), std::string("\xE0\xE1\xE2"));
        QVERIFY(c.Matches("/nonexistent/file") == false);
        c.setPhrase("");
        QVERIFY(c.Matches("/nonexistent/file"));
    }

    void byteTables()
    {
        QCOMPARE(LowerCaseTable()['A'], 'a');
        QCOMPARE(LowerCaseTable()[0xA8], 0xB8); // Ё -> ё
        QCOMPARE(LowerCaseTable()['1'], '1');
        QVERIFY(WordDelimiters()[0] && WordDelimiters()[' '] && WordDelimiters()['.']);
        QVERIFY(!WordDelimiters()['a'] && !WordDelimiters()['7'] && !WordDelimiters()[0xE0]);
        QCOMPARE(IdentityTable()[0xC0], 0xC0);
    }

    void phraseDropsDirectoryAttribute()
    {
        TSearchCriteria c;
        c.Attribute().setAttributes({ffDirectory, ffArchive});
        c.Content().setPhrase("x");
        TTargetSearch s(c);
        QCOMPARE(s.Attribute.AttributeMask(), 0x20u);
        QCOMPARE(c.Attribute().AttributeMask(), 0x30u);
    }

    void dosTimeClamped()
    {
        const auto packed = [](int y, int mo, int d, int h, int mi, int s) {
            return static_cast<quint32>(FileTimeToDosDateTime(fileTimeOfLocal(y, mo, d, h, mi, s)));
        };
        QCOMPARE(packed(2005, 3, 1, 13, 45, 31),
                 (25u << 25) | (3u << 21) | (1u << 16) | (13u << 11) | (45u << 5) | 15u);
        QCOMPARE(packed(1970, 1, 2, 0, 0, 0), (1u << 21) | (1u << 16));
        QCOMPARE(static_cast<quint32>(FileTimeToDosDateTime(UnixToFileTime(-5000000000LL, 0))),
                 (1u << 21) | (1u << 16));
        QCOMPARE(static_cast<quint32>(FileTimeToDosDateTime(UnixToFileTime(5000000000LL, 0))),
                 (127u << 25) | (12u << 21) | (31u << 16) | (23u << 11) | (59u << 5) | 29u);
    }

    // A file stamped far off (touch -d @9000000000000) keeps its place on the
    // time line instead of wrapping round to a garbage time.
    void farOffFileTimes_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<bool>("future");
        QTest::newRow("year 287,000") << qint64(9000000000000LL) << true;
        QTest::newRow("largest") << std::numeric_limits<qint64>::max() << true;
        QTest::newRow("year -283,000") << qint64(-9000000000000LL) << false;
        QTest::newRow("smallest") << std::numeric_limits<qint64>::min() << false;
    }
    void farOffFileTimes()
    {
        QFETCH(qint64, seconds);
        QFETCH(bool, future);
        const std::int64_t ft = UnixToFileTime(seconds, 999999999);
        const std::int64_t y2100 = fileTimeOfLocal(2100, 1, 1, 0, 0, 0);
        const std::int64_t y1601 = fileTimeOfLocal(1601, 6, 1, 0, 0, 0);
        QCOMPARE(future ? ft > y2100 : ft < y1601, true);
        TDateTimeCriteria t;
        t.setModifiedAfter(EncodeDate(2100, 1, 1));
        QCOMPARE(t.Matches(0, ft, 0), future);
        QCOMPARE(static_cast<quint32>(FileTimeToDosDateTime(ft)) >> 25, future ? 127u : 0u);
    }

    void dateTimeValues()
    {
        QCOMPARE(EncodeDate(1899, 12, 30), 0.0);
        QCOMPARE(EncodeDateTime(1900, 1, 1, 12, 0, 0), 2.5);
        QCOMPARE(DateOf(EncodeDateTime(2024, 2, 29, 6, 0, 0)), QDate(2024, 2, 29));
        QCOMPARE(TimeOf(EncodeDateTime(2024, 2, 29, 6, 7, 8)), QTime(6, 7, 8));
        QCOMPARE(DateOf(EncodeDateTime(1899, 12, 29, 6, 0, 0)), QDate(1899, 12, 29));
        QCOMPARE(TimeOf(EncodeDateTime(1899, 12, 29, 6, 0, 0)), QTime(6, 0));
        const QLocale l;
        QCOMPARE(DateTimeToText(EncodeDate(2005, 3, 1)), l.toString(QDate(2005, 3, 1), QLocale::ShortFormat));
        QCOMPARE(DateTimeToText(EncodeDateTime(2005, 3, 1, 0, 0, 1)),
                 l.toString(QDate(2005, 3, 1), QLocale::ShortFormat) + ' '
                     + l.toString(QTime(0, 0, 1), LongTimeFormat(l)));
        // Never a time-zone name: the stored moment's zone is not known.
        for (const char *name : {"C", "en_US", "ru_RU", "de_DE", "ja_JP"}) {
            const QString format = LongTimeFormat(QLocale(QString::fromLatin1(name)));
            QVERIFY2(!format.contains(u't') && format.contains(QLatin1String("ss")), qPrintable(format));
        }
        const auto ft = fileTimeOfLocal(2005, 3, 1, 13, 45, 30);
        QCOMPARE(FileTimeToLocalDateTime(ft), EncodeDateTime(2005, 3, 1, 13, 45, 30));
    }

};

QTEST_GUILESS_MAIN(TestCriteria)
#include "tst_search_criteria.moc"
