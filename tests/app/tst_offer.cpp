// What a scan offers beyond its masks and folder, as a user meets it: files
// and folders kept from the list for good, the age limit, the space per type
// with the list narrowed to one type, and the ticked files' total.

#include "DateTime.h"
#include "FoundFiles.h"
#include "FoundListView.h"
#include "KeepDialog.h"
#include "KeepList.h"
#include "ScanFixture.h"
#include "CleanScan.h"
#include "ScanOffer.h"
#include "ScanTexts.h"
#include "TypeTotals.h"
#include "TypesPage.h"

#include <QHeaderView>
#include "Unit1.h"
#include "ui_Unit1.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

using dm::test::writeFile;

namespace {

QStringList listedPaths(const dm::FoundFilesModel &model)
{
    QStringList paths;
    for (int r = 0; r < model.rowCount(); ++r)
        paths << model.fullPath(r);
    paths.sort();
    return paths;
}

int rowOf(const dm::FoundFilesModel &model, const QString &path)
{
    for (int r = 0; r < model.rowCount(); ++r)
        if (model.fullPath(r) == path)
            return r;
    return -1;
}

bool setModified(const QString &path, const QDateTime &when)
{
    QFile f(path);
    return f.open(QIODevice::ReadWrite) && f.setFileTime(when, QFileDevice::FileModificationTime);
}

// The file time (100 ns since 1601, UTC) of a moment.
std::int64_t fileTimeOf(const QDateTime &when)
{
    return (when.toMSecsSinceEpoch() + 11644473600000LL) * 10000;
}

} // namespace

class TestOffer : public QObject, protected dm::test::ScanFixture
{
    Q_OBJECT
private slots:
    void init();
    // A scan's end clears the catalog's ticks: the next one ticks them again.
    void rescan(TForm1 &form)
    {
        form.ui->CheckBox1->setChecked(true);
        scan(form);
    }
    void cleanup() { tearDown(); }
    void keptItemsAbsentFromTheNextScan_data();
    void keptItemsAbsentFromTheNextScan();
    void keptByTheMenuFromTheKeys_data();
    void keptByTheMenuFromTheKeys();
    void keepListSurvivesRestartAndRemoval();
    void keepListHoldsAnyName_data();
    void keepListHoldsAnyName();
    void ageLimitEdges_data();
    void ageLimitEdges();
    void ageLimitInAScan();
    void typeCountsAndFilter();
    void tickedTotalFollowsTicks();
    void filterSurvivesSortAndRemoval();
    void narrowedListCatchesUpWhenShown_data();
    void narrowedListCatchesUpWhenShown();
};

void TestOffer::init()
{
    setUp();
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir->filePath("data")));
}

void TestOffer::keptItemsAbsentFromTheNextScan_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<bool>("folder");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<int>("foldersRead");
    const QStringList all{"a.tmp", "cache/b.tmp", "cache/deep/c.tmp", "cachet/d.tmp"};
    // The folder's sibling whose name begins alike stays.
    QTest::newRow("file") << "cache/b.tmp" << false
                          << QStringList{"a.tmp", "cache/deep/c.tmp", "cachet/d.tmp"} << 4;
    QTest::newRow("folder and below") << "cache/b.tmp" << true << QStringList{"a.tmp", "cachet/d.tmp"} << 2;
    QTest::newRow("a folder below") << "cache/deep/c.tmp" << true
                                    << QStringList{"a.tmp", "cache/b.tmp", "cachet/d.tmp"} << 3;
}

