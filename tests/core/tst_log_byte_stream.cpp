#include "core/log_byte_stream.h"
#include "core/regular_file.h"
#include "support/gzip_bytes.h"
#include "support/test_files.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <zlib.h>

#include <future>

using namespace tw;
using Inflate = LogByteStream::Inflate;

using tw::test::gzipMember;

namespace {

// Log-like lines: compress well, yet every position differs.
QByteArray logText(int lines, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray text;
    for (int i = 0; i < lines; ++i)
        text += "192.0.2." + QByteArray::number(random.bounded(256)) +
                " - - [07/Dec/2026:10:00:00 +0000] \"GET /page/" +
                QByteArray::number(random.bounded(100000)) + " HTTP/1.1\" 200 " +
                QByteArray::number(random.bounded(9999)) + " \"-\" \"Mozilla/5.0\"\n";
    return text;
}

struct ReadResult {
    QByteArray bytes;
    bool compressed = false;
    bool cutShort = false;
    QString errorText;
    qint64 compressedRead = 0;
    bool progressMonotonic = true;
};

// Reads the whole file through a stream in pieces of `piece` bytes.
ReadResult readThrough(const QString& path, Inflate inflate = Inflate::Ahead,
                       qint64 piece = 3 << 20)
{
    RegularFile file;
    if (file.open(path) != RegularFile::Status::Open)
        qFatal("cannot open the test file");
    const auto stream = LogByteStream::open(file, inflate);
    ReadResult result;
    QByteArray buffer(piece, Qt::Uninitialized);
    qint64 got = 0;
    while ((got = stream->read(buffer.data(), piece)) > 0) {
        result.bytes.append(buffer.constData(), got);
        result.progressMonotonic = result.progressMonotonic &&
                                   stream->compressedBytesRead() >= result.compressedRead &&
                                   stream->compressedBytesRead() <= file.size();
        result.compressedRead = stream->compressedBytesRead();
    }
    if (got < 0)
        qFatal("read error");
    result.compressed = stream->isCompressed();
    result.cutShort = stream->cutShort();
    result.errorText = stream->errorText();
    result.compressedRead = stream->compressedBytesRead();
    return result;
}

void addModes()
{
    QTest::addColumn<Inflate>("inflate");
    QTest::newRow("ahead") << Inflate::Ahead;
    QTest::newRow("caller thread") << Inflate::OnCallerThread;
}

} // namespace

class TestLogByteStream : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString put(const QByteArray& bytes)
    {
        static int n = 0;
        const QString path = m_dir.filePath(QString::number(++n));
        if (!test::writeBytes(path, bytes))
            qFatal("cannot write the test file");
        return path;
    }

