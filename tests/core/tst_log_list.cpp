#include "core/cp932.h"
#include "core/log_list.h"

#include <QTest>

using namespace tw;

namespace {

const QString kIE = QStringLiteral("Mozilla/4.0 (compatible; MSIE 5.5; Windows 98)");
const QString kNN = QStringLiteral("Mozilla/4.7 [ja] (X11; I; Linux 2.2.14 i686)");
const QString kWwwc = QStringLiteral("WWWC/1.04");
const QString kWin2000 = QStringLiteral("Mozilla/4.0 (compatible; MSIE 5.01; Windows NT 5.0)");

AccessRecord rec(const QString& browser, const QString& host = QStringLiteral("h"),
                 const QString& ip = QStringLiteral("1.2.3.4"))
{
    return {browser, host, ip, QStringLiteral("2001/02/03 04:05:06"), QStringLiteral("-")};
}

LogBatch batchOf(const QList<AccessRecord>& records)
{
    LogBatch batch;
    for (const AccessRecord& r : records)
        batch.addRecord(r);
    return batch;
}

QStringList column(const LogList& list, int col)
{
    QStringList out;
    for (qsizetype i = 0; i < list.rowCount(); ++i)
        out << list.text(i, col);
    return out;
}

QStringList captions(const LogList& list)
{
    QStringList out;
    for (int k = 0; k < kColumnCount; ++k)
        out << list.headerCaption(k);
    return out;
}

QStringList texts(std::initializer_list<const char*> utf8)
{
    QStringList out;
    for (const char* s : utf8)
        out << QString::fromUtf8(s);
    return out;
}

qint64 tally(const LogList& list, BrowserClass c)
{
    return list.browserTally()[std::size_t(c)];
}

qint64 tally(const LogList& list, PlatformClass c)
{
    return list.platformTally()[std::size_t(c)];
}

qint64 sum(const auto& counters)
{
    qint64 s = 0;
    for (qint64 c : counters)
        s += c;
    return s;
}

// Five rows whose hosts are e, c, a, d, b, so every sort moves them.
void fillHosts(LogList& list)
{
    QList<AccessRecord> records;
    for (const char* host : {"e", "c", "a", "d", "b"})
        records << rec(kNN, QString::fromLatin1(host), QString::fromLatin1(host) + u'.');
    list.append(batchOf(records));
}

} // namespace

class TestLogList : public QObject {
    Q_OBJECT

private slots:
    void appendKeepsRecordsAndOrder();
    void appendClassifiesAndTallies();
    void userPlatformsApplyToLaterRows();
    void talliesOutliveRemovedRows();
    void clearResetsEverything();
    void removeRows_data();
    void removeRows();
    void sortByHeader_data();
    void sortByHeader();
    void sortComparesText_data();
    void sortComparesText();
    void sortKeepsOrderOfEqualTexts();
    void appendWhileSortedResorts();
    void appendWithSortingSuspended();
    void arrangementsChangeNothingUntilAdopted();
    void rowsWithMoreFieldsJoinAList();
    void bigBatchesKeepTheirTextsWhenTheirLastBlockIsTrimmed();
};

void TestLogList::appendKeepsRecordsAndOrder()
{
    const AccessRecord odd{QStringLiteral("表ソ能①"), cp932::decode("h\x80\xFF"), QString(),
                           QStringLiteral("2001年"), QStringLiteral("http://x/ｶﾅ")};
    LogList list;
    list.append(batchOf({rec(kIE), odd}));
    list.appendRecord(rec(kWwwc));
    QCOMPARE(list.rowCount(), qsizetype(3));
    QCOMPARE(list.record(0), rec(kIE));
    QCOMPARE(list.record(1), odd);
    QCOMPARE(list.record(2), rec(kWwwc));
    QCOMPARE(cp932::encodeUtf8(list.field(1, ColHost)), QByteArray("h\x80\xFF"));
}

