// The main window as a user meets it: start-up with and without a list file,
// the menus and actions, the task pane's page links, and closing.

#include "DmGroupBar.h"
#include "DmLabels.h"
#include "DmTray.h"
#include "ListFile.h"
#include "ScanTexts.h"
#include "MessageBox.h"
#include "DesktopOpen.h"
#include "Sound.h"
#include "Statistics.h"
#include "StatusBar.h"
#include "RecordedBoxes.h"
#include "ScopedLimit.h"
#include "TypesPage.h"
#include "Unit1.h"
#include "ui_Unit1.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <optional>
#include <QTreeWidget>

namespace {


struct Opened
{
    QList<QUrl> urls;
    bool succeed = true;
    Opened()
    {
        dm::setShellHandler([this](const QUrl &u) {
            urls.append(u);
            return succeed;
        });
    }
    ~Opened() { dm::setShellHandler({}); }
};

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList menuTexts(QMenu *menu)
{
    QStringList texts;
    for (QAction *a : menu->actions())
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text()) + (a->isVisible() ? "" : " (hidden)");
    return texts;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    // First: a tree filled by a later case loads GIO for the rest of the run.
    void gioLoadsWithTheTreeNotTheWindow();
    void startWithoutListFile();
    void startWithListFileAndCloseSavesIt();
    void failedSaveAbandonsClose_data();
    void failedSaveAbandonsClose();
    void statisticsReadOnceAtStart();
    void minimiseToTrayWithoutNotificationArea();
    void closeStopsTheScanBeforeSaving();
    void closeDuringTheAbortWaitDoesNotReenter_data();
    void closeDuringTheAbortWaitDoesNotReenter();
    void menusAsTheActionsSay();
    void actionsWithoutHandlerAreInert();
    void statusBarAndToolbarChecks();
    void taskPaneLinksSwitchPages();
    void laterPagesJoinWhenFirstNeeded_data();
    void laterPagesJoinWhenFirstNeeded();
    void boundLinkAndButtonFollowTheirAction();
    void webSiteAddress();
    void windowHoldsItsShape_data();
    void windowHoldsItsShape();
    void exitRoutesEndInFormClose_data();
    void exitRoutesEndInFormClose();

private:
    std::unique_ptr<TForm1> makeForm(TForm1::Pages pages = TForm1::Pages::AtOnce);
    std::unique_ptr<QTemporaryDir> m_dir;
    bool m_gioAtStart = false;
};

void TestMainWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->filePath("config")));
    // A scan started here walks the test's own folder.
    qputenv("HOME", QFile::encodeName(m_dir->path()));
    dm::setSoundHandler([](const QString &) {});
}

std::unique_ptr<TForm1> TestMainWindow::makeForm(TForm1::Pages pages)
{
    return std::make_unique<TForm1>(m_dir->filePath("dustmote"), nullptr, pages);
}

void TestMainWindow::startWithoutListFile()
{
    dm::test::RecordedBoxes boxes;
    auto form = makeForm();
    QCOMPARE(form->AppFolder, m_dir->path() + "/");
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown[0].text, QStringLiteral("Не удалось загрузить лист"));
    QCOMPARE(boxes.shown[0].owner, form.get());
    // The description marks the Information page; the catalog comes first all the same.
    QCOMPARE(form->ui->DmPageControl1->currentWidget(), form->ui->TabSheet1);
    QCOMPARE(form->ui->DmListView1->topLevelItemCount(), 0);
    // No scan yet: the page says so, and the counters read 0.
    QCOMPARE(form->ui->DmLabel2->text(),
             QStringLiteral("Дата последнего сканирования системы: сканирований ещё не было"));
    QCOMPARE(form->ui->DmLabel3->text(), QStringLiteral("Общее число сканирований: 0"));
    QCOMPARE(form->ui->DmLabel4->text(), QStringLiteral("Общее число удаленных файлов: 0"));
    QCOMPARE(form->windowTitle(), QStringLiteral("Dustmote 3.1"));
    QVERIFY(!form->ui->StatusBar1->SimplePanel());
    QVERIFY(form->ProgressBar1->isHidden());
    QCOMPARE(form->ui->Label3->text(), QStringLiteral("Файлы занимают: "));
    // Closing writes a new, empty list.
    QVERIFY(form->close());
    QCOMPARE(readFile(form->listFilePath()), QByteArray::fromHex("4C56460000"));
}

