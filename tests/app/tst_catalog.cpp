// The catalog page as a user works it: adding types through the dialog,
// deleting, ticking all, editing descriptions in place, and what survives a
// close and the next start. Also the starting catalog the build ships.

#include "Cp1251Validator.h"
#include "PlaceMask.h"
#include "ScanTexts.h"
#include "DmListView.h"
#include "NameMatch.h"
#include "ListFile.h"
#include "RecordedBoxes.h"
#include "TestFiles.h"
#include "Unit1.h"
#include "Unit2.h"
#include "ui_Unit1.h"
#include "ui_Unit2.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using dm::test::readFile;
using dm::test::writeFile;

namespace {

QList<Qt::CheckState> marks(QTreeWidget *list)
{
    QList<Qt::CheckState> result;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        result.append(list->topLevelItem(i)->checkState(0));
    return result;
}

QColor textColour(QWidget *w)
{
    return w->palette().color(QPalette::WindowText);
}

// The main window with its add-type dialog, on a folder of its own.
struct Window
{
    QTemporaryDir dir;
    dm::test::RecordedBoxes boxes;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<TForm2> dialog;

    explicit Window(const QList<dm::ListRow> &rows = {})
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath("config")));
        writeFile(dir.filePath("List.lst"), dm::encodeListFile(rows));
        form = std::make_unique<TForm1>(dir.filePath("dustmote"));
        dialog = std::make_unique<TForm2>(form.get());
        dialog->Form1 = form.get();
        form->Form2 = dialog.get();
        boxes.shown.clear();
    }
    TDmListView *list() const { return form->ui->DmListView1; }
    QList<dm::ListRow> saved() const
    {
        return dm::decodeListFile(readFile(form->listFilePath())).rows;
    }
};

const QList<dm::ListRow> kThree{{"Temp", {"*.tmp"}, 0}, {"Old", {"*.old"}, 0}, {"Logs", {"*.log"}, 0}};

} // namespace

class TestCatalog : public QObject
{
    Q_OBJECT
private slots:
    void addLinkOpensAnEmptiedDialog();
    void addingFromTheDialog_data();
    void addingFromTheDialog();
    void enterAddsAndEscCancels();
    void addLinkColour();
    void addingPastTheRowLimitIsRefused();
    void deleteSelectedRow();
    void tickAll();
    void programUntickingTheBox();
    void inPlaceEditSurvivesCloseAndStart_data();
    void inPlaceEditSurvivesCloseAndStart();
    void onlyTheDescriptionIsEditable();
    void spaceTogglesTheSelectedRow();
    void headerClickDoesNotSort();
    void subItemsAndImageIndexRoundTrip();
    void lastColumnFitsTheRoom();
    void textsTheListCannotHoldAreRefused_data();
    void textsTheListCannotHoldAreRefused();
    void startingCatalog();
    void placeMasksInTheDialog_data();
    void placeMasksInTheDialog();
};

void TestCatalog::addLinkOpensAnEmptiedDialog()
{
    Window w;
    w.dialog->ui->LabeledEdit1->setText("left over");
    w.dialog->ui->LabeledEdit2->setText("*.old");
    bool sawEmpty = false;
    QTimer::singleShot(0, w.dialog.get(), [&] {
        sawEmpty = w.dialog->isVisible() && w.dialog->ui->LabeledEdit1->text().isEmpty()
                   && w.dialog->ui->LabeledEdit2->text().isEmpty()
                   && w.dialog->focusWidget() == w.dialog->ui->LabeledEdit1;
        w.dialog->reject();
    });
    QTest::mouseClick(w.form->ui->DmLabel1, Qt::LeftButton);
    QVERIFY(sawEmpty);
    QCOMPARE(w.list()->topLevelItemCount(), 0);
}

void TestCatalog::addingFromTheDialog_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<bool>("added");
    QTest::newRow("plain") << "Temporary" << "*.tmp" << true;
    QTest::newRow("duplicate of an existing row") << "Temp" << "*.tmp" << true;
    QTest::newRow("empty description") << "" << "*.bak" << true;
    QTest::newRow("mask of blanks") << "Blanks" << "   " << true;
    QTest::newRow("empty mask") << "Temporary" << "" << false;
}