void TestLogList::appendClassifiesAndTallies()
{
    LogList list;
    list.append(batchOf({rec(kIE), rec(kNN), rec(kIE), rec(kWwwc), rec(QString()), rec(kWin2000)}));

    const QList<BrowserClass> classes{BrowserClass::IE,   BrowserClass::NN,  BrowserClass::IE,
                                      BrowserClass::WWWC, BrowserClass::EXE, BrowserClass::IE};
    for (qsizetype i = 0; i < classes.size(); ++i)
        QCOMPARE(list.browserClass(i), classes[i]);

    QCOMPARE(tally(list, BrowserClass::IE), 3);
    QCOMPARE(tally(list, BrowserClass::NN), 1);
    QCOMPARE(tally(list, BrowserClass::WWWC), 1);
    QCOMPARE(tally(list, BrowserClass::EXE), 1);
    QCOMPARE(tally(list, PlatformClass::Win98), 2);
    QCOMPARE(tally(list, PlatformClass::Unix), 1);
    QCOMPARE(tally(list, PlatformClass::Wwwc), 1);
    QCOMPARE(tally(list, PlatformClass::Other), 1);
    QCOMPARE(tally(list, PlatformClass::Win2000), 1);
    QCOMPARE(sum(list.platformTally()), 6);
}

void TestLogList::userPlatformsApplyToLaterRows()
{
    LogList list;
    list.append(batchOf({rec(kIE)}));
    list.setUserPlatforms(UserPlatforms({QStringLiteral("Windows")}));
    list.append(batchOf({rec(kIE), rec(kWin2000)}));

    // The first row stays counted as it was; rows added afterwards go to the user class.
    QCOMPARE(tally(list, PlatformClass::Win98), 1);
    QCOMPARE(tally(list, PlatformClass::User1), 2);
    QCOMPARE(tally(list, PlatformClass::Win2000), 0);
}

void TestLogList::talliesOutliveRemovedRows()
{
    LogList list;
    list.append(batchOf({rec(kIE), rec(kNN), rec(kIE)}));
    list.removeRows({0, 1, 2});
    QCOMPARE(list.rowCount(), qsizetype(0));
    QCOMPARE(tally(list, BrowserClass::IE), 2);
    QCOMPARE(tally(list, BrowserClass::NN), 1);

    list.append(batchOf({rec(kIE), rec(kWwwc)}));
    QCOMPARE(list.rowCount(), qsizetype(2));
    QCOMPARE(tally(list, BrowserClass::IE), 3);
    QCOMPARE(tally(list, BrowserClass::WWWC), 1);
    QCOMPARE(sum(list.browserTally()), 5);
    QCOMPARE(sum(list.platformTally()), 5);
}

void TestLogList::clearResetsEverything()
{
    LogList list;
    fillHosts(list);
    list.sortByHeader(ColHost);
    list.sortByHeader(ColIP);

    list.clear();
    QCOMPARE(list.rowCount(), qsizetype(0));
    QCOMPARE(sum(list.browserTally()), 0);
    QCOMPARE(sum(list.platformTally()), 0);
    QVERIFY(!list.isSorted());
    for (int k = 0; k < kColumnCount; ++k) {
        QCOMPARE(list.sortDirection(k), 0);
        QCOMPARE(list.headerCaption(k), columnCaption(k));
    }

    // After a clear the next click sorts ascending again, and rows come in unsorted.
    fillHosts(list);
    QCOMPARE(column(list, ColHost), texts({"e", "c", "a", "d", "b"}));
    list.sortByHeader(ColHost);
    QCOMPARE(column(list, ColHost), texts({"a", "b", "c", "d", "e"}));
}

void TestLogList::removeRows_data()
{
    QTest::addColumn<QList<qsizetype>>("remove");
    QTest::addColumn<QStringList>("left");

    // Hosts are e, c, a, d, b.
    QTest::newRow("rows 2, 3 and 5") << QList<qsizetype>{1, 2, 4} << texts({"e", "d"});
    QTest::newRow("any order, duplicates") << QList<qsizetype>{4, 1, 2, 4, 1} << texts({"e", "d"});
    QTest::newRow("out of range ignored")
        << QList<qsizetype>{-1, 5, 99, 0} << texts({"c", "a", "d", "b"});
    QTest::newRow("nothing") << QList<qsizetype>{} << texts({"e", "c", "a", "d", "b"});
    QTest::newRow("everything") << QList<qsizetype>{0, 1, 2, 3, 4} << QStringList();
}