private slots:
    void roundTrips_data() { addModes(); }
    // Content of every size and kind comes back whole, also across members made at different
    // levels (as `cat a.gz b.gz` makes) and read in odd pieces; progress ends at the file size.
    void roundTrips()
    {
        QFETCH(Inflate, inflate);
        const QByteArray text = logText(200000, 1); // more than the read-ahead ring holds
        QByteArray noise(300000, Qt::Uninitialized);
        QRandomGenerator(2).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
        const QList<QByteArray> members = {text, {}, noise, "x", text.left(70000)};
        QByteArray file;
        QByteArray whole;
        int level = 0;
        for (const QByteArray& m : members) {
            file += gzipMember(m, level++ % 10);
            whole += m;
        }
        const QString path = put(file);
        for (const qint64 piece : {qint64(1) << 22, qint64(65521), qint64(7)}) {
            const ReadResult r = readThrough(path, inflate, piece);
            QVERIFY(r.bytes == whole);
            QVERIFY(r.compressed);
            QVERIFY(!r.cutShort);
            QVERIFY(r.progressMonotonic);
            QCOMPARE(r.compressedRead, qint64(file.size()));
        }
        for (const QByteArray& m : {QByteArray(), text}) {
            const ReadResult r = readThrough(put(gzipMember(m, 9)), inflate);
            QVERIFY(r.bytes == m);
            QVERIFY(!r.cutShort);
        }
    }

    void cutsDeliverAPrefix_data() { addModes(); }
    // A file cut anywhere gives exactly a prefix of its content, more the later the cut, with
    // every byte before the cut used, and is reported as cut short, except at a member's end.
    void cutsDeliverAPrefix()
    {
        QFETCH(Inflate, inflate);
        const QByteArray first = logText(20000, 3);
        const QByteArray second = logText(300, 4);
        const QByteArray firstMember = gzipMember(first);
        const QByteArray file = firstMember + gzipMember(second, 1);
        const QByteArray whole = first + second;
        QList<qsizetype> cuts;
        for (qsizetype cut = 2; cut < 80; ++cut)
            cuts << cut;
        for (qsizetype cut = 80; cut < file.size(); cut += file.size() / 97)
            cuts << cut;
        for (qsizetype back = 1; back <= 9; ++back)
            cuts << firstMember.size() - back << file.size() - back;
        cuts << firstMember.size() + 1;
        cuts.removeAll(firstMember.size());
        std::sort(cuts.begin(), cuts.end());
        qsizetype delivered = 0;
        for (const qsizetype cut : cuts) {
            const ReadResult r = readThrough(put(file.left(cut)), inflate);
            QVERIFY2(whole.startsWith(r.bytes), qPrintable(QString::number(cut)));
            QVERIFY(r.bytes.size() >= delivered);
            delivered = r.bytes.size();
            QVERIFY2(r.cutShort && !r.errorText.isEmpty(), qPrintable(QString::number(cut)));
            QCOMPARE(r.compressedRead, qint64(cut));
        }
        // Only the trailer was missing: all of the member came through.
        QCOMPARE(readThrough(put(file.left(firstMember.size() - 1)), inflate).bytes, first);
        // Cut right after a member: a whole file of fewer members.
        const ReadResult atEnd = readThrough(put(firstMember), inflate);
        QVERIFY(atEnd.bytes == first && !atEnd.cutShort);
    }

    // Damage stops the reading there and is reported; the members before it come through.
    void damageIsReported()
    {
        const QByteArray text = logText(5000, 5);
        const QByteArray member = gzipMember(text);
        const auto damaged = [&](QByteArray file, qsizetype at, char byte) {
            file[at] = byte;
            return readThrough(put(file));
        };
        // Inside the deflate data: the read ends without hanging or crashing.
        for (const qsizetype at : {qsizetype(10), member.size() / 3, member.size() / 2}) {
            const ReadResult r = damaged(member, at, char(~member.at(at)));
            QVERIFY(r.cutShort);
            QVERIFY(!r.errorText.isEmpty());
        }
        // A wrong CRC: all of the data, but not taken as sound.
        const qsizetype crc = member.size() - 8;
        const ReadResult badCheck = damaged(member, crc, char(~member.at(crc)));
        QVERIFY(badCheck.cutShort);
        QCOMPARE(badCheck.bytes, text);
        // The second member's header names an unknown method: the first member only.
        const ReadResult badHeader = damaged(member + member, member.size() + 2, 9);
        QVERIFY(badHeader.cutShort);
        QCOMPARE(badHeader.bytes, text);
    }

    // Zero padding after the last member is tolerated however long; other bytes after it, even
    // after padding, are damage, but the content was all delivered.
    void trailingBytes()
    {
        const QByteArray text = logText(100, 6);
        const QByteArray file = gzipMember(text) + gzipMember("tail\n");
        const QByteArray padding(600 * 1024, '\0'); // longer than one input buffer
        for (const QByteArray& tail : {QByteArray(1, '\0'), padding}) {
            const ReadResult r = readThrough(put(file + tail));
            QCOMPARE(r.bytes, text + "tail\n");
            QVERIFY(!r.cutShort);
            QCOMPARE(r.compressedRead, qint64(file.size() + tail.size()));
        }
        for (const QByteArray& tail : {QByteArray("garbage"), padding + "x"}) {
            const ReadResult r = readThrough(put(file + tail));
            QCOMPARE(r.bytes, text + "tail\n");
            QVERIFY(r.cutShort);
        }
    }

    // Gzip is told by the header, not by two bytes: a file that only starts with 1f 8b (or is
    // empty, or plain text) is read as it is; 1f 8b alone is a gzip file cut short.
    void plainFiles()
    {
        const QList<QByteArray> plain = {
            QByteArray(),
            "#Tallyweaver_Header\r\n",
            QByteArrayLiteral("\x1f\x8b\x07\x00 not deflate"),
            QByteArrayLiteral("\x1f\x8b\x08\x80 reserved flag"),
            "\x1f",
        };
        for (const QByteArray& bytes : plain) {
            const ReadResult r = readThrough(put(bytes), Inflate::Ahead, 5);
            QCOMPARE(r.bytes, bytes);
            QVERIFY(!r.compressed && !r.cutShort);
            QCOMPARE(r.compressedRead, qint64(bytes.size()));
        }
        const ReadResult magicOnly = readThrough(put("\x1f\x8b"));
        QVERIFY(magicOnly.compressed && magicOnly.cutShort && magicOnly.bytes.isEmpty());
    }

    // A huge expansion comes through whole, around and around the read-ahead ring; a stream
    // abandoned early (the reader refused the first lines, or the rows ran into its memory limit)
    // ends at once although its inflating thread has the ring full.
    void hugeExpansion()
    {
        constexpr qsizetype kSize = 64 << 20;
        QString path;
        {
            const QByteArray zeros(kSize, '\0');
            path = put(gzipMember(zeros, 1));
        }
        const ReadResult whole = readThrough(path);
        QCOMPARE(whole.bytes.size(), kSize);
        QVERIFY(whole.bytes.count('\0') == kSize && !whole.cutShort);

        RegularFile file;
        QCOMPARE(file.open(path), RegularFile::Status::Open);
        auto stream = LogByteStream::open(file);
        char head[16];
        QCOMPARE(stream->read(head, sizeof head), qint64(sizeof head));
        QTest::qWait(50);
        auto ended = std::async(std::launch::async, [&] { stream.reset(); });
        if (ended.wait_for(std::chrono::seconds(20)) != std::future_status::ready)
            qFatal("the stream does not end");
    }
};

QTEST_GUILESS_MAIN(TestLogByteStream)
#include "tst_log_byte_stream.moc"
