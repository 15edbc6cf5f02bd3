#include "analysis/crawler_list.h"

#include "analysis/agent_tables.h"

using namespace Qt::StringLiterals;

namespace tw {
namespace {

constexpr qsizetype kLongestName = 64;

std::vector<PatternList::Pattern> crawlerPatterns()
{
    std::vector<PatternList::Pattern> out;
    out.reserve(agent_tables::kCrawlerPatternCount);
    for (std::size_t i = 0; i < agent_tables::kCrawlerPatternCount; ++i)
        out.push_back({QString::fromUtf8(agent_tables::kCrawlerPatterns[i]), false});
    return out;
}

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'-' || c == u'_' || c == u'.';
}

} // namespace

CrawlerList::CrawlerList(bool prefilter) : m_patterns(crawlerPatterns(), prefilter) {}

QString CrawlerList::botName(const PatternSubject& agent) const
{
    QRegularExpressionMatch m;
    const qsizetype i = m_patterns.firstMatch(agent, &m);
    if (i < 0)
        return {};
    const QString& text = agent.text();
    qsizetype begin = m.capturedStart();
    const qsizetype matchEnd = m.capturedEnd();
    while (begin < matchEnd && !isNameChar(text[begin]))
        ++begin;
    if (begin == matchEnd) // a match of no word at all: name it by its pattern
        return QString::fromUtf8(agent_tables::kCrawlerPatterns[i]).left(kLongestName);
    qsizetype end = begin;
    while (begin > 0 && isNameChar(text[begin - 1]))
        --begin;
    while (end < text.size() && isNameChar(text[end]))
        ++end;
    return text.mid(begin, std::min(end - begin, kLongestName));
}

} // namespace tw
