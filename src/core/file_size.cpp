#include "core/file_size.h"

namespace tw {
namespace {

// bytes / unit with the pattern ".0#", rounded half up, in exact integer arithmetic.
QString formatUnits(qint64 bytes, qint64 unit)
{
    const qint64 hundredths = (bytes * 200 + unit) / (2 * unit);
    const qint64 whole = hundredths / 100;
    const qint64 fraction = hundredths % 100;
    QString text = whole ? QString::number(whole) : QString();
    text += u'.';
    if (fraction % 10 == 0)
        text += QString::number(fraction / 10);
    else
        text += QStringLiteral("%1").arg(fraction, 2, 10, QLatin1Char('0'));
    return text;
}

} // namespace

QString formatFileSize(qint64 bytes)
{
    if (bytes < 1000)
        return QString::number(bytes) + QStringLiteral("Bytes");
    if (bytes <= 999999)
        return formatUnits(bytes, 1024) + QStringLiteral("KB");
    return formatUnits(bytes, 1024 * 1024) + QStringLiteral("MB");
}

} // namespace tw