void TestCatalog::addingFromTheDialog()
{
    QFETCH(QString, description);
    QFETCH(QString, mask);
    QFETCH(bool, added);
    Window w(kThree);
    w.dialog->show();
    w.dialog->ui->LabeledEdit1->setText(description);
    w.dialog->ui->LabeledEdit2->setText(mask);
    QTest::mouseClick(w.dialog->ui->BitBtn1, Qt::LeftButton);

    // Either way the dialog has closed with the result OK.
    QVERIFY(!w.dialog->isVisible());
    QCOMPARE(w.dialog->result(), int(QDialog::Accepted));
    if (!added) {
        QCOMPARE(w.list()->topLevelItemCount(), 3);
        QCOMPARE(w.boxes.shown.size(), 1);
        QCOMPARE(w.boxes.shown[0].title, QStringLiteral("Ошибка"));
        QCOMPARE(w.boxes.shown[0].text, QStringLiteral("Не указано расширение файла!"));
        QCOMPARE(w.boxes.shown[0].icon, QMessageBox::Critical);
        QCOMPARE(w.boxes.shown[0].buttons, QMessageBox::Ok);
        return;
    }
    QVERIFY(w.boxes.shown.isEmpty());
    QCOMPARE(w.list()->topLevelItemCount(), 4);
    QTreeWidgetItem *row = w.list()->topLevelItem(3);
    QCOMPARE(row->checkState(0), Qt::Unchecked);
    QVERIFY(!row->isSelected());
    QVERIFY(w.form->close());
    QCOMPARE(w.saved().last(), (dm::ListRow{description, {mask}, 0}));
}

void TestCatalog::enterAddsAndEscCancels()
{
    Window w;
    for (QLineEdit *edit : {w.dialog->ui->LabeledEdit1, w.dialog->ui->LabeledEdit2}) {
        w.dialog->show();
        w.dialog->ui->LabeledEdit1->setText("Backups");
        w.dialog->ui->LabeledEdit2->setText("*.bak");
        QTest::keyClick(edit, Qt::Key_Return);
        QVERIFY(!w.dialog->isVisible());
        QCOMPARE(w.dialog->result(), int(QDialog::Accepted));
    }
    QCOMPARE(w.list()->topLevelItemCount(), 2);

    w.dialog->show();
    w.dialog->ui->LabeledEdit2->setText("*.bak");
    QTest::keyClick(w.dialog->ui->LabeledEdit2, Qt::Key_Escape);
    QVERIFY(!w.dialog->isVisible());
    QCOMPARE(w.dialog->result(), int(QDialog::Rejected));
    QCOMPARE(w.list()->topLevelItemCount(), 2);
    // The typed texts stay until the next opening empties them.
    QCOMPARE(w.dialog->ui->LabeledEdit2->text(), QStringLiteral("*.bak"));

    // A focused button takes Enter itself; Tab leads from the mask to OK, then Cancel.
    for (QPushButton *button : {w.dialog->ui->BitBtn2, w.dialog->ui->BitBtn1}) {
        w.dialog->show();
        QApplication::setActiveWindow(w.dialog.get());
        QVERIFY(QTest::qWaitForWindowActive(w.dialog.get()));
        w.dialog->ui->LabeledEdit2->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        if (button == w.dialog->ui->BitBtn2)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), button);
        QTest::keyClick(button, Qt::Key_Return);
        QVERIFY(!w.dialog->isVisible());
        QCOMPARE(w.dialog->result(), int(button == w.dialog->ui->BitBtn1 ? QDialog::Accepted : QDialog::Rejected));
    }
    QCOMPARE(w.list()->topLevelItemCount(), 3);
}

