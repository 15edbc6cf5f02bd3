#pragma once

#include "analysis/pattern_list.h"

#include <QString>

namespace tw {

// The crawler-user-agents list: a user agent that any of its patterns matches is a bot.
class CrawlerList {
public:
    // Without the prefilter every pattern runs: for tests that compare.
    explicit CrawlerList(bool prefilter = true);

    // The crawler's name, or empty when no pattern matches: the word of the user agent where the
    // first matching pattern's match begins (letters, digits, "-", "_", "."), e.g. "Googlebot"
    // in "Mozilla/5.0 (compatible; Googlebot/2.1; ...)", or "Wget" for the pattern "[wW]get".
    QString botName(const PatternSubject& agent) const;

    const PatternList& patterns() const { return m_patterns; }

private:
    PatternList m_patterns;
};

} // namespace tw
