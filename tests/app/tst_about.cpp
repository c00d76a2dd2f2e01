#include <QTest>

class Stub_about : public QObject
{
    Q_OBJECT
};

QTEST_MAIN(Stub_about)
#include "tst_about.moc"