void TestCatalog::addLinkColour()
{
    Window w;
    QLabel *link = w.form->ui->DmLabel1;
    const QColor initial = textColour(link);
    const QColor green(0, 128, 0), black(0, 0, 0);
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QCoreApplication::sendEvent(link, &enter);
    QCOMPARE(textColour(link), green);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(link, &leave);
    QCOMPARE(textColour(link), green);

    // Closing the dialog with its close box runs neither button's handler.
    w.dialog->show();
    w.dialog->close();
    QCOMPARE(textColour(link), green);

    w.dialog->show();
    QTest::keyClick(w.dialog.get(), Qt::Key_Escape);
    QCOMPARE(textColour(link), black);
    QCoreApplication::sendEvent(link, &enter);
    QCOMPARE(textColour(link), green);
    w.dialog->show();
    QTest::mouseClick(w.dialog->ui->BitBtn1, Qt::LeftButton);
    QCOMPARE(textColour(link), black);
    QVERIFY(initial != green);
}

void TestCatalog::addingPastTheRowLimitIsRefused()
{
    QList<dm::ListRow> full(dm::kMaxListCount - 1, dm::ListRow{"x", {"*.x"}, 0});
    Window w(full);
    QCOMPARE(w.list()->topLevelItemCount(), dm::kMaxListCount - 1);
    for (int attempt = 0; attempt < 2; ++attempt) {
        w.dialog->show();
        w.dialog->ui->LabeledEdit2->setText("*.last");
        QTest::mouseClick(w.dialog->ui->BitBtn1, Qt::LeftButton);
    }
    QCOMPARE(w.list()->topLevelItemCount(), dm::kMaxListCount);
    QCOMPARE(w.boxes.shown.size(), 1);
    QCOMPARE(w.boxes.shown[0].title, QStringLiteral("Ошибка"));
    QVERIFY(w.boxes.shown[0].text.contains("65535"));
    // What is in the catalog can still be written.
    QVERIFY(w.form->close());
    QCOMPARE(w.saved().size(), dm::kMaxListCount);
}

void TestCatalog::deleteSelectedRow()
{
    Window w(kThree);
    QTest::mouseClick(w.form->ui->Label4, Qt::LeftButton);
    QCOMPARE(w.list()->topLevelItemCount(), 3);
    QCOMPARE(w.boxes.shown.size(), 1);
    QCOMPARE(w.boxes.shown[0].text, QStringLiteral("Ничего не выбрано?"));
    QCOMPARE(w.boxes.shown[0].title, QStringLiteral("Ошибка"));
    QCOMPARE(w.boxes.shown[0].buttons, QMessageBox::Yes);

    w.list()->setCurrentItem(w.list()->topLevelItem(1));
    QTest::mouseClick(w.form->ui->Label4, Qt::LeftButton);
    QCOMPARE(w.list()->topLevelItemCount(), 2);
    QCOMPARE(w.list()->topLevelItem(0)->text(0), QStringLiteral("Temp"));
    QCOMPARE(w.list()->topLevelItem(1)->text(0), QStringLiteral("Logs"));
    QCOMPARE(w.boxes.shown.size(), 1);
    // Nothing is left selected, so a second click deletes nothing unseen.
    QVERIFY(w.list()->selectedItems().isEmpty());
    QTest::mouseClick(w.form->ui->Label4, Qt::LeftButton);
    QCOMPARE(w.list()->topLevelItemCount(), 2);
    QCOMPARE(w.boxes.shown.size(), 2);

    // The keyboard: Delete removes the selected type, Insert opens the dialog.
    w.form->show();
    QApplication::setActiveWindow(w.form.get());
    QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
    w.list()->setFocus();
    w.list()->setCurrentItem(w.list()->topLevelItem(0));
    QTest::keyClick(w.list(), Qt::Key_Delete);
    QCOMPARE(w.list()->topLevelItemCount(), 1);
    bool opened = false;
    QTimer::singleShot(0, w.dialog.get(), [&] {
        opened = w.dialog->isVisible();
        w.dialog->reject();
    });
    QTest::keyClick(w.list(), Qt::Key_Insert);
    QVERIFY(opened);
}

