#include <QTest>

class Stub_catalog : public QObject
{
    Q_OBJECT
};

QTEST_MAIN(Stub_catalog)
#include "tst_catalog.moc"