void TestMainWindow::startWithListFileAndCloseSavesIt()
{
    const QList<dm::ListRow> rows{{"Temp files", {"*.tmp"}, 0}, {"Old", {"*.old", "*.bak"}, 5}};
    QFile f(m_dir->filePath("List.lst"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(dm::encodeListFile(rows));
    f.close();
    dm::test::RecordedBoxes boxes;
    auto form = makeForm();
    QVERIFY(boxes.shown.isEmpty());
    QCOMPARE(form->ui->DmListView1->topLevelItemCount(), 2);
    QCOMPARE(form->ui->DmListView1->topLevelItem(1)->text(1), QStringLiteral("*.old"));
    form->ui->DmListView1->topLevelItem(0)->setText(0, "Edited");
    QVERIFY(form->close());
    const dm::DecodedList saved = dm::decodeListFile(readFile(form->listFilePath()));
    QCOMPARE(saved.rows.size(), 2);
    QCOMPARE(saved.rows[0].caption, QStringLiteral("Edited"));
    QCOMPARE(saved.rows[1], rows[1]);
}

void TestMainWindow::statisticsReadOnceAtStart()
{
    dm::test::RecordedBoxes boxes;
    {
        dm::StatisticsKey key;
        key.WriteCounter("Quantity", "Scans", 41);
        key.WriteCounter("Quantity", "Dels", -1);
        key.WriteDateTime("LastScan", dm::EncodeDate(2026, 12, 7));
    }
    auto form = makeForm();
    QCOMPARE(form->ui->DmLabel3->text(), QStringLiteral("Общее число сканирований: 41"));
    QCOMPARE(form->ui->DmLabel4->text(), QStringLiteral("Общее число удаленных файлов: 4294967295"));
    QCOMPARE(form->ui->DmLabel2->text(), QStringLiteral("Дата последнего сканирования системы: ")
                                             + QLocale().toString(QDate(2026, 12, 7), QLocale::ShortFormat));
    // A scan of this run changes the store, not the page.
    dm::CountScan(dm::EncodeDateTime(2026, 12, 8, 10, 0, 0));
    QCOMPARE(form->ui->DmLabel3->text(), QStringLiteral("Общее число сканирований: 41"));
    QCOMPARE(makeForm()->ui->DmLabel3->text(), QStringLiteral("Общее число сканирований: 42"));

    // A damaged "LastScan" is told in the error box; no label changes.
    dm::Registry store;
    dm::RegKey key;
    QCOMPARE(store.createKey(dm::Registry::currentUser(), "Software\\Dustmote", &key), dm::ERROR_SUCCESS);
    QCOMPARE(store.setValue(key, "LastScan", dm::REG_BINARY, QByteArray(4, '\0')), dm::ERROR_SUCCESS);
    boxes.shown.clear();
    form = makeForm();
    QCOMPARE(boxes.shown.size(), 2); // the missing list file, then the statistics
    QCOMPARE(boxes.shown[1].text, QStringLiteral("Неверный тип данных «LastScan»."));
    QCOMPARE(form->ui->DmLabel2->text(), QStringLiteral("DmLabel2"));
    QCOMPARE(form->ui->DmLabel3->text(), QStringLiteral("DmLabel3"));
}

void TestMainWindow::minimiseToTrayWithoutNotificationArea()
{
    dm::test::RecordedBoxes boxes;
    auto form = makeForm();
    // No notification area here: no box about it, and the tray shows image 7.
    QCOMPARE(boxes.shown.size(), 1); // the missing list file only
    QCOMPARE(form->DmTrayIcon1->IconIndex(), 7);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    // Minimising only minimises: the window keeps its taskbar entry.
    form->ui->Action10->trigger();
    QTRY_VERIFY(form->isMinimized());
    QVERIFY(form->isVisible());
    form->N2->trigger();
    QTRY_VERIFY(!form->isMinimized());
    QVERIFY(form->isVisible());
}

void TestMainWindow::failedSaveAbandonsClose_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::newRow("a folder in the list's place") << "folder" << "это папка" << QMessageBox::No;
    // Reported like any failure, not the end of the program (SIGXFSZ).
    QTest::newRow("file size limit") << "size limit" << "файл слишком велик" << QMessageBox::No;
    // A full disk never keeps the user in: quitting anyway leaves the file as it was.
    QTest::newRow("file size limit, quit anyway") << "size limit" << "файл слишком велик" << QMessageBox::Yes;
}

void TestMainWindow::failedSaveAbandonsClose()
{
    QFETCH(QString, obstacle);
    QFETCH(QString, reason);
    QFETCH(QMessageBox::StandardButton, answer);
    dm::test::RecordedBoxes boxes;
    auto form = makeForm();
    form->show();
    QVERIFY(form->close()); // a list file to keep
    const QByteArray before = readFile(form->listFilePath());
    form->catalog().appendRow({"Новый", {"*.new"}, 0});
    form->show();
    std::optional<dm::test::ScopedLimit> limit;
    if (obstacle == "folder")
        QVERIFY(QFile::remove(form->listFilePath()) && QDir(m_dir->path()).mkdir("List.lst"));
    else
        limit.emplace(RLIMIT_FSIZE, 4);
    boxes.shown.clear();
    boxes.answer = answer;
    QCOMPARE(form->close(), answer == QMessageBox::Yes);
    QCOMPARE(form->isVisible(), answer != QMessageBox::Yes);
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown[0].title, QStringLiteral("Dustmote"));
    QCOMPARE(boxes.shown[0].icon, QMessageBox::Warning);
    QCOMPARE(boxes.shown[0].buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(boxes.shown[0].defaultButton, QMessageBox::No);
    QCOMPARE(boxes.shown[0].text,
             QStringLiteral("Не удалось создать файл «%1/List.lst». %2.\n\nСписок типов файлов не "
                            "сохранён. Выйти из программы без сохранения? Файл списка останется "
                            "прежним.").arg(m_dir->path(), reason));
    limit.reset();
    if (answer == QMessageBox::Yes) {
        QCOMPARE(readFile(form->listFilePath()), before);
        return;
    }
    // Once the way is free, the close goes through.
    QDir(m_dir->path()).rmdir("List.lst");
    QVERIFY(form->close());
}

void TestMainWindow::closeStopsTheScanBeforeSaving()
{
    dm::test::RecordedBoxes boxes;
    auto form = makeForm();
    form->show();
    QTemporaryDir tree;
    for (int i = 0; i < 200; ++i)
        QDir(tree.path()).mkpath(QStringLiteral("d%1/e").arg(i));
    dm::TFindFile &engine = *form->FindFile1;
    engine.Criteria().Files().setLocation(tree.path().toStdString());
    engine.Criteria().Files().setFileName("*");
    // A slow walk, so that the close meets a running scan.
    engine.OnFolderChange = [](dm::TFindFile *, const std::string &, dm::TFolderIgnore &) {
        QThread::msleep(20);
    };
    int finishes = 0;
    bool listExistedAtFinish = true;
    engine.OnSearchFinish = [&](dm::TFindFile *sender) {
        ++finishes;
        listExistedAtFinish = QFileInfo::exists(form->listFilePath());
        QVERIFY(sender->AbortRequested());
    };
    engine.StartSearch();
    QVERIFY(engine.Searching());
    QVERIFY(form->close());
    QCOMPARE(finishes, 1);
    QVERIFY(!listExistedAtFinish);
    QVERIFY(!engine.Searching());
    QVERIFY(QFileInfo(form->listFilePath()).isFile());
}

void TestMainWindow::closeDuringTheAbortWaitDoesNotReenter_data()
{
    QTest::addColumn<QString>("request");
    QTest::newRow("window system") << "window";
    QTest::newRow("close()") << "widget";
    QTest::newRow("close event") << "event";
    QTest::newRow("quit") << "quit";
}

// The close waits for the scan to stop while serving the event loop; a
// second close request arriving meanwhile must not run the close again
// (which would save the list before the scan has stopped, and twice).
void TestMainWindow::closeDuringTheAbortWaitDoesNotReenter()
{
    QFETCH(QString, request);
    dm::test::RecordedBoxes boxes;
    auto form = makeForm();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    dm::TFindFile &engine = *form->FindFile1;
    engine.Criteria().Files().setLocation(QFile::encodeName(m_dir->path()).toStdString());
    engine.OnFolderChange = [](dm::TFindFile *s, const std::string &, dm::TFolderIgnore &) {
        while (!s->AbortRequested())
            QThread::msleep(1);
    };
    int finishes = 0;
    bool listExistedAtFinish = true;
    engine.OnSearchFinish = [&](dm::TFindFile *) {
        ++finishes;
        listExistedAtFinish = QFileInfo::exists(form->listFilePath());
    };
    // Tells whether the nested close event was accepted once it is handled.
    struct ProbeClose : QCloseEvent
    {
        bool *accepted;
        explicit ProbeClose(bool *a) : accepted(a) {}
        ~ProbeClose() override { *accepted = isAccepted(); }
    };
    bool nestedAccepted = false, nestedRan = false;
    QTimer::singleShot(0, form.get(), [&] {
        nestedRan = engine.Searching();
        if (request == "window")
            form->windowHandle()->close();
        else if (request == "widget")
            form->close();
        else if (request == "event") {
            ProbeClose event(&nestedAccepted);
            QCoreApplication::sendEvent(form.get(), &event);
        } else
            QCoreApplication::quit();
    });
    engine.StartSearch();
    QVERIFY(form->close());
    QVERIFY(nestedRan);
    QVERIFY(!nestedAccepted);
    QCOMPARE(finishes, 1);
    QVERIFY(!listExistedAtFinish);
    QVERIFY(!form->isVisible());
    QVERIFY(QFileInfo(form->listFilePath()).isFile());
}

void TestMainWindow::menusAsTheActionsSay()
{
    dm::test::RecordedBoxes boxes;
    auto form = makeForm();
    const QList<QAction *> menus = form->ui->ActionMainMenuBar1->actions();
    QStringList titles;
    for (QAction *m : menus)
        titles << m->text();
    QCOMPARE(titles, (QStringList{"&Файл", "&Вид", "&Сервис", "&Справка"}));
    QCOMPARE(menuTexts(menus[0]->menu()), QStringList{"Выход"});
    QCOMPARE(menuTexts(menus[1]->menu()), (QStringList{"Строка состояния", "-", "Минимизировать в трей", "-", "По &типам"}));
    QCOMPARE(menuTexts(menus[2]->menu()), (QStringList{"Запуск сканирования", "Остановить сканирование",
                                                       "- (hidden)", "Настройки... (hidden)", "-",
                                                       "Удалять в Корзину", "Вернуть удалённое",
                                                       "Очистить &Корзину…", "-", "&Исключения…", "-",
                                                       "Чистить по расписанию", "Чисток без окна ещё не было"}));
    // Nothing deleted to the trash yet: nothing to bring back.
    QVERIFY(form->ActionTrash->isCheckable() && !form->ActionTrash->isChecked());
    QVERIFY(!form->ActionRestore->isEnabled());
    QCOMPARE(menuTexts(menus[3]->menu()), (QStringList{"О программе", "-", "&Web сайт"}));
    for (QAction *withImage : {menus[0]->menu()->actions()[0], menus[2]->menu()->actions()[0],
                               menus[2]->menu()->actions()[1], menus[3]->menu()->actions()[0],
                               menus[3]->menu()->actions()[2]})
        QVERIFY2(!withImage->icon().isNull(), qPrintable(withImage->text()));
    // The tray's popup: stop, restore, separator, exit.
    QCOMPARE(menuTexts(form->PopupMenu1), (QStringList{"Остановить сканирование", "Восстановить", "-", "Выход"}));
}

void TestMainWindow::actionsWithoutHandlerAreInert()
{
    dm::test::RecordedBoxes boxes;
    auto form = makeForm();
    const int page = form->ui->DmPageControl1->currentIndex();
    for (QAction *a : {form->ui->Action6, form->ui->Action7, form->ui->Action11, form->ui->Action12}) {
        QVERIFY2(!a->isEnabled(), qPrintable(a->text()));
        a->trigger();
    }
    QCOMPARE(form->ui->DmPageControl1->currentIndex(), page);
    QCOMPARE(boxes.shown.size(), 1); // only the start-up notice
    QVERIFY(!QFileInfo::exists(form->listFilePath()));
}

void TestMainWindow::statusBarAndToolbarChecks()
{
    dm::test::RecordedBoxes boxes;
    auto form = makeForm();
    form->show();
    // Both start ticked: the first trigger unticks.
    form->ui->Action3->trigger();
    QVERIFY(!form->ui->Action3->isChecked());
    QVERIFY(!form->ui->StatusBar1->isVisible());
    form->ui->Action3->trigger();
    QVERIFY(form->ui->Action3->isChecked());
    QVERIFY(form->ui->StatusBar1->isVisible());
    form->ui->Action2->trigger();
    QVERIFY(!form->ui->Action2->isChecked());
    QVERIFY(form->ui->StatusBar1->isVisible());
}

void TestMainWindow::taskPaneLinksSwitchPages()
{
    dm::test::RecordedBoxes boxes;
    auto form = makeForm();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    auto clickText = [](TDmGroupItem *item) {
        QTest::mouseClick(item->Group(), Qt::LeftButton, {}, item->TextRect().center());
    };
    clickText(form->ui->DmGroup3->Items(3));
    QCOMPARE(form->ui->DmPageControl1->currentWidget(), form->ui->TabSheet4);
    clickText(form->ui->DmGroup2->Items(0));
    QCOMPARE(form->ui->DmPageControl1->currentWidget(), form->ui->TabSheet2);
    clickText(form->ui->DmGroup3->Items(2));
    QCOMPARE(form->ui->DmPageControl1->currentWidget(), form->ui->TabSheet3);
    clickText(form->ui->DmGroup1->Items(0));
    QCOMPARE(form->ui->DmPageControl1->currentWidget(), form->ui->TabSheet1);
    // The third group's fourth link is a short text: right of it nothing happens.
    TDmGroupItem *info = form->ui->DmGroup3->Items(3);
    QTest::mouseClick(info->Group(), Qt::LeftButton, {},
                      QPoint(info->TextRect().right() + 10, info->TextRect().center().y()));
    QCOMPARE(form->ui->DmPageControl1->currentWidget(), form->ui->TabSheet1);
}

static bool mapped(const char *library)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(library);
}

