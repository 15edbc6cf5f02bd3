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

QString statisticsReportHead(StatisticsPage page, const QDateTime& created)
{
    static const std::array<QStringView, 4> titles = {
        u" [ブラウザ統計]", u" [プラットフォーム統計]", u" [アクセス情報統計]", u" [ホスト統計]"};
    const QString rule(60, u'-');
    QString out;
    appendLine(out, rule);
    appendLine(out, u" Tallyweaver レポートファイル");
    appendLine(out, {});
    appendLine(out, QString(u"  作成日時:"_s + created.toString(u"yyyy/MM/dd hh:mm"_s)));
    appendLine(out, rule);
    appendLine(out, {});
    appendLine(out, titles[std::size_t(page)]);
    appendLine(out, {});
    return out;
}

QString statisticsReportTail(StatisticsPage page)
{
    QString out;
    const int emptyLines = page == StatisticsPage::Platform ? 2 : 3;
    for (int i = 0; i < emptyLines; ++i)
        appendLine(out, {});
    appendLine(out, u"[EOF]");
    return out;
}

QString statisticsReportText(StatisticsPage page, const QString& body, const QDateTime& created)
{
    return statisticsReportHead(page, created) + body + statisticsReportTail(page);
}

QString reportFileName(StatisticsPage page, const QDate& today)
{
    static const std::array<QStringView, 4> prefixes = {u"b_", u"p_", u"a_", u"h_"};
    QString name = prefixes[std::size_t(page)].toString();
    name += today.toString(u"yyyyMMdd"_s);
    name += u".txt";
    return name;
}

bool saveStatisticsReport(const QString& path, const QString& text, QString* error)
{
    return writeFileAtomically(path, cp932::encode(text), error);
}

bool saveStatisticsReport(const QString& path, StatisticsPage page, const QDateTime& created,
                          const std::function<void(const ReportSink&)>& writeBody, QString* error)
{
    return writeFileAtomically(
        path,
        [&](const ByteWriter& write) {
            if (!write(cp932::encode(statisticsReportHead(page, created))))
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
            return written && write(cp932::encode(statisticsReportTail(page)));
        },
        error);
}

} // namespace tw
