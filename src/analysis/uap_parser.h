#pragma once

#include "analysis/pattern_list.h"

#include <QString>

#include <array>

namespace tw {

// A family with its version parts as the data set reads them; parts it finds none for are empty.
struct UapResult {
    QString family = QStringLiteral("Other");
    std::array<QString, 4> version; // major, minor, patch, patch minor
};

// uap-core's user-agent, operating-system and device rules: the first rule of each list whose
// expression matches decides. Safe to use from several threads at once.
class UapParser {
public:
    // Without the prefilter every rule's expression runs: for tests that compare.
    explicit UapParser(bool prefilter = true);

    UapResult userAgent(const PatternSubject& agent) const;
    UapResult os(const PatternSubject& agent) const;
    // "Spider" for crawlers.
    QString device(const PatternSubject& agent) const;

    const PatternList& userAgentRules() const { return m_userAgent; }
    const PatternList& osRules() const { return m_os; }
    const PatternList& deviceRules() const { return m_device; }

private:
    PatternList m_userAgent;
    PatternList m_os;
    PatternList m_device;
};

} // namespace tw