static bool gioLoaded()
{
    return mapped("/libgio-2.0.so");
}

void TestMainWindow::initTestCase()
{
    m_gioAtStart = gioLoaded();
}

void TestMainWindow::gioLoadsWithTheTreeNotTheWindow()
{
    if (mapped("/libgtk-3.so"))
        QSKIP("GIO came with the desktop's platform theme");
    QVERIFY(!m_gioAtStart); // linked, it is loaded at every start
    const bool loadedBefore = gioLoaded();
    dm::test::RecordedBoxes boxes;
    auto form = makeForm(TForm1::Pages::WhenDrawn);
    QVERIFY(loadedBefore || !gioLoaded());
    const QByteArray folder = QFile::encodeName(m_dir->path());
    form->chooseFolder(folder);
    QTRY_COMPARE(form->ui->DmShellTree1->SelectedPathBytes(), folder);
    QVERIFY(gioLoaded());
}

void TestMainWindow::laterPagesJoinWhenFirstNeeded_data()
{
    QTest::addColumn<QString>("need");
    QTest::newRow("the window drawn") << "drawn";
    QTest::newRow("a task-pane link") << "link";
    QTest::newRow("\"По типам\"") << "types";
    QTest::newRow("a folder given by a later start") << "folder";
}

void TestMainWindow::laterPagesJoinWhenFirstNeeded()
{
    QFETCH(QString, need);
    dm::test::RecordedBoxes boxes;
    auto form = makeForm(TForm1::Pages::WhenDrawn);
    QStackedWidget *stack = form->ui->DmPageControl1;
    QCOMPARE(stack->count(), 1);
    QCOMPARE(stack->currentWidget(), form->ui->TabSheet1);
    if (need == "drawn") {
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QTRY_COMPARE(stack->count(), 5);
        QCOMPARE(stack->currentWidget(), form->ui->TabSheet1);
    } else if (need == "link") {
        TDmGroupItem *info = form->ui->DmGroup3->Items(3);
        info->OnClick(info);
        QCOMPARE(stack->currentWidget(), form->ui->TabSheet4);
    } else if (need == "types") {
        QCOMPARE(form->typesPageIndex(), 4);
    } else {
        form->chooseFolder(QFile::encodeName(m_dir->path()));
        QCOMPARE(stack->currentWidget(), form->ui->TabSheet2);
    }
    // Every page in its place, named for screen readers.
    const QList<QWidget *> pages{form->ui->TabSheet1, form->ui->TabSheet2, form->ui->TabSheet3,
                                 form->ui->TabSheet4, static_cast<QWidget *>(form->TypesPage)};
    QCOMPARE(stack->count(), pages.size());
    for (int i = 0; i < pages.size(); ++i) {
        QCOMPARE(stack->widget(i), pages[i]);
        QVERIFY(!pages[i]->accessibleName().isEmpty());
    }
}

