// `dustmote FOLDER`: the folder chosen in the tree, and what a scan then finds.

#include "DmShellTree.h"
#include "FoundFiles.h"
#include "ScanFixture.h"
#include "TestFiles.h"
#include "ui_Unit1.h"

#include <QtTest>

using namespace dm;
using namespace dm::test;

class TestCommandLine : public QObject, ScanFixture
{
    Q_OBJECT
private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }
    void folderChosen_data();
    void folderChosen();
};

void TestCommandLine::folderChosen_data()
{
    QTest::addColumn<QString>("given");    // relative to the desktop folder
    QTest::addColumn<QString>("selected"); // what the tree then names
    QTest::addColumn<bool>("found");
    QTest::addColumn<int>("rows");         // the scan that follows
    QTest::newRow("a folder below") << "projects/alpha" << "projects/alpha" << true << 1;
    QTest::newRow("with a trailing slash") << "projects/" << "projects" << true << 2;
    QTest::newRow("missing: the deepest folder") << "projects/gone/deeper" << "projects" << false << 2;
    QTest::newRow("a file: its folder") << "projects/beta/b.tmp" << "projects/beta" << false << 1;
}

void TestCommandLine::folderChosen()
{
    QFETCH(QString, given);
    QFETCH(QString, selected);
    QFETCH(bool, found);
    QFETCH(int, rows);
    for (const char *rel : {"projects/alpha/a.tmp", "projects/beta/b.tmp", "top.tmp"}) {
        QVERIFY(QDir().mkpath(QFileInfo(home(rel)).path()));
        save(home(rel), "x");
    }
    auto form = makeForm({"*.tmp"});
    form->chooseFolder(QFile::encodeName(home(given)));
    QTRY_COMPARE(form->ui->DmShellTree1->SelectedPathName(), home(selected));
    const QString notFound = "Папка «" + home(given) + "» не найдена";
    if (!found)
        QTRY_COMPARE(form->ui->StatusBar1->SimpleText(), notFound);
    else
        QVERIFY(form->ui->StatusBar1->SimpleText() != notFound);
    scan(*form);
    QCOMPARE(form->foundFiles().rowCount(), rows);
}

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
