#include "core/cp932.h"

#include <QRandomGenerator>
#include <QStringDecoder>
#include <QTest>

using namespace tw;

namespace {

// Random bytes weighted towards what breaks double-byte decoders: lead bytes, trail bytes that
// look like ASCII ('\\', '|', '@'), bytes CP932 leaves unmapped, line ends and a lead byte cut
// off at the very end.
QByteArray randomBytes(QRandomGenerator& rng, int maxLength, bool cutLeadAtEnd)
{
    static const char kSpecial[] = "\x80\xA0\xFD\xFE\xFF\x7F\x5C\x7C\x40\r\n\t\"";
    const int length = maxLength ? int(rng.bounded(maxLength + 1)) : 0;
    QByteArray out;
    out.reserve(length + 1);
    for (int i = 0; i < length; ++i) {
        switch (rng.bounded(6)) {
        case 0:
            out += char(rng.bounded(0x20, 0x7F));
            break;
        case 1:
            out += char(rng.bounded(0x81, 0xA0));
            break;
        case 2:
            out += char(rng.bounded(0xE0, 0xFD));
            break;
        case 3:
            out += char(rng.bounded(0x40, 0xFD));
            break;
        case 4:
            out += kSpecial[rng.bounded(int(sizeof kSpecial - 1))];
            break;
        default:
            out += char(rng.bounded(256));
            break;
        }
    }
    if (cutLeadAtEnd)
        out += char(rng.bounded(2) ? rng.bounded(0x81, 0xA0) : rng.bounded(0xE0, 0xFD));
    return out;
}

// Number of characters as decode() counts them (a raw byte is one character, not two halves).
qsizetype codePoints(const QString& s)
{
    return s.toUcs4().size();
}

} // namespace

class TestCp932 : public QObject {
    Q_OBJECT

private slots:
    void randomBytesRoundTrip_data();
    void randomBytesRoundTrip();
    void knownCharacters_data();
    void knownCharacters();
    void undecodableBytesStayBytes_data();
    void undecodableBytesStayBytes();
    void unencodableCharacters_data();
    void unencodableCharacters();
    void skipChars_data();
    void skipChars();
    void charactersWithTwoCodes_data();
    void charactersWithTwoCodes();
    void everyMappedPairShowsItsCharacter();
    void strayCodeMarksWriteNothing();
};

void TestCp932::randomBytesRoundTrip_data()
{
    QTest::addColumn<int>("maxLength");
    QTest::addColumn<bool>("cutLeadAtEnd");
    QTest::addColumn<int>("seeds");

    QTest::newRow("empty") << 0 << false << 1;
    QTest::newRow("lone lead byte") << 0 << true << 50;
    QTest::newRow("short") << 8 << false << 2000;
    QTest::newRow("short, cut at end") << 8 << true << 2000;
    QTest::newRow("medium") << 100 << false << 500;
    QTest::newRow("long") << 2000 << false << 100;
    QTest::newRow("long, cut at end") << 2000 << true << 100;
}

// Any bytes survive both paths unchanged, the two paths agree, and skipChars finds the byte
// boundary of every character count.
void TestCp932::randomBytesRoundTrip()
{
    QFETCH(int, maxLength);
    QFETCH(bool, cutLeadAtEnd);
    QFETCH(int, seeds);

    for (int seed = 1; seed <= seeds; ++seed) {
        QRandomGenerator rng(quint32(seed * 7919 + maxLength));
        const QByteArray bytes = randomBytes(rng, maxLength, cutLeadAtEnd);

        const QString text = cp932::decode(bytes);
        const QByteArray utf8 = cp932::decodeToUtf8(bytes);
        QCOMPARE(cp932::encode(text), bytes);
        QCOMPARE(cp932::encodeUtf8(utf8), bytes);
        QByteArray appended = "prefix";
        cp932::appendEncodedUtf8(utf8, appended);
        QCOMPARE(appended, "prefix" + bytes);
        QCOMPARE(QString::fromUtf8(utf8), text);
        QVERIFY(utf8.size() <= 4 * bytes.size());

        const QList<uint> chars = text.toUcs4();
        const qsizetype n = chars.isEmpty() ? 0 : qsizetype(rng.bounded(int(chars.size()) + 1));
        const QString head =
            QString::fromUcs4(reinterpret_cast<const char32_t*>(chars.constData()), n);
        QCOMPARE(cp932::skipChars(bytes, n), cp932::encode(head).size());
        QCOMPARE(cp932::skipChars(bytes, chars.size() + 3), bytes.size());
    }
}