void TestMainWindow::boundLinkAndButtonFollowTheirAction()
{
    dm::test::RecordedBoxes boxes;
    auto form = makeForm();
    TDmGroupItem *start = form->ui->DmGroup3->Items(0);
    TDmGroupItem *stop = form->ui->DmGroup3->Items(1);
    QCOMPARE(start->Caption(), QStringLiteral("Запуск сканирования"));
    QCOMPARE(stop->Caption(), QStringLiteral("Остановить сканирование"));
    QVERIFY(!stop->Enabled() && !form->ui->Action5->isEnabled() && !form->N1->isEnabled());
    QCOMPARE(form->ui->BitBtn2->text(), QStringLiteral("Запуск сканирования"));
    // Enabling follows the action, also later.
    form->ui->Action5->setEnabled(true);
    QVERIFY(stop->Enabled());
    QVERIFY(form->N1->isEnabled());
    form->ui->Action4->setEnabled(false);
    QVERIFY(!start->Enabled());
    QVERIFY(!form->ui->BitBtn2->isEnabled());
    form->ui->Action4->setEnabled(true);
    QVERIFY(form->ui->BitBtn2->isEnabled());
    int runs = 0;
    connect(form->ui->Action4, &QAction::triggered, [&] { ++runs; });
    form->ui->BitBtn2->click();
    QTRY_VERIFY(!form->FindFile1->Searching());
    start->Click();
    QTRY_VERIFY(!form->FindFile1->Searching());
    QCOMPARE(runs, 2);
}

