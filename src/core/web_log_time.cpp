#include "core/web_log_parts.h"

namespace tw::weblog::detail {
namespace {

bool digitsAt(const char* p, qsizetype n)
{
    for (qsizetype i = 0; i < n; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return false;
    }
    return true;
}

int number(const char* p, int n)
{
    int value = 0;
    for (int i = 0; i < n; ++i)
        value = value * 10 + (p[i] - '0');
    return value;
}

// 1 to 12 for "Jan" to "Dec" as Apache and Nginx write them, else 0.
int monthNumber(const char* p)
{
    const auto key = [](char a, char b, char c) {
        return std::uint32_t(std::uint8_t(a)) << 16 | std::uint32_t(std::uint8_t(b)) << 8 |
               std::uint8_t(c);
    };
    switch (key(p[0], p[1], p[2])) {
    case key('J', 'a', 'n'):
        return 1;
    case key('F', 'e', 'b'):
        return 2;
    case key('M', 'a', 'r'):
        return 3;
    case key('A', 'p', 'r'):
        return 4;
    case key('M', 'a', 'y'):
        return 5;
    case key('J', 'u', 'n'):
        return 6;
    case key('J', 'u', 'l'):
        return 7;
    case key('A', 'u', 'g'):
        return 8;
    case key('S', 'e', 'p'):
        return 9;
    case key('O', 'c', 't'):
        return 10;
    case key('N', 'o', 'v'):
        return 11;
    case key('D', 'e', 'c'):
        return 12;
    default:
        return 0;
    }
}

bool dateExists(int year, int month, int day)
{
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1 || day > kDays[month - 1])
        return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month != 2 || day < 29 || leap;
}

// "YYYY/MM/DD" from four year digits, a month number and two day digits.
void writeDate(const char* year, int month, const char* day, char* out)
{
    std::memcpy(out, year, 4);
    out[4] = '/';
    out[5] = char('0' + month / 10);
    out[6] = char('0' + month % 10);
    out[7] = '/';
    out[8] = day[0];
    out[9] = day[1];
}

// "HH:MM:SS" at p.
bool timeExists(const char* p)
{
    return digitsAt(p, 2) && p[2] == ':' && digitsAt(p + 3, 2) && p[5] == ':' &&
           digitsAt(p + 6, 2) && number(p, 2) < 24 && number(p + 3, 2) < 60 &&
           number(p + 6, 2) < 60;
}

} // namespace

bool clfDateTime(const char* p, char* out)
{
    // [dd/Mon/yyyy:HH:MM:SS +zzzz]
    // 0  3   7    12       21    27
    if (p[0] != '[' || p[3] != '/' || p[7] != '/' || p[12] != ':' || p[21] != ' ' ||
        (p[22] != '+' && p[22] != '-') || p[27] != ']' || !digitsAt(p + 1, 2) ||
        !digitsAt(p + 8, 4) || !digitsAt(p + 23, 4) || !timeExists(p + 13))
        return false;
    const int month = monthNumber(p + 4);
    if (!dateExists(number(p + 8, 4), month, number(p + 1, 2)))
        return false;
    writeDate(p + 8, month, p + 1, out);
    out[10] = ' ';
    std::memcpy(out + 11, p + 13, 8);
    return true;
}

bool w3cDate(QByteArrayView text, char* out)
{
    const char* p = text.data();
    if (text.size() != 10 || !digitsAt(p, 4) || p[4] != '-' || !digitsAt(p + 5, 2) || p[7] != '-' ||
        !digitsAt(p + 8, 2) || !dateExists(number(p, 4), number(p + 5, 2), number(p + 8, 2)))
        return false;
    std::memcpy(out, p, 10);
    out[4] = '/';
    out[7] = '/';
    return true;
}

bool w3cDirectiveDate(QByteArrayView text, char* out)
{
    if (w3cDate(text, out))
        return true;
    // "12-Jan-1996", as some writers put it
    const char* p = text.data();
    if (text.size() != 11 || !digitsAt(p, 2) || p[2] != '-' || p[6] != '-' || !digitsAt(p + 7, 4))
        return false;
    const int month = monthNumber(p + 3);
    if (!dateExists(number(p + 7, 4), month, number(p, 2)))
        return false;
    writeDate(p + 7, month, p, out);
    return true;
}

bool w3cTime(QByteArrayView text, char* out)
{
    const char* p = text.data();
    const qsizetype n = text.size();
    if (n == 5) {
        char full[8] = {p[0], p[1], p[2], p[3], p[4], ':', '0', '0'};
        if (!timeExists(full))
            return false;
        std::memcpy(out, full, 8);
        return true;
    }
    // Seconds may carry a fraction, which the list has no room for.
    if (n < 8 || !timeExists(p) || (n > 8 && (p[8] != '.' || n == 9 || !digitsAt(p + 9, n - 9))))
        return false;
    std::memcpy(out, p, 8);
    return true;
}

} // namespace tw::weblog::detail
