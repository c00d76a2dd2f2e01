#include <QTest>

class Stub_statistics : public QObject
{
    Q_OBJECT
};

QTEST_MAIN(Stub_statistics)
#include "tst_statistics.moc"