void TestMainWindow::webSiteAddress()
{
    dm::test::RecordedBoxes boxes;
    Opened opened;
    auto form = makeForm();
    TDmURLLabel *link = form->ui->DmURLLabel1;
    QVERIFY(link->text().contains(".example"));
    form->ui->Action9->trigger();
    QCOMPARE(opened.urls.value(0), QUrl(link->text()));
    QVERIFY(!link->Visited());
    opened.succeed = false;
    form->show();
    form->ui->DmPageControl1->setCurrentWidget(form->ui->TabSheet4);
    QTest::mouseClick(link, Qt::LeftButton);
    QVERIFY(!link->Visited());
    opened.succeed = true;
    QTest::mouseClick(link, Qt::LeftButton);
    QVERIFY(link->Visited());
    QCOMPARE(link->palette().color(QPalette::WindowText), QColor(128, 0, 128));
    QCOMPARE(opened.urls.size(), 3);
}

void TestMainWindow::windowHoldsItsShape_data()
{
    QTest::addColumn<double>("scale"); // of the fonts
    QTest::addColumn<bool>("smallest"); // the window at its minimum size
    QTest::addColumn<TForm1::Pages>("pages");
    for (double scale : {1.0, 1.1, 1.25, 1.5})
        for (bool smallest : {false, true})
            for (TForm1::Pages pages : {TForm1::Pages::AtOnce, TForm1::Pages::WhenDrawn})
                // From 125 % the window needs more than the test screen's 800
                // pixels: joining pages fit it to the screen, as the program's
                // start does (and the window there cuts the widest label).
                if (pages == TForm1::Pages::AtOnce || scale < 1.25)
                        QTest::addRow("%d %%, %s, %s", int(scale * 100), smallest ? "minimum size" : "design size",
                                  pages == TForm1::Pages::AtOnce ? "pages at once" : "pages when drawn")
                        << scale << smallest << pages;
}

