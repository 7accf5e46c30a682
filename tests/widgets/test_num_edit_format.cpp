// Number text of the numeric fields: binary and hexadecimal digits and the
// float picture. (Conversions and their messages are tested through the edit.)

#include "widgets/NumEditFormat.h"

#include <QLocale>
#include <QtTest>
#include <cmath>

class TestNumEditFormat : public QObject {
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale::c()); }

    void intToBin_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("digits");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zero") << 0 << 0 << "0";
        QTest::newRow("five") << 5 << 0 << "101";
        QTest::newRow("byte") << 255 << 0 << "11111111";
        QTest::newRow("negative takes 32 digits") << -1 << 0 << QString(32, u'1');
        QTest::newRow("lowest value") << -2147483647 << 0 << "1" + QString(30, u'0') + "1";
        QTest::newRow("padded to the digit count") << 5 << 4 << "0101";
        QTest::newRow("higher bits dropped") << 5 << 2 << "01";
        QTest::newRow("at most 32 digits") << 5 << 40 << QString(29, u'0') + "101";
        QTest::newRow("negative count as none") << 6 << -3 << "110";
    }
    void intToBin() {
        QFETCH(int, value);
        QFETCH(int, digits);
        QFETCH(QString, expected);
        QCOMPARE(IntToBin(value, digits), expected);
    }

    void binToInt_data() {
        QTest::addColumn<QString>("digits");
        QTest::addColumn<int>("expected");
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("five") << "101" << 5;
        QTest::newRow("leading zeros") << "000101" << 5;
        QTest::newRow("other characters count as 0") << "1x1" << 5;
        QTest::newRow("32 ones wrap to -1") << QString(32, u'1') << -1;
        QTest::newRow("bit 32 falls off") << "1" + QString(32, u'0') << 0;
    }
    void binToInt() {
        QFETCH(QString, digits);
        QFETCH(int, expected);
        QCOMPARE(BinToInt(digits), expected);
    }

    void intToHex_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("digits");
        QTest::addColumn<QString>("expected");
        QTest::newRow("minimal") << 255 << 0 << "FF";
        QTest::newRow("padded") << 255 << 4 << "00FF";
        QTest::newRow("count is a minimum") << 0x12345 << 2 << "12345";
        QTest::newRow("zero") << 0 << 0 << "0";
        QTest::newRow("negative is two's complement") << -1 << 4 << "FFFFFFFF";
    }
    void intToHex() {
        QFETCH(int, value);
        QFETCH(int, digits);
        QFETCH(QString, expected);
        QCOMPARE(IntToHex(value, digits), expected);
    }

    void picture_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("expected");
        QTest::newRow("half rounds away from zero") << 1.25 << "#0.#"
                                                    << "1.3";
        QTest::newRow("negative half") << -1.25 << "#0.#"
                                       << "-1.3";
        QTest::newRow("as typed, not as stored") << 0.15 << "#0.#"
                                                 << "0.2";
        QTest::newRow("carry into a new digit") << 99.95 << "#0.#"
                                                << "100";
        QTest::newRow("insignificant fraction dropped") << 2000.0 << "#0.#"
                                                        << "2000";
        QTest::newRow("small value") << 0.005 << "#0.#"
                                     << "0";
        QTest::newRow("no negative zero") << -0.04 << "#0.#"
                                          << "0";
        QTest::newRow("tiny") << 1e-20 << "#0.#"
                              << "0";
        QTest::newRow("largest double range") << 1.7e308 << "#0.#"
                                              << "17" + QString(307, u'0');
        QTest::newRow("forced fraction digits") << 0.5 << "0.00"
                                                << "0.50";
        QTest::newRow("no integer digit") << 0.5 << "#.#"
                                          << ".5";
        QTest::newRow("forced integer digits") << 7.0 << "000"
                                               << "007";
        QTest::newRow("thousands") << 1234567.891 << "#,##0.00"
                                   << "1,234,567.89";
        QTest::newRow("thousands below a group") << 123.0 << "#,##0"
                                                 << "123";
    }
    void picture() {
        QFETCH(double, value);
        QFETCH(QString, picture);
        QFETCH(QString, expected);
        QCOMPARE(FormatPicture(value, picture), expected);
    }

    // The forms a float field takes; anything else is refused, not cut short.
    void strToFloat_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected"); // NaN: refused
        const double refused = std::nan("");
        for (const auto& [text, expected] :
             std::initializer_list<std::pair<const char*, double>>{{"12", 12},
                                                                   {"-1.5", -1.5},
                                                                   {"+.5", 0.5},
                                                                   {"5.", 5},
                                                                   {"1e3", 1000},
                                                                   {"2.5E-1", 0.25},
                                                                   {"", refused},
                                                                   {".", refused},
                                                                   {"-", refused},
                                                                   {"1e", refused},
                                                                   {"1e+", refused},
                                                                   {"e5", refused},
                                                                   {"1.2.3", refused},
                                                                   {"--1", refused},
                                                                   {" 1", refused},
                                                                   {"1x", refused},
                                                                   {"1,5", refused}})
            QTest::newRow(text) << QString(text) << expected;
    }
    void strToFloat() {
        QFETCH(QString, text);
        QFETCH(double, expected);
        if (std::isnan(expected))
            QVERIFY_THROWS_EXCEPTION(EConvertError, StrToFloat(text));
        else
            QCOMPARE(double(StrToFloat(text)), expected);
    }

    void germanSeparators() {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(FormatPicture(1234.5, "#,##0.#"), "1.234,5");
        QVERIFY_THROWS_EXCEPTION(EConvertError, StrToFloat("1.5"));
        QCOMPARE(double(StrToFloat("1,5")), 1.5);
    }
};

QTEST_APPLESS_MAIN(TestNumEditFormat)
#include "test_num_edit_format.moc"