void TestCp932::knownCharacters_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    // Trail byte 0x5C: a decoder that takes it for '\\' breaks these.
    QTest::newRow("hyou 0x955C") << QByteArray("\x95\x5C") << QStringLiteral("表");
    QTest::newRow("so 0x835C") << QByteArray("\x83\x5C") << QStringLiteral("ソ");
    QTest::newRow("nou 0x945C") << QByteArray("\x94\x5C") << QStringLiteral("能");
    QTest::newRow("0x5C trails in a path")
        << QByteArray("C:\\\x95\x5C\\\x83\x5C\x83\x74\x83\x67") << QStringLiteral("C:\\表\\ソフト");
    // The Windows forms, not the JIS ones.
    QTest::newRow("wave dash 0x8160") << QByteArray("\x81\x60") << QStringLiteral("\uFF5E");
    QTest::newRow("fullwidth backslash 0x815F")
        << QByteArray("\x81\x5F") << QStringLiteral("\uFF3C");
    QTest::newRow("parallel 0x8161") << QByteArray("\x81\x61") << QStringLiteral("\u2225");
    QTest::newRow("minus 0x817C") << QByteArray("\x81\x7C") << QStringLiteral("\uFF0D");
    QTest::newRow("cent, pound, not")
        << QByteArray("\x81\x91\x81\x92\x81\xCA") << QStringLiteral("\uFFE0\uFFE1\uFFE2");
    // NEC special characters and IBM extensions.
    QTest::newRow("circled one 0x8740") << QByteArray("\x87\x40") << QStringLiteral("①");
    QTest::newRow("kabu 0x878A") << QByteArray("\x87\x8A") << QStringLiteral("㈱");
    QTest::newRow("roman one 0x8754") << QByteArray("\x87\x54") << QStringLiteral("\u2160");
    QTest::newRow("small roman one 0xFA40") << QByteArray("\xFA\x40") << QStringLiteral("\u2170");
    QTest::newRow("IBM kanji 0xFA5C") << QByteArray("\xFA\x5C") << QStringLiteral("\u7E8A");
    QTest::newRow("last IBM kanji 0xFC4B") << QByteArray("\xFC\x4B") << QStringLiteral("\u9ED1");
    // Ordinary text.
    QTest::newRow("ideographic space") << QByteArray("\x81\x40") << QStringLiteral("\u3000");
    QTest::newRow("hiragana and kanji")
        << QByteArray("\x82\xA0\x88\x9F\xEA\xA4") << QStringLiteral("あ亜熙");
    QTest::newRow("column labels")
        << QByteArray("\x83\x75\x83\x89\x83\x45\x83\x55\x3A") << QStringLiteral("ブラウザ:");
    QTest::newRow("half-width katakana")
        << QByteArray("\xA1\xB1\xB2\xDE\xDF") << QStringLiteral("｡ｱｲﾞﾟ");
    QTest::newRow("katakana and ASCII mixed") << QByteArray("a\xB6\xC5"
                                                            "b")
                                              << QStringLiteral("aｶﾅb");
    QTest::newRow("ASCII keeps backslash and tilde") << QByteArray("\\~") << QStringLiteral("\\~");
}

// Both directions, both paths.
void TestCp932::knownCharacters()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);

    QCOMPARE(cp932::decode(bytes), text);
    QCOMPARE(cp932::decodeToUtf8(bytes), text.toUtf8());
    QCOMPARE(cp932::encode(text), bytes);
    QCOMPARE(cp932::encodeUtf8(text.toUtf8()), bytes);
}