void TestMainWindow::windowHoldsItsShape()
{
    QFETCH(double, scale);
    QFETCH(bool, smallest);
    QFETCH(TForm1::Pages, pages);
    dm::test::RecordedBoxes boxes;
    auto form = makeForm(pages);
    // As a larger font setting does: every size grows, set ones too.
    QList<QWidget *> widgets{form.get()};
    for (QWidget *w : form->findChildren<QWidget *>())
        if (w->testAttribute(Qt::WA_SetFont) && (w->font().resolveMask() & QFont::SizeResolved))
            widgets.append(w);
    for (QWidget *w : widgets) {
        QFont font = w->font();
        font.setPointSizeF(font.pointSizeF() * scale);
        w->setFont(font);
    }
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    // Pages that join once the window is drawn: the window keeps its design
    // size, and grows then only where larger fonts need it.
    const QSize drawn = form->size();
    QTRY_COMPARE(form->ui->DmPageControl1->count(), 5);
    QTest::qWait(20);
    if (scale == 1.0)
        QCOMPARE(form->size(), drawn);
    if (smallest)
        form->resize(form->minimumSize());
    QCoreApplication::processEvents();
    const QSize before = form->size();
    if (!smallest && scale == 1.0)
        QCOMPARE(before, QSize(688, 446));
    // A ten-digit total on the found page; the statistics with their longest
    // figures on the Information page.
    form->ui->Label3->setText(dm::TotalText(9999999999ULL));
    form->LabelTicked->setText(dm::TickedText(9'999'999, 9'999'999'999ULL));
    form->ui->DmLabel3->setText(u"Общее число сканирований: -2147483648"_qs);
    form->ui->DmLabel4->setText(u"Общее число удаленных файлов: 4294967295"_qs);
    form->ui->DmLabel2->setText(u"Дата последнего сканирования системы: 31.12.2026 23:59:59"_qs);
    for (int page = 0; page < form->ui->DmPageControl1->count(); ++page) {
        form->ui->DmPageControl1->setCurrentIndex(page);
        QTest::qWait(20); // layouts settle in rounds of posted requests
        QCOMPARE(form->size(), before); // never resized by itself
        // No control is cut: each has the room its text asks for, inside the window.
        QWidget *shown = form->ui->DmPageControl1->currentWidget();
        const QList<QWidget *> controls = shown->findChildren<QWidget *>();
        for (QWidget *w : controls) {
            if (!w->isVisibleTo(form.get()) || !(qobject_cast<QAbstractButton *>(w) || qobject_cast<QLabel *>(w)))
                continue;
            const QRect inWindow(w->mapTo(form.get(), QPoint()), w->size());
            QSize wanted = w->sizeHint();
            if (auto *label = qobject_cast<QLabel *>(w); label && label->wordWrap())
            {
                // A wrapping text needs room for its longest word and its lines.
                int word = 0;
                for (const QString &w : label->text().split(u' '))
                    word = std::max(word, label->fontMetrics().horizontalAdvance(w));
                wanted = QSize(word, label->heightForWidth(label->width()));
            }
            QVERIFY2(w->width() >= wanted.width() && w->height() >= wanted.height(),
                     qPrintable(u"%1: %2x%3 of %4x%5"_qs.arg(w->objectName()).arg(w->width())
                                    .arg(w->height()).arg(wanted.width()).arg(wanted.height())));
            QVERIFY2(form->rect().contains(inWindow), qPrintable(w->objectName()));
        }
    }
}

void TestMainWindow::exitRoutesEndInFormClose_data()
{
    QTest::addColumn<QString>("route");
    QTest::newRow("menu item") << "menu";
    QTest::newRow("Ctrl+Q") << "shortcut";
    QTest::newRow("tray menu item") << "tray";
    QTest::newRow("close box") << "close";
}

void TestMainWindow::exitRoutesEndInFormClose()
{
    QFETCH(QString, route);
    dm::test::RecordedBoxes boxes;
    auto form = makeForm();
    form->show();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    if (route == "menu")
        form->ui->ActionMainMenuBar1->actions()[0]->menu()->actions()[0]->trigger();
    else if (route == "shortcut")
        QTest::keyClick(form.get(), Qt::Key_Q, Qt::ControlModifier);
    else if (route == "tray")
        form->N4->trigger();
    else
        form->close();
    QVERIFY(!form->isVisible());
    QVERIFY(QFileInfo(form->listFilePath()).isFile());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
