#include "core/regular_file.h"
#include "core/web_log.h"
#include "support/test_files.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace tw::weblog;

namespace {

// What parseBody hands over, in order: rows as their nine fields joined by '|', skipped lines.
struct Transcript {
    QStringList rows;
    QList<QByteArray> skippedLines;
    void record(const Record& r)
    {
        QStringList fields;
        for (QByteArrayView field : r.fields)
            fields << QString::fromUtf8(field);
        rows << fields.join(u'|');
    }
    void skipped(QByteArrayView line) { skippedLines << line.toByteArray(); }
    bool operator==(const Transcript&) const = default;
};

Transcript parse(QByteArrayView bytes, ParseState& state)
{
    Transcript t;
    parseBody(Format::W3C, bytes.begin(), bytes.end(), state, t);
    return t;
}

Transcript parse(QByteArrayView bytes)
{
    ParseState state;
    return parse(bytes, state);
}

const QByteArray kIisHead =
    "#Software: Microsoft Internet Information Services 10.0\r\n"
    "#Version: 1.0\r\n"
    "stray line before the fields\r\n"
    "#Date: 2024-03-01 00:00:01\r\n"
    "#Fields: date time s-ip cs-method cs-uri-stem cs-uri-query s-port cs-username c-ip "
    "cs(User-Agent) cs(Referer) sc-status sc-substatus sc-win32-status time-taken\r\n"
    "2024-03-01 00:00:01 10.0.0.5 GET /index.html - 443 - 2001:db8::5 "
    "Mozilla/5.0+(Windows+NT+10.0) https://example.jp/ 200 0 0 15\r\n"
    "2024-03-01 00:00:02 10.0.0.5 GET /s.aspx q=1&r=2 443 - 192.0.2.7 - - 404 0 2 1\n"
    "2024-03-01 00:00:03 10.0.0.5 GET /cut\r\n"
    "2024-02-30 00:00:04 10.0.0.5 GET / - 443 - 192.0.2.7 - - 200 0 0 1\r\n";

// A new block in the middle of the file, with other fields in another order.
const QByteArray kIisTail =
    "#Date: 02-Mar-2024 00:00:00\r\n"
    "#Fields: time c-dns cs-method cs-uri-stem cs-version sc-status sc-bytes cs-host "
    "cs(User-Agent)\r\n"
    "12:30 host.example.jp POST /f HTTP/1.1 201 512 www.example.jp:8080 -\r\n"
    "12:31 192.0.2.9 - - - 408 0 - -\r\n"
    "12:31:05.250 192.0.2.8 GET /%E6%97%A5 HTTP/1.1 200 9 - UA+1.0\r\n"
    "25:00:00 h GET / HTTP/1.1 200 1 - -\r\n"
    "\r\n"
    "12:32 h GET / HTTP/1.1 200 1 - last+line";

// Directives in every place a reader starting in the middle could miss them.
const QByteArray kBlocks = "\xEF\xBB\xBF#Software: test\n"
                           "#Date: 2024-03-01 00:00:00\r\n"
                           "#Fields: time c-ip cs(User-Agent)\n"
                           "00:00:01 192.0.2.1 A#1\n"
                           "#Fields: date time c-ip\r\n"
                           "2024-03-03 00:00:03 192.0.2.3\n"
                           "#Remark: the next block has no date\n"
                           "#Fields: time c-ip\n"
                           "00:00:04 192.0.2.4\n"
                           "\xEF\xBB\xBF#Date: 2024-03-05 00:00:00\n"
                           "00:00:05 192.0.2.5\n"
                           "too many fields here\r\n"
                           "#Fields: time c-ip cs(User-Agent) cs(Referer)\n"
                           "00:00:06 192.0.2.6 B http://example.jp/#x\n";

QList<qsizetype> lineStarts(const QByteArray& bytes)
{
    QList<qsizetype> starts = {0};
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n')
            starts << i + 1;
    }
    return starts;
}

} // namespace

class TestWebLogW3c : public QObject {
    Q_OBJECT

private slots:
    void fieldsByName();
    void statePartway();
};

void TestWebLogW3c::fieldsByName()
{
    const Transcript head = parse(kIisHead);
    QCOMPARE(
        head.rows,
        (QStringList{u"Mozilla/5.0 (Windows NT 10.0)|2001:db8::5|2001:db8::5|2024/03/01 "
                     "00:00:01|https://example.jp/|GET /index.html|200||"_s,
                     u"-|192.0.2.7|192.0.2.7|2024/03/01 00:00:02|-|GET /s.aspx?q=1&r=2|404||"_s}));
    QCOMPARE(head.skippedLines.size(), 3);

    ParseState state;
    const Transcript all = parse(kIisHead + kIisTail, state);
    QCOMPARE(
        all.rows.mid(2),
        (QStringList{
            u"-|host.example.jp||2024/03/02 12:30:00||POST /f HTTP/1.1|201|512|www.example.jp:8080"_s,
            u"-|192.0.2.9|192.0.2.9|2024/03/02 12:31:00||-|408|0|-"_s,
            u"UA 1.0|192.0.2.8|192.0.2.8|2024/03/02 12:31:05||GET /%E6%97%A5 HTTP/1.1|200|9|-"_s,
            u"last line|h||2024/03/02 12:32:00||GET / HTTP/1.1|200|1|-"_s}));
    QCOMPARE(all.skippedLines.mid(3), (QList<QByteArray>{"25:00:00 h GET / HTTP/1.1 200 1 - -"}));
    QCOMPARE(loggedFields(Format::W3C, state), FieldSet().set().reset(PreviousPage));
}

// A part of a log parsed from the state found before it gives what parsing the whole gives.
void TestWebLogW3c::statePartway()
{
    const Transcript whole = parse(kBlocks);
    QCOMPARE(whole.rows.size(), 5);
    QVERIFY(whole.rows.contains(u"A#1|192.0.2.1|192.0.2.1|2024/03/01 00:00:01|||||"_s));
    QVERIFY(whole.rows.contains(u"|192.0.2.4|192.0.2.4||||||"_s));
    QVERIFY(whole.rows.contains(u"|192.0.2.5|192.0.2.5|2024/03/05 00:00:05|||||"_s));

    QTemporaryDir dir;
    const QString path = dir.filePath(u"u_ex240301.log"_s);
    QVERIFY(tw::test::writeBytes(path, kBlocks));
    tw::RegularFile file;
    QCOMPARE(file.open(path), tw::RegularFile::Status::Open);

    for (qsizetype pos : lineStarts(kBlocks)) {
        const QByteArrayView before = QByteArrayView(kBlocks).first(pos);
        const QByteArrayView after = QByteArrayView(kBlocks).sliced(pos);
        const auto joined = [&](ParseState state) {
            Transcript t = parse(before);
            const Transcript rest = parse(after, state);
            t.rows += rest.rows;
            t.skippedLines += rest.skippedLines;
            return t;
        };
        const QByteArray where = "at " + QByteArray::number(pos);
        QVERIFY2(joined(stateBefore(Format::W3C, kBlocks, pos)) == whole, where.constData());
        for (qint64 window : {1, 2, 5, 64})
            QVERIFY2(joined(detail::stateBefore(Format::W3C, file, pos, window)) == whole,
                     where.constData());
        ParseState carried;
        advanceState(Format::W3C, before, carried);
        QVERIFY2(joined(carried) == whole, where.constData());
    }
}

QTEST_GUILESS_MAIN(TestWebLogW3c)
#include "tst_web_log_w3c.moc"
