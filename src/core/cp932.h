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

// Some characters have two or three codes (0x81E0 and the NEC code 0x8790 are both "≒"; most
// NEC-selected IBM kanji at 0xED40-0xEEFC are also IBM kanji at 0xFA40-0xFC4B). The code that
// encoding gives a character decodes to the character alone; another code decodes to the
// character followed by a code mark, an invisible tag character (TAG DIGIT ONE or TWO) naming
// which of its other codes it was. Encoding consumes the mark and writes that code again, so
// the row shows and is found as the character and is saved with the bytes that were read.
constexpr char32_t kCodeMarkFirst = 0xE0031;
constexpr char32_t kCodeMarkLast = 0xE0032;
// The UTF-8 form of every code mark begins with these bytes.
constexpr QByteArrayView kCodeMarkUtf8Prefix = "\xF3\xA0\x80";

constexpr bool isCodeMark(char32_t c)
{
    return c >= kCodeMarkFirst && c <= kCodeMarkLast;
}

// The text without its code marks, for places where only the characters count: text handed to
// other programs, and searching.
QString withoutCodeMarks(const QString& text);
void appendWithoutCodeMarks(QByteArrayView utf8, QByteArray& out);
// Whether UTF-8 text may hold a code mark: false means that it holds none.
inline bool mayHoldCodeMarks(QByteArrayView utf8)
{
    return utf8.contains(kCodeMarkUtf8Prefix);
}

QString decode(QByteArrayView bytes);
// Characters outside CP932 that are not raw-byte code points or code marks become '?'.
QByteArray encode(QStringView text);

// The fast paths used for rows, which are kept as UTF-8.
// Writes at most 4 * (end - begin) bytes to out and returns the end of what was written.
char* decodeToUtf8(const char* begin, const char* end, char* out);
QByteArray decodeToUtf8(QByteArrayView bytes);
// Appends the CP932 form of UTF-8 text (as made by decodeToUtf8 or QString::toUtf8).
void appendEncodedUtf8(QByteArrayView utf8, QByteArray& out);
QByteArray encodeUtf8(QByteArrayView utf8);

// Byte offset just after the first n characters of bytes (the end when it has fewer), counting
// characters as decode() produces them (a code mark is a character of no bytes).
qsizetype skipChars(QByteArrayView bytes, qsizetype n);

} // namespace tw::cp932
