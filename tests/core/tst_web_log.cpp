#include "core/cp932.h"
#include "core/web_log.h"
#include "core/web_log_parts.h"

#include <QTest>

#include <arpa/inet.h>

using namespace Qt::StringLiterals;
using namespace tw::weblog;

Q_DECLARE_METATYPE(tw::weblog::Format)

namespace {

QStringList texts(const Record& record)
{
    QStringList out;
    for (QByteArrayView field : record.fields)
        out << QString::fromUtf8(field);
    return out;
}

// The nine fields, '|' between them.
QStringList nine(const QString& joined)
{
    return joined.split(u'|');
}

// A Combined line around the given request, status, bytes, referrer and user agent.
QByteArray combined(const char* host, const QByteArray& tail)
{
    return host + QByteArray(" - - [10/Oct/2000:13:55:36 -0700] ") + tail;
}

// What parseBody hands over, in order.
struct Transcript {
    QStringList rows;
    QList<QByteArray> skippedLines;
    void record(const Record& r) { rows << texts(r).join(u'|'); }
    void skipped(QByteArrayView line) { skippedLines << line.toByteArray(); }
};

} // namespace

class TestWebLog : public QObject {
    Q_OBJECT

private slots:
    void fields_data();
    void fields();
    void skippedLines_data();
    void skippedLines();
    void lineEndsAndCounting();
    void addressesAsInetPton();
    void detection_data();
    void detection();
};

