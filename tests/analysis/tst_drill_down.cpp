#include "analysis/access_statistics.h"
#include "analysis/drill_down.h"
#include "analysis/drill_down_line.h"
#include "analysis/host_statistics.h"
#include "analysis/statistics_report.h"
#include "core/log_list.h"
#include "core/log_reader.h"
#include "loggen.h"
#include "support/log_rows.h"
#include "support/test_files.h"

#include <QTest>

#include <array>

using namespace tw;
using namespace Qt::StringLiterals;

namespace {

constexpr std::array kStatistics = {DrillStatistic::Browser, DrillStatistic::Platform,
                                    DrillStatistic::PreviousPage, DrillStatistic::Hour,
                                    DrillStatistic::HostDomain};

// One entry line of a report: what it names and the count it shows.
struct ShownEntry {
    QString name;
    qint64 count;
    qsizetype line = -1; // in the access or host report
};

qint64 number(QStringView text)
{
    bool ok = false;
    const qint64 n = text.toLongLong(&ok);
    return ok ? n : -1;
}

// "NAME:<TAB>N" (the ReGet line has two tabs).
QList<ShownEntry> classLines(const QString& body)
{
    QList<ShownEntry> out;
    for (const QString& line : body.split(u"\r\n"_s, Qt::SkipEmptyParts))
        out.append({line.left(line.indexOf(u":\t"_s)),
                    number(QStringView(line).sliced(line.lastIndexOf(u'\t') + 1))});
    return out;
}

// "  N回<TAB>KEY" lines from `first` up to the first empty line.
QList<ShownEntry> countLines(const QStringList& lines, qsizetype first)
{
    QList<ShownEntry> out;
    for (qsizetype i = first; i < lines.size() && !lines[i].isEmpty(); ++i) {
        const qsizetype tab = lines[i].indexOf(u'\t');
        out.append({lines[i].sliced(tab + 1),
                    number(QStringView(lines[i]).sliced(2, tab - 2).chopped(1)), i});
    }
    return out;
}

// The entries as the statistic's own report text shows them, in its order.
QList<ShownEntry> reportEntries(DrillStatistic statistic, const LogList& list)
{
    switch (statistic) {
    case DrillStatistic::Browser:
        return classLines(browserReportBody(list.browserTally()));
    case DrillStatistic::Platform:
        return classLines(platformReportBody(list.platformTally(), list.userPlatforms()));
    case DrillStatistic::PreviousPage:
        return countLines(accessStatisticsText(list, 0).split(u"\r\n"_s), 2);
    case DrillStatistic::Hour: {
        const QStringList lines = accessStatisticsText(list, 0).split(u"\r\n"_s);
        QList<ShownEntry> out;
        for (qsizetype i = lines.indexOf(QString()) + 3; i < lines.size() - 1; ++i) {
            const QStringList parts = lines[i].split(u'\t');
            out.append({parts[0].trimmed(), number(QStringView(parts[1]).chopped(1)), i});
        }
        return out;
    }
    default:
        break;
    }
    return countLines(hostStatisticsText(list).split(u"\r\n"_s), 2);
}

QString shownName(const DrillDown& drill)
{
    switch (drill.statistic()) {
    case DrillStatistic::PreviousPage:
        return QString::fromUtf8(drill.text());
    case DrillStatistic::Hour:
        return QString::number(drill.number()) + u"時台"_s;
    case DrillStatistic::HostDomain: // the empty table's line has no "*"
        return drill.text().isEmpty() ? QString() : u"*"_s + QString::fromUtf8(drill.text());
    default:
        return drill.label().section(u" = "_s, 1);
    }
}

// The entry a dialog finds under a line of the access or host report.
std::optional<DrillDown> entryAtLine(DrillStatistic statistic, const std::vector<DrillEntry>& pages,
                                     const std::vector<DrillEntry>& entries, qsizetype line)
{
    switch (statistic) {
    case DrillStatistic::PreviousPage:
    case DrillStatistic::Hour:
        return accessReportEntryAt(pages, 0, line);
    case DrillStatistic::HostDomain:
        return hostReportEntryAt(entries, line);
    default:
        return std::nullopt;
    }
}

// Rows to try, each standing for `weight` rows with the same text in the field a statistic
// reads (a generated log repeats its texts: trying each once keeps the test quick).
struct Sample {
    qsizetype row;
    qint64 weight;
};
using Samples = std::vector<Sample>;

Samples everyRow(const LogList& list)
{
    Samples out;
    for (qsizetype row = 0; row < list.rowCount(); ++row)
        out.push_back({row, 1});
    return out;
}

Samples rowPerText(const LogList& list, int column)
{
    QHash<QByteArrayView, std::size_t> seen;
    Samples out;
    for (qsizetype row = 0; row < list.rowCount(); ++row) {
        const auto it = seen.constFind(list.field(row, column));
        if (it != seen.constEnd()) {
            ++out[*it].weight;
        } else {
            seen.insert(list.field(row, column), out.size());
            out.push_back({row, 1});
        }
    }
    return out;
}

int columnRead(DrillStatistic statistic)
{
    switch (statistic) {
    case DrillStatistic::Browser:
    case DrillStatistic::Platform:
        return ColBrowser;
    case DrillStatistic::PreviousPage:
        return ColPreviousPage;
    case DrillStatistic::Hour:
        return ColDateTime;
    default:
        break;
    }
    return ColHost;
}

// Every entry keeps exactly as many of the rows as it counted, and no row is in two entries.
void checkKeptRows(const std::vector<DrillEntry>& entries, const LogList& list,
                   const Samples& samples)
{
    std::vector<qint64> kept(entries.size());
    for (const Sample& sample : samples) {
        int keepers = 0;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].drill.keeps(list, sample.row)) {
                kept[i] += sample.weight;
                ++keepers;
            }
        }
        if (keepers > 1)
            QFAIL(qPrintable(u"row %1 is in %2 entries"_s.arg(sample.row).arg(keepers)));
    }
    for (std::size_t i = 0; i < entries.size(); ++i)
        QVERIFY2(kept[i] == entries[i].count, qPrintable(entries[i].drill.label()));
}