void TestCatalog::tickAll()
{
    Window empty;
    empty.form->ui->CheckBox1->click();
    QVERIFY(empty.form->ui->CheckBox1->isChecked());
    QVERIFY(empty.boxes.shown.isEmpty());

    Window w(kThree);
    QCheckBox *box = w.form->ui->CheckBox1;
    QVERIFY(!box->isChecked());
    box->click();
    QCOMPARE(marks(w.list()), QList<Qt::CheckState>(3, Qt::Checked));
    // A row cleared by hand; clearing the box clears all rows.
    w.list()->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
    QVERIFY(box->isChecked());
    box->click();
    QCOMPARE(marks(w.list()), QList<Qt::CheckState>(3, Qt::Unchecked));
    // Marks are never stored: a ticked row is unticked at the next start.
    box->click();
    QVERIFY(w.form->close());
    auto again = std::make_unique<TForm1>(w.dir.filePath("dustmote"));
    QCOMPARE(marks(again->ui->DmListView1), QList<Qt::CheckState>(3, Qt::Unchecked));
    QVERIFY(!again->ui->CheckBox1->isChecked());
}

void TestCatalog::programUntickingTheBox()
{
    Window w(kThree);
    // Rows ticked by hand with the box unticked keep their marks.
    w.list()->topLevelItem(0)->setCheckState(0, Qt::Checked);
    w.form->ui->CheckBox1->setChecked(false);
    QCOMPARE(marks(w.list()), (QList{Qt::Checked, Qt::Unchecked, Qt::Unchecked}));
    // A ticked box unticked by the program clears every row, as a click would.
    w.form->ui->CheckBox1->setChecked(true);
    QCOMPARE(marks(w.list()), QList<Qt::CheckState>(3, Qt::Checked));
    w.form->ui->CheckBox1->setChecked(false);
    QCOMPARE(marks(w.list()), QList<Qt::CheckState>(3, Qt::Unchecked));
}

void TestCatalog::inPlaceEditSurvivesCloseAndStart_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("byF2");
    QTest::addColumn<bool>("leftOpen"); // the window closes while the editor is open
    QTest::newRow("new text") << "Временные" << false << false;
    QTest::newRow("emptied") << "" << false << false;
    QTest::newRow("F2 from the mask's cell") << "F2" << true << false;
    QTest::newRow("still editing at close") << "Незакрытое" << false << true;
}

void TestCatalog::inPlaceEditSurvivesCloseAndStart()
{
    QFETCH(QString, typed);
    QFETCH(bool, byF2);
    QFETCH(bool, leftOpen);
    Window w(kThree);
    w.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
    TDmListView *list = w.list();
    const int x = byF2 ? list->columnViewportPosition(1) + 20 : list->columnViewportPosition(0) + 60;
    const QPoint caption(x, list->visualItemRect(list->topLevelItem(1)).center().y());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, caption);
    QVERIFY(list->topLevelItem(1)->isSelected());
    if (byF2)
        QTest::keyClick(list, Qt::Key_F2);
    else
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, caption);
    QLineEdit *editor = nullptr;
    QTRY_VERIFY((editor = list->viewport()->findChild<QLineEdit *>()) && editor->isVisible());
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_Delete);
    editor->insert(typed); // as typed; key clicks carry Latin-1 only
    // Esc would keep the old text; Enter stores the new one.
    if (!leftOpen) {
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(list->topLevelItem(1)->text(0), typed);
        QCOMPARE(list->topLevelItem(1)->text(1), QStringLiteral("*.old"));
    }

    QVERIFY(w.form->close());
    QCOMPARE(w.saved()[1], (dm::ListRow{typed, {"*.old"}, 0}));
    auto again = std::make_unique<TForm1>(w.dir.filePath("dustmote"));
    QCOMPARE(again->ui->DmListView1->topLevelItem(1)->text(0), typed);
}

void TestCatalog::onlyTheDescriptionIsEditable()
{
    Window w(kThree);
    w.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
    TDmListView *list = w.list();
    const QRect row = list->visualItemRect(list->topLevelItem(0));
    const QPoint mask(list->columnViewportPosition(1) + 20, row.center().y());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, mask);
    QVERIFY(list->topLevelItem(0)->isSelected());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, mask);
    // An edit would open once the double-click time has passed.
    QTest::qWait(QApplication::doubleClickInterval() + 200);
    QVERIFY(!list->viewport()->findChild<QLineEdit *>());

    // Esc in the caption's editor keeps the old text.
    const QPoint caption(list->columnViewportPosition(0) + 60, row.center().y());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, caption);
    QLineEdit *editor = nullptr;
    QTRY_VERIFY((editor = list->viewport()->findChild<QLineEdit *>()) && editor->isVisible());
    QTest::keyClicks(editor, "changed");
    QTest::keyClick(editor, Qt::Key_Escape);
    QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("Temp"));
}

