// Number text of the numeric fields: binary and hexadecimal digits, integer
// and float conversion with their error messages, and the float picture.

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

    void integerConversions_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");
        QTest::newRow("largest") << "2147483647" << 2147483647;
        QTest::newRow("smallest") << "-2147483648" << int(-2147483648LL);
        QTest::newRow("plus sign") << "+5" << 5;
        QTest::newRow("hex") << "$ff" << 255;
        QTest::newRow("hex above 7FFFFFFF is negative") << "$80000000" << int(-2147483648LL);
        QTest::newRow("hex all ones") << "$FFFFFFFF" << -1;
        QTest::newRow("hex leading zeros") << "$000000001" << 1;
    }
    void integerConversions() {
        QFETCH(QString, text);
        QFETCH(int, expected);
        QCOMPARE(text.startsWith(u'$') ? HexToInt(text) : StrToInt(text), expected);
    }

    void integerErrors_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("eleven digits") << "12345678901";
        QTest::newRow("one above the range") << "2147483648";
        QTest::newRow("empty") << "";
        QTest::newRow("sign alone") << "-";
        QTest::newRow("nine hex digits") << "$123456789";
        QTest::newRow("dollar alone") << "$";
    }
    void integerErrors() {
        QFETCH(QString, text);
        try {
            text.startsWith(u'$') ? HexToInt(text) : StrToInt(text);
            QFAIL("no error");
        } catch (const EConvertError& error) {
            QCOMPARE(QString(error.what()), "''" + text + "'' is not a valid integer value");
        }
    }

    void floatConversions_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("plain") << "1.5" << 1.5;
        QTest::newRow("negative exponent") << "1E-5" << 1e-5;
        QTest::newRow("signed") << "-2.5e+2" << -250.0;
        QTest::newRow("trailing point") << "1." << 1.0;
        QTest::newRow("leading point") << ".5" << 0.5;
    }
    void floatConversions() {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(double(StrToFloat(text)), expected);
    }

    void floatBeyondDoubleStaysExtended() {
        QVERIFY(std::isfinite(StrToFloat("1e400")));
        QVERIFY(StrToFloat("1e400") > 1e308L);
    }

    void floatErrors_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("lone point") << ".";
        QTest::newRow("exponent without digits") << "1e";
        QTest::newRow("beyond extended") << "1e5000";
        QTest::newRow("two points") << "1.2.3";
        QTest::newRow("comma is no decimal point here") << "1,5";
    }
    void floatErrors() {
        QFETCH(QString, text);
        try {
            StrToFloat(text);
            QFAIL("no error");
        } catch (const EConvertError& error) {
            QCOMPARE(QString(error.what()), "'" + text + "' is not a valid floating point value");
        }
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

    void germanSeparators() {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(FormatPicture(1234.5, "#,##0.#"), "1.234,5");
        QCOMPARE(double(StrToFloat("1,5")), 1.5);
        QVERIFY_THROWS_EXCEPTION(EConvertError, StrToFloat("1.5"));
    }
};

QTEST_APPLESS_MAIN(TestNumEditFormat)
#include "test_num_edit_format.moc"
