// The scan and the found-files page as a user meets them: the mask list from
// the ticked types, the row texts and the summary, scans on a real folder
// tree (order of rows, stop, close), sorting, ticking all, and deletion with
// everything that can stand in its way.

#include "FileDeletion.h"
#include "DmGroupBar.h"
#include "DmListView.h"
#include "DmShellModel.h"
#include "DmShellTree.h"
#include "FoundFiles.h"
#include "NaturalOrder.h"
#include "ErrorTexts.h"
#include "RecordedBoxes.h"
#include "ScanFeed.h"
#include "ScanFixture.h"
#include "DesktopOpen.h"
#include "ScanTexts.h"
#include "SearchAnimation.h"
#include "Sound.h"
#include "Statistics.h"
#include "StatusBar.h"
#include "Unit1.h"
#include "ui_Unit1.h"

#include <QAbstractItemModelTester>
#include "AccessibleRows.h"
#include <QAccessible>
#include <QCollator>
#include <QHeaderView>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

using dm::test::writeFile;

namespace {

// Sets or clears the immutable flag, which even root cannot get past.
bool setImmutable(const QString &path, bool on)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    int flags = 0;
    const bool ok = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0
        && ::ioctl(fd, FS_IOC_SETFLAGS, &(flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL)) == 0;
    if (fd >= 0)
        ::close(fd);
    return ok;
}

// Rows as a scan would add them: names, sizes, times and folders.
void addRows(dm::FoundFilesModel &model, const QStringList &names, const QList<qint64> &sizes = {},
             const QList<qint64> &times = {}, const QList<std::uint32_t> &folders = {},
             const std::vector<QByteArray> &folderTable = {"/d/"})
{
    dm::FoundBatch batch;
    for (const QByteArray &folder : folderTable)
        batch.addFolder(folder.toStdString());
    for (int i = 0; i < names.size(); ++i)
        batch.addRow(QFile::encodeName(names[i]).toStdString(), folders.value(i),
                     {.size = quint64(sizes.value(i)), .modified = times.value(i)});
    model.append(batch);
}

QStringList column(const dm::FoundFilesModel &model, int col)
{
    QStringList texts;
    for (int r = 0; r < model.rowCount(); ++r)
        texts << model.index(r, col).data().toString();
    return texts;
}

} // namespace

class TestScan : public QObject, protected dm::test::ScanFixture
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void maskList_data();
    void maskList();
    void rowTexts_data();
    void rowTexts();
    void summaryAndTimes();
    void scanFillsTheListInEventOrder();
    void stopAndClose_data();
    void stopAndClose();
    void failedStatisticsLeavesTheWindowIdle();
    void screenReaderTicksRows_data();
    void screenReaderTicksRows();
    void doubleClickOpensTheFileItself_data();
    void doubleClickOpensTheFileItself();
    void statisticsShownAfterAScan_data();
    void statisticsShownAfterAScan();
    void feedHandsEveryFileOnce_data();
    void feedHandsEveryFileOnce();
    void sorting_data();
    void sorting();
    void sortingAsPeopleRead_data();
    void sortingAsPeopleRead();
    void headerClickWhileBusy_data();
    void headerClickWhileBusy();
    void deletion_data();
    void deletion();
    void manyRowsAreAllReached();
    void listEmptiedAfterALongOneWorksAsNew();
    void listOnScreenFollowsItsRows_data();
    void listOnScreenFollowsItsRows();
    void endToEndAsAUser();
    void scanFindsOnlyTheChosenFolder_data();
    void scanFindsOnlyTheChosenFolder();
    void deletionPastPathMax();
};

void TestScan::init()
{
    setUp();
}

void TestScan::cleanup()
{
    tearDown();
}

void TestScan::maskList_data()
{
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::addColumn<QString>("list");
    QTest::newRow("two rows") << QList<QStringList>{{"*.tmp"}, {"*.bak"}} << " *.tmp; *.bak;";
    QTest::newRow("semicolons") << QList<QStringList>{{"*.tmp;*.log"}} << " *.tmp; *.log;";
    QTest::newRow("the dialog's own example")
        << QList<QStringList>{{"*.txt, *.bmp, *.log"}} << " *.txt; *.bmp; *.log;";
    QTest::newRow("blanks inside stay") << QList<QStringList>{{" my file.tmp ;"}} << " my file.tmp;";
    QTest::newRow("no mask, empty mask, none ticked")
        << QList<QStringList>{{}, {""}, {" , ;"}} << "";
    // A comma separates only before a blank or what can only begin a mask:
    // "*,v" (revision files) must never become "*".
    QTest::newRow("comma before a mask") << QList<QStringList>{{"*.txt,*.bmp,.x,?a"}} << " *.txt; *.bmp; .x; ?a;";
    QTest::newRow("comma inside a mask")
        << QList<QStringList>{{"*,v"}, {"a,b"}, {"*.tmp,"}} << " *,v; a,b; *.tmp,;";
}

void TestScan::maskList()
{
    QFETCH(QList<QStringList>, rows);
    QFETCH(QString, list);
    QCOMPARE(dm::BuildMaskList(rows), list);
}

void TestScan::rowTexts_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("size");
    QTest::newRow("empty") << qint64(0) << "0KB";
    QTest::newRow("1,000") << qint64(1000) << "1KB";
    QTest::newRow("1,024") << qint64(1024) << "1KB";
    QTest::newRow("1,025") << qint64(1025) << "2KB";
    QTest::newRow("5 GiB") << (qint64(5) << 30) << "5242880KB";
}

void TestScan::rowTexts()
{
    QFETCH(qint64, bytes);
    QFETCH(QString, size);
    QCOMPARE(dm::SizeText(quint64(bytes)), size);
}

void TestScan::summaryAndTimes()
{
    const QDateTime midnight(QDate(2024, 3, 1), QTime(0, 0));
    const QDateTime evening(QDate(2024, 3, 1), QTime(21, 5, 7));
    const QLocale locale;
    QCOMPARE(dm::TimeText(midnight.toSecsSinceEpoch()), locale.toString(QDate(2024, 3, 1), QLocale::ShortFormat));
    QVERIFY2(dm::TimeText(evening.toSecsSinceEpoch()).endsWith("21:05:07"), qPrintable(dm::TimeText(evening.toSecsSinceEpoch())));
    // Times no calendar text can hold are shown at its ends, never as garbage.
    QVERIFY(dm::TimeText(9000000000000LL).contains("9999"));

    QCOMPARE(dm::ScanSummary(7, 81, 1234.5),
             QString("7 Папок(ки) просканировано и 81 файлов(ла) найдено - 1234.500 за секунд(ды)"));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QVERIFY(dm::ScanSummary(0, 0, 0.25).endsWith("- 0,250 за секунд(ды)"));
    QLocale::setDefault(QLocale::c());
    // Across one wrap of the 32-bit tick counter.
    QCOMPARE(dm::ElapsedSeconds(0xFFFFFF00u, 0x100u), 0.512);
}

