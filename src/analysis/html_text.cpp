#include "analysis/html_text.h"

#include "core/cp932.h"

#include <QLocale>

namespace tw {
namespace {

void appendHexByte(uint byte, QByteArray& out)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    out.append("\\x");
    out.append(kHex[(byte >> 4) & 0xF]);
    out.append(kHex[byte & 0xF]);
}

void appendUtf8(char32_t c, QByteArray& out)
{
    if (c < 0x80) {
        out.append(char(c));
    } else if (c < 0x800) {
        out.append(char(0xC0 | (c >> 6)));
        out.append(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.append(char(0xE0 | (c >> 12)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    } else {
        out.append(char(0xF0 | (c >> 18)));
        out.append(char(0x80 | ((c >> 12) & 0x3F)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    }
}

bool isNonCharacter(char32_t c)
{
    return (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE;
}

void appendCharacter(char32_t c, QByteArray& out)
{
    switch (c) {
    case '<':
        out.append("&lt;");
        return;
    case '>':
        out.append("&gt;");
        return;
    case '&':
        out.append("&amp;");
        return;
    case '"':
        out.append("&quot;");
        return;
    case '\'':
        out.append("&#39;");
        return;
    default:
        break;
    }
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) {
        appendHexByte(uint(c), out);
    } else if (c >= cp932::kRawByteBase && c <= cp932::kRawByteBase + 0xFF) {
        appendHexByte(uint(c - cp932::kRawByteBase), out);
    } else if (cp932::isCodeMark(c)) {
        // Names which code a character was read from; nothing to show.
    } else if (isNonCharacter(c)) {
        appendUtf8(0xFFFD, out);
    } else {
        appendUtf8(c, out);
    }
}

} // namespace

void appendHtmlText(QStringView text, QByteArray& out)
{
    out.reserve(out.size() + text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar unit = text[i];
        char32_t c = unit.unicode();
        if (unit.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(unit, text[i + 1]);
            ++i;
        } else if (unit.isSurrogate()) {
            c = 0xFFFD;
        }
        appendCharacter(c, out);
    }
}

QByteArray htmlText(QStringView text)
{
    QByteArray out;
    appendHtmlText(text, out);
    return out;
}

QByteArray htmlNumber(qint64 value)
{
    static const QLocale grouping(QLocale::English, QLocale::UnitedStates);
    return grouping.toString(value).toLatin1();
}

} // namespace tw
