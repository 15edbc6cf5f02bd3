#include "analysis/visitor_pages.h"

#include <QStringList>

#include <array>

using namespace Qt::StringLiterals;

namespace tw {
namespace {

struct PageNames {
    QStringView name;
    QStringView filePrefix;
};

const PageNames& namesOf(VisitorStatistic statistic)
{
    static const std::array<PageNames, 8> names = {{
        {u"今のブラウザ", u"ua_"},
        {u"OS", u"os_"},
        {u"ボット", u"bot_"},
        {u"ページ", u"pg_"},
        {u"ステータス", u"st_"},
        {u"参照元サイト", u"ref_"},
        {u"日別", u"d_"},
        {u"時間帯", u"t_"},
    }};
    return names[std::size_t(statistic)];
}

} // namespace

QString visitorPageName(VisitorStatistic statistic)
{
    return namesOf(statistic).name.toString();
}

QString visitorPageCaption(VisitorStatistic statistic)
{
    return visitorPageName(statistic) + u"統計"_s;
}

ReportNaming visitorReportNaming(VisitorStatistic statistic)
{
    return {u" ["_s + visitorPageCaption(statistic) + u"]"_s,
            namesOf(statistic).filePrefix.toString(), 3};
}

QString shareText(qint64 count, qint64 counted)
{
    const double share = counted > 0 ? 100.0 * double(count) / double(counted) : 0.0;
    return QString::number(share, 'f', 2) + u'%';
}

QString visitorReportBody(const VisitorFigures& figures)
{
    QString out;
    const auto line = [&out](const QStringList& fields) {
        out += fields.join(u'\t');
        out += u"\r\n"_s;
    };
    if (const auto* counts = std::get_if<KeyCounts>(&figures)) {
        for (const KeyCount& e : counts->entries)
            line({QString::number(e.count), shareText(e.count, counts->counted), e.key});
    } else if (const auto* days = std::get_if<std::vector<DayFigures>>(&figures)) {
        for (const DayFigures& d : *days)
            line({d.day.toString(u"yyyy/MM/dd"_s), QString::number(d.hits),
                  QString::number(d.visitors), QString::number(d.bytes)});
    } else {
        const auto& hours = std::get<std::array<HourFigures, 24>>(figures);
        for (int h = 0; h < 24; ++h)
            line({QString::number(h).rightJustified(2, u'0'),
                  QString::number(hours[std::size_t(h)].hits),
                  QString::number(hours[std::size_t(h)].visitors)});
    }
    return out;
}

FilterCondition visitorKeyCondition(VisitorStatistic statistic, const QString& key)
{
    return FilterCondition::custom(
        visitorPageName(statistic) + u" = "_s + (key.isEmpty() ? u"（空）"_s : key),
        [statistic, key](const LogList& list, qsizetype row) {
            const std::optional<QString> rowKey = keyOfRow(statistic, list, row);
            return rowKey && *rowKey == key;
        });
}

FilterCondition visitorDayCondition(QDate day)
{
    return FilterCondition::custom(
        u"日別 = "_s + day.toString(u"yyyy/MM/dd"_s),
        [day](const LogList& list, qsizetype row) { return dayOfRow(list, row) == day; });
}

} // namespace tw