void TestCp932::undecodableBytesStayBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<uint>>("chars");

    const uint raw = cp932::kRawByteBase;
    QTest::newRow("0x80 0xA0 0xFD-0xFF")
        << QByteArray("\x80\xA0\xFD\xFE\xFF")
        << QList<uint>{raw + 0x80, raw + 0xA0, raw + 0xFD, raw + 0xFE, raw + 0xFF};
    QTest::newRow("lead byte at the end") << QByteArray("a\x95") << QList<uint>{'a', raw + 0x95};
    // CR and LF are never trail bytes: line splitting depends on it.
    QTest::newRow("lead byte before CR LF")
        << QByteArray("\x95\r\n") << QList<uint>{raw + 0x95, '\r', '\n'};
    QTest::newRow("lead byte before TAB") << QByteArray("\x88\t") << QList<uint>{raw + 0x88, '\t'};
    QTest::newRow("trail 0x7F") << QByteArray("\x81\x7F") << QList<uint>{raw + 0x81, 0x7F};
    QTest::newRow("unmapped pair keeps its second byte")
        << QByteArray("\x85\x40") << QList<uint>{raw + 0x85, '@'};
    QTest::newRow("lead byte before a character")
        << QByteArray("\x85\x88\x9F") << QList<uint>{raw + 0x85, 0x4E9C};
}

void TestCp932::undecodableBytesStayBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<uint>, chars);

    const QString text = cp932::decode(bytes);
    QCOMPARE(text.toUcs4(), chars);
    QCOMPARE(cp932::encode(text), bytes);
    QCOMPARE(cp932::encodeUtf8(cp932::decodeToUtf8(bytes)), bytes);
}

void TestCp932::unencodableCharacters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("accented letter") << QStringLiteral("caf\u00E9") << QByteArray("caf?");
    QTest::newRow("euro sign") << QStringLiteral("\u20AC1") << QByteArray("?1");
    QTest::newRow("yen sign") << QStringLiteral("\u00A5") << QByteArray("?");
    QTest::newRow("emoji is one character")
        << QString::fromUcs4(U"a\U0001F600b", 3) << QByteArray("a?b");
    QTest::newRow("lone high surrogate") << QString(QChar(0xD800)) + u'x' << QByteArray("?x");
    QTest::newRow("lone low surrogate") << QString(QChar(0xDC00)) << QByteArray("?");
    QTest::newRow("replacement character") << QStringLiteral("\uFFFD") << QByteArray("?");
    QTest::newRow("plane 16 outside the raw range")
        << QString::fromUcs4(U"\U0010FE80", 1) << QByteArray("?");
}

void TestCp932::unencodableCharacters()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);

    QCOMPARE(cp932::encode(text), bytes);
    QCOMPARE(cp932::encodeUtf8(text.toUtf8()), bytes);
}

void TestCp932::skipChars_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("chars");
    QTest::addColumn<int>("offset");

    const QByteArray label("\x83\x75\x83\x89\x83\x45\x83\x55:Mozilla");
    QTest::newRow("list label of five characters") << label << 5 << 9;
    QTest::newRow("inside the label") << label << 2 << 4;
    QTest::newRow("zero characters") << label << 0 << 0;
    QTest::newRow("more characters than there are") << QByteArray("\x88\x9F") << 2 << 2;
    QTest::newRow("half-width katakana are single") << QByteArray("\xB1\xB2\xB3") << 2 << 2;
    QTest::newRow("undecodable bytes count one each") << QByteArray("\x80\xFF\xA0z") << 3 << 3;
    QTest::newRow("lead byte before ASCII counts alone") << QByteArray("\x95\tx") << 1 << 1;
    QTest::newRow("cut lead byte at the end") << QByteArray("ab\x95") << 3 << 3;
}

void TestCp932::skipChars()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, chars);
    QFETCH(int, offset);

    QCOMPARE(cp932::skipChars(bytes, chars), qsizetype(offset));
    QCOMPARE(codePoints(cp932::decode(bytes.first(offset))),
             qMin<qsizetype>(chars, codePoints(cp932::decode(bytes))));
}

namespace {

QString withMark(const char16_t* character, char32_t mark)
{
    return QString::fromUtf16(character) + QString::fromUcs4(&mark, 1);
}

} // namespace

