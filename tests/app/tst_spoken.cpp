// What a screen reader is told, as a blind user meets it (the ticks' states
// are in the scan test): the end of a scan and of a
// deletion, and the page a link shows, each told once through a
// notification; the task pane named.

#include "AccessibleRows.h"
#include "Announcer.h"
#include "DeletionTexts.h"
#include "DmGroup.h"
#include "DmGroupBar.h"
#include "FoundFiles.h"
#include "ScanFixture.h"
#include "ScanTexts.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QLabel>
#include <QSpinBox>
#include <QTest>

using dm::test::writeFile;

namespace {

// Counts the times a widget shows itself: each is the notification screen
// readers speak (the toolkit raises the accessibility event beside it).
struct ShowCount : QObject
{
    int shows = 0;
    explicit ShowCount(QWidget *w) { w->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *e) override
    {
        shows += e->type() == QEvent::Show;
        return false;
    }
};

} // namespace

class TestSpoken : public QObject, protected dm::test::ScanFixture
{
    Q_OBJECT
private slots:
    void init()
    {
        setUp();
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir->filePath("data")));
    }
    void cleanup() { tearDown(); }
    void jobsEndTheirSummaryToTheScreenReaderOnce_data();
    void jobsEndTheirSummaryToTheScreenReaderOnce();
    void linksTellThePageTheyShow_data();
    void linksTellThePageTheyShow();
    void paneAndGroupsAreNamedAndTheAgeBoxOnce();
};

void TestSpoken::jobsEndTheirSummaryToTheScreenReaderOnce_data()
{
    QTest::addColumn<QString>("job");
    QTest::addColumn<bool>("toTrash");
    QTest::newRow("scan") << "scan" << false;
    QTest::newRow("deletion for good") << "delete" << false;
    QTest::newRow("deletion to the trash") << "delete" << true;
}

// The end of a scan and of a deletion is told once, with its summary, by a
// notification that shows itself anew.
void TestSpoken::jobsEndTheirSummaryToTheScreenReaderOnce()
{
    QFETCH(QString, job);
    QFETCH(bool, toTrash);
    QVERIFY(writeFile(home("a.tmp"), 2000));
    QVERIFY(writeFile(home("b.tmp"), 10));
    auto form = makeForm({"*.tmp"});
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    auto *announcer = form->findChild<TAnnouncer *>();
    QVERIFY(announcer);
    QCOMPARE(QAccessible::queryAccessibleInterface(announcer)->role(), QAccessible::Notification);
    ShowCount told(announcer);
    scan(*form);
    if (job == "scan") {
        QCOMPARE(told.shows, 1);
        QVERIFY(form->spoken().startsWith(form->ui->StatusBar1->SimpleText()));
        QVERIFY(form->spoken().contains(u"2 файлов(ла) найдено"_qs));
        QVERIFY(form->spoken().endsWith(dm::TotalText(3)));
        QCOMPARE(QAccessible::queryAccessibleInterface(announcer)->text(QAccessible::Name), form->spoken());
        return;
    }
    form->ActionTrash->setChecked(toTrash);
    form->foundFiles().setAllChecked(true);
    m_boxes->answer = QMessageBox::Yes;
    const int shown = told.shows;
    form->ui->BitBtn1->click();
    QTRY_VERIFY(!form->busy());
    QCOMPARE(told.shows, shown + 1);
    QCOMPARE(form->spoken(), dm::DeletionOutcome(2, 0, toTrash));
    QVERIFY(form->ui->StatusBar1->SimpleText().isEmpty()); // the closing steps clear it
    QVERIFY(form->spoken().contains(toTrash ? u"в Корзину"_qs : u"безвозвратно"_qs));
}

void TestSpoken::linksTellThePageTheyShow_data()
{
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("page");
    QTest::newRow("first step") << 1 << 0 << "Типы файлов";
    QTest::newRow("second step") << 2 << 0 << "Диски";
    QTest::newRow("found files") << 3 << 2 << "Найденные файлы";
    QTest::newRow("information") << 3 << 3 << "Информация";
    QTest::newRow("by type") << 3 << 4 << "По типам";
}

// A link of the task pane keeps the focus where it is; the page it shows is
// told by name.
void TestSpoken::linksTellThePageTheyShow()
{
    QFETCH(int, group);
    QFETCH(int, item);
    QFETCH(QString, page);
    auto form = makeForm({});
    TDmGroup *groups[] = {form->ui->DmGroup1, form->ui->DmGroup2, form->ui->DmGroup3};
    groups[group - 1]->Items(item)->Click();
    QCOMPARE(form->spoken(), page);
    QCOMPARE(form->ui->DmPageControl1->currentWidget()->accessibleName(), page);
}

// The pane is named, each group by its caption; the age box's name is its
// label's, so it is not read twice.
void TestSpoken::paneAndGroupsAreNamedAndTheAgeBoxOnce()
{
    auto form = makeForm({});
    QCOMPARE(QAccessible::queryAccessibleInterface(form->ui->DmGroupBar1)->text(QAccessible::Name), u"Шаги"_qs);
    for (TDmGroup *group : {form->ui->DmGroup1, form->ui->DmGroup2, form->ui->DmGroup3})
        QCOMPARE(QAccessible::queryAccessibleInterface(group)->text(QAccessible::Name), group->Caption());
    QAccessibleInterface *age = QAccessible::queryAccessibleInterface(form->SpinAge);
    QCOMPARE(age->text(QAccessible::Name), u"Только файлы старше"_qs);
    const auto labels = age->relations(QAccessible::Label);
    QCOMPARE(labels.size(), 1);
    QCOMPARE(labels.first().first->text(QAccessible::Name).remove(u'&'), age->text(QAccessible::Name));
}

QTEST_MAIN(TestSpoken)
#include "tst_spoken.moc"
