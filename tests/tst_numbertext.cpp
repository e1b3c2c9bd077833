// Number text: the shared text-to-whole-number conversion, the reading of
// reported values, and the general format of the duty display.

#include "text/NumberReader.h"
#include "text/WholeNumber.h"

#include <QTest>

#include <cmath>

class TestNumberText : public QObject
{
    Q_OBJECT

private slots:
    void wholeNumber_data();
    void wholeNumber();
    void wholeNumberLocaleSeparator();
    void read_data();
    void read();
    void single_data();
    void single();
    void formatGeneral_data();
    void formatGeneral();
};

void TestNumberText::wholeNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("value");

    QTest::newRow("plain") << "50" << true << 50;
    QTest::newRow("blanks around") << " 7 " << true << 7;
    QTest::newRow("tab") << "\t12" << true << 12;
    QTest::newRow("leading zeros") << "007" << true << 7;
    QTest::newRow("plus sign") << "+5" << true << 5;
    QTest::newRow("minus") << "-1" << true << -1;
    QTest::newRow("2.5 to even") << "2.5" << true << 2;
    QTest::newRow("3.5 to even") << "3.5" << true << 4;
    QTest::newRow("99.5 up") << "99.5" << true << 100;
    QTest::newRow("100.5 down") << "100.5" << true << 100;
    QTest::newRow("just above half") << "2.5000000000000000001" << true << 3;
    QTest::newRow("just below half") << "2.4999999999999999999" << true << 2;
    QTest::newRow("-2.5 to even") << "-2.5" << true << -2;
    QTest::newRow("-0.5 to zero") << "-0.5" << true << 0;
    QTest::newRow("fraction only") << ".5" << true << 0;
    QTest::newRow("trailing point") << "5." << true << 5;
    QTest::newRow("max") << "32767" << true << 32767;
    QTest::newRow("min") << "-32768" << true << -32768;
    QTest::newRow("min half to even") << "-32768.5" << true << -32768;
    QTest::newRow("max half rounds out") << "32767.5" << false << 0;
    QTest::newRow("above max") << "32768" << false << 0;
    QTest::newRow("below min") << "-32769" << false << 0;
    QTest::newRow("40000") << "40000" << false << 0;
    QTest::newRow("huge digits") << "99999999999999999999999" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("blanks only") << "   " << false << 0;
    QTest::newRow("letters") << "abc" << false << 0;
    QTest::newRow("trailing letters") << "12a" << false << 0;
    QTest::newRow("sign only") << "-" << false << 0;
    QTest::newRow("point only") << "." << false << 0;
    QTest::newRow("blank inside") << "1 2" << false << 0;
    QTest::newRow("exponent") << "1e3" << false << 0;
    QTest::newRow("two signs") << "--1" << false << 0;
    QTest::newRow("error text") << "error" << false << 0;
}

void TestNumberText::wholeNumber()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(int, value);
    const auto result = WholeNumber::fromText(text);
    QCOMPARE(result.has_value(), ok);
    if (ok)
        QCOMPARE(int(*result), value);
}

void TestNumberText::wholeNumberLocaleSeparator()
{
    QCOMPARE(WholeNumber::fromText(u"99,5", u',').value_or(-1), 100);
    QCOMPARE(WholeNumber::fromText(u"99.5", u',').value_or(-1), 100);
    QVERIFY(!WholeNumber::fromText(u"99,5").has_value());
    QCOMPARE(WholeNumber::toText(-5), QStringLiteral("-5"));
    QCOMPARE(WholeNumber::toText(0), QStringLiteral("0"));
}

void TestNumberText::read_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("value");

    QTest::newRow("integer") << "50" << true << 50.0;
    QTest::newRow("fraction") << "37.5" << true << 37.5;
    QTest::newRow("leading blank") << " 42" << true << 42.0;
    QTest::newRow("trailing junk") << "12abc" << true << 12.0;
    QTest::newRow("not a number") << "abc" << true << 0.0;
    QTest::newRow("empty") << "" << true << 0.0;
    QTest::newRow("negative") << "-3.25" << true << -3.25;
    QTest::newRow("plus") << "+4" << true << 4.0;
    QTest::newRow("exponent") << "1e3" << true << 1000.0;
    QTest::newRow("negative exponent") << "25E-1" << true << 2.5;
    QTest::newRow("dangling exponent") << "3e" << true << 3.0;
    QTest::newRow("leading point") << ".5" << true << 0.5;
    QTest::newRow("trailing point") << "7." << true << 7.0;
    QTest::newRow("comma is no decimal") << "3,5" << true << 3.0;
    QTest::newRow("no inf") << "inf" << true << 0.0;
    QTest::newRow("no nan") << "nan" << true << 0.0;
    QTest::newRow("no hex") << "0x10" << true << 0.0;
    QTest::newRow("underflow") << "1e-400" << true << 0.0;
    QTest::newRow("overflow") << "1e400" << false << 0.0;
}

void TestNumberText::read()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, value);
    const auto result = NumberReader::read(text);
    QCOMPARE(result.has_value(), ok);
    if (ok)
        QCOMPARE(*result, value);
}

void TestNumberText::single_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("ok");
    QTest::newRow("ordinary") << 37.5 << true;
    QTest::newRow("largest single") << 3.4028234e38 << true;
    QTest::newRow("beyond single") << 1e39 << false;
    QTest::newRow("beyond single negative") << -1e39 << false;
    QTest::newRow("tiny") << 1e-50 << true;
}

void TestNumberText::single()
{
    QFETCH(double, value);
    QFETCH(bool, ok);
    const auto result = NumberReader::toSingle(value);
    QCOMPARE(result.has_value(), ok);
    if (ok)
        QVERIFY(std::isfinite(*result));
}

void TestNumberText::formatGeneral_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("dot");
    QTest::addColumn<QString>("comma");

    QTest::newRow("whole") << 50.0f << "50" << "50";
    QTest::newRow("zero") << 0.0f << "0" << "0";
    QTest::newRow("half") << 37.5f << "37.5" << "37,5";
    QTest::newRow("single 0.1") << 0.1f << "0.1" << "0,1";
    QTest::newRow("negative") << -2.25f << "-2.25" << "-2,25";
    QTest::newRow("seven digits") << 1234567.0f << "1234567" << "1234567";
    QTest::newRow("eight digits") << 12345678.0f << "1.234568E+07" << "1,234568E+07";
    QTest::newRow("small fixed") << 0.0001f << "0.0001" << "0,0001";
    QTest::newRow("small exponent") << 0.00001f << "1E-05" << "1E-05";
    QTest::newRow("rounding to 7") << 3.14159265f << "3.141593" << "3,141593";
    QTest::newRow("largest single") << 3.4028235e38f << "3.402823E+38" << "3,402823E+38";
}

void TestNumberText::formatGeneral()
{
    QFETCH(float, value);
    QFETCH(QString, dot);
    QFETCH(QString, comma);
    QCOMPARE(NumberReader::formatGeneral(value, u'.'), dot);
    QCOMPARE(NumberReader::formatGeneral(value, u','), comma);
}

QTEST_GUILESS_MAIN(TestNumberText)
#include "tst_numbertext.moc"