void TestCp932::charactersWithTwoCodes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("ownCode"); // what the character alone encodes to

    const char32_t one = cp932::kCodeMarkFirst;
    const char32_t two = cp932::kCodeMarkLast;
    QTest::newRow("NEC 0x8790") << QByteArray("\x87\x90") << withMark(u"≒", one)
                                << QByteArray("\x81\xE0");
    QTest::newRow("NEC-selected IBM 0xED40")
        << QByteArray("\xED\x40") << withMark(u"纊", one) << QByteArray("\xFA\x5C");
    QTest::newRow("IBM 0xFA4A") << QByteArray("\xFA\x4A") << withMark(u"Ⅰ", one)
                                << QByteArray("\x87\x54");
    QTest::newRow("IBM 0xFA59") << QByteArray("\xFA\x59") << withMark(u"№", one)
                                << QByteArray("\x87\x82");
    // Three codes each: the marks tell the two others apart.
    QTest::newRow("NEC-selected IBM 0xEEF9")
        << QByteArray("\xEE\xF9") << withMark(u"￢", one) << QByteArray("\x81\xCA");
    QTest::newRow("IBM 0xFA54") << QByteArray("\xFA\x54") << withMark(u"￢", two)
                                << QByteArray("\x81\xCA");
    QTest::newRow("NEC 0x879A") << QByteArray("\x87\x9A") << withMark(u"∵", one)
                                << QByteArray("\x81\xE6");
    QTest::newRow("IBM 0xFA5B") << QByteArray("\xFA\x5B") << withMark(u"∵", two)
                                << QByteArray("\x81\xE6");
}

// Another code of a character reads as the character and its mark and is written back as read;
// without the mark the character has its own code.
void TestCp932::charactersWithTwoCodes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(QByteArray, ownCode);

    const QByteArray line = "a" + bytes + "b" + bytes;
    const QString lineText = u'a' + text + u'b' + text;
    QCOMPARE(cp932::decode(line), lineText);
    QCOMPARE(cp932::decodeToUtf8(line), lineText.toUtf8());
    QCOMPARE(cp932::encode(lineText), line);
    QCOMPARE(cp932::encodeUtf8(lineText.toUtf8()), line);

    const QString character = text.first(1);
    QCOMPARE(cp932::withoutCodeMarks(lineText), u'a' + character + u'b' + character);
    QByteArray unmarked = "<";
    cp932::appendWithoutCodeMarks(lineText.toUtf8(), unmarked);
    QCOMPARE(unmarked, "<" + (u'a' + character + u'b' + character).toUtf8());
    QCOMPARE(cp932::encode(character), ownCode);
    QCOMPARE(cp932::skipChars(line, 2), 3);
}

// Every pair the system's windows-31j converter maps shows as the same character.
void TestCp932::everyMappedPairShowsItsCharacter()
{
    int otherCodes = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const char pair[2] = {char(lead), char(trail)};
            QStringDecoder system("windows-31j", QStringConverter::Flag::Stateless);
            const QString expected = system.decode(QByteArrayView(pair, 2));
            if (system.hasError() || expected.size() != 1 || expected[0] == QChar(0xFFFD) ||
                expected[0] == QChar(0x1A))
                continue;
            const QString text = cp932::decode(QByteArrayView(pair, 2));
            otherCodes += text.size() > 1 ? 1 : 0;
            QVERIFY2(cp932::withoutCodeMarks(text) == expected,
                     qPrintable(QString::number(lead << 8 | trail, 16)));
        }
    }
    QCOMPARE(otherCodes, 398);
}

void TestCp932::strayCodeMarksWriteNothing()
{
    const QString one = QString::fromUcs4(&cp932::kCodeMarkFirst, 1);
    const QString two = QString::fromUcs4(&cp932::kCodeMarkLast, 1);
    const auto both = [](const QString& text) {
        const QByteArray utf16Path = cp932::encode(text);
        return utf16Path == cp932::encodeUtf8(text.toUtf8()) ? utf16Path : QByteArray("differ");
    };
    QCOMPARE(both(one + u"x"_qs), QByteArray("x"));
    QCOMPARE(both(u"a"_qs + one), QByteArray("a"));
    QCOMPARE(both(u"あ"_qs + one + two), QByteArray("\x82\xA0"));
    // ≒ has one other code only: a second mark names none and the character keeps its own.
    QCOMPARE(both(u"≒"_qs + two), QByteArray("\x81\xE0"));
}

QTEST_GUILESS_MAIN(TestCp932)
#include "tst_cp932.moc"
