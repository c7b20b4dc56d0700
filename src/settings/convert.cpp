#include "settings/convert.h"

#include <QLocale>
#include <cmath>

namespace honura::convert {

namespace {

// The parts of a decimal number: sign, digits before and after the point.
struct Decimal {
    bool negative = false;
    QStringView whole;
    QStringView fraction;
};

bool allDigits(QStringView s)
{
    for (const QChar c : s)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

std::optional<Decimal> parseDecimal(QStringView text)
{
    text = text.trimmed();
    Decimal d;
    if (!text.isEmpty() && (text.front() == u'+' || text.front() == u'-')) {
        d.negative = text.front() == u'-';
        text = text.mid(1);
    }
    const qsizetype point = text.indexOf(u'.');
    d.whole = point < 0 ? text : text.left(point);
    d.fraction = point < 0 ? QStringView() : text.mid(point + 1);
    if ((d.whole.isEmpty() && d.fraction.isEmpty()) || !allDigits(d.whole) ||
        !allDigits(d.fraction))
        return std::nullopt;
    return d;
}

bool isZero(QStringView digits)
{
    for (const QChar c : digits)
        if (c != u'0')
            return false;
    return true;
}

} // namespace

std::optional<std::int32_t> toInt32(QStringView text)
{
    const std::optional<Decimal> d = parseDecimal(text);
    if (!d)
        return std::nullopt;
    QStringView whole = d->whole;
    while (whole.size() > 1 && whole.front() == u'0')
        whole = whole.mid(1);
    if (whole.size() > 10)
        return std::nullopt;
    std::int64_t magnitude = 0;
    for (const QChar c : whole)
        magnitude = magnitude * 10 + (c.unicode() - u'0');

    // Rounding decided on the digits themselves, so that no binary fraction
    // blurs a half.
    const int first = d->fraction.isEmpty() ? 0 : d->fraction.front().unicode() - u'0';
    const bool beyondHalf = first == 5 && !isZero(d->fraction.mid(1));
    if (first > 5 || beyondHalf || (first == 5 && magnitude % 2 == 1))
        ++magnitude;

    const std::int64_t value = d->negative ? -magnitude : magnitude;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::optional<bool> toBoolean(QStringView text)
{
    const QStringView t = text.trimmed();
    if (t.compare(u"true", Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(u"false", Qt::CaseInsensitive) == 0)
        return false;
    const std::optional<Decimal> d = parseDecimal(t);
    if (!d)
        return std::nullopt;
    return !(isZero(d->whole) && isZero(d->fraction));
}

QString booleanText(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }

QString fontSizeText(double points)
{
    const QLocale c = QLocale::c();
    QString s = c.toString(points, 'g', 7);
    if (!s.contains(u'e'))
        return s;
    // Very large or small: the same seven digits, written out in full.
    const double rounded = c.toDouble(s);
    const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(rounded))));
    s = c.toString(rounded, 'f', std::max(0, 6 - exponent));
    if (s.contains(u'.')) {
        while (s.endsWith(u'0'))
            s.chop(1);
        if (s.endsWith(u'.'))
            s.chop(1);
    }
    return s;
}

} // namespace honura::convert