void TestCatalog::spaceTogglesTheSelectedRow()
{
    Window w(kThree);
    TDmListView *list = w.list();
    list->setCurrentItem(list->topLevelItem(2));
    QTest::keyClick(list, Qt::Key_Space);
    QCOMPARE(marks(list), (QList{Qt::Unchecked, Qt::Unchecked, Qt::Checked}));
    QTest::keyClick(list, Qt::Key_Space);
    QCOMPARE(marks(list), QList<Qt::CheckState>(3, Qt::Unchecked));
}

void TestCatalog::headerClickDoesNotSort()
{
    Window w(kThree);
    w.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
    QHeaderView *header = w.list()->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(0) + 40, header->height() / 2));
    QCOMPARE(w.list()->topLevelItem(0)->text(0), QStringLiteral("Temp"));
    QCOMPARE(w.list()->topLevelItem(2)->text(0), QStringLiteral("Logs"));
    QVERIFY(!header->isSortIndicatorShown());
}

void TestCatalog::subItemsAndImageIndexRoundTrip()
{
    const QList<dm::ListRow> rows{{"none", {}, 0}, {"three", {"*.a", "*.b", "*.c"}, -7}};
    Window w(rows);
    QCOMPARE(w.list()->topLevelItem(0)->text(1), QString());
    QCOMPARE(w.list()->topLevelItem(1)->text(1), QStringLiteral("*.a"));
    QVERIFY(w.form->close());
    QCOMPARE(w.saved(), rows);
}

void TestCatalog::lastColumnFitsTheRoom()
{
    TDmListView list;
    list.setColumnCount(3);
    list.resize(400, 200);
    list.setColumnWidth(0, 100);
    list.setColumnWidth(1, 80);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    const int bar = list.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list.verticalScrollBar());
    // Without rows the room leaves space for a scroll bar.
    QTRY_COMPARE(list.columnWidth(2), list.viewport()->width() - bar - 180);

    new QTreeWidgetItem(&list, QStringList{"row"});
    list.FitLastColumn();
    QCOMPARE(list.columnWidth(2), list.viewport()->width() - 180);

    // Wider columns than the room: the last column keeps its width.
    const int kept = list.columnWidth(2);
    list.setColumnWidth(0, 600);
    list.FitLastColumn();
    QCOMPARE(list.columnWidth(2), kept);
    // Barely any room: at least 5 pixels.
    list.setColumnWidth(0, list.viewport()->width() - 82);
    list.FitLastColumn();
    QCOMPARE(list.columnWidth(2), 5);

    // Resizing the control refits.
    list.setColumnWidth(0, 100);
    list.resize(500, 200);
    QTRY_COMPARE(list.columnWidth(2), list.viewport()->width() - 180);
}

void TestCatalog::textsTheListCannotHoldAreRefused_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("Cyrillic and punctuation") << "Временные файлы «№1» — €" << true;
    QTest::newRow("Greek letter") << "λ-файлы" << false;
    QTest::newRow("emoji (two UTF-16 units)") << "мусор 🗑" << false;
    QTest::newRow("CJK") << "临时" << false;
    QTest::newRow("65535 characters") << QString(65535, u'a') << true;
    QTest::newRow("65536 characters") << QString(65536, u'a') << false;
}

void TestCatalog::textsTheListCannotHoldAreRefused()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QCOMPARE(dm::Cp1251Validator::refusal(text).isEmpty(), accepted);

    Window w;
    for (QLineEdit *edit : {w.dialog->ui->LabeledEdit1, w.dialog->ui->LabeledEdit2}) {
        edit->clear();
        edit->insert(text);
        QCOMPARE(edit->text(), accepted ? text : QString());
    }
    // The description's in-place editor refuses the same texts.
    QLineEdit editor;
    w.list()->OnCaptionEditor(&editor);
    editor.insert(text);
    QCOMPARE(editor.text(), accepted ? text : QString());
}

