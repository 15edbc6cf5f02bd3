#include "core/log_reader.h"
#include "support/gzip_bytes.h"
#include "support/test_files.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tw;
using namespace tw::test;
using namespace Qt::StringLiterals;

namespace {

// Every field of every row, the fields the rows came with and what was left out.
struct Rows {
    QList<QByteArrayList> rows;
    FieldSet fields = 0;
    qint64 skipped = 0;
    QStringList firstSkipped;
    bool operator==(const Rows&) const = default;
};

Rows rowsOf(const ReadResult& r)
{
    Rows out;
    for (qsizetype i = 0; i < r.batch.size(); ++i) {
        QByteArrayList fields;
        for (int k = 0; k < kMaxFieldCount; ++k)
            fields << r.batch.row(i).field(k).toByteArray();
        out.rows << fields;
    }
    out.fields = r.batch.fields();
    out.skipped = r.skippedLines;
    out.firstSkipped = r.firstSkipped;
    return out;
}

// Shrinks the reader's pieces so that small files are cut at many places.
class SmallPieces {
public:
    SmallPieces(qint64 chunk, int ranges) : m_saved(detail::readerSplit())
    {
        detail::setReaderSplit({chunk, chunk, ranges});
    }
    ~SmallPieces() { detail::setReaderSplit(m_saved); }

private:
    detail::ReaderSplit m_saved;
};

// A log with lines of every kind the parsers skip, spread through it.
QByteArray withBadLines(const QByteArray& log)
{
    QByteArrayList lines = log.split('\n');
    for (qsizetype i = lines.size() - 1; i > 0; i -= 37)
        lines.insert(i, "garbage line " + QByteArray::number(i));
    return lines.join('\n');
}

} // namespace

class TestWebLogReader : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // A log read from a file in ranges on several threads, or from its gzip stream in pieces,
    // gives the rows, fields and skipped lines of the same bytes parsed whole on one thread,
    // wherever the cuts fall (a W3C log changes its fields halfway).
    void sameRowsWhateverTheCuts_data()
    {
        QTest::addColumn<QString>("sample");
        QTest::addColumn<LogLayout>("layout");
        QTest::newRow("Combined") << u"access.log"_s << LogLayout::Combined;
        QTest::newRow("W3C") << u"u_ex261201.log"_s << LogLayout::W3C;
    }

    void sameRowsWhateverTheCuts()
    {
        QFETCH(QString, sample);
        QFETCH(LogLayout, layout);
        const QByteArray log =
            withBadLines(readBytes(sourcePath(u"resources/samples/"_s + sample)));
        const ReadResult whole = parseLogBytes(log);
        QCOMPARE(whole.layout, layout);
        const Rows expected = rowsOf(whole);
        QVERIFY(expected.rows.size() >= 150 && expected.skipped >= 5);
        QVERIFY(expected.fields & (1u << ColStatus));

        const QString plain = m_dir.filePath(sample);
        const QString packed = plain + u".gz"_s;
        QVERIFY(writeBytes(plain, log));
        QVERIFY(writeBytes(packed, gzipMember(log.first(log.size() / 3)) +
                                       gzipMember(log.sliced(log.size() / 3))));
        for (const auto& [chunk, ranges] :
             {std::pair{qint64(1000), 7}, {qint64(3000), 3}, {qint64(1) << 20, 0}}) {
            const SmallPieces pieces(chunk, ranges);
            for (const QString& path : {plain, packed}) {
                const ReadResult read = readLogFile(path);
                QCOMPARE(read.status, ReadStatus::Ok);
                QCOMPARE(read.layout, layout);
                QCOMPARE(rowsOf(read), expected);
                QVERIFY(!read.cutShort);
            }
        }
    }

    // A gzip log cut short gives the rows up to the cut and says so.
    void cutGzipGivesThePrefix()
    {
        const QByteArray log = readBytes(sourcePath(u"resources/samples/access.log"_s));
        const Rows all = rowsOf(parseLogBytes(log));
        const QByteArray packed = gzipMember(log, 9);
        const QString path = m_dir.filePath(u"cut.log.gz"_s);
        for (const qsizetype cut : {packed.size() / 2, packed.size() - 4}) {
            QVERIFY(writeBytes(path, packed.first(cut)));
            const ReadResult read = readLogFile(path);
            QCOMPARE(read.status, ReadStatus::Ok);
            QVERIFY(read.cutShort);
            const Rows got = rowsOf(read);
            QVERIFY(got.rows.size() > 10 && got.rows.size() <= all.rows.size());
            // The last line may have been cut anywhere; the ones before it are whole.
            QCOMPARE(got.rows.first(got.rows.size() - 1), all.rows.first(got.rows.size() - 1));
        }
    }

    // Told the layout, a file is read as that, header or no header; a web format that no line
    // of the file matches gives no rows and is no log.
    void forcedLayouts()
    {
        const QByteArray record =
            listFileBytes({{u"Mozilla"_s, u"h"_s, u"1.2.3.4"_s, u"2001/05/01 09:05:33"_s, u"-"_s}})
                .sliced(qsizetype(strlen(kListHeaderLine)) + 2);
        const ReadResult raw = parseLogBytes(record + record, LogLayout::List);
        QCOMPARE(raw.status, ReadStatus::Ok);
        QCOMPARE(raw.batch.size(), 2);
        QCOMPARE(parseLogBytes(record).status, ReadStatus::UnknownLayout);

        const ReadResult csv = parseLogBytes("\"a\",\"b\",\"c\",\"d\",\"e\"\r\n", LogLayout::Csv);
        QCOMPARE(csv.batch.size(), 1);
        QCOMPARE(csv.batch.row(0).field(ColPreviousPage), QByteArrayView("e"));

        const ReadResult notWeb = parseLogBytes(record, LogLayout::Combined);
        QCOMPARE(notWeb.status, ReadStatus::UnknownLayout);
        QVERIFY(isWebServerLayout(notWeb.layout));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestWebLogReader)
#include "tst_web_log_reader.moc"
