#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Every file the program touches is CP932 (Windows Japanese). Decoding is lossless: a byte that
// does not start a mapped character becomes the private-use code point U+10FF00 + byte, and
// encoding turns that code point back into the byte, so any file survives open and save unchanged.
namespace tw::cp932 {

constexpr char32_t kRawByteBase = 0x10FF00;

QString decode(QByteArrayView bytes);
// Characters outside CP932 that are not raw-byte code points become '?'.
QByteArray encode(QStringView text);

// The fast paths used for rows, which are kept as UTF-8.
// Writes at most 4 * (end - begin) bytes to out and returns the end of what was written.
char* decodeToUtf8(const char* begin, const char* end, char* out);
QByteArray decodeToUtf8(QByteArrayView bytes);
// Appends the CP932 form of UTF-8 text (as made by decodeToUtf8 or QString::toUtf8).
void appendEncodedUtf8(QByteArrayView utf8, QByteArray& out);
QByteArray encodeUtf8(QByteArrayView utf8);

// Byte offset just after the first n characters of bytes (the end when it has fewer), counting
// characters as decode() produces them.
qsizetype skipChars(QByteArrayView bytes, qsizetype n);

} // namespace tw::cp932
