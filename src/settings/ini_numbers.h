#pragma once

#include <QString>
#include <QStringView>

#include <limits>
#include <optional>

namespace tw {

// Nearest whole number, ties to even (10.5 -> 10, 11.5 -> 12).
double roundHalfEven(double value);

// A decimal number (sign, fraction and exponent allowed, blanks around it ignored) rounded to a
// whole number; nothing for empty text, other characters, or a result outside [min, max].
std::optional<qint32> toWholeNumber(QStringView text, qint32 min, qint32 max);
inline std::optional<qint32> toInt16(QStringView text)
{
    return toWholeNumber(text, -32768, 32767);
}
inline std::optional<qint32> toInt32(QStringView text)
{
    return toWholeNumber(text, std::numeric_limits<qint32>::min(),
                         std::numeric_limits<qint32>::max());
}

// "True" or "False" (any case), or a number where 0 is false; nothing for anything else.
std::optional<bool> toTruthValue(QStringView text);

// A length as a single-precision number: 9600, 1234.5 (up to seven significant digits).
QString singleText(double value);

} // namespace tw