void TestWebLog::fields_data()
{
    QTest::addColumn<Format>("format");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QStringList>("expected");
    const QByteArray cp932Nihon = tw::cp932::encode(u"日本");

    QTest::newRow("combined")
        << Format::Combined
        << combined(
               "192.0.2.1",
               R"x("GET /a.gif HTTP/1.0" 200 2326 "http://example.com/s.html" "Mozilla/4.08 [en] (Win98; I ;Nav)")x")
        << nine(u"Mozilla/4.08 [en] (Win98; I ;Nav)|192.0.2.1|192.0.2.1|"
                "2000/10/10 13:55:36|http://example.com/s.html|"
                "GET /a.gif HTTP/1.0|200|2326|"_s);
    QTest::newRow("IPv6 client, no bytes, no referrer")
        << Format::Combined
        << QByteArray(
               R"(2001:db8::8a2e:370:7334 - - [01/Feb/2024:00:00:00 +0900] "GET / HTTP/2.0" 304 - "-" "curl/8.0")")
        << nine(u"curl/8.0|2001:db8::8a2e:370:7334|2001:db8::8a2e:370:7334|2024/02/01 00:00:00|-|"
                "GET / HTTP/2.0|304|-|"_s);
    QTest::newRow("host name, no address")
        << Format::Combined
        << combined("p1.tokyo.example.ne.jp", R"("GET / HTTP/1.0" 200 1 "-" "A")")
        << nine(u"A|p1.tokyo.example.ne.jp||2000/10/10 13:55:36|-|GET / HTTP/1.0|200|1|"_s);
    QTest::newRow("timed-out request, leap day")
        << Format::Combined
        << QByteArray(R"(192.0.2.9 - - [29/Feb/2000:23:59:59 +0000] "-" 408 - "-" "-")")
        << nine(u"-|192.0.2.9|192.0.2.9|2000/02/29 23:59:59|-|-|408|-|"_s);
    QTest::newRow("escaped quotes and backslashes")
        << Format::Combined
        << combined(
               "192.0.2.1",
               R"("GET /q?a=\"1\" HTTP/1.1" 200 5 "-" "Agent \"quoted\" back\\slash \x41 \q \x4")")
        << nine(
               uR"(Agent "quoted" back\slash A \q \x4|192.0.2.1|192.0.2.1|2000/10/10 13:55:36|-|GET /q?a="1" HTTP/1.1|200|5|)"_s);
    QTest::newRow("unescaped quote of older servers")
        << Format::Combined << combined("192.0.2.1", R"("GET /a"b HTTP/1.0" 200 5 "-" "A")")
        << nine(uR"(A|192.0.2.1|192.0.2.1|2000/10/10 13:55:36|-|GET /a"b HTTP/1.0|200|5|)"_s);
    QTest::newRow("UTF-8 and CP932 escaped, each field on its own")
        << Format::Combined
        << combined(
               "192.0.2.1",
               R"("GET /\xe6\x97\xa5 HTTP/1.1" 200 5 "http://example.jp/\x93\xfa\x96\x7b" "\xe6\x97\xa5\xe6\x9c\xac")")
        << nine(
               u"日本|192.0.2.1|192.0.2.1|2000/10/10 13:55:36|http://example.jp/日本|GET /日 HTTP/1.1|200|5|"_s);
    QTest::newRow("raw UTF-8 and CP932 bytes")
        << Format::Combined
        << combined("192.0.2.1", "\"GET / HTTP/1.1\" 200 5 \"http://example.jp/" + cp932Nihon +
                                     "\" \"" + QString(u"日本"_s).toUtf8() + "\"")
        << nine(
               u"日本|192.0.2.1|192.0.2.1|2000/10/10 13:55:36|http://example.jp/日本|GET / HTTP/1.1|200|5|"_s);
    QTest::newRow("bytes that are neither stay as marks")
        << Format::Combined << combined("192.0.2.1", "\"GET / HTTP/1.1\" 200 5 \"\xff\" \"-\"")
        << nine(u"-|192.0.2.1|192.0.2.1|2000/10/10 13:55:36|"_s + QString::fromUcs4(U"\U0010FFFF") +
                u"|GET / HTTP/1.1|200|5|"_s);
    QTest::newRow("fields after the user agent")
        << Format::Combined
        << combined("192.0.2.1", R"("GET / HTTP/1.1" 200 5 "-" "curl/8.0" "203.0.113.5" 0.012)")
        << nine(u"curl/8.0|192.0.2.1|192.0.2.1|2000/10/10 13:55:36|-|GET / HTTP/1.1|200|5|"_s);
    QTest::newRow("common")
        << Format::Common << combined("192.0.2.1", R"("GET / HTTP/1.0" 200 2326)")
        << nine(u"|192.0.2.1|192.0.2.1|2000/10/10 13:55:36||GET / HTTP/1.0|200|2326|"_s);
    QTest::newRow("virtual host with port")
        << Format::VirtualHostCombined
        << "www.example.com:443 " + combined("192.0.2.1", R"("GET / HTTP/1.1" 200 10 "-" "A")")
        << nine(
               u"A|192.0.2.1|192.0.2.1|2000/10/10 13:55:36|-|GET / HTTP/1.1|200|10|www.example.com:443"_s);
    QTest::newRow("virtual host without port")
        << Format::VirtualHostCombined
        << "example.org " + combined("192.0.2.1", R"("GET / HTTP/1.1" 200 10 "-" "A")")
        << nine(u"A|192.0.2.1|192.0.2.1|2000/10/10 13:55:36|-|GET / HTTP/1.1|200|10|example.org"_s);
}

void TestWebLog::fields()
{
    QFETCH(Format, format);
    QFETCH(QByteArray, line);
    QFETCH(QStringList, expected);
    ParseState state;
    Record record;
    QCOMPARE(parseLine(format, line, state, record), LineResult::Record);
    QCOMPARE(texts(record), expected);
}

void TestWebLog::skippedLines_data()
{
    QTest::addColumn<Format>("format");
    QTest::addColumn<QByteArray>("line");
    const auto bad = [](const char* name, Format format, const QByteArray& line) {
        QTest::newRow(name) << format << line;
    };
    const QByteArray tail = R"("GET / HTTP/1.0" 200 1 "-" "A")";
    bad("cut in the user agent", Format::Combined,
        combined("192.0.2.1", R"x("GET / HTTP/1.0" 200 1 "-" "Mozilla/5.0 (X1)x"));
    bad("cut after the status", Format::Combined, combined("192.0.2.1", R"("GET / HTTP/1.0" 200)"));
    bad("cut in the date", Format::Common, "192.0.2.1 - - [10/Oct/2000:13:5");
    bad("garbage", Format::Common, "hello world");
    bad("month", Format::Combined, "h - - [10/Foo/2000:13:55:36 -0700] " + tail);
    bad("31 April", Format::Combined, "h - - [31/Apr/2001:13:55:36 -0700] " + tail);
    bad("29 February 2001", Format::Combined, "h - - [29/Feb/2001:13:55:36 -0700] " + tail);
    bad("hour 24", Format::Combined, "h - - [10/Oct/2000:24:00:00 -0700] " + tail);
    bad("no offset", Format::Combined, "h - - [10/Oct/2000:13:55:36] " + tail);
    bad("status", Format::Combined, combined("h", R"("GET / HTTP/1.0" 20x 1 "-" "A")"));
    bad("bytes", Format::Combined, combined("h", R"("GET / HTTP/1.0" 200 1k "-" "A")"));
    bad("two blanks", Format::Combined, "h  - - [10/Oct/2000:13:55:36 -0700] " + tail);
    bad("combined read as common", Format::Common, combined("h", tail));
    bad("common read as combined", Format::Combined, combined("h", R"("GET / HTTP/1.0" 200 1)"));
    bad("combined read with a virtual host", Format::VirtualHostCombined, combined("h", tail));
    bad("virtual host read as combined", Format::Combined, "v:80 " + combined("h", tail));
}

void TestWebLog::skippedLines()
{
    QFETCH(Format, format);
    QFETCH(QByteArray, line);
    ParseState state;
    Record record;
    QCOMPARE(parseLine(format, line, state, record), LineResult::Skipped);
}

void TestWebLog::lineEndsAndCounting()
{
    const QByteArray a = combined("192.0.2.1", R"("GET /a HTTP/1.0" 200 1 "-" "A")");
    const QByteArray b = combined("192.0.2.2", R"("GET /b HTTP/1.0" 200 2 "-" "B")");
    const QByteArray c = combined("192.0.2.3", R"("GET /c HTTP/1.0" 200 3 "-" "C")");
    const QByteArray body = "\n" + a + "\r\ngarbage\n\r\n" + b + "\n" + a.left(40) + "\n" + c;
    Transcript t;
    ParseState state;
    parseBody(Format::Combined, body.begin(), body.end(), state, t);
    QCOMPARE(t.rows.size(), 3);
    QVERIFY(t.rows[0].startsWith(u"A|192.0.2.1|"_s));
    QVERIFY(t.rows[1].startsWith(u"B|192.0.2.2|"_s));
    QVERIFY(t.rows[2].startsWith(u"C|192.0.2.3|"_s));
    QCOMPARE(t.skippedLines, (QList<QByteArray>{"garbage", a.left(40)}));
}

// The hand-written check must agree with the system's parser on every shape.
void TestWebLog::addressesAsInetPton()
{
    const char* const cases[] = {"1.2.3.4",
                                 "0.0.0.0",
                                 "255.255.255.255",
                                 "256.1.1.1",
                                 "01.2.3.4",
                                 "1.2.3.04",
                                 "1.2.3",
                                 "1.2.3.4.",
                                 ".1.2.3.4",
                                 "1..2.3",
                                 "1.2.3.4.5",
                                 "1234.1.1.1",
                                 "1.2.3.4 ",
                                 "",
                                 "::",
                                 "::1",
                                 "1::",
                                 ":1::",
                                 "1:::2",
                                 "1::2::3",
                                 "::ffff:1.2.3.4",
                                 "::1.2.3",
                                 "1.2.3.4::",
                                 "1:2:3:4:5:6:7:8",
                                 "1:2:3:4:5:6:7:8:9",
                                 "1:2:3:4::5:6:7:8",
                                 "1:2:3:4:5:6:7::",
                                 "::2:3:4:5:6:7:8",
                                 "1:2:3:4:5:6:1.2.3.4",
                                 "1:2:3:4:5:6:7:1.2.3.4",
                                 "1:2:3:4:5::1.2.3.4",
                                 "12345::",
                                 "abcd:EF01::",
                                 "gggg::",
                                 "fe80::1%eth0",
                                 "1:2:3:4:5:6:7:",
                                 ":",
                                 "1:",
                                 "[::1]",
                                 "::ffff:01.2.3.4",
                                 "2001:db8::8a2e:370:7334",
                                 "2001:0db8:0000:0000:0000:0000:0000:0001"};
    for (const char* text : cases) {
        unsigned char buffer[16];
        const bool expected =
            inet_pton(AF_INET, text, buffer) == 1 || inet_pton(AF_INET6, text, buffer) == 1;
        QVERIFY2(tw::weblog::detail::isIpAddress(text) == expected, text);
    }
}

void TestWebLog::detection_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<int>("expected"); // a Format, or -1 for none
    const QByteArray a = combined("192.0.2.1", R"("GET / HTTP/1.0" 200 1 "-" "A")");
    const QByteArray common = combined("192.0.2.1", R"("GET / HTTP/1.0" 200 1)");
    const auto row = [](const char* name, const QByteArray& head, int expected) {
        QTest::newRow(name) << head << expected;
    };
    const int w3c = int(Format::W3C);
    row("combined after empty lines", "\r\n\n" + a + "\r\n" + a + "\r\n", int(Format::Combined));
    row("head cut in a line that does not count", "junk\n" + a + "\n" + a.left(30),
        int(Format::Combined));
    row("one line without a line end", a, int(Format::Combined));
    row("with a byte order mark", "\xEF\xBB\xBF" + a + "\n", int(Format::Combined));
    row("one garbage line among good ones", "junk\n" + a + "\n" + a + "\n", int(Format::Combined));
    row("common", common + "\n" + common + "\n", int(Format::Common));
    row("virtual host with port", "www.example.com:80 " + a + "\n",
        int(Format::VirtualHostCombined));
    row("virtual host without port", "example.org " + a + "\n", int(Format::VirtualHostCombined));
    row("w3c software",
        "#Software: Microsoft Internet Information Services 10.0\r\n#Version: 1.0\r\n", w3c);
    row("w3c version", "\n#Version: 1.0\n#Fields: date time c-ip\n", w3c);
    row("w3c date", "#Date: 2024-03-01 00:00:00\n", w3c);
    row("w3c fields", "#Fields: date time c-ip\n2024-03-01 00:00:00 192.0.2.1\n", w3c);
    row("list file",
        "#Tallyweaver_Header\r\n" +
            tw::cp932::encode(u"ブラウザ:A\tホスト:h\tIP:\t日付時間:x\t前回頁:-\r\n"),
        -1);
    row("comment and text", "# just notes\nhello\n", -1);
    row("error log", "[Tue Oct 10 13:55:36.123 2000] [core:error] [pid 1] AH00001: x\n", -1);
    row("mostly garbage", "x\ny\n" + a + "\n", -1);
    row("empty", "", -1);
    row("blank lines only", "\n \r\n\t\n", -1);
}

void TestWebLog::detection()
{
    QFETCH(QByteArray, head);
    QFETCH(int, expected);
    const std::optional<Format> format = detectFormat(head);
    QCOMPARE(format ? int(*format) : -1, expected);
}

QTEST_GUILESS_MAIN(TestWebLog)
#include "tst_web_log.moc"
