// The window as users meet it on other desktops and screens: colours that
// read on a light and a dark palette, and the small things: Return in the
// exclusions, F10, the status after removals, a failed open told, columns
// that use the room, a window within the screen, the confirmation's count.

#include "CheckDelegate.h"
#include "Contrast.h"
#include "DeletionTexts.h"
#include "DesktopOpen.h"
#include "DmGroup.h"
#include "DmGroupBar.h"
#include "FoundFiles.h"
#include "KeepDialog.h"
#include "ScanFixture.h"
#include "ScanTexts.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>

using dm::test::writeFile;

namespace {

QPalette darkPalette()
{
    QPalette p;
    p.setColor(QPalette::Window, QColor(0x2d, 0x2d, 0x2d));
    p.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
    p.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    p.setColor(QPalette::AlternateBase, QColor(0x35, 0x35, 0x35));
    p.setColor(QPalette::Text, QColor(0xee, 0xee, 0xee));
    p.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
    p.setColor(QPalette::ButtonText, QColor(0xee, 0xee, 0xee));
    p.setColor(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(0x00, 0x00, 0xff));
    p.setColor(QPalette::Dark, QColor(0x23, 0x23, 0x23));
    p.setColor(QPalette::Mid, QColor(0x2a, 0x2a, 0x2a));
    p.setColor(QPalette::Light, QColor(0x50, 0x50, 0x50));
    p.setColor(QPalette::Midlight, QColor(0x40, 0x40, 0x40));
    return p;
}

// The strongest contrast any pixel of `area` has against `background`.
double bestContrast(const QImage &image, const QRect &area, const QColor &background)
{
    double best = 1;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.rect().contains(x, y))
                best = std::max(best, dm::contrastRatio(image.pixelColor(x, y), background));
    return best;
}

} // namespace

class TestReach : public QObject, protected dm::test::ScanFixture
{
    Q_OBJECT
private slots:
    void initTestCase() { m_light = QApplication::palette(); }
    void init()
    {
        setUp();
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir->filePath("data")));
    }
    void cleanup()
    {
        tearDown();
        QApplication::setPalette(m_light);
    }
    void fixedColoursStayReadable_data();
    void fixedColoursStayReadable();
    void windowReadsOnThePalette_data();
    void windowReadsOnThePalette();
    void returnClosesTheExclusions();
    void f10OpensTheMenuBar();
    void statusFollowsRemovals();
    void failedOpenIsTold_data();
    void failedOpenIsTold();
    void nameColumnTakesTheRoom();
    void windowFitsTheScreen_data();
    void windowFitsTheScreen();
    void confirmationTellsCountSizeAndWhere_data();
    void confirmationTellsCountSizeAndWhere();

private:
    QPalette m_light;
};

void TestReach::fixedColoursStayReadable_data()
{
    QTest::addColumn<QColor>("wanted");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<double>("minimum");
    QTest::addColumn<bool>("kept");
    const QColor light(0xef, 0xef, 0xef), dark(0x2d, 0x2d, 0x2d);
    // The bold figures and the title keep the design's colours on a light
    // window; normal text is held to the stricter minimum.
    QTest::newRow("bold red on light") << QColor(255, 0, 0) << light << dm::kLargeContrast << true;
    QTest::newRow("title green on light") << QColor(0, 128, 0) << light << dm::kLargeContrast << true;
    QTest::newRow("green text on light") << QColor(0, 128, 0) << light << dm::kTextContrast << false;
    QTest::newRow("title green on dark") << QColor(0, 128, 0) << dark << dm::kLargeContrast << false;
    QTest::newRow("black on dark") << QColor(Qt::black) << dark << dm::kTextContrast << false;
    QTest::newRow("black on white") << QColor(Qt::black) << QColor(Qt::white) << dm::kTextContrast << true;
    QTest::newRow("dark blue on dark") << QColor(0, 51, 102) << dark << dm::kTextContrast << false;
}

void TestReach::fixedColoursStayReadable()
{
    QFETCH(QColor, wanted);
    QFETCH(QColor, background);
    QFETCH(double, minimum);
    QFETCH(bool, kept);
    const QColor shown = dm::readableOn(wanted, background, minimum);
    QVERIFY(dm::contrastRatio(shown, background) >= minimum);
    QCOMPARE(shown == wanted, kept);
}

void TestReach::windowReadsOnThePalette_data()
{
    QTest::addColumn<bool>("dark");
    QTest::addColumn<bool>("switched"); // to the palette after the window was made
    QTest::newRow("light") << false << false;
    QTest::newRow("dark") << true << false;
    QTest::newRow("light, then dark") << true << true;
}