void TestScan::scanFillsTheListInEventOrder()
{
    // Sizes 0, 1,000 and 1,025 bytes: 0 + 1 + 2 = 3KB.
    QVERIFY(writeFile(home("a.tmp"), 0));
    QVERIFY(writeFile(home("x/b.tmp"), 1000));
    QVERIFY(writeFile(home("x/y/c.log"), 1025));
    QVERIFY(writeFile(home("x/y/keep.dat")));
    for (int i = 0; i < 300; ++i)
        QVERIFY(writeFile(home(QString("many/f%1.tmp").arg(i))));
    auto form = makeForm({"*.tmp", "*.txt, *.log"});
    form->catalog().appendRow({"unticked", {"*.txt"}, 0});
    QAbstractItemModelTester tester(&form->foundFiles());

    // What the engine reports, in its order, with the window's own criteria.
    QStringList expected;
    dm::TFindFile reference;
    reference.Criteria().Files().setFileName(" *.tmp; *.txt; *.log;");
    reference.Criteria().Files().setLocation(QFile::encodeName(home()).toStdString());
    reference.OnFileMatch = [&](dm::TFindFile *, const std::string &folder, const dm::TSearchRec &rec) {
        expected << QString::fromStdString(folder + rec.Name);
    };
    reference.StartSearch();

    form->ui->Action4->trigger();
    QVERIFY(!form->ui->Action4->isEnabled());
    QVERIFY(form->ui->Action5->isEnabled());
    QVERIFY(form->Animate1->Active());
    QCOMPARE(form->SortColumn, -1);
    QCOMPARE(form->ui->DmPageControl1->currentIndex(), 2);
    QTRY_VERIFY(!form->FindFile1->Searching());

    QCOMPARE(form->MaskList, QString(" *.tmp; *.txt; *.log;"));
    QStringList rows;
    for (int r = 0; r < form->foundFiles().rowCount(); ++r)
        rows << form->foundFiles().fullPath(r);
    QCOMPARE(rows, expected);
    QCOMPARE(form->ui->Label3->text(), QString("Файлы занимают: 303KB"));
    QCOMPARE(form->ui->StatusBar1->SimpleText().section(" - ", 0, 0),
             QString("4 Папок(ки) просканировано и 303 файлов(ла) найдено"));
    QCOMPARE(m_sounds, QStringList{form->AppFolder + "alert.wav"});
    // Idle again, the catalog's ticks cleared by its box.
    QVERIFY(form->ui->Action4->isEnabled());
    QVERIFY(!form->ui->Action5->isEnabled());
    QVERIFY(!form->Animate1->Active());
    QVERIFY(form->ui->ListView1->horizontalHeader()->sectionsClickable());
    QVERIFY(!form->ui->CheckBox1->isChecked());
    QCOMPARE(form->ui->DmListView1->topLevelItem(0)->checkState(0), Qt::Unchecked);
    QCOMPARE(form->ProgressBar1->maximum(), 303);
    QVERIFY(m_boxes->shown.isEmpty());
}

void TestScan::stopAndClose_data()
{
    QTest::addColumn<bool>("byClosing");
    QTest::addColumn<int>("folders"); // of 1 file each, or one folder of that many files
    QTest::newRow("stop") << false << 50;
    QTest::newRow("close") << true << 50;
    QTest::newRow("stop inside a wide folder") << false << -20000;
}

void TestScan::stopAndClose()
{
    QFETCH(bool, byClosing);
    QFETCH(int, folders);
    const int files = std::abs(folders);
    for (int i = 0; i < files; ++i)
        QVERIFY(writeFile(home(folders > 0 ? QString("d%1/f.tmp").arg(i) : QString("wide/f%1.tmp").arg(i))));
    auto form = makeForm({"*.tmp"});
    // A slow walk, so that the stop meets a running scan.
    auto handler = form->FindFile1->OnFileMatch;
    form->FindFile1->OnFileMatch = [handler, files](dm::TFindFile *s, const std::string &f, const dm::TSearchRec &r) {
        QThread::usleep(1000000 / files);
        handler(s, f, r);
    };
    form->ui->Action4->trigger();
    QTRY_VERIFY(form->foundFiles().rowCount() > 0);
    if (byClosing)
        QVERIFY(form->close());
    else
        form->N1->trigger(); // the tray menu's item
    QVERIFY(!form->FindFile1->Searching());
    QVERIFY(form->foundFiles().rowCount() < files);
    QVERIFY(form->ui->StatusBar1->SimpleText().startsWith(
        QString("Сканирование остановлено - %1 Папок(ки)").arg(form->FolderCount)));
    QVERIFY(form->ui->Action4->isEnabled());
    QVERIFY(!form->Animate1->Active());
    QCOMPARE(m_sounds.size(), 1);
}

void TestScan::failedStatisticsLeavesTheWindowIdle()
{
    auto form = makeForm({"*.tmp"});
    dm::Registry reg;
    dm::RegKey key;
    QCOMPARE(reg.createKey(dm::Registry::currentUser(), "Software\\Dustmote\\Quantity", &key), dm::ERROR_SUCCESS);
    QCOMPARE(reg.setValue(key, "Scans", dm::REG_DWORD, QByteArray(4, '\0')), dm::ERROR_SUCCESS);
    form->ui->Action4->trigger();
    QCOMPARE(m_boxes->shown.value(0).text, QString("Неверный тип данных «Scans»."));
    QVERIFY(!form->FindFile1->Searching());
    QVERIFY(form->ui->Action4->isEnabled());
    QVERIFY(!form->ui->Action5->isEnabled());
    QVERIFY(!form->Animate1->Active());
}