void TestLogList::removeRows()
{
    QFETCH(QList<qsizetype>, remove);
    QFETCH(QStringList, left);

    LogList list;
    fillHosts(list);
    list.removeRows(remove);
    QCOMPARE(column(list, ColHost), left);
    // The row texts stay whole: other columns still belong to the same rows.
    for (qsizetype i = 0; i < list.rowCount(); ++i)
        QCOMPARE(list.text(i, ColIP), list.text(i, ColHost) + u'.');
}

void TestLogList::sortByHeader_data()
{
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<QStringList>("hosts");
    QTest::addColumn<QStringList>("captions");

    const QString host = QStringLiteral("ホスト"), ip = QStringLiteral("IP");
    auto caps = [](const QString& hostCaption, const QString& ipCaption) {
        return QStringList{QStringLiteral("ブラウザ"), hostCaption, ipCaption,
                           QStringLiteral("日付時間"), QStringLiteral("前回頁")};
    };
    const QStringList up = texts({"a", "b", "c", "d", "e"});
    const QStringList down = texts({"e", "d", "c", "b", "a"});

    QTest::newRow("host once") << QList<int>{ColHost} << up
                               << caps(QStringLiteral("ホスト(昇)"), ip);
    QTest::newRow("host twice") << QList<int>{ColHost, ColHost} << down
                                << caps(QStringLiteral("ホスト(降)"), ip);
    QTest::newRow("host three times")
        << QList<int>{ColHost, ColHost, ColHost} << up << caps(QStringLiteral("ホスト(昇)"), ip);
    // Each column keeps its own direction.
    QTest::newRow("host, IP, host")
        << QList<int>{ColHost, ColIP, ColHost} << down << caps(QStringLiteral("ホスト(降)"), ip);
    QTest::newRow("host, IP") << QList<int>{ColHost, ColIP} << up
                              << caps(host, QStringLiteral("IP(昇)"));
    QTest::newRow("host, host, IP, IP") << QList<int>{ColHost, ColHost, ColIP, ColIP} << down
                                        << caps(host, QStringLiteral("IP(降)"));
    QTest::newRow("outside the columns")
        << QList<int>{ColHost, -1, kColumnCount} << up << caps(QStringLiteral("ホスト(昇)"), ip);
}

void TestLogList::sortByHeader()
{
    QFETCH(QList<int>, clicks);
    QFETCH(QStringList, hosts);
    QFETCH(QStringList, captions);

    LogList list;
    fillHosts(list);
    QVERIFY(!list.isSorted());
    for (int c : clicks)
        list.sortByHeader(c);
    QVERIFY(list.isSorted());
    QCOMPARE(column(list, ColHost), hosts);
    QCOMPARE(::captions(list), captions);
}

void TestLogList::sortComparesText_data()
{
    QTest::addColumn<int>("col");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QStringList>("ascending");

    QTest::newRow("IP addresses as text")
        << int(ColIP) << texts({"9.0.0.1", "192.168.0.1", "10.0.0.1"})
        << texts({"10.0.0.1", "192.168.0.1", "9.0.0.1"});
    QTest::newRow("date-time as text")
        << int(ColDateTime) << texts({"2001/9/1", "2001/10/1", "2001/09/30"})
        << texts({"2001/09/30", "2001/10/1", "2001/9/1"});
    QTest::newRow("empty first, case matters")
        << int(ColBrowser) << texts({"b", "B", "", "a"}) << texts({"", "B", "a", "b"});
}

void TestLogList::sortComparesText()
{
    QFETCH(int, col);
    QFETCH(QStringList, values);
    QFETCH(QStringList, ascending);

    LogList list;
    for (const QString& v : values) {
        AccessRecord r = rec(kNN);
        r.field(col) = v;
        list.appendRecord(r);
    }
    list.sortByHeader(col);
    QCOMPARE(column(list, col), ascending);
    list.sortByHeader(col);
    QStringList descending = ascending;
    std::reverse(descending.begin(), descending.end());
    QCOMPARE(column(list, col), descending);
}

