#include <QTest>

class Stub_dmtray : public QObject
{
    Q_OBJECT
};

QTEST_MAIN(Stub_dmtray)
#include "tst_dmtray.moc"
