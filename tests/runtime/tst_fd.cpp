// The descriptor owner: a descriptor handed to another owner stays open for
// it, and every owner that lets go of one closes it exactly once.

#include "UniqueFd.h"

#include <QTest>

#include <fcntl.h>

using dm::UniqueFd;

namespace {

int openNull()
{
    return ::open("/dev/null", O_RDONLY | O_CLOEXEC);
}

bool isOpen(int fd)
{
    return ::fcntl(fd, F_GETFD) != -1;
}

} // namespace

class TestFd : public QObject
{
    Q_OBJECT
private slots:
    void ownerGoes_data();
    void ownerGoes();
};

void TestFd::ownerGoes_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<bool>("stillOpen");
    QTest::newRow("nothing: closed") << "none" << false;
    QTest::newRow("moved out: kept by the new owner") << "move" << true;
    QTest::newRow("released: left to the caller") << "release" << true;
    QTest::newRow("reset to another: closed") << "reset" << false;
    QTest::newRow("another moved over it: closed") << "assign" << false;
}

void TestFd::ownerGoes()
{
    QFETCH(QString, step);
    QFETCH(bool, stillOpen);
    const int fd = openNull();
    QVERIFY(fd >= 0);
    UniqueFd taker;
    int released = -1;
    {
        UniqueFd owner(fd);
        if (step == "move") {
            taker = std::move(owner);
            QVERIFY(!owner);
            QCOMPARE(taker.get(), fd);
        } else if (step == "release") {
            released = owner.release();
        } else if (step == "reset") {
            owner.reset(openNull());
        } else if (step == "assign") {
            owner = UniqueFd(openNull());
        }
        QVERIFY(step == "release" || step == "move" || owner);
    }
    QCOMPARE(isOpen(fd), stillOpen);
    if (released >= 0)
        ::close(released);
}

QTEST_GUILESS_MAIN(TestFd)
#include "tst_fd.moc"