// Every entry keeps exactly as many rows as it shows, names what its report line names and is
// found under that line, and no row is kept by two entries of one statistic.
void checkEntries(DrillStatistic statistic, const LogList& list, bool perText = false)
{
    const std::vector<DrillEntry> entries = drillEntries(statistic, list);
    const std::vector<DrillEntry> pages = drillEntries(DrillStatistic::PreviousPage, list);
    const QList<ShownEntry> shown = reportEntries(statistic, list);
    QCOMPARE(qsizetype(entries.size()), shown.size());
    // Finding a line reads the entries above it: a long report is tried at about 100 lines.
    const std::size_t lineStep = std::max<std::size_t>(1, entries.size() / 100);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const ShownEntry& line = shown[qsizetype(i)];
        QCOMPARE(entries[i].count, line.count);
        QCOMPARE(shownName(entries[i].drill), line.name);
        if (line.line >= 0 && (i % lineStep == 0 || i + 1 == entries.size()))
            QCOMPARE(entryAtLine(statistic, pages, entries, line.line),
                     std::optional(entries[i].drill));
    }

    checkKeptRows(entries, list,
                  perText ? rowPerText(list, columnRead(statistic)) : everyRow(list));
}

constexpr std::array kVisitorStatistics = {VisitorStatistic::Agents, VisitorStatistic::Os,
                                           VisitorStatistic::Bots,   VisitorStatistic::Pages,
                                           VisitorStatistic::Status, VisitorStatistic::Referrers,
                                           VisitorStatistic::Days,   VisitorStatistic::Hours};

int columnRead(VisitorStatistic statistic)
{
    switch (statistic) {
    case VisitorStatistic::Pages:
        return ColRequest;
    case VisitorStatistic::Status:
        return ColStatus;
    case VisitorStatistic::Referrers:
        return ColPreviousPage;
    case VisitorStatistic::Days:
    case VisitorStatistic::Hours:
        return ColDateTime;
    default:
        return ColBrowser;
    }
}

// The same for a visitor statistic: every entry keeps exactly the rows it counted.
void checkVisitorEntries(VisitorStatistic statistic, const LogList& list, bool perText)
{
    const std::vector<DrillEntry> entries = visitorDrillEntries(statistic, list);
    checkKeptRows(entries, list,
                  perText ? rowPerText(list, columnRead(statistic)) : everyRow(list));
}

void checkEveryStatistic(const LogList& list, bool perText = false)
{
    for (DrillStatistic statistic : kStatistics) {
        checkEntries(statistic, list, perText);
        if (QTest::currentTestFailed())
            return;
    }
    for (VisitorStatistic statistic : kVisitorStatistics) {
        checkVisitorEntries(statistic, list, perText);
        if (QTest::currentTestFailed())
            return;
    }
}

// Slot 1 left empty: the reports skip it, and so must the entries.
const UserPlatforms kUserPlatforms({u"Win98"_s, QString(), u"Android"_s});

void appendBatch(LogList& list, LogBatch&& batch)
{
    list.setUserPlatforms(kUserPlatforms);
    list.append(std::move(batch));
}

} // namespace

class TestDrillDown : public QObject {
    Q_OBJECT

private slots:
    void everyEntryKeepsTheRowsItCounted_data();
    void everyEntryKeepsTheRowsItCounted();
    void generatedLog();
    void generatedCombinedLog();
    void platformsKeepTheClassTheyWereCountedUnder();
    void edgeRows();
    void reportLinesNameTheirEntries();
};

void TestDrillDown::everyEntryKeepsTheRowsItCounted_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("list file") << u"resources/samples/sample.twv"_s;
    QTest::newRow("combined") << u"resources/samples/access.log"_s;
    QTest::newRow("w3c") << u"resources/samples/u_ex261201.log"_s;
}

void TestDrillDown::everyEntryKeepsTheRowsItCounted()
{
    QFETCH(QString, file);
    ReadResult read = readLogFile(test::sourcePath(file));
    QCOMPARE(read.status, ReadStatus::Ok);
    QVERIFY(read.batch.size() > 0);
    LogList list;
    appendBatch(list, std::move(read.batch));
    checkEveryStatistic(list);
}

