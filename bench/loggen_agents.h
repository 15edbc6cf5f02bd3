#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace tw::bench {

// A set of distinct present-day user agents (browsers on desktops and phones, crawlers, tools)
// and the agent of each row: a few agents take most rows, as on a real site, and every agent of
// the set appears at least once when there are as many rows as agents. Draws from its own
// seeded stream, so the rest of each visit stays as it is without the set.
class AgentPool {
public:
    AgentPool(std::uint64_t seed, int distinctAgents, std::int64_t expectedRows);

    bool isEmpty() const { return m_agents.empty(); }
    const std::vector<std::string>& agents() const { return m_agents; }
    // The agent of the next row.
    const std::string& next();

private:
    std::mt19937_64 m_rng;
    std::vector<std::string> m_agents;       // most frequent first
    std::vector<double> m_cumulativeWeights; // Zipf's law over the ranks
    std::int64_t m_row = 0;
    std::int64_t m_coverageStride = 0; // every stride-th row shows the next agent in turn
};

} // namespace tw::bench