void TestScan::screenReaderTicksRows_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<int>("column"); // the cell whose action runs
    QTest::newRow("catalog, description") << "catalog" << 0;
    QTest::newRow("catalog, mask") << "catalog" << 1;
    QTest::newRow("found files, name") << "found" << 0;
    QTest::newRow("found files, size") << "found" << 2;
}

// The screen reader's action on a row ticks it and clears it again, as Space
// does, and leaves the selection alone.
void TestScan::screenReaderTicksRows()
{
    QFETCH(QString, list);
    QFETCH(int, column);
    QVERIFY(writeFile(home("a.tmp")));
    QVERIFY(writeFile(home("b.tmp")));
    auto form = makeForm({"*.tmp"});
    scan(*form);
    form->show(); // a tree lays its rows out when shown
    form->ui->DmPageControl1->setCurrentIndex(list == "catalog" ? 0 : 2);
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QAbstractItemView *view = list == "catalog" ? static_cast<QAbstractItemView *>(form->ui->DmListView1)
                                                : form->ui->ListView1;
    QAbstractItemModel *model = view->model();
    const int row = model->rowCount() - 1;
    const QModelIndex box = model->index(row, 0);
    const bool before = box.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(view);
    QVERIFY(table && table->tableInterface());
    QCOMPARE(table->text(QAccessible::Name), list == "catalog" ? u"Типы файлов"_qs : u"Найденные файлы"_qs);
    for (bool ticked : {!before, before}) {
        QAccessibleInterface *cell = table->tableInterface()->cellAt(row, column);
        QVERIFY(cell && cell->actionInterface());
        const QStringList actions = cell->actionInterface()->actionNames();
        QCOMPARE(actions.size(), 1);
        QCOMPARE(actions.first().toLower(), dm::kRowToggleAction);
        cell->actionInterface()->doAction(actions.first());
        QCOMPARE(box.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked, ticked);
        // The box's cell is checkable, checked or not, and its action is the
        // name screen readers look for to tell the tick.
        QAccessibleInterface *boxCell = table->tableInterface()->cellAt(row, 0);
        QVERIFY(boxCell->state().checkable);
        QCOMPARE(boxCell->state().checked, ticked);
        QCOMPARE(boxCell->actionInterface()->actionNames(), QStringList{dm::kRowToggleAction});
        QVERIFY(view->selectionModel()->selectedIndexes().isEmpty());
    }
}

void TestScan::doubleClickOpensTheFileItself_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("UTF-8") << QByteArray("отчёт.tmp");
    QTest::newRow("not UTF-8") << QByteArray("caf\xe9 \xff.tmp");
    QTest::newRow("begins with a dash") << QByteArray("-rf.tmp");
}

