// Text to integer as counters stored as text are read: every malformed or
// out-of-range text gives the fallback, never a wrong number.

#include "Convert.h"

#include <QTest>

using namespace dm;

class TestConvert : public QObject
{
    Q_OBJECT
private slots:
    void strToIntDef_data();
    void strToIntDef();
};

void TestConvert::strToIntDef_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("decimal") << "41" << 41;
    QTest::newRow("leading blanks") << "   42" << 42;
    QTest::newRow("plus") << "+7" << 7;
    QTest::newRow("minus") << "-1" << -1;
    QTest::newRow("leading zeros") << "000000000012" << 12;
    QTest::newRow("max") << "2147483647" << 2147483647;
    QTest::newRow("min") << "-2147483648" << int(-2147483647 - 1);
    QTest::newRow("above max") << "2147483648" << -99;
    QTest::newRow("below min") << "-2147483649" << -99;
    QTest::newRow("dollar hex") << "$1F" << 31;
    QTest::newRow("0x hex") << "0x1f" << 31;
    QTest::newRow("0X hex") << "0X1F" << 31;
    QTest::newRow("hex all bits") << "$FFFFFFFF" << -1;
    QTest::newRow("hex sign bit") << "$80000000" << int(-2147483647 - 1);
    QTest::newRow("hex too long") << "$100000000" << -99;
    QTest::newRow("negative hex") << "-$10" << -16;
    QTest::newRow("negative hex min") << "-0x80000000" << int(-2147483647 - 1);
    QTest::newRow("negative hex too big") << "-$80000001" << -99;
    QTest::newRow("empty") << "" << -99;
    QTest::newRow("blanks only") << "   " << -99;
    QTest::newRow("sign only") << "-" << -99;
    QTest::newRow("dollar only") << "$" << -99;
    QTest::newRow("0x only") << "0x" << -99;
    QTest::newRow("letters") << "abc" << -99;
    QTest::newRow("trailing blank") << "42 " << -99;
    QTest::newRow("trailing letter") << "42a" << -99;
    QTest::newRow("blank after sign") << "- 5" << -99;
    QTest::newRow("two signs") << "--5" << -99;
    QTest::newRow("tab") << "\t5" << -99;
    QTest::newRow("hex digit in decimal") << "1f" << -99;
    QTest::newRow("arabic-indic digit") << QString(QChar(0x0665)) << -99;
}

void TestConvert::strToIntDef()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(StrToIntDef(text, -99), expected);
}

QTEST_GUILESS_MAIN(TestConvert)
#include "tst_convert.moc"
