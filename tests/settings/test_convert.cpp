// Conversions between the settings file's texts and the board's values.
#include "settings/convert.h"

#include <QTest>

using namespace honura::convert;

class TestConvert : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void integers_data();
    void integers();
    void booleans_data();
    void booleans();
    void fontSizes_data();
    void fontSizes();
};

void TestConvert::integers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("value");
    const auto row = [](const char* t, bool ok, int v = 0) {
        QTest::newRow(t) << QString::fromUtf8(t) << ok << v;
    };
    row("16", true, 16);
    row("10.5", true, 10);
    row("11.5", true, 12);
    row("15.75", true, 16);
    row("-2.5", true, -2);
    row("-3.5", true, -4);
    row("2.5000000000000000001", true, 3);
    row("2.4999999999999999999", true, 2);
    row("+7", true, 7);
    row(" 42 ", true, 42);
    row(".5", true, 0);
    row("1.", true, 1);
    row("-0.4", true, 0);
    row("0000000000000000000012", true, 12);
    row("2147483647", true, 2147483647);
    row("2147483647.4", true, 2147483647);
    row("-2147483648", true, -2147483647 - 1);
    row("-2147483648.5", true, -2147483647 - 1);
    row("2147483647.5", false);
    row("2147483648", false);
    row("-2147483649", false);
    row("99999999999999999999", false);
    row("", false);
    row("abc", false);
    row("12abc", false);
    row("1,5", false);
    row("1e3", false);
    row(".", false);
    row("-", false);
    row("1.2.3", false);
    row("0x10", false);
}

void TestConvert::integers()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(int, value);
    const std::optional<std::int32_t> r = toInt32(text);
    QCOMPARE(r.has_value(), ok);
    if (ok)
        QCOMPARE(*r, value);
}

void TestConvert::booleans_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value"); // -1: no Boolean
    const auto row = [](const char* t, int v) { QTest::newRow(t) << QString::fromUtf8(t) << v; };
    row("True", 1);
    row("False", 0);
    row("true", 1);
    row("FALSE", 0);
    row("tRuE", 1);
    row("0", 0);
    row("1", 1);
    row("-1", 1);
    row("0.0", 0);
    row("-0", 0);
    row("0.001", 1);
    row("99999999999999999999", 1);
    row("", -1);
    row("yes", -1);
    row("truex", -1);
    row("1a", -1);
}

void TestConvert::booleans()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    const std::optional<bool> r = toBoolean(text);
    QCOMPARE(r.has_value(), value >= 0);
    if (r)
        QCOMPARE(int(*r), value);
    QCOMPARE(booleanText(true), QStringLiteral("True"));
    QCOMPARE(booleanText(false), QStringLiteral("False"));
}

void TestConvert::fontSizes_data()
{
    QTest::addColumn<double>("size");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 12.0 << "12";
    QTest::newRow("quarter") << 15.75 << "15.75";
    QTest::newRow("half") << 10.5 << "10.5";
    QTest::newRow("single precision") << double(10.1f) << "10.1";
    QTest::newRow("seven digits") << 1.23456789 << "1.234568";
    QTest::newRow("large") << 123456789.0 << "123456800";
    QTest::newRow("small") << 0.0000123456789 << "0.00001234568";
}

void TestConvert::fontSizes()
{
    QFETCH(double, size);
    QFETCH(QString, text);
    QCOMPARE(fontSizeText(size), text);
    // Whatever the locale, the separator is a point.
    QLocale::setDefault(QLocale(QLocale::German));
    QCOMPARE(fontSizeText(size), text);
    QLocale::setDefault(QLocale::c());
}

QTEST_GUILESS_MAIN(TestConvert)
#include "test_convert.moc"
