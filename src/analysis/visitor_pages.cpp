#include "analysis/visitor_pages.h"

#include "analysis/visitor_lines.h"

using namespace Qt::StringLiterals;

namespace tw {
namespace {

QString filePrefix(VisitorStatistic statistic)
{
    static const std::array<QStringView, 8> prefixes = {u"ua_", u"os_",  u"bot_", u"pg_",
                                                        u"st_", u"ref_", u"d_",   u"t_"};
    return prefixes[std::size_t(statistic)].toString();
}

} // namespace

QString visitorPageCaption(VisitorStatistic statistic)
{
    return visitorStatisticName(statistic) + u"統計"_s;
}

ReportNaming visitorReportNaming(VisitorStatistic statistic)
{
    return {u" ["_s + visitorPageCaption(statistic) + u"]"_s, filePrefix(statistic), 3};
}

QString visitorReportBody(const VisitorFigures& figures)
{
    QStringList lines;
    if (const auto* counts = std::get_if<KeyCounts>(&figures))
        lines = keyCountLines(*counts);
    else if (const auto* days = std::get_if<std::vector<DayFigures>>(&figures))
        lines = dayLines(*days);
    else
        lines = hourLines(std::get<std::array<HourFigures, 24>>(figures));
    QString out;
    for (const QString& line : lines) {
        out += line;
        out += u"\r\n"_s;
    }
    return out;
}

} // namespace tw
