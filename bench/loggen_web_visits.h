#pragma once

#include "loggen.h"

#include <random>
#include <string>

namespace tw::bench {

// What only a web server logs about a visit (virtual host, port, time taken) and the rare rows a
// parser must survive. Draws from its own seeded stream, so the visits themselves, and with them
// the list file and the plain Combined log, stay the same bytes for a seed.
class WebVisitDetails {
public:
    explicit WebVisitDetails(const LogGenOptions& options);
    void add(Visit& visit);

private:
    std::uint64_t below(std::uint64_t n) { return m_rng() % n; }
    bool chance(int perTenThousand) { return below(10000) < std::uint64_t(perTenThousand); }
    std::string makeIpv6();
    std::string makeJapaneseReferrer();

    std::mt19937_64 m_rng;
    bool m_rareRows = false;
};

} // namespace tw::bench