// Sorting by one column after another keeps rows of equal text in their previous order.
void TestLogList::sortKeepsOrderOfEqualTexts()
{
    LogList list;
    for (const char* pair : {"x2", "y1", "x1", "y2"}) {
        list.appendRecord(rec(kNN, QString::fromLatin1(pair, 1), QString::fromLatin1(pair + 1)));
    }
    list.sortByHeader(ColIP);
    list.sortByHeader(ColHost);
    QCOMPARE(column(list, ColIP), texts({"1", "2", "1", "2"}));
    QCOMPARE(column(list, ColHost), texts({"x", "x", "y", "y"}));
}

void TestLogList::appendWhileSortedResorts()
{
    LogList list;
    fillHosts(list);
    list.sortByHeader(ColHost);
    list.sortByHeader(ColHost); // descending
    list.append(batchOf({rec(kIE, QStringLiteral("f")), rec(kIE, QStringLiteral("bb"))}));
    QCOMPARE(column(list, ColHost), texts({"f", "e", "d", "c", "bb", "b", "a"}));
    QCOMPARE(list.headerCaption(ColHost), QStringLiteral("ホスト(降)"));
}

// The Append command turns sorted mode off while it reads and back on afterwards.
void TestLogList::appendWithSortingSuspended()
{
    LogList list;
    fillHosts(list);
    list.sortByHeader(ColHost);
    list.setSorted(false);
    list.append(batchOf({rec(kIE, QStringLiteral("0"))}));
    QCOMPARE(column(list, ColHost), texts({"a", "b", "c", "d", "e", "0"}));
    list.setSorted(true);
    QCOMPARE(column(list, ColHost), texts({"0", "a", "b", "c", "d", "e"}));
    QCOMPARE(list.headerCaption(ColHost), QStringLiteral("ホスト(昇)"));
    QCOMPARE(list.sortDirection(ColHost), 1);

    // Never clicked: turning sorted mode on leaves the file order.
    LogList fresh;
    fillHosts(fresh);
    fresh.setSorted(true);
    QCOMPARE(column(fresh, ColHost), texts({"e", "c", "a", "d", "b"}));
}

// A new order is computed while the list stays as it was; adopting it changes the rows, the
// sort state and, for appended rows, the tallies, in one step.
void TestLogList::arrangementsChangeNothingUntilAdopted()
{
    LogList list;
    fillHosts(list);
    list.sortByHeader(ColHost);
    QStringList duringWork;
    int works = 0;
    list.setLongWorkRunner([&](const std::function<void()>& work) {
        ++works;
        duringWork = column(list, ColHost);
        work();
    });
    RowArrangement down = list.arrangeByHeader(ColHost);
    QCOMPARE(duringWork, texts({"a", "b", "c", "d", "e"}));
    QCOMPARE(column(list, ColHost), duringWork);
    QCOMPARE(list.headerCaption(ColHost), QStringLiteral("ホスト(昇)"));
    list.adopt(std::move(down));
    QCOMPARE(column(list, ColHost), texts({"e", "d", "c", "b", "a"}));
    QCOMPARE(list.headerCaption(ColHost), QStringLiteral("ホスト(降)"));

    const qint64 counted = sum(list.browserTally());
    RowArrangement more = list.arrangeWithAppended(batchOf({rec(kIE, QStringLiteral("f"))}));
    QCOMPARE(list.rowCount(), 5);
    QCOMPARE(sum(list.browserTally()), counted);
    list.adopt(std::move(more));
    QCOMPARE(column(list, ColHost), texts({"f", "e", "d", "c", "b", "a"}));
    QCOMPARE(tally(list, BrowserClass::IE), 1);

    // Memory runs out while the rows are ordered, after they were classified: nothing changes.
    works = 0;
    list.setLongWorkRunner([&](const std::function<void()>& work) {
        if (++works > 1)
            throw std::bad_alloc();
        work();
    });
    QVERIFY_THROWS_EXCEPTION(std::bad_alloc, list.append(batchOf({rec(kIE, QStringLiteral("g"))})));
    QCOMPARE(works, 2);
    QCOMPARE(column(list, ColHost), texts({"f", "e", "d", "c", "b", "a"}));
    QCOMPARE(tally(list, BrowserClass::IE), 1);
    QCOMPARE(list.headerCaption(ColHost), QStringLiteral("ホスト(降)"));
}