void TestScan::doubleClickOpensTheFileItself()
{
    QFETCH(QByteArray, name);
    const QByteArray folder = QFile::encodeName(home("sub/"));
    QVERIFY(QDir().mkpath(home("sub")));
    const int fd = ::open((folder + name).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    QVERIFY(fd >= 0);
    ::close(fd);
    QList<QByteArrayList> opened;
    dm::setFileOpener([&](const QByteArray &f, const QByteArray &n) {
        opened.append({f, n});
        return true;
    });
    auto form = makeForm({"*.tmp"});
    scan(*form);
    QCOMPARE(form->foundFiles().rowCount(), 1);
    QTableView *list = form->ui->ListView1;
    const QRect row = list->visualRect(list->model()->index(0, 1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
    dm::setFileOpener({});
    QCOMPARE(opened, (QList<QByteArrayList>{{folder, name}}));
}

void TestScan::statisticsShownAfterAScan_data()
{
    QTest::addColumn<bool>("badDels");
    QTest::newRow("stored figures") << false;
    QTest::newRow("unreadable deletions count") << true;
}

void TestScan::statisticsShownAfterAScan()
{
    QFETCH(bool, badDels);
    QVERIFY(writeFile(home("sub/a.tmp")));
    auto form = makeForm({"*.tmp"});
    const QString before = form->ui->DmLabel2->text();
    if (badDels) {
        dm::Registry reg;
        dm::RegKey key;
        QCOMPARE(reg.createKey(dm::Registry::currentUser(), "Software\\Dustmote\\Quantity", &key),
                 dm::ERROR_SUCCESS);
        QCOMPARE(reg.setValue(key, "Dels", dm::REG_DWORD, QByteArray(4, '\0')), dm::ERROR_SUCCESS);
    }
    scan(*form);
    form->ui->CheckBox1->setChecked(true); // the scan's end clears the ticks
    scan(*form);
    QCOMPARE(form->foundFiles().rowCount(), 1);
    if (badDels) {
        // Said once a scan, and the scan still ends as always.
        QCOMPARE(m_boxes->shown.size(), 2);
        QCOMPARE(m_boxes->shown.value(0).text, QString("Неверный тип данных «Dels»."));
        QCOMPARE(form->ui->DmLabel2->text(), before);
        QVERIFY(form->ui->Action4->isEnabled());
        return;
    }
    QVERIFY(m_boxes->shown.isEmpty());
    QCOMPARE(form->ui->DmLabel3->text(), QString("Общее число сканирований: 2"));
    QCOMPARE(form->ui->DmLabel4->text(), QString("Общее число удаленных файлов: 0"));
    QVERIFY2(form->ui->DmLabel2->text() != before, qPrintable(before));
}

void TestScan::feedHandsEveryFileOnce_data()
{
    QTest::addColumn<QString>("takes"); // after each folder: 't' the main thread takes, '.' it does not
    QTest::newRow("taken after every folder") << "tttttt";
    QTest::newRow("taken now and then") << "t..tt.";
    QTest::newRow("only once the walk ended") << "......";
}

// The worker hands batches over while the main thread takes them at its own
// pace: every file reaches the list once, in the order found, with its own
// device even where it differs from the files beside it (a file mounted on
// its own), which its deletion checks.
void TestScan::feedHandsEveryFileOnce()
{
    QFETCH(QString, takes);
    dm::ScanFeed feed;
    feed.reset();
    dm::FoundFilesModel model;
    QStringList applied, expected;
    QList<std::uint64_t> devices;
    QString lastFolder;
    const auto apply = [&](dm::ScanFeed::Batch &batch) {
        for (std::size_t i = 0; i < batch.found.rowCount(); ++i)
            applied << QString::fromUtf8(batch.found.row(i).name, batch.found.row(i).nameLength);
        if (batch.folderEntered)
            lastFolder = QString::fromStdString(batch.lastFolder);
        model.append(batch.found);
    };
    for (int f = 0; f < takes.size(); ++f) {
        const std::string folder = "/d/f" + std::to_string(f) + "/";
        feed.folderEntered(folder);
        for (int k = 0; k < 300; ++k) { // hand-overs within a folder too
            dm::TSearchRec rec;
            rec.Name = "n" + std::to_string(f) + "_" + std::to_string(k);
            rec.FindData.VolumeId = k % 97 == 5 || k == 299 ? 99 : 1 + f % 2;
            rec.FindData.FileId = std::uint64_t(expected.size());
            expected << QString::fromStdString(rec.Name);
            devices << rec.FindData.VolumeId;
            feed.fileFound(folder, rec, std::uint64_t(expected.size()));
        }
        if (takes[f] == u't')
            feed.take(apply);
    }
    feed.take(apply, true);
    QCOMPARE(applied, expected);
    QCOMPARE(lastFolder, QString("/d/f%1/").arg(takes.size() - 1));
    QCOMPARE(model.rowCount(), expected.size());
    for (int row = 0; row < model.rowCount(); ++row) {
        QCOMPARE(model.version(row).device, devices[row]);
        QCOMPARE(model.version(row).inode, std::uint64_t(row));
        QCOMPARE(model.fullPath(row), QString("/d/f%1/%2").arg(row / 300).arg(expected[row]));
    }
}

void TestScan::sorting_data()
{
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<bool>("descending");
    // Rows as added (name, size, time, folder): file10 5 40 F2, b 9 10 f10,
    // File9 5 30 f10, a 1 50 f10, z 5 20 F2. A sort by time first shows that
    // ties keep the order they had.
    QTest::newRow("first click before any scan inverts the name order")
        << QList<int>{0} << QStringList{"z", "file10", "File9", "b", "a"} << true;
    QTest::newRow("name: natural, ignoring case")
        << QList<int>{3, 0} << QStringList{"a", "b", "File9", "file10", "z"} << false;
    QTest::newRow("folder: natural") << QList<int>{3, 1} << QStringList{"z", "file10", "b", "File9", "a"} << false;
    QTest::newRow("size") << QList<int>{3, 2} << QStringList{"a", "z", "File9", "file10", "b"} << false;
    QTest::newRow("size descending") << QList<int>{3, 2, 2} << QStringList{"b", "z", "File9", "file10", "a"} << true;
    QTest::newRow("time") << QList<int>{3} << QStringList{"b", "z", "File9", "file10", "a"} << false;
    QTest::newRow("time descending") << QList<int>{3, 3} << QStringList{"a", "file10", "File9", "z", "b"} << true;
}

void TestScan::sorting()
{
    QFETCH(QList<int>, clicks);
    QFETCH(QStringList, names);
    QFETCH(bool, descending);
    auto form = makeForm({});
    QCOMPARE(form->SortColumn, 0);
    addRows(form->foundFiles(), {"file10", "b", "File9", "a", "z"}, {5, 9, 5, 1, 5}, {40, 10, 30, 50, 20},
            {0, 1, 1, 1, 0}, {"/d/Folder2/", "/d/folder10/"});
    form->ui->ListView1->selectRow(3);

    for (int column : clicks)
        form->ListView1ColumnClick(column);
    QCOMPARE(column(form->foundFiles(), 0), names);
    QCOMPARE(form->SortColumn, clicks.last());
    QCOMPARE(form->SortDescending, descending);
    QCOMPARE(form->ui->ListView1->horizontalHeader()->sortIndicatorOrder(),
             descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    // The selected file stays selected.
    QCOMPARE(form->ui->ListView1->selectionModel()->selectedRows().value(0).data().toString(), QString("a"));
}

void TestScan::sortingAsPeopleRead_data()
{
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("ascending");
    QTest::addColumn<bool>("onWorker");
    // By character code "яблоко" came before "ёлка" and "étude" after "zeta".
    QTest::newRow("Cyrillic, ё beside е") << QStringList{"яблоко", "ёлка", "жук", "Ель", "елка"}
                                          << QStringList{"елка", "ёлка", "Ель", "жук", "яблоко"} << false;
    QTest::newRow("Latin with accents") << QStringList{"zeta", "étude", "Etude", "eta", "e"}
                                        << QStringList{"e", "eta", "Etude", "étude", "zeta"} << false;
    QTest::newRow("numbers by value") << QStringList{"file10", "file9", "file100", "File2", "file02"}
                                      << QStringList{"File2", "file02", "file9", "file10", "file100"} << false;
    QTest::newRow("case ignored, ties keep their order")
        << QStringList{"B", "a", "b", "A"} << QStringList{"a", "A", "B", "b"} << false;
    QTest::newRow("on a worker, in slices") << QStringList{"яблоко", "ёлка", "b", "Ель", "елка", "A", "a"}
                                            << QStringList{"A", "a", "b", "елка", "ёлка", "Ель", "яблоко"} << true;
    // Names of plain ASCII are keyed without the collator and merged with
    // the rest by it: an empty expectation is the collator's own order.
    QTest::newRow("accents among plain letters")
        << QStringList{"etude", "étude", "Etude10", "étude9", "eta", "ezz", "éa", "e", "f"} << QStringList() << true;
    QTest::newRow("Cyrillic among Latin and digits")
        << QStringList{"файл10.txt", "f10.txt", "файл9.txt", "F9.TXT", "10", "я", "z", "Файл10.txt"} << QStringList()
        << true;
    QTest::newRow("numbers: leading zeros, long ones, decimals")
        << QStringList{"a007", "a7", "a10", "a0", "a", "a00", "1.10", "1.5", "99999999999999999999",
                       "100000000000000000000", "x 1", "x1"}
        << QStringList() << true;
    QTest::newRow("numbers, on the main thread") << QStringList{"a007", "a7", "A10", "a0", "a", "a00", "1.10", "1.5"}
                                                 << QStringList() << false;
    QTest::newRow("punctuation, spaces and case")
        << QStringList{"a b", "ab", "a-b", "a_b", "A.B", "a~b", "$a", "~a", "(a)", "A B", "AB"} << QStringList()
        << true;
    // Keys are kept as eight bytes beside each name and the rest apart.
    QTest::newRow("names around eight letters and very long ones")
        << QStringList{"abcdefgh", "abcdefg", "abcdefghi", "ABCDEFGH", "abcdefgh0", "abcdefgh 1", "abcdefgh10",
                       "abcdefgh9", "abcdefg1", "abc", QString(255, 'a'), QString(254, 'a') + "b",
                       QString(254, 'a'), QString(120, 'a') + "12345678901234567890" + QString(100, 'z')}
        << QStringList() << true;
    QTest::newRow("control characters, which the collator passes over")
        << QStringList{"x\x01y", "xy", "XY", "x y", "x\x01"} << QStringList() << true;
}

void TestScan::sortingAsPeopleRead()
{
    QFETCH(QStringList, added);
    QFETCH(QStringList, ascending);
    QFETCH(bool, onWorker);
    auto form = makeForm({});
    dm::FoundFilesModel &model = form->foundFiles();
    if (onWorker)
        model.setBackgroundSortRows(0);
    // Many copies, so that ranking works in several slices and merges them.
    const int copies = onWorker ? 12000 : 1;
    QStringList names;
    for (int c = 0; c < copies; ++c)
        names += added;
    addRows(model, names);
    // The expected texts in groups of ties; a group lists its rows in the
    // order they were added, in either direction.
    const QCollator collator = dm::naturalCollator();
    if (ascending.isEmpty()) {
        ascending = added;
        std::stable_sort(ascending.begin(), ascending.end(),
                         [&](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
    }
    QList<QStringList> groups;
    for (const QString &name : ascending) {
        if (groups.isEmpty() || collator.compare(groups.last().constFirst(), name) != 0)
            groups.append(QStringList());
        groups.last() << name;
    }
    const auto expected = [&](bool descending) {
        QStringList rows;
        for (qsizetype g = 0; g < groups.size(); ++g)
            for (const QString &name : names)
                if (groups[descending ? groups.size() - 1 - g : g].contains(name))
                    rows << name;
        return rows;
    };
    form->SortColumn = -1;
    form->ListView1ColumnClick(0);
    QTRY_VERIFY(!model.sorting());
    QCOMPARE(column(model, 0), expected(false));
    form->ListView1ColumnClick(0);
    QTRY_VERIFY(!model.sorting());
    QCOMPARE(column(model, 0), expected(true));
}

void TestScan::headerClickWhileBusy_data()
{
    QTest::addColumn<QString>("busy");
    QTest::newRow("during a scan: clicks are off") << "scan";
    QTest::newRow("during a sort: the last click is shown") << "sort";
    QTest::newRow("a new scan during a sort: the sort is dropped") << "rescan";
}

void TestScan::headerClickWhileBusy()
{
    QFETCH(QString, busy);
    for (const char *name : {"b.tmp", "c.tmp", "a.tmp"})
        QVERIFY(writeFile(home(name)));
    auto form = makeForm({"*.tmp"});
    form->show();
    dm::FoundFilesModel &model = form->foundFiles();
    QHeaderView *header = form->ui->ListView1->horizontalHeader();
    const auto click = [&](int column) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 4, header->height() / 2));
    };
    if (busy == "scan") {
        form->ui->Action4->trigger();
        QVERIFY(form->FindFile1->Searching());
        click(0);
        QCOMPARE(form->SortColumn, -1);
        QVERIFY(!header->isSortIndicatorShown());
        QTRY_VERIFY(!form->FindFile1->Searching());
        QCOMPARE(model.rowCount(), 3);
        QVERIFY(!header->isSortIndicatorShown());
        click(0);
        QCOMPARE(form->SortColumn, 0);
        QCOMPARE(column(model, 0), (QStringList{"a.tmp", "b.tmp", "c.tmp"}));
        return;
    }
    model.setBackgroundSortRows(0);
    QStringList names;
    for (int i = 0; i < 30000; ++i)
        names << QString("f%1").arg(29999 - i);
    addRows(model, names, {}, {}, {}, {QFile::encodeName(home())});
    form->ui->ListView1->selectRow(0); // "f29999"
    // Clicks in quick succession: the handler itself, a mouse would make
    // a double click of them.
    form->ListView1ColumnClick(1);
    form->ListView1ColumnClick(0);
    form->ListView1ColumnClick(0);
    QVERIFY(model.sorting());
    QWidget *list = form->ui->ListView1->viewport();
    QCOMPARE(list->cursor().shape(), Qt::BusyCursor);
    if (busy == "rescan") {
        form->ui->Action4->trigger();
        QTRY_VERIFY(!form->FindFile1->Searching());
        QTRY_VERIFY(!model.sorting());
        QCOMPARE(list->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(form->SortColumn, -1);
        return;
    }
    // Name, descending: the state as the clicks left it, the order once ready.
    QCOMPARE(form->SortColumn, 0);
    QVERIFY(form->SortDescending);
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
    QTRY_VERIFY(!model.sorting());
    QCOMPARE(list->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(model.name(0), QString("f29999"));
    QCOMPARE(model.name(29999), QString("f0"));
    QCOMPARE(model.name(29990), QString("f9"));
    QCOMPARE(form->ui->ListView1->selectionModel()->selectedRows().value(0).data().toString(), QString("f29999"));
    form->ListView1ColumnClick(2);
    QTRY_VERIFY(!model.sorting());
    // Sizes all equal: the order stays as it was.
    QCOMPARE(model.name(0), QString("f29999"));
}

void TestScan::deletion_data()
{
    QTest::addColumn<QString>("change");   // what happens between scan and deletion
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QStringList>("gone");  // files that must be gone afterwards
    QTest::addColumn<int>("counted");
    QTest::addColumn<QString>("report");    // a line of the failure report, if any
    const QStringList all{"a.tmp", "b.tmp", "sub/c.tmp"};
    QTest::newRow("yes") << "" << true << all << 3 << "";
    QTest::newRow("no") << "" << false << QStringList() << 0 << "";
    QTest::newRow("nothing ticked") << "untick" << true << QStringList() << 0 << "";
    QTest::newRow("vanished: not counted") << "vanish" << true << all << 2 << "";
    QTest::newRow("now a folder") << "folder" << true << QStringList{"a.tmp", "sub/c.tmp"} << 2
                                  << "теперь это папка, а не файл";
    QTest::newRow("another file now") << "replace" << true << QStringList{"a.tmp", "sub/c.tmp"} << 2
                                      << "после поиска на этом месте появился другой файл";
    QTest::newRow("cannot be removed") << "immutable" << true << QStringList{"a.tmp", "b.tmp"} << 2 << "";
    QTest::newRow("link: only the link goes") << "link" << true << all << 3 << "";
    // The same inode with other contents, its write time put back: only
    // the status-change time tells, and it must.
    QTest::newRow("rewritten in place") << "rewrite" << true << QStringList{"a.tmp", "sub/c.tmp"} << 2
                                        << "после поиска на этом месте появился другой файл";
    // The folder moved elsewhere and a link put in its place: following
    // it would delete the very file found, now outside the chosen folder.
    QTest::newRow("folder now a link") << "relink" << true << QStringList{"a.tmp", "b.tmp"} << 2
                                       << "папка файла после поиска заменена ссылкой или другой папкой";
    QTest::newRow("folder moved: told, not skipped") << "move" << true << QStringList{"a.tmp", "b.tmp"} << 2
                                                     << "папки файла больше нет на прежнем месте";
}

void TestScan::deletion()
{
    QFETCH(QString, change);
    QFETCH(bool, yes);
    QFETCH(QStringList, gone);
    QFETCH(int, counted);
    QFETCH(QString, report);
    const QString target = m_dir->filePath("target.txt");
    QVERIFY(writeFile(target));
    QVERIFY(writeFile(home("a.tmp")));
    QVERIFY(change == "link" ? QFile::link(target, home("b.tmp")) : writeFile(home("b.tmp")));
    QVERIFY(writeFile(home("sub/c.tmp")));
    // Root passes every permission; an immutable file stops it as well. Set
    // before the scan, since it changes the file's status time.
    const bool asRoot = ::geteuid() == 0;
    if (change == "immutable" && !(asRoot ? setImmutable(home("sub/c.tmp"), true)
                                          : QFile::setPermissions(home("sub"), QFile::ReadOwner | QFile::ExeOwner)))
        QSKIP("The file system cannot make a file immutable here");
    auto form = makeForm({"*.tmp"});
    scan(*form);
    QCOMPARE(form->foundFiles().rowCount(), 3);
    form->ui->CheckBox2->setChecked(true);
    if (change == "untick")
        form->ui->CheckBox2->setChecked(false);
    else if (change == "vanish")
        QVERIFY(QFile::remove(home("b.tmp")));
    else if (change == "folder")
        QVERIFY(QFile::remove(home("b.tmp")) && QDir().mkdir(home("b.tmp")));
    else if (change == "replace") // made before the old one goes, so never its inode
        QVERIFY(writeFile(home("b.new")) && ::rename(qPrintable(home("b.new")), qPrintable(home("b.tmp"))) == 0);
    else if (change == "rewrite") {
        struct stat before;
        QVERIFY(::stat(qPrintable(home("b.tmp")), &before) == 0);
        QThread::msleep(20); // a status-change time of its own
        QFile f(home("b.tmp"));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("x") == 1);
        f.close();
        const timespec times[2] = {before.st_atim, before.st_mtim};
        QVERIFY(::utimensat(AT_FDCWD, qPrintable(home("b.tmp")), times, 0) == 0);
    } else if (change == "relink") {
        QVERIFY(QDir().mkpath(m_dir->filePath("outside")));
        QVERIFY(QDir().rename(home("sub"), m_dir->filePath("outside/sub")));
        QVERIFY(QFile::link(m_dir->filePath("outside/sub"), home("sub")));
    } else if (change == "move")
        QVERIFY(QDir().rename(home("sub"), home("sub2")));
    if (change == "immutable")
        report = "sub/c.tmp\n    " + dm::systemErrorText(asRoot ? EPERM : EACCES);
    dm::StatisticsKey().WriteCounter("Quantity", "Dels", 10);
    QSignalSpy progress(form->ProgressBar1, &QProgressBar::valueChanged);

    m_boxes->answer = yes ? QMessageBox::Yes : QMessageBox::No;
    form->BitBtn1Click();
    QTRY_VERIFY(!form->busy());
    if (change == "immutable" && asRoot)
        setImmutable(home("sub/c.tmp"), false);
    else if (change == "immutable")
        QFile::setPermissions(home("sub"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    for (const QString name : {"a.tmp", "b.tmp", "sub/c.tmp"}) {
        const QString path = change == "move" ? home(QString(name).replace("sub/", "sub2/")) : home(name);
        const bool present = QFileInfo(path).isSymLink() || QFileInfo::exists(path);
        QVERIFY2(present != gone.contains(name), qPrintable(name));
    }
    QVERIFY(QFileInfo::exists(target));
    QCOMPARE(dm::StatisticsKey().ReadCounter("Quantity", "Dels", 0), 10 + counted);
    QCOMPARE(m_boxes->shown.value(0).text, QString("Вы уверены, что хотите удалить выбраные файлы?"));
    QCOMPARE(m_boxes->shown.value(0).defaultButton, QMessageBox::No);
    QCOMPARE(m_boxes->shown.size(), report.isEmpty() ? 1 : 2);
    if (!report.isEmpty()) {
        QVERIFY(m_boxes->shown[1].text.startsWith("Не удалось удалить файлов: 1."));
        QVERIFY2(m_boxes->shown[1].text.contains(report), qPrintable(m_boxes->shown[1].text));
    }
    // The progress went as far as the ticked rows, then back to rest.
    QCOMPARE(progress.size() > 1 ? progress.at(progress.size() - 2).value(0).toInt() : 0,
             change == "untick" || !yes ? 0 : 3);
    QCOMPARE(form->foundFiles().rowCount(), 0);
    QCOMPARE(form->ui->DmPageControl1->currentIndex(), 3);
    QVERIFY(!form->ui->CheckBox2->isChecked());
    QVERIFY(form->ui->StatusBar1->SimpleText().isEmpty());
    QCOMPARE(form->ui->Label3->text(), QString("Файлы занимают: "));
    QCOMPARE(form->windowTitle(), QString("Dustmote 3.1"));
    QVERIFY(form->ProgressBar1->isHidden());
}

void TestScan::manyRowsAreAllReached()
{
    auto form = makeForm({});
    // An empty list: told, then still asked, and nothing else happens.
    m_boxes->answer = QMessageBox::Yes;
    form->BitBtn1Click();
    QCOMPARE(m_boxes->shown.value(0).text, QString("Нет файлов для удаления!"));
    QCOMPARE(m_boxes->shown.size(), 2);

    // More rows than the list file's 16-bit counts: every one is ticked and
    // visited by the deletion (the files are gone already, so none counts).
    constexpr int kRows = 70000;
    QStringList names;
    for (int i = 0; i < kRows; ++i)
        names << QString::number(i);
    addRows(form->foundFiles(), names, {}, {}, {}, {QFile::encodeName(m_dir->filePath("none/"))});
    QSignalSpy changes(&form->foundFiles(), &QAbstractItemModel::dataChanged);
    form->ui->CheckBox2->setChecked(true);
    QCOMPARE(changes.size(), 1);
    QVERIFY(form->foundFiles().isChecked(kRows - 1));
    form->ProgressBar1->setMaximum(kRows);
    QSignalSpy progress(form->ProgressBar1, &QProgressBar::valueChanged);
    form->BitBtn1Click();
    QTRY_VERIFY_WITH_TIMEOUT(!form->busy(), 30000);
    QCOMPARE(progress.at(progress.size() - 2).value(0).toInt(), kRows);
    QCOMPARE(dm::StatisticsKey().ReadCounter("Quantity", "Dels", -1), 0);
}

// Emptying a long list gives the view a fresh row header (the old one
// keeps 8 bytes a row); the rows that follow look and answer as before.
void TestScan::listEmptiedAfterALongOneWorksAsNew()
{
    auto form = makeForm({});
    QTableView *view = form->ui->ListView1;
    const int height = view->fontMetrics().height() + 4;
    QCOMPARE(view->verticalHeader()->defaultSectionSize(), height);
    QStringList names;
    for (int i = 0; i < 70000; ++i)
        names << QString::number(i);
    for (const bool wholeScan : {true, false}) {
        addRows(form->foundFiles(), names);
        wholeScan ? form->foundFiles().reset() : form->foundFiles().removeAllRows();
        addRows(form->foundFiles(), {"a.tmp", "b.tmp"});
        QHeaderView *rows = view->verticalHeader();
        QVERIFY(rows->isHidden());
        QCOMPARE(rows->count(), 2);
        QCOMPARE(rows->sectionResizeMode(0), QHeaderView::Fixed);
        QCOMPARE(view->rowHeight(1), height);
        QCOMPARE(view->rowAt(view->rowViewportPosition(1)), 1);
        view->setCurrentIndex(form->foundFiles().index(1, 1));
        QTest::keyClick(view, Qt::Key_Space);
        QVERIFY(form->foundFiles().isChecked(1));
        form->foundFiles().reset();
    }
}

// Rows a scan adds below a full list are not drawn again; whatever else
// changes is: what is on the screen is always what the rows are.
void TestScan::listOnScreenFollowsItsRows_data()
{
    QTest::addColumn<QList<int>>("batches"); // rows added, one batch after the other
    QTest::addColumn<QString>("then");
    QTest::newRow("rows below a full list") << QList<int>{200, 200, 5} << "";
    QTest::newRow("a list not full yet") << QList<int>{2, 3, 1} << "";
    QTest::newRow("filled by the last batch") << QList<int>{3, 300} << "";
    QTest::newRow("sorted after rows arrived") << QList<int>{200, 200} << "sort";
    QTest::newRow("scrolled to the end while rows arrive") << QList<int>{200, 200} << "end";
    QTest::newRow("rows taken away") << QList<int>{200, 200} << "remove";
}

void TestScan::listOnScreenFollowsItsRows()
{
    QFETCH(QList<int>, batches);
    QFETCH(QString, then);
    auto form = makeForm({});
    form->ui->DmPageControl1->setCurrentWidget(form->ui->TabSheet3);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QTableView *view = form->ui->ListView1;
    QVERIFY(view->isVisible());
    dm::FoundFilesModel &model = form->foundFiles();
    // The screen's pixels against the rows drawn anew, once painted.
    const auto drawnAsRows = [&] {
        const QPoint at = view->viewport()->mapTo(form.get(), QPoint());
        const QSize size = view->viewport()->size();
        const QImage shown = form->screen()
                                 ->grabWindow(form->winId(), at.x(), at.y(), size.width(), size.height())
                                 .toImage()
                                 .convertToFormat(QImage::Format_RGB32);
        const QImage drawn = view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        return shown == drawn;
    };
    int added = 0;
    for (int rows : batches) {
        QStringList names;
        for (int i = 0; i < rows; ++i)
            names << QStringLiteral("f%1.tmp").arg(added + i, 5, 10, QLatin1Char('0'));
        addRows(model, names);
        added += rows;
        if (then == "end" && added == batches.first())
            view->scrollToBottom();
        QTRY_VERIFY_WITH_TIMEOUT(drawnAsRows(), 10000);
    }
    if (then == "sort") {
        form->ListView1ColumnClick(0);
        form->ListView1ColumnClick(0);
        QTRY_VERIFY(!model.sorting());
    } else if (then == "remove") {
        model.removeRowsIf([](int row) { return row < 10; });
    }
    QTRY_VERIFY_WITH_TIMEOUT(drawnAsRows(), 10000);
    // The scroll bar reaches the last row.
    view->scrollToBottom();
    const QModelIndex last = model.index(model.rowCount() - 1, 0);
    QTRY_VERIFY(view->viewport()->rect().contains(view->visualRect(last)));
}

void TestScan::endToEndAsAUser()
{
    QVERIFY(writeFile(home("junk/a.tmp"), 2048) && writeFile(home("junk/deep/b.log")));
    QVERIFY(writeFile(home("junk/keep.txt")) && writeFile(home("other/c.tmp")));
    auto form = makeForm({"*.tmp", "*.log", "*.txt"});
    form->ui->CheckBox1->setChecked(false); // the user ticks for themselves
    form->show();
    QApplication::setActiveWindow(form.get());
    QVERIFY(QTest::qWaitForWindowActive(form.get()));

    // Step one: tick the temporary files and the logs, by keyboard.
    form->ui->DmGroup1->Items(0)->Click();
    TDmListView *types = form->ui->DmListView1;
    types->setFocus();
    for (int row : {0, 1}) {
        types->setCurrentItem(types->topLevelItem(row));
        QTest::keyClick(types, Qt::Key_Space);
    }
    // Step two: pick the folder "junk" in the tree by typing its name.
    form->ui->DmGroup2->Items(0)->Click();
    QCOMPARE(form->ui->DmPageControl1->currentWidget(), form->ui->TabSheet2);
    TDmShellTree *tree = form->ui->DmShellTree1;
    tree->setFocus();
    const QModelIndex root = tree->model()->index(0, 0);
    // "Компьютер", the home folder (the desktop is not the home), "junk", "other"
    QTRY_COMPARE(tree->model()->rowCount(root), 4);
    QTest::keyClicks(tree, "junk");
    QTRY_COMPARE(tree->SelectedPathName(), home("junk"));
    // Step three: scan with the page's button, tick all found, delete.
    QTest::mouseClick(form->ui->BitBtn2, Qt::LeftButton);
    QTRY_VERIFY(!form->FindFile1->Searching());
    QCOMPARE(form->ui->DmPageControl1->currentWidget(), form->ui->TabSheet3);
    QCOMPARE(form->foundFiles().rowCount(), 2);
    QCOMPARE(form->ui->Label3->text(), QString("Файлы занимают: 3KB"));
    QTest::mouseClick(form->ui->CheckBox2, Qt::LeftButton);
    m_boxes->answer = QMessageBox::Yes;
    QTest::mouseClick(form->ui->BitBtn1, Qt::LeftButton);
    QTRY_VERIFY(!form->busy());

    QVERIFY(!QFileInfo::exists(home("junk/a.tmp")) && !QFileInfo::exists(home("junk/deep/b.log")));
    QVERIFY(QFileInfo::exists(home("junk/keep.txt")) && QFileInfo::exists(home("other/c.tmp")));
    QCOMPARE(dm::StatisticsKey().ReadCounter("Quantity", "Dels", -1), 2);
    QCOMPARE(form->foundFiles().rowCount(), 0);
    QCOMPARE(form->ui->DmPageControl1->currentWidget(), form->ui->TabSheet4);
    QCOMPARE(m_boxes->shown.size(), 1); // the confirmation, nothing else
}

void TestScan::scanFindsOnlyTheChosenFolder_data()
{
    QTest::addColumn<QByteArray>("name");
    // Each name holds something that cut, trimmed or decoded would lead the
    // scan to "a" or "b" beside it, or to "b" in the program's own folder.
    QTest::newRow("semicolon") << QByteArray("a;b");
    QTest::newRow("comma") << QByteArray("a,b");
    QTest::newRow("quotes") << QByteArray("\"a\"");
    QTest::newRow("leading blank") << QByteArray(" a");
    QTest::newRow("trailing blank") << QByteArray("a ");
    QTest::newRow("newline") << QByteArray("a\nb");
    QTest::newRow("not UTF-8") << QByteArray("a;\xff\xfe");
}

void TestScan::scanFindsOnlyTheChosenFolder()
{
    QFETCH(QByteArray, name);
    const QByteArray chosen = QFile::encodeName(home()) + name;
    QVERIFY(::mkdir(chosen.constData(), 0700) == 0);
    // "in.tmp" matches two masks, "rcs,v" only the comma mask, "keep.txt" none.
    for (const char *file : {"/in.tmp", "/rcs,v", "/keep.txt"}) {
        const int fd = ::open((chosen + file).constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
        QVERIFY(fd >= 0 && ::write(fd, "x", file[1] == 'i') >= 0 && ::close(fd) == 0);
    }
    for (const QString &decoy : {home("a/out.tmp"), home("b/out.tmp"), m_dir->filePath("cwd/b/out.tmp"),
                                 m_dir->filePath("cwd/a/out.tmp")})
        QVERIFY(writeFile(decoy));
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(m_dir->filePath("cwd"));
    auto form = makeForm({"*.tmp", "in*", "*,v"});
    TDmShellTree *tree = form->ui->DmShellTree1;
    const QModelIndex root = tree->model()->index(0, 0);
    QModelIndex pick;
    QTRY_VERIFY([&] {
        for (int r = 0; r < tree->model()->rowCount(root); ++r)
            if (root.model()->index(r, 0, root).data(TDmShellModel::PathBytesRole).toByteArray() == chosen)
                pick = root.model()->index(r, 0, root);
        return pick.isValid();
    }());
    tree->setCurrentIndex(pick);
    QCOMPARE(tree->SelectedPathBytes(), chosen);

    scan(*form);
    QDir::setCurrent(cwd);
    QStringList found;
    for (int r = 0; r < form->foundFiles().rowCount(); ++r)
        found << QFile::decodeName(form->foundFiles().folderBytes(r) + form->foundFiles().nameBytes(r));
    found.sort();
    const QString folder = QFile::decodeName(chosen);
    QCOMPARE(found, (QStringList{folder + "/in.tmp", folder + "/rcs,v"}));
    QCOMPARE(form->ui->Label3->text(), QString("Файлы занимают: 1KB")); // "in.tmp" counted once
}

void TestScan::deletionPastPathMax()
{
    // 40 levels of 120-byte names: a path of some 4,900 bytes, past PATH_MAX.
    const QByteArray step(120, 'd');
    int fd = ::open(QFile::encodeName(home()).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    for (int i = 0; i < 40 && fd >= 0; ++i) {
        QVERIFY(::mkdirat(fd, step.constData(), 0700) == 0);
        const int next = ::openat(fd, step.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = next;
    }
    QVERIFY(fd >= 0);
    const int file = ::openat(fd, "deep.tmp", O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
    QVERIFY(file >= 0);
    ::close(file);
    auto form = makeForm({"*.tmp"});
    scan(*form);
    QCOMPARE(form->foundFiles().rowCount(), 1);
    QVERIFY(form->foundFiles().folderBytes(0).size() > PATH_MAX);
    form->ui->CheckBox2->setChecked(true);
    m_boxes->answer = QMessageBox::Yes;
    form->BitBtn1Click();
    QTRY_VERIFY(!form->busy());
    struct stat st;
    QCOMPARE(::fstatat(fd, "deep.tmp", &st, AT_SYMLINK_NOFOLLOW), -1);
    ::close(fd);
    QCOMPARE(m_boxes->shown.size(), 1); // the confirmation, no failure
    QCOMPARE(dm::StatisticsKey().ReadCounter("Quantity", "Dels", -1), 1);
}

QTEST_MAIN(TestScan)
#include "tst_scan.moc"
