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

QString browserReportBody(const std::array<qint64, kBrowserClassCount>& tally)
{
    static const std::array<QStringView, kBrowserClassCount> labels = {u"IE:\t", u"ネスケ:\t",
                                                                       u"WWWC:\t", u"その他:\t"};
    QString out;
    for (int i = 0; i < kBrowserClassCount; ++i)
        appendCountLine(out, labels[std::size_t(i)], tally[std::size_t(i)]);
    return out;
}

QString platformReportBody(const std::array<qint64, kPlatformClassCount>& tally,
                           const UserPlatforms& user)
{
    static const std::array<QStringView, 12> labels = {
        u"Windows 95:\t",   u"Windows 98:\t",       u"Windows CE:\t",     u"Windows NT:\t",
        u"Windows 2000:\t", u"Power Mac:\t",        u"68K Mac:\t",        u"WWWC:\t",
        u"UNIX系:\t",       u"ドリームキャスト:\t", u"DoCoMo iモード:\t", u"ReGet:\t\t"};
    QString out;
    for (std::size_t i = 0; i < labels.size(); ++i)
        appendCountLine(out, labels[i], tally[i]);
    for (int slot = 0; slot < 3; ++slot) {
        const QString name = user.text(slot);
        if (!name.isEmpty())
            appendCountLine(out, QString(name + u":\t"_s), tally[std::size_t(12 + slot)]);
    }
    appendCountLine(out, u"その他:\t", tally[std::size_t(PlatformClass::Other)]);
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