// A web log's rows carry more fields than a list file's; both kinds live in one list. Every
// row reads back what it was given, whatever the alignment of its texts, and the list knows the
// union of the fields, sorts by any of them and forgets them when cleared.
void TestLogList::rowsWithMoreFieldsJoinAList()
{
    LogList list;
    list.append(batchOf({rec(kIE, QStringLiteral("a"))}));
    QCOMPARE(list.fields(), kColumnFields);

    LogBatch web;
    web.setFields(kColumnFields | (1u << ColRequest) | (1u << ColStatus));
    const QList<QByteArrayList> rows = {
        {"UA x", "h2", "", "2026/12/01 10:00:00", "-", "GET /b", "404"},
        {"", "h", "", "", "", "GET /a", "200"},
        {"UA", "h3", "10.0.0.1", "d", "r", "", "5"}};
    for (const QByteArrayList& fields : rows) {
        std::vector<QByteArrayView> views(fields.begin(), fields.end());
        web.addRow(views.data(), int(views.size()));
    }
    list.append(std::move(web));
    QVERIFY(list.hasField(ColStatus) && !list.hasField(ColBytes));
    QCOMPARE(list.text(0, ColHost), QStringLiteral("a"));
    QVERIFY(list.field(0, ColRequest).isNull() && list.field(0, ColVirtualHost).isNull());
    for (qsizetype i = 0; i < rows.size(); ++i) {
        for (int k = 0; k < rows[i].size(); ++k)
            QCOMPARE(list.field(i + 1, k).toByteArray(), rows[i][k]);
        QCOMPARE(list.row(i + 1).size(), quint32(rows[i].join().size()));
    }

    list.sortByHeader(ColStatus);
    QCOMPARE(column(list, ColStatus), QStringList({QString(), QStringLiteral("200"),
                                                   QStringLiteral("404"), QStringLiteral("5")}));
    list.sortByHeader(ColBytes); // no such field: nothing happens
    QCOMPARE(list.sortColumn(), int(ColStatus));

    list.clear();
    QCOMPARE(list.fields(), kColumnFields);
}

// Batches of several MB end in partly filled blocks whose unused ends are given back when they
// join a list or another batch: every text must stay where its row points.
void TestLogList::bigBatchesKeepTheirTextsWhenTheirLastBlockIsTrimmed()
{
    const auto batchOfSize = [](int rows, char tag) {
        LogBatch batch;
        for (int i = 0; i < rows; ++i) {
            const QByteArray text = QByteArray(97, tag) + QByteArray::number(i);
            batch.addRow({QByteArrayView(text), "h", "i", "d", "p"});
        }
        return batch;
    };
    LogBatch joined = batchOfSize(60000, 'a'); // past the first huge blocks
    joined.append(batchOfSize(50000, 'b'));
    LogList list;
    list.append(std::move(joined));
    list.append(batchOfSize(70000, 'c'));
    QCOMPARE(list.rowCount(), qsizetype(180000));
    for (const auto& [row, tag, n] :
         {std::tuple(0, 'a', 0), std::tuple(59999, 'a', 59999), std::tuple(60000, 'b', 0),
          std::tuple(109999, 'b', 49999), std::tuple(179999, 'c', 69999)}) {
        QCOMPARE(list.field(row, ColBrowser), QByteArray(97, tag) + QByteArray::number(n));
        QCOMPARE(list.field(row, ColPreviousPage), QByteArrayView("p"));
    }
    list.appendRecord(rec(kIE)); // written after the trims, into a block of its own
    QCOMPARE(list.record(180000), rec(kIE));
}

QTEST_GUILESS_MAIN(TestLogList)
#include "tst_log_list.moc"
