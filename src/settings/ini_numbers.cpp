#include "settings/ini_numbers.h"

#include <cmath>

namespace tw {
namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Digits with an optional sign, fraction and exponent; what the settings file may hold.
std::optional<double> parseDecimal(QStringView text)
{
    text = text.trimmed();
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto digits = [&] {
        const qsizetype start = i;
        while (i < n && isDigit(text[i]))
            ++i;
        return i - start;
    };
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    qsizetype mantissa = digits();
    if (i < n && text[i] == u'.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0)
        return std::nullopt;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        if (i < n && (text[i] == u'+' || text[i] == u'-'))
            ++i;
        if (digits() == 0)
            return std::nullopt;
    }
    if (i != n)
        return std::nullopt;
    bool ok = false;
    const double value = text.toLatin1().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

double roundHalfEven(double value)
{
    const double down = std::floor(value);
    const double diff = value - down;
    if (diff < 0.5)
        return down;
    if (diff > 0.5)
        return down + 1;
    return std::fmod(down, 2.0) == 0 ? down : down + 1;
}

std::optional<qint32> toWholeNumber(QStringView text, qint32 min, qint32 max)
{
    const std::optional<double> value = parseDecimal(text);
    if (!value)
        return std::nullopt;
    const double whole = roundHalfEven(*value);
    if (whole < min || whole > max)
        return std::nullopt;
    return qint32(whole);
}

std::optional<bool> toTruthValue(QStringView text)
{
    const QStringView t = text.trimmed();
    if (t.compare(u"True", Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(u"False", Qt::CaseInsensitive) == 0)
        return false;
    if (const std::optional<double> value = parseDecimal(t))
        return *value != 0;
    return std::nullopt;
}

QString singleText(double value)
{
    const float single = float(value);
    return QString::number(double(single), 'g', 7);
}

} // namespace tw