void TestOffer::keptItemsAbsentFromTheNextScan()
{
    QFETCH(QString, chosen);
    QFETCH(bool, folder);
    QFETCH(QStringList, left);
    QFETCH(int, foldersRead);
    for (const QString f : {"a.tmp", "cache/b.tmp", "cache/deep/c.tmp", "cachet/d.tmp"})
        QVERIFY(writeFile(home(f), 2000));
    auto form = makeForm({"*.tmp"});
    scan(*form);
    QCOMPARE(form->foundFiles().rowCount(), 4);
    form->foundFiles().setAllChecked(true);

    QVERIFY(form->keepRow(rowOf(form->foundFiles(), home(chosen)), folder));
    QStringList expected;
    for (const QString &f : left)
        expected << home(f);
    // At once, with the totals following.
    QCOMPARE(listedPaths(form->foundFiles()), expected);
    QCOMPARE(form->ui->Label3->text(), dm::TotalText(2 * left.size()));
    QTRY_COMPARE(form->LabelTicked->text(), dm::TickedText(left.size(), 2 * left.size()));
    QVERIFY(QFile::exists(home(chosen)));

    rescan(*form);
    QCOMPARE(listedPaths(form->foundFiles()), expected);
    QCOMPARE(form->FolderCount, foldersRead);
    QVERIFY(QFile::exists(home(chosen)));
}

void TestOffer::keptByTheMenuFromTheKeys_data()
{
    QTest::addColumn<bool>("narrowed");
    QTest::newRow("found list") << false;
    QTest::newRow("list of one type") << true;
}

void TestOffer::keptByTheMenuFromTheKeys()
{
    QFETCH(bool, narrowed);
    QVERIFY(writeFile(home("x/a.tmp")));
    QVERIFY(writeFile(home("y/b.bak")));
    QVERIFY(writeFile(home("y/c.bak")));
    auto form = makeForm({"*.tmp", "*.bak"});
    form->show();
    scan(*form);
    QAbstractItemView *view = form->ui->ListView1;
    if (narrowed) {
        form->ui->DmPageControl1->setCurrentIndex(form->typesPageIndex());
        form->TypesPage->bars()->setCurrentIndex(form->TypesPage->totals().index(0, 0)); // *.bak, larger
        view = form->TypesPage->list();
    }
    QTRY_VERIFY(view->isVisible());
    const int listRow = rowOf(form->foundFiles(), home("y/c.bak"));
    view->setCurrentIndex(narrowed ? form->TypesPage->filter().mapFromSource(form->foundFiles().index(listRow, 0))
                                   : form->foundFiles().index(listRow, 0));
    view->setFocus();
    // The menu opens at the chosen row; its first item keeps the file.
    QTimer::singleShot(0, form.get(), [&] {
        QTRY_VERIFY(form->FoundMenu->isVisible());
        QTest::keyClick(form->FoundMenu, Qt::Key_Down);
        QTest::keyClick(form->FoundMenu, Qt::Key_Return);
    });
    QTest::keyClick(view, Qt::Key_F10, Qt::ShiftModifier);
    QCOMPARE(listedPaths(form->foundFiles()), QStringList({home("x/a.tmp"), home("y/b.bak")}));
    QCOMPARE(dm::KeepList::load().items(),
             std::vector<dm::KeptItem>({{QFile::encodeName(home("y/c.bak")), false}}));
}

void TestOffer::keepListSurvivesRestartAndRemoval()
{
    QVERIFY(writeFile(home("a.tmp")));
    QVERIFY(writeFile(home("old/b.tmp")));
    QVERIFY(writeFile(home("c.tmp")));
    {
        auto form = makeForm({"*.tmp"});
        scan(*form);
        QVERIFY(form->keepRow(rowOf(form->foundFiles(), home("a.tmp")), false));
        QVERIFY(form->keepRow(rowOf(form->foundFiles(), home("old/b.tmp")), true));
    }
    // A new start reads the list.
    auto form = makeForm({"*.tmp"});
    scan(*form);
    QCOMPARE(listedPaths(form->foundFiles()), QStringList{home("c.tmp")});

    dm::KeepDialog dialog(form.get());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QListWidget *list = dialog.list();
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(1)->text(), "Папка: " + home("old/"));
    QVERIFY(!dialog.removeButton()->isEnabled());
    list->setFocus();
    list->setCurrentRow(0);
    QVERIFY(dialog.removeButton()->isEnabled());
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(list->count(), 1);
    QCOMPARE(dm::KeepList::load().items().size(), 1u);

    rescan(*form);
    QCOMPARE(listedPaths(form->foundFiles()), QStringList({home("a.tmp"), home("c.tmp")}));
}

