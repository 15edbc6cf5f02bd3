#include "analysis/statistics_report.h"

#include "core/atomic_write.h"
#include "core/cp932.h"

using namespace Qt::StringLiterals;

namespace tw {
namespace {

const QString kCrLf = u"\r\n"_s;

void appendLine(QString& out, QStringView line)
{
    out += line;
    out += kCrLf;
}

void appendCountLine(QString& out, QStringView label, qint64 count)
{
    out += label;
    out += QString::number(count);
    out += kCrLf;
}

} // namespace

QString browserClassName(BrowserClass c)
{
    static const std::array<QStringView, kBrowserClassCount> names = {u"IE", u"ネスケ", u"WWWC",
                                                                      u"その他"};
    return names[std::size_t(c)].toString();
}

QString platformClassName(PlatformClass c, const UserPlatforms& user)
{
    static const std::array<QStringView, kPlatformClassCount> names = {
        u"Windows 95",     u"Windows 98", u"Windows CE", u"Windows NT", u"Windows 2000",
        u"Power Mac",      u"68K Mac",    u"WWWC",       u"UNIX系",     u"ドリームキャスト",
        u"DoCoMo iモード", u"ReGet",      u"",           u"",           u"",
        u"その他"};
    const int slot = int(c) - int(PlatformClass::User1);
    if (slot >= 0 && slot < 3)
        return user.text(slot);
    return names[std::size_t(c)].toString();
}

QString browserReportBody(const std::array<qint64, kBrowserClassCount>& tally)
{
    QString out;
    for (int i = 0; i < kBrowserClassCount; ++i)
        appendCountLine(out, browserClassName(BrowserClass(i)) + u":\t"_s, tally[std::size_t(i)]);
    return out;
}

QString platformReportBody(const std::array<qint64, kPlatformClassCount>& tally,
                           const UserPlatforms& user)
{
    QString out;
    for (int i = 0; i < kPlatformClassCount; ++i) {
        const auto c = PlatformClass(i);
        const QString name = platformClassName(c, user);
        if (name.isEmpty())
            continue; // an unset user slot
        // The one line with two tabs.
        const QString gap = c == PlatformClass::ReGet ? u":\t\t"_s : u":\t"_s;
        appendCountLine(out, name + gap, tally[std::size_t(i)]);
    }
    return out;
}

ReportNaming reportNaming(StatisticsPage page)
{
    static const std::array<QStringView, 4> titles = {
        u" [ブラウザ統計]", u" [プラットフォーム統計]", u" [アクセス情報統計]", u" [ホスト統計]"};
    static const std::array<QStringView, 4> prefixes = {u"b_", u"p_", u"a_", u"h_"};
    return {titles[std::size_t(page)].toString(), prefixes[std::size_t(page)].toString(),
            page == StatisticsPage::Platform ? 2 : 3};
}

QString statisticsReportHead(const ReportNaming& naming, const QDateTime& created)
{
    const QString rule(60, u'-');
    QString out;
    appendLine(out, rule);
    appendLine(out, u" Tallyweaver レポートファイル");
    appendLine(out, {});
    appendLine(out, QString(u"  作成日時:"_s + created.toString(u"yyyy/MM/dd hh:mm"_s)));
    appendLine(out, rule);
    appendLine(out, {});
    appendLine(out, naming.section);
    appendLine(out, {});
    return out;
}

QString statisticsReportTail(const ReportNaming& naming)
{
    QString out;
    for (int i = 0; i < naming.emptyLines; ++i)
        appendLine(out, {});
    appendLine(out, u"[EOF]");
    return out;
}

QString statisticsReportHead(StatisticsPage page, const QDateTime& created)
{
    return statisticsReportHead(reportNaming(page), created);
}

QString statisticsReportTail(StatisticsPage page)
{
    return statisticsReportTail(reportNaming(page));
}

QString statisticsReportText(StatisticsPage page, const QString& body, const QDateTime& created)
{
    return statisticsReportHead(page, created) + body + statisticsReportTail(page);
}

QString reportFileName(const ReportNaming& naming, const QDate& today)
{
    return naming.filePrefix + today.toString(u"yyyyMMdd"_s) + u".txt"_s;
}

QString reportFileName(StatisticsPage page, const QDate& today)
{
    return reportFileName(reportNaming(page), today);
}

bool saveStatisticsReport(const QString& path, const QString& text, QString* error)
{
    return writeFileAtomically(path, cp932::encode(text), error);
}

bool saveStatisticsReport(const QString& path, StatisticsPage page, const QDateTime& created,
                          const std::function<void(const ReportSink&)>& writeBody, QString* error)
{
    return saveStatisticsReport(path, reportNaming(page), created, writeBody, error);
}

bool saveStatisticsReport(const QString& path, const ReportNaming& naming, const QDateTime& created,
                          const std::function<void(const ReportSink&)>& writeBody, QString* error)
{
    return writeFileAtomically(
        path,
        [&](const ByteWriter& write) {
            if (!write(cp932::encode(statisticsReportHead(naming, created))))
                return false;
            bool written = true;
            QByteArray encoded;
            writeBody([&](QByteArrayView piece) {
                forEachLineRun(piece, [&](QByteArrayView run) {
                    encoded.resize(0);
                    cp932::appendEncodedUtf8(run, encoded);
                    written = written && write(encoded);
                });
            });
            return written && write(cp932::encode(statisticsReportTail(naming)));
        },
        error);
}

} // namespace tw