// On either palette: the menu bar's captions, the figures and the title, the
// task pane's links (the disabled one too) and the lists' empty check boxes
// stand out from what is behind them.
void TestReach::windowReadsOnThePalette()
{
    QFETCH(bool, dark);
    QFETCH(bool, switched);
    if (dark && !switched)
        QApplication::setPalette(darkPalette());
    QVERIFY(writeFile(home("a.tmp")));
    auto form = makeForm({"*.tmp"});
    if (switched)
        QApplication::setPalette(darkPalette());
    scan(*form);
    form->foundFiles().setAllChecked(false);
    const QPalette &pal = form->palette();
    const QColor bar = form->ui->ActionMainMenuBar1->palette().color(QPalette::Window);
    QCOMPARE(bar != QColor(247, 246, 238), dark);
    QVERIFY(dm::contrastRatio(pal.color(QPalette::WindowText), bar) >= dm::kTextContrast);
    for (QWidget *label : {static_cast<QWidget *>(form->ui->Label3), static_cast<QWidget *>(form->ui->DmLabel5)}) {
        const QColor colour = label->palette().color(QPalette::WindowText);
        QVERIFY2(dm::contrastRatio(colour, pal.color(QPalette::Window)) >= dm::kLargeContrast, qPrintable(label->objectName()));
        // Coloured, the total still takes the window's font (in bold); the title keeps its own.
        label->ensurePolished();
        QCOMPARE(label->font().pointSizeF(), label == form->ui->DmLabel5 ? 32.0 : form->font().pointSizeF());
    }
    form->resize(900, 600);
    form->show();
    form->ui->DmPageControl1->setCurrentIndex(2);
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    // The disabled link "Остановить сканирование" and the first step's caption.
    TDmGroup *third = form->ui->DmGroup3;
    const QImage pane = third->grab().toImage();
    const QColor paneColour = third->Color();
    QVERIFY(bestContrast(pane, third->Items(1)->TextRect(), paneColour) >= dm::kLargeContrast);
    QVERIFY(bestContrast(pane, QRect(0, 0, third->width(), third->CaptionHeight() - 2), paneColour) >= dm::kLargeContrast);
    // The found row's empty box.
    QTableView *list = form->ui->ListView1;
    const QImage rows = list->viewport()->grab().toImage();
    const QRect cell = list->visualRect(list->model()->index(0, 0));
    const QRect box(cell.left(), cell.top(), cell.height(), cell.height());
    QVERIFY(bestContrast(rows, box.adjusted(1, 1, -1, -1), list->palette().color(QPalette::Base)) >= dm::kLargeContrast);
}

// Return closes the exclusions from the list as from anywhere in it.
void TestReach::returnClosesTheExclusions()
{
    dm::KeepDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *list = dialog.findChild<QListWidget *>(u"KeepListBox"_qs);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Return);
    QVERIFY(!dialog.isVisible());
}

void TestReach::f10OpensTheMenuBar()
{
    auto form = makeForm({});
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QTest::keyClick(form.get(), Qt::Key_F10);
    QMenuBar *bar = form->ui->ActionMainMenuBar1;
    QCOMPARE(bar->activeAction(), bar->actions().first());
    QTRY_VERIFY(bar->actions().first()->menu()->isVisible());
    bar->actions().first()->menu()->close();
}

// Files taken from the list by "Не предлагать" leave the summary's count.
void TestReach::statusFollowsRemovals()
{
    for (const char *name : {"a.tmp", "b.tmp", "c.tmp"})
        QVERIFY(writeFile(home(name)));
    auto form = makeForm({"*.tmp"});
    scan(*form);
    QVERIFY(form->ui->StatusBar1->SimpleText().contains(u"3 файлов(ла) найдено"_qs));
    QVERIFY(form->keepRow(0, false));
    QVERIFY(form->ui->StatusBar1->SimpleText().contains(u"2 файлов(ла) найдено"_qs));
    QVERIFY(form->ui->StatusBar1->SimpleText().startsWith(form->ui->StatusBar1->SimpleText().section(u' ', 0, 0)));
}

void TestReach::failedOpenIsTold_data()
{
    QTest::addColumn<int>("status"); // the opener's exit; kOpenerMissing: it did not start
    QTest::addColumn<QString>("reason");
    QTest::newRow("no opener") << dm::kOpenerMissing << "не найдена программа xdg-open";
    QTest::newRow("no program for the type") << 3 << "нет программы для файлов этого типа";
    QTest::newRow("the program failed") << 4 << "не смогла его открыть";
}

