#pragma once

#include <cstddef>

// The user-agent data sets as tables, generated at build time (tools/gen_agent_tables.cpp).
namespace tw::agent_tables {

// One rule of uap-core: the first rule whose pattern matches a user agent decides. A
// replacement, when given, takes the place of a captured group; "$1" to "$9" in it stand for the
// groups.
struct UapRule {
    const char* regex;
    // User agents: family, major, minor, patch, patch minor. Systems: the same of the system.
    // Devices: the family only.
    const char* replacements[5];
    bool caseInsensitive;
};

extern const UapRule kUserAgentRules[];
extern const std::size_t kUserAgentRulesCount;
extern const UapRule kOsRules[];
extern const std::size_t kOsRulesCount;
extern const UapRule kDeviceRules[];
extern const std::size_t kDeviceRulesCount;

// crawler-user-agents: a user agent that any of these patterns matches (case counts) is a bot.
extern const char* const kCrawlerPatterns[];
extern const std::size_t kCrawlerPatternCount;

} // namespace tw::agent_tables
