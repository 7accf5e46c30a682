#include "widgets/NumEditFormat.h"

#include <QLocale>
#include <QRegularExpression>
#include <charconv>
#include <clocale>
#include <cmath>
#include <locale.h>

namespace {

[[noreturn]] void InvalidInteger(const QString& text) {
    throw EConvertError(("''" + text + "'' is not a valid integer value").toStdString());
}

[[noreturn]] void InvalidFloat(const QString& text) {
    throw EConvertError(("'" + text + "' is not a valid floating point value").toStdString());
}

// strtold in the "C" locale: the process locale may use a decimal comma.
long double CStrToLongDouble(const QByteArray& text) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    return strtold_l(text.constData(), nullptr, cLocale);
}

// An optional sign, digits with at most one decimal separator (a digit before
// or after it), then an optional exponent. Checked by hand: every commit of a
// number field parses its text, and a pattern would be compiled each time.
bool IsFloatText(QStringView text, QChar point) {
    qsizetype at = 0;
    const auto skip = [&](auto... chars) {
        const bool found = at < text.size() && ((text[at] == chars) || ...);
        at += found;
        return found;
    };
    const auto skipDigits = [&] {
        const qsizetype from = at;
        while (at < text.size() && text[at] >= u'0' && text[at] <= u'9')
            ++at;
        return at - from;
    };
    skip(u'+', u'-');
    qsizetype mantissa = skipDigits();
    if (skip(point))
        mantissa += skipDigits();
    if (mantissa == 0)
        return false;
    if (skip(u'e', u'E')) {
        skip(u'+', u'-');
        if (skipDigits() == 0)
            return false;
    }
    return at == text.size();
}

} // namespace

QChar DecimalSeparator() {
    return QLocale().decimalPoint().front();
}

QChar ThousandSeparator() {
    return QLocale().groupSeparator().front();
}

QString IntToBin(std::int32_t value, int digits) {
    const auto bits = static_cast<std::uint32_t>(value);
    int count = 1;
    if (digits > 0) {
        count = std::min(digits, 32);
    } else {
        while (count < 32 && (bits >> count) != 0)
            ++count;
    }
    QString result(count, u'0');
    for (int i = 0; i < count; ++i) {
        if (bits & (1u << i))
            result[count - 1 - i] = u'1';
    }
    return result;
}

std::int32_t BinToInt(const QString& digits) {
    std::uint32_t result = 0;
    std::uint32_t weight = 1;
    for (auto it = digits.crbegin(); it != digits.crend(); ++it) {
        if (*it == u'1')
            result += weight;
        weight <<= 1;
    }
    return static_cast<std::int32_t>(result);
}

QString IntToHex(std::int32_t value, int digits) {
    return QString::number(static_cast<std::uint32_t>(value), 16)
        .toUpper()
        .rightJustified(std::max(digits, 0), u'0');
}

std::int32_t StrToInt(const QString& text) {
    static const QRegularExpression decimal(QStringLiteral("^[+-]?[0-9]+$"));
    if (!decimal.match(text).hasMatch())
        InvalidInteger(text);
    const QByteArray ascii = text.toLatin1();
    const char* first = ascii.constData() + (ascii.front() == '+' ? 1 : 0);
    std::int32_t result = 0;
    const auto [end, error] = std::from_chars(first, ascii.constData() + ascii.size(), result);
    if (error != std::errc())
        InvalidInteger(text);
    return result;
}

std::int32_t HexToInt(const QString& text) {
    static const QRegularExpression hex(QStringLiteral("^\\$0*([0-9A-Fa-f]{1,8})$"));
    const QRegularExpressionMatch match = hex.match(text);
    if (!match.hasMatch())
        InvalidInteger(text);
    return static_cast<std::int32_t>(match.captured(1).toUInt(nullptr, 16));
}

long double StrToFloat(const QString& text) {
    if (!IsFloatText(text, DecimalSeparator()))
        InvalidFloat(text);
    QString c = text;
    c.replace(DecimalSeparator(), u'.');
    const long double result = CStrToLongDouble(c.toLatin1());
    if (std::isinf(result))
        InvalidFloat(text);
    return result;
}

QString FormatPicture(double value, const QString& picture) {
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    const qsizetype point = picture.indexOf(u'.');
    const QString integerPart = point < 0 ? picture : picture.left(point);
    const QString fractionPart = point < 0 ? QString() : picture.mid(point + 1);
    const bool grouped = integerPart.contains(u',');
    const qsizetype firstZero = integerPart.indexOf(u'0');
    const int minIntegerDigits =
        firstZero < 0
            ? 0
            : int(integerPart.mid(firstZero).count(u'0') + integerPart.mid(firstZero).count(u'#'));
    const int maxFraction = int(fractionPart.count(u'0') + fractionPart.count(u'#'));
    int minFraction = 0;
    for (int i = 0, places = 0; i < fractionPart.size(); ++i) {
        if (fractionPart[i] == u'0' || fractionPart[i] == u'#')
            ++places;
        if (fractionPart[i] == u'0')
            minFraction = places;
    }

    // 15 significant digits d1 d2 … d15 with the value 0.d1d2… × 10^exponent.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                      std::chars_format::scientific, 14);
    const std::string scientific(buffer, result.ptr);
    std::string digits = scientific.substr(0, 1) + scientific.substr(2, 14);
    int exponent = std::stoi(scientific.substr(scientific.find('e') + 1)) + 1;

    // Round half away from zero after maxFraction places.
    const int keep = exponent + maxFraction;
    if (keep < 0) {
        digits = "0";
        exponent = 1;
    } else if (keep < int(digits.size())) {
        const bool up = digits[keep] >= '5';
        digits.resize(keep);
        if (up) {
            int i = keep - 1;
            while (i >= 0 && digits[i] == '9')
                digits[i--] = '0';
            if (i >= 0) {
                ++digits[i];
            } else {
                digits.insert(digits.begin(), '1');
                ++exponent;
            }
        }
    }
    if (digits.find_first_not_of('0') == std::string::npos) {
        digits = "0";
        exponent = 1;
    }

    // Split into integer and fraction digits.
    std::string integer;
    std::string fraction;
    if (exponent > 0) {
        integer = digits.substr(0, std::min<size_t>(exponent, digits.size()));
        integer.append(std::max<int>(0, exponent - int(digits.size())), '0');
        if (exponent < int(digits.size()))
            fraction = digits.substr(exponent);
    } else {
        fraction = std::string(-exponent, '0') + digits;
    }
    integer.erase(0, std::min(integer.find_first_not_of('0'), integer.size()));
    fraction.resize(std::min<size_t>(fraction.size(), maxFraction));
    while (int(fraction.size()) > minFraction && fraction.back() == '0')
        fraction.pop_back();
    fraction.append(std::max<int>(0, minFraction - int(fraction.size())), '0');
    if (int(integer.size()) < minIntegerDigits)
        integer.insert(0, minIntegerDigits - integer.size(), '0');

    QString text = QString::fromLatin1(integer);
    if (grouped) {
        for (qsizetype i = text.size() - 3; i > 0; i -= 3)
            text.insert(i, ThousandSeparator());
    }
    if (!fraction.empty())
        text += DecimalSeparator() + QString::fromLatin1(fraction);
    const bool zero = (integer + fraction).find_first_not_of('0') == std::string::npos;
    if (value < 0 && !zero)
        text.prepend(u'-');
    return text;
}