// A double click that opens nothing says why, naming the file; the real
// opener's exit status comes back from the desktop's xdg-open.
void TestReach::failedOpenIsTold()
{
    QFETCH(int, status);
    QFETCH(QString, reason);
    QVERIFY(writeFile(home("a.tmp")));
    const QByteArray path = qgetenv("PATH");
    QDir(m_dir->path()).mkpath(u"bin"_qs);
    QFile fake(m_dir->filePath(u"bin/xdg-open"_qs));
    QVERIFY(fake.open(QIODevice::WriteOnly));
    fake.write("#!/bin/sh\nexit " + QByteArray::number(status) + "\n");
    fake.close();
    fake.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("PATH", QFile::encodeName(status == dm::kOpenerMissing ? m_dir->filePath(u"none"_qs)
                                                                    : m_dir->filePath(u"bin"_qs)));
    auto form = makeForm({"*.tmp"});
    scan(*form);
    form->ui->ListView1->selectRow(0);
    form->ListView1DblClick();
    QTRY_COMPARE(m_boxes->shown.size(), 1);
    qputenv("PATH", path);
    QVERIFY(m_boxes->shown.first().text.contains(u"«a.tmp»"_qs));
    QVERIFY2(m_boxes->shown.first().text.contains(reason), qPrintable(m_boxes->shown.first().text));
}

// The name shares the room a larger window gives with the folder; the time
// column shows a whole date and time.
void TestReach::nameColumnTakesTheRoom()
{
    QVERIFY(writeFile(home("a.tmp")));
    auto form = makeForm({"*.tmp"});
    scan(*form);
    form->show();
    form->ui->DmPageControl1->setCurrentIndex(2);
    QTableView *list = form->ui->ListView1;
    form->resize(form->minimumSizeHint());
    QTRY_COMPARE(list->columnWidth(0), 100);
    form->resize(1400, 700);
    const int spare = list->viewport()->width() - list->columnWidth(2) - list->columnWidth(3);
    QTRY_VERIFY(list->columnWidth(0) >= spare / 3 - 1);
    QVERIFY(list->columnWidth(1) >= list->columnWidth(0));
    const QString time = list->model()->index(0, 3).data().toString();
    QVERIFY(list->fontMetrics().horizontalAdvance(time) < list->columnWidth(3));
    // A width the user sets stays.
    list->horizontalHeader()->resizeSection(0, 150);
    form->resize(1200, 700);
    QTRY_COMPARE(list->columnWidth(0), 150);
}

void TestReach::windowFitsTheScreen_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::newRow("1280x900 at scale 2") << QSize(640, 450);
    QTest::newRow("small netbook") << QSize(800, 480);
    QTest::newRow("roomy") << QSize(1920, 1080);
}

void TestReach::windowFitsTheScreen()
{
    QFETCH(QSize, screen);
    auto form = makeForm({});
    const QSize designed = form->size();
    form->fitInto(QRect(QPoint(0, 0), screen));
    QVERIFY(form->width() < screen.width() && form->height() < screen.height());
    QVERIFY(form->minimumWidth() < screen.width() && form->minimumHeight() < screen.height());
    if (designed.width() < screen.width() - 40 && designed.height() < screen.height() - 60)
        QCOMPARE(form->size(), designed);
}

void TestReach::confirmationTellsCountSizeAndWhere_data()
{
    QTest::addColumn<bool>("toTrash");
    QTest::addColumn<QString>("where");
    QTest::newRow("to the trash") << true << "в Корзину";
    QTest::newRow("for good") << false << "безвозвратно";
}

// The question stays word for word; one line under it tells how many files,
// how much space and where they go.
void TestReach::confirmationTellsCountSizeAndWhere()
{
    QFETCH(bool, toTrash);
    QFETCH(QString, where);
    QVERIFY(writeFile(home("a.tmp"), 3000));
    QVERIFY(writeFile(home("b.tmp"), 5000));
    QVERIFY(writeFile(home("c.tmp"), 10));
    auto form = makeForm({"*.tmp"});
    scan(*form);
    form->ActionTrash->setChecked(toTrash);
    for (int row = 0; row < form->foundFiles().rowCount(); ++row)
        if (!form->foundFiles().fullPath(row).endsWith(u"c.tmp"_qs))
            form->foundFiles().setData(form->foundFiles().index(row, 0), Qt::Checked, Qt::CheckStateRole);
    m_boxes->answer = QMessageBox::No;
    form->ui->BitBtn1->click();
    QCOMPARE(m_boxes->shown.size(), 1);
    const dm::MessageRequest &box = m_boxes->shown.first();
    QCOMPARE(box.text, u"Вы уверены, что хотите удалить выбраные файлы?"_qs);
    QCOMPARE(box.informative, u"Будет удалено файлов: 2 (8 KB) — %1."_qs.arg(where));
    QVERIFY(!box.informative.contains(u'\n'));
}

QTEST_MAIN(TestReach)
#include "tst_reach.moc"