void TestCatalog::startingCatalog()
{
    const dm::DecodedList shipped = dm::decodeListFile(readFile(QStringLiteral(DUSTMOTE_DEFAULT_LIST)));
    QCOMPARE(shipped.status, dm::DecodedList::Complete);
    QVERIFY2(shipped.rows.size() >= 20, qPrintable(QString::number(shipped.rows.size())));
    QList<dm::FileMask> masks;
    for (const dm::ListRow &row : shipped.rows) {
        QVERIFY(!row.caption.isEmpty());
        QCOMPARE(row.subItems.size(), 1);
        const QString &text = row.subItems[0];
        QVERIFY2(!text.contains(u' ') && !text.contains(u','), qPrintable(text));
        // Every mask matches a name made from it, so the scan really finds these files.
        QVERIFY2(dm::PlaceMaskProblem(text).isEmpty(), qPrintable(text));
        for (const QString &piece : text.split(u';')) {
            QVERIFY2(!piece.isEmpty(), qPrintable(text));
            QString sample = piece;
            sample.replace(QStringLiteral("**"), QStringLiteral("d1/d2")).replace(u'*', QStringLiteral("abc")).replace(u'?', u'1');
            if (dm::PlaceMask::isPlace(piece.toStdString())) {
                // A place: its name part in a folder made from its folder part.
                const qsizetype slash = sample.lastIndexOf(u'/');
                const dm::PlaceMask place(piece.toStdString());
                QVERIFY2(place.matches(("/home/u/" + sample.left(slash)).toStdString(), sample.mid(slash + 1).toStdString()),
                         qPrintable(piece));
                continue;
            }
            dm::FileMask mask(piece.toStdString());
            QVERIFY2(mask.matches(sample.toStdString()), qPrintable(piece));
            masks.append(mask);
        }
    }
    // A user's ordinary files are never offered as junk.
    for (const char *name : {"report.docx", "main.cpp", "photo.jpg", "Cargo.lock", "core.js",
                             "notes.txt", "archive.tar.gz", "model.obj", ".bashrc", "Makefile"}) {
        for (const dm::FileMask &mask : masks)
            QVERIFY2(!mask.matches(name), qPrintable(QString("%1 matches %2").arg(name, QString::fromStdString(mask.text()))));
    }
}

void TestCatalog::placeMasksInTheDialog_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("problem"); // empty: added
    QTest::newRow("a place") << ".cache/thumbnails/**/*" << QString();
    QTest::newRow("a place beside a name") << "*.tmp;.cache/x/*" << QString();
    QTest::newRow("ends in a slash") << ".cache/thumbnails/"
                                     << "Маска «.cache/thumbnails/» кончается на «/»: после последней «/» должна "
                                        "стоять маска имени файла, например «*».";
    QTest::newRow("empty folder name") << "*.tmp;.cache//*"
                                       << "В маске «.cache//*» пустое имя папки (две «/» подряд или «/» в начале): "
                                          "такая маска ничего не найдёт.";
    QTest::newRow("dot dot") << "../x/*" << "В маске «../x/*» есть папка «.» или «..»: папок с такими именами при "
                                            "поиске не бывает, маска ничего не найдёт.";
}

void TestCatalog::placeMasksInTheDialog()
{
    QFETCH(QString, mask);
    QFETCH(QString, problem);
    Window w(kThree);
    w.dialog->show();
    w.dialog->ui->LabeledEdit1->setText("Places");
    w.dialog->ui->LabeledEdit2->setText(mask);
    QTest::mouseClick(w.dialog->ui->BitBtn1, Qt::LeftButton);
    QVERIFY(!w.dialog->isVisible());
    if (problem.isEmpty()) {
        QVERIFY(w.boxes.shown.isEmpty());
        QCOMPARE(w.list()->topLevelItemCount(), 4);
        QVERIFY(w.form->close());
        QCOMPARE(w.saved().last(), (dm::ListRow{"Places", {mask}, 0}));
        return;
    }
    QCOMPARE(w.list()->topLevelItemCount(), 3);
    QCOMPARE(w.boxes.shown.size(), 1);
    QCOMPARE(w.boxes.shown[0].text, problem);
}

QTEST_MAIN(TestCatalog)
#include "tst_catalog.moc"
