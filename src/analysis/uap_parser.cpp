#include "analysis/uap_parser.h"

#include "analysis/agent_tables.h"

using namespace Qt::StringLiterals;

namespace tw {
namespace {

using agent_tables::UapRule;

std::vector<PatternList::Pattern> patternsOf(const UapRule* rules, std::size_t count)
{
    std::vector<PatternList::Pattern> out;
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        out.push_back({QString::fromUtf8(rules[i].regex), rules[i].caseInsensitive});
    return out;
}

// A replacement with "$1" to "$9" standing for the captured groups (an unmatched one: empty).
QString substituted(const char* replacement, const QRegularExpressionMatch& m)
{
    const QString r = QString::fromUtf8(replacement);
    QString out;
    for (qsizetype i = 0; i < r.size(); ++i) {
        if (r[i] == u'$' && i + 1 < r.size() && r[i + 1] >= u'1' && r[i + 1] <= u'9') {
            out += m.captured(r[i + 1].unicode() - u'0');
            ++i;
        } else {
            out += r[i];
        }
    }
    return out;
}

// Part k of a rule's answer: its replacement, or else the group k + 1.
QString part(const UapRule& rule, const QRegularExpressionMatch& m, int k)
{
    if (const char* replacement = rule.replacements[k])
        return substituted(replacement, m).trimmed();
    return m.captured(k + 1).trimmed();
}

UapResult resultOf(const PatternList& list, const UapRule* rules, const PatternSubject& agent)
{
    QRegularExpressionMatch m;
    const qsizetype i = list.firstMatch(agent, &m);
    UapResult r;
    if (i < 0)
        return r;
    const UapRule& rule = rules[i];
    if (QString family = part(rule, m, 0); !family.isEmpty())
        r.family = std::move(family);
    for (int k = 0; k < 4; ++k)
        r.version[std::size_t(k)] = part(rule, m, k + 1);
    return r;
}

} // namespace

UapParser::UapParser(bool prefilter)
    : m_userAgent(patternsOf(agent_tables::kUserAgentRules, agent_tables::kUserAgentRulesCount),
                  prefilter),
      m_os(patternsOf(agent_tables::kOsRules, agent_tables::kOsRulesCount), prefilter),
      m_device(patternsOf(agent_tables::kDeviceRules, agent_tables::kDeviceRulesCount), prefilter)
{
}

UapResult UapParser::userAgent(const PatternSubject& agent) const
{
    return resultOf(m_userAgent, agent_tables::kUserAgentRules, agent);
}

UapResult UapParser::os(const PatternSubject& agent) const
{
    return resultOf(m_os, agent_tables::kOsRules, agent);
}

QString UapParser::device(const PatternSubject& agent) const
{
    QRegularExpressionMatch m;
    const qsizetype i = m_device.firstMatch(agent, &m);
    if (i < 0)
        return u"Other"_s;
    const QString family = part(agent_tables::kDeviceRules[i], m, 0);
    return family.isEmpty() ? u"Other"_s : family;
}

} // namespace tw