void TestOffer::keepListHoldsAnyName_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("plain") << QByteArray("a.tmp");
    QTest::newRow("not UTF-8") << QByteArray("\xff\xfe.tmp");
    QTest::newRow("newline and blanks") << QByteArray(" a\nb%20 .tmp");
    QTest::newRow("mask characters") << QByteArray("*.tmp");
}

void TestOffer::keepListHoldsAnyName()
{
    QFETCH(QByteArray, name);
    const QByteArray folder = QFile::encodeName(home("d/"));
    QDir().mkpath(home("d"));
    for (const QByteArray &n : {name, QByteArray("other.tmp")}) {
        const int fd = ::open((folder + n).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        QVERIFY(fd >= 0);
        ::close(fd);
    }
    dm::KeepList kept;
    QVERIFY(kept.add({folder + name, false}));
    QVERIFY(!kept.add({folder + name, false}));
    QVERIFY(kept.save());
    QCOMPARE(dm::KeepList::load().items(), kept.items());

    // Exactly that file: not another the name would match as a mask.
    auto form = makeForm({"*.tmp"});
    scan(*form);
    QCOMPARE(form->foundFiles().rowCount(), 1);
    QCOMPARE(form->foundFiles().nameBytes(0), QByteArray("other.tmp"));
}

void TestOffer::ageLimitEdges_data()
{
    QTest::addColumn<int>("days");
    QTest::addColumn<qint64>("secondsOlder"); // than exactly `days` days before now
    QTest::addColumn<bool>("listed");
    QTest::newRow("exactly N days") << 7 << qint64(0) << true;
    QTest::newRow("a second younger") << 7 << qint64(-1) << false;
    QTest::newRow("a second older") << 7 << qint64(1) << true;
    QTest::newRow("future, with a limit") << 1 << qint64(-5 * 86400) << false;
    QTest::newRow("no limit, future") << 0 << qint64(-86400) << true;
    QTest::newRow("no limit, now") << 0 << qint64(0) << true;
    QTest::newRow("a century") << 36500 << qint64(0) << true;
}

void TestOffer::ageLimitEdges()
{
    QFETCH(int, days);
    QFETCH(qint64, secondsOlder);
    QFETCH(bool, listed);
    // Both now and exactly at midnight, whose bound must not widen to the whole day.
    for (const QDateTime &now : {QDateTime(QDate(2026, 3, 29), QTime(12, 30, 15, 250)),
                                 QDateTime(QDate(2026, 3, 29), QTime(0, 0))}) {
        dm::TDateTimeCriteria criteria;
        criteria.setModifiedBefore(dm::AgeLimitBound(days, now));
        QCOMPARE(criteria.ModifiedBefore() == 0, days == 0);
        const std::int64_t written = fileTimeOf(now.addDays(-days).addSecs(-secondsOlder));
        QCOMPARE(criteria.Matches(0, written, 0), listed);
    }
}

void TestOffer::ageLimitInAScan()
{
    const QDateTime now = QDateTime::currentDateTime();
    QVERIFY(writeFile(home("old.tmp")) && setModified(home("old.tmp"), now.addDays(-11)));
    QVERIFY(writeFile(home("young.tmp")) && setModified(home("young.tmp"), now.addDays(-9)));
    QVERIFY(writeFile(home("future.tmp")) && setModified(home("future.tmp"), now.addDays(30)));
    auto form = makeForm({"*.tmp"});
    form->SpinAge->setValue(10);
    scan(*form);
    QCOMPARE(listedPaths(form->foundFiles()), QStringList{home("old.tmp")});
    // Kept per user, and 0 lists everything again.
    auto again = makeForm({"*.tmp"});
    QCOMPARE(again->SpinAge->value(), 10);
    again->SpinAge->setValue(0);
    scan(*again);
    QCOMPARE(again->foundFiles().rowCount(), 3);
}

void TestOffer::typeCountsAndFilter()
{
    // "a1.tmp" matches both types: it counts once, for the first.
    QVERIFY(writeFile(home("a1.tmp"), 3000));
    QVERIFY(writeFile(home("b.tmp"), 100));
    QVERIFY(writeFile(home("a2.log"), 5000));
    QVERIFY(writeFile(home("a3.log"), 5000));
    QVERIFY(writeFile(home("x.bak"), 1));
    auto form = makeForm({"*.tmp", "a*", "*.bak", "*.none"});
    dm::TypeTotalsModel &totals = form->TypesPage->totals();
    QAbstractItemModelTester tester(&totals);
    scan(*form);
    QCOMPARE(form->foundFiles().rowCount(), 5);
    const auto row = [&](int r) {
        QStringList texts;
        for (int c = 0; c < totals.columnCount(); ++c)
            texts << totals.index(r, c).data().toString();
        return texts.join(u'|');
    };
    QCOMPARE(totals.rowCount(), 5);
    QCOMPARE(row(0), "a*|2|10 KB");
    QCOMPARE(row(1), "*.tmp|2|4 KB");
    QCOMPARE(row(2), "*.bak|1|1 KB");
    QCOMPARE(row(3), "*.none|0|0 KB");
    QCOMPARE(row(4), "Всего|5|15 KB");
    QCOMPARE(totals.index(1, 2).data(dm::TypeTotalsModel::ShareRole).toDouble(), 0.4);

    // Choosing a type's row narrows the list; its own tick-all ticks only it.
    dm::TypesPage *page = form->TypesPage;
    page->bars()->setCurrentIndex(totals.index(1, 0));
    QCOMPARE(page->filter().rowCount(), 2);
    QStringList shown;
    for (int r = 0; r < page->filter().rowCount(); ++r)
        shown << page->filter().index(r, 0).data().toString();
    shown.sort();
    QCOMPARE(shown, QStringList({"a1.tmp", "b.tmp"}));
    page->tickAll()->click();
    QTRY_COMPARE(form->LabelTicked->text(), dm::TickedText(2, 4));
    QCOMPARE(form->foundFiles().isChecked(rowOf(form->foundFiles(), home("a2.log"))), false);
    page->bars()->setCurrentIndex(totals.index(4, 0)); // the whole
    QCOMPARE(page->filter().rowCount(), 5);
    QVERIFY(!page->tickAll()->isChecked());
}

void TestOffer::tickedTotalFollowsTicks()
{
    dm::FoundFilesModel model;
    dm::TickedTotal ticked(&model);
    dm::FoundBatch rows;
    rows.addFolder("/d/");
    for (quint64 size : {1u, 1024u, 1025u, 0u})
        rows.addRow("f", 0, {.size = size, .modified = 0});
    model.append(rows);
    const auto expect = [&](std::uint64_t files, std::uint64_t kb) {
        QTRY_COMPARE(ticked.files(), files);
        QCOMPARE(ticked.kiloBytes(), kb);
    };
    model.setChecked(2, true);
    expect(1, 2);
    model.setData(model.index(0, 0), Qt::Checked, Qt::CheckStateRole);
    expect(2, 3);
    model.setAllChecked(true);
    expect(4, 4);
    model.removeRowsIf([](int row) { return row == 1; });
    expect(3, 3);
    model.setAllChecked(false);
    expect(0, 0);
    model.setChecked(2, true); // the last of the three rows left
    model.reset();
    expect(0, 0);
}

void TestOffer::filterSurvivesSortAndRemoval()
{
    dm::FoundFilesModel model;
    dm::TypeFilterModel filter(&model);
    QAbstractItemModelTester tester(&filter);
    dm::FoundBatch rows;
    rows.addFolder("/d/");
    const char *names[] = {"e", "d", "c", "b", "a", "f"};
    for (int i = 0; i < 6; ++i)
        rows.addRow(names[i], 0, {.size = quint64(i), .modified = 0}, std::uint16_t(i % 2));
    model.append(rows);
    filter.setType(1);
    const auto shown = [&] {
        QStringList texts;
        for (int r = 0; r < filter.rowCount(); ++r)
            texts << filter.index(r, 0).data().toString() + "@" + QString::number(filter.mapToSource(filter.index(r, 0)).row());
        return texts;
    };
    QCOMPARE(shown(), QStringList({"d@1", "b@3", "f@5"}));
    model.sortBy(dm::FoundFilesModel::NameColumn, false);
    QCOMPARE(shown(), QStringList({"b@1", "d@3", "f@5"}));
    // Scattered rows go in one call; the others keep their order.
    model.removeRowsIf([&](int row) { return model.name(row) == "b" || model.name(row) == "e"
                                             || model.name(row) == "a"; });
    QCOMPARE(shown(), QStringList({"d@1", "f@2"}));
    QCOMPARE(model.rowCount(), 3);
    filter.setType(-1);
    QCOMPARE(filter.rowCount(), 3);
}

void TestOffer::narrowedListCatchesUpWhenShown_data()
{
    QTest::addColumn<QString>("whileHidden");
    QTest::newRow("scanned") << "scan";
    QTest::newRow("sorted by name") << "sort";
    QTest::newRow("scanned again after a look") << "look";
}

// The narrowed list lets the whole one go while its page is hidden (a sort
// of a million rows would cost it tens of milliseconds); shown again, it
// holds the list's rows in the list's order.
void TestOffer::narrowedListCatchesUpWhenShown()
{
    QFETCH(QString, whileHidden);
    for (const char *name : {"c.tmp", "a.tmp", "b.bak", "d.tmp"})
        QVERIFY(writeFile(home(name)));
    auto form = makeForm({"*.tmp", "*.bak"});
    form->show();
    QVERIFY(!form->TypesPage->isVisible());
    scan(*form);
    if (whileHidden == "sort") {
        form->ListView1ColumnClick(dm::FoundFilesModel::NameColumn);
        QTRY_VERIFY(!form->foundFiles().sorting());
    }
    if (whileHidden == "look") {
        form->ui->DmPageControl1->setCurrentIndex(form->typesPageIndex());
        form->ui->DmPageControl1->setCurrentIndex(0);
        QVERIFY(writeFile(home("e.tmp")));
        rescan(*form);
    }
    form->ui->DmPageControl1->setCurrentIndex(form->typesPageIndex());
    QVERIFY(form->TypesPage->isVisible());
    dm::TypesPage *page = form->TypesPage;
    page->bars()->setCurrentIndex(page->totals().index(0, 0)); // *.tmp
    QStringList expected, shown;
    for (int r = 0; r < form->foundFiles().rowCount(); ++r)
        if (form->foundFiles().name(r).endsWith(".tmp"))
            expected << form->foundFiles().name(r);
    for (int r = 0; r < page->filter().rowCount(); ++r)
        shown << page->filter().index(r, 0).data().toString();
    QCOMPARE(shown, expected);
    QCOMPARE(shown.size(), whileHidden == "look" ? 4 : 3);
    // The columns keep their layout: the folder's fills the width.
    QCOMPARE(page->list()->horizontalHeader()->count(), int(dm::FoundFilesModel::ColumnCount));
    QCOMPARE(page->list()->horizontalHeader()->sectionResizeMode(dm::FoundFilesModel::FolderColumn),
             QHeaderView::Stretch);
}

QTEST_MAIN(TestOffer)
#include "tst_offer.moc"