void TestDrillDown::generatedLog()
{
    bench::LogGenOptions options;
    options.rows = 100000;
    options.seed = 13;
    ReadResult read = parseLogBytes(bench::generateLog(options));
    QCOMPARE(read.batch.size(), options.rows);
    LogList list;
    appendBatch(list, std::move(read.batch));
    checkEveryStatistic(list, true);
}

void TestDrillDown::generatedCombinedLog()
{
    bench::LogGenOptions options;
    options.rows = 100000;
    options.seed = 14;
    options.format = bench::LogFormat::Combined;
    options.rareRows = true;
    ReadResult read = parseLogBytes(bench::generateLog(options));
    QCOMPARE(read.batch.size(), options.rows);
    LogList list;
    appendBatch(list, std::move(read.batch));
    for (VisitorStatistic statistic : kVisitorStatistics) {
        checkVisitorEntries(statistic, list, true);
        if (QTest::currentTestFailed())
            return;
    }
}

void TestDrillDown::platformsKeepTheClassTheyWereCountedUnder()
{
    // The tally is not recounted when the strings change, so neither are the rows it counted.
    LogList list;
    list.setUserPlatforms(UserPlatforms({u"Linux"_s}));
    test::appendRows(list, {{u"Mozilla/5.0 (X11; Linux)"_s},
                            {u"Mozilla/5.0 (X11; Linux)"_s},
                            {u"Mozilla/5.0 (X11; BSD)"_s}});
    list.setUserPlatforms(UserPlatforms({u"BSD"_s}));
    test::appendRows(list, {{u"Mozilla/5.0 (X11; BSD)"_s}});
    const std::vector<DrillEntry> entries = drillEntries(DrillStatistic::Platform, list);
    QCOMPARE(entries[12].drill.label(), u"プラットフォーム = BSD"_s);
    QCOMPARE(entries[12].count, qint64(3));
    QCOMPARE(entries[8].count, qint64(1)); // X11
    checkEntries(DrillStatistic::Platform, list);
}

void TestDrillDown::edgeRows()
{
    // Rows each statistic leaves out or keys in an unusual way.
    LogList list;
    test::appendRows(list, {
                               {u"Mozilla"_s, u"a.b.c."_s, {}, u" 9:00"_s, {}},
                               {u"MSIE"_s, u"host-10.1.2.3"_s, {}, u"24:00"_s, u"P"_s},
                               {u"WWWC"_s, u"mail.example.jp"_s, {}, u"9:"_s, u"p"_s},
                               {{}, {}, {}, u":"_s, u"P"_s},
                               {u"x"_s, u"X.b.c."_s, {}, u"1.5:"_s, u" "_s},
                               {u"x"_s, u"abc.1.2.3"_s, {}, u"-1:"_s, u" "_s},
                           });
    checkEveryStatistic(list);
    const std::vector<DrillEntry> hosts = drillEntries(DrillStatistic::HostDomain, list);
    QCOMPARE(hosts.size(), std::size_t(2));
    QCOMPARE(hosts[0].drill.label(), u"ドメイン = *.b.c."_s);

    LogList empty;
    checkEveryStatistic(empty);
    QCOMPARE(drillEntries(DrillStatistic::PreviousPage, empty).front().count, qint64(0));
}

void TestDrillDown::reportLinesNameTheirEntries()
{
    // A decoded web-log referrer can hold a line break: its entry takes two report lines.
    LogList list;
    test::appendRows(list, {{{}, {}, {}, u"10:00"_s, u"a\r\nb"_s},
                            {{}, {}, {}, u"10:00"_s, u"c"_s},
                            {{}, {}, {}, u"x"_s, u"c"_s}});
    const std::vector<DrillEntry> pages = drillEntries(DrillStatistic::PreviousPage, list);
    const DrillDown c = DrillDown::previousPage("c");
    const DrillDown ab = DrillDown::previousPage("a\r\nb");
    struct Case {
        int aLogMax;
        qsizetype line;
        std::optional<DrillDown> entry;
    };
    const Case cases[] = {
        {0, 1, {}},
        {0, 2, c},
        {0, 3, ab},
        {0, 4, ab},
        {0, 5, {}},
        {0, 7, {}},
        {0, 8, DrillDown::hour(0)},
        {0, 18, DrillDown::hour(10)},
        {0, 31, DrillDown::hour(23)},
        {0, 32, {}},
        {1, 2, c},
        {1, 3, {}},
        {1, 6, DrillDown::hour(0)},
        {-1, 2, {}},
        {-1, 5, DrillDown::hour(0)},
    };
    for (const Case& k : cases) {
        const QStringList lines = accessStatisticsText(list, k.aLogMax).split(u"\r\n"_s);
        QVERIFY2(accessReportEntryAt(pages, k.aLogMax, k.line) == k.entry,
                 qPrintable(u"ALogMax %1, line %2: %3"_s.arg(k.aLogMax).arg(k.line).arg(
                     lines.value(k.line))));
    }
}

QTEST_GUILESS_MAIN(TestDrillDown)
#include "tst_drill_down.moc"
