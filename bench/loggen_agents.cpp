#include "loggen_agents.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <unordered_set>

namespace tw::bench {
namespace {

using Rng = std::mt19937_64;

int between(Rng& rng, int low, int high)
{
    return low + int(rng() % std::uint64_t(high - low + 1));
}

template <std::size_t N> const char* oneOf(Rng& rng, const char* const (&list)[N])
{
    return list[rng() % N];
}

template <typename... Values> std::string format(const char* pattern, Values... values)
{
    char buffer[512];
    const int n = std::snprintf(buffer, sizeof buffer, pattern, values...);
    return std::string(buffer, std::size_t(std::clamp(n, 0, int(sizeof buffer) - 1)));
}

const char* const kAndroidModels[] = {
    "Pixel 6",   "Pixel 7",  "Pixel 7a", "Pixel 8",     "Pixel 8 Pro", "Pixel 9",
    "SM-S911B",  "SM-S918B", "SM-S921B", "SM-A536E",    "SM-A546E",    "SM-G991B",
    "SC-51C",    "SC-53D",   "SO-51C",   "SO-53D",      "SOG10",       "SH-53C",
    "SH-M24",    "A301SH",   "A202KC",   "XQ-DQ44",     "XQ-EC44",     "M2101K7BL",
    "2201117TG", "CPH2251",  "CPH2413",  "moto g54 5G", "Mi 11 Lite",  "Redmi Note 12",
    "A103ZT",    "KYG02",    "F-51B",    "F-52E",       "SH-RM19",     "Nothing Phone (2)"};
const char* const kSamsungModels[] = {"SM-S911B", "SM-S918B", "SM-A536E", "SM-A546E",
                                      "SM-G991B", "SC-51C",   "SC-53D",   "SM-X710"};
const char* const kIphones[] = {"iPhone12,1", "iPhone13,2", "iPhone14,2", "iPhone14,5",
                                "iPhone15,2", "iPhone15,4", "iPhone16,1", "iPhone17,3"};
const char* const kLocales[] = {"ja_JP", "en_US", "ja_JP", "ko_KR", "zh_TW"};

// Chrome's build number grew by about 61 a release.
std::string chromeFull(Rng& rng, int major)
{
    return format("%d.0.%d.%d", major, 4896 + (major - 100) * 61 + between(rng, 0, 3),
                  between(rng, 0, 240));
}

std::string chromeVersion(Rng& rng, int major)
{
    // Desktop Chrome sends only the major version since 2022; apps built on it send them all.
    return rng() % 3 ? format("%d.0.0.0", major) : chromeFull(rng, major);
}

std::string iosVersion(Rng& rng, char separator)
{
    const int major = between(rng, 15, 18);
    const int minor = between(rng, 0, major == 18 ? 2 : 7);
    const int patch = between(rng, 0, 3);
    if (patch == 0)
        return format("%d%c%d", major, separator, minor);
    return format("%d%c%d%c%d", major, separator, minor, separator, patch);
}

std::string chromeDesktop(Rng& rng)
{
    static const char* const systems[] = {"Windows NT 10.0; Win64; x64",
                                          "Windows NT 10.0; Win64; x64",
                                          "Windows NT 10.0; WOW64",
                                          "Windows NT 6.1; Win64; x64",
                                          "Macintosh; Intel Mac OS X 10_15_7",
                                          "X11; Linux x86_64",
                                          "X11; CrOS x86_64 14541.0.0"};
    return format("Mozilla/5.0 (%s) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/%s "
                  "Safari/537.36",
                  oneOf(rng, systems), chromeVersion(rng, between(rng, 109, 131)).c_str());
}

std::string chromeAndroid(Rng& rng)
{
    const int major = between(rng, 109, 131);
    if (rng() % 2) // the reduced form every current Chrome sends
        return format("Mozilla/5.0 (Linux; Android 10; K) AppleWebKit/537.36 (KHTML, like "
                      "Gecko) Chrome/%d.0.0.0 Mobile Safari/537.36",
                      major);
    const bool webView = rng() % 3 == 0;
    return format("Mozilla/5.0 (Linux; Android %d; %s%s) AppleWebKit/537.36 (KHTML, like Gecko) "
                  "%sChrome/%s Mobile Safari/537.36",
                  between(rng, 10, 15), oneOf(rng, kAndroidModels), webView ? "; wv" : "",
                  webView ? "Version/4.0 " : "", chromeFull(rng, major).c_str());
}

std::string edge(Rng& rng)
{
    const int major = between(rng, 109, 131);
    return format("Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like "
                  "Gecko) Chrome/%d.0.0.0 Safari/537.36 Edg/%s",
                  major, chromeFull(rng, major).c_str());
}

std::string firefox(Rng& rng)
{
    static const char* const systems[] = {
        "Windows NT 10.0; Win64; x64",     "Windows NT 10.0; Win64; x64",
        "Macintosh; Intel Mac OS X 10.15", "X11; Linux x86_64",
        "X11; Ubuntu; Linux x86_64",       "Android 14; Mobile"};
    const char* system = oneOf(rng, systems);
    const int major = between(rng, 115, 133);
    const bool android = system[0] == 'A';
    return format("Mozilla/5.0 (%s; rv:%d.0) Gecko/%s Firefox/%d.0", system, major,
                  android ? format("%d.0", major).c_str() : "20100101", major);
}

std::string safariMac(Rng& rng)
{
    const int major = between(rng, 16, 18);
    return format("Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_7) AppleWebKit/605.1.15 (KHTML, "
                  "like Gecko) Version/%d.%d Safari/605.1.15",
                  major, between(rng, 0, major == 18 ? 2 : 6));
}

std::string safariIos(Rng& rng)
{
    const std::string os = iosVersion(rng, '_');
    const bool pad = rng() % 6 == 0;
    std::string version = os.substr(0, os.find('_', 3)); // "17_4_1" -> "17.4"
    std::replace(version.begin(), version.end(), '_', '.');
    return format("Mozilla/5.0 (%s; CPU %sOS %s like Mac OS X) AppleWebKit/605.1.15 (KHTML, like "
                  "Gecko) Version/%s Mobile/15E148 Safari/604.1",
                  pad ? "iPad" : "iPhone", pad ? "" : "iPhone ", os.c_str(), version.c_str());
}

std::string chromeIos(Rng& rng)
{
    return format("Mozilla/5.0 (iPhone; CPU iPhone OS %s like Mac OS X) AppleWebKit/605.1.15 "
                  "(KHTML, like Gecko) CriOS/%s Mobile/15E148 Safari/604.1",
                  iosVersion(rng, '_').c_str(), chromeFull(rng, between(rng, 115, 131)).c_str());
}

std::string samsung(Rng& rng)
{
    return format("Mozilla/5.0 (Linux; Android %d; %s) AppleWebKit/537.36 (KHTML, like Gecko) "
                  "SamsungBrowser/%d.0 Chrome/%d.0.0.0 Mobile Safari/537.36",
                  between(rng, 12, 15), oneOf(rng, kSamsungModels), between(rng, 20, 27),
                  between(rng, 111, 130));
}

std::string inApp(Rng& rng)
{
    const std::string os = iosVersion(rng, '_');
    if (rng() % 2)
        return format("Mozilla/5.0 (iPhone; CPU iPhone OS %s like Mac OS X) AppleWebKit/605.1.15 "
                      "(KHTML, like Gecko) Mobile/15E148 Safari Line/14.%d.%d",
                      os.c_str(), between(rng, 0, 19), between(rng, 0, 2));
    return format("Mozilla/5.0 (iPhone; CPU iPhone OS %s like Mac OS X) AppleWebKit/605.1.15 "
                  "(KHTML, like Gecko) Mobile/15E148 Instagram %d.0.0.%d.%d (%s; iOS %s; %s; "
                  "ja; scale=3.00; 1170x2532; %d)",
                  os.c_str(), between(rng, 300, 355), between(rng, 10, 40), between(rng, 50, 120),
                  oneOf(rng, kIphones), os.c_str(), oneOf(rng, kLocales),
                  between(rng, 500000000, 650000000));
}

std::string bot(Rng& rng)
{
    static const char* const fixed[] = {
        "Mozilla/5.0 (compatible; Googlebot/2.1; +http://www.google.com/bot.html)",
        "Mozilla/5.0 AppleWebKit/537.36 (KHTML, like Gecko; compatible; GPTBot/1.2; "
        "+https://openai.com/gptbot)",
        "Mozilla/5.0 AppleWebKit/537.36 (KHTML, like Gecko; compatible; GPTBot/1.1; "
        "+https://openai.com/gptbot)",
        "Mozilla/5.0 AppleWebKit/537.36 (KHTML, like Gecko; compatible; ClaudeBot/1.0; "
        "+claudebot@anthropic.com)",
        "Mozilla/5.0 (compatible; YandexBot/3.0; +http://yandex.com/bots)",
        "Mozilla/5.0 (compatible; AhrefsBot/7.0; +http://ahrefs.com/robot/)",
        "Mozilla/5.0 (compatible; SemrushBot/7~bl; +http://www.semrush.com/bot.html)",
        "Mozilla/5.0 (compatible; Baiduspider/2.0; +http://www.baidu.com/search/spider.html)",
        "Mozilla/5.0 (compatible; PetalBot;+https://webmaster.petalsearch.com/site/petalbot)",
        "Mozilla/5.0 (Linux; Android 5.0) AppleWebKit/537.36 (KHTML, like Gecko) Mobile "
        "Safari/537.36 (compatible; Bytespider; spider-feedback@bytedance.com)",
        "Mozilla/5.0 (compatible; PerplexityBot/1.0; +https://perplexity.ai/perplexitybot)",
        "DuckDuckBot/1.1; (+http://duckduckgo.com/duckduckbot.html)",
        "facebookexternalhit/1.1 (+http://www.facebook.com/externalhit_uatext.php)",
        "Twitterbot/1.0",
        "CCBot/2.0 (https://commoncrawl.org/faq/)",
        "Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_7) AppleWebKit/605.1.15 (KHTML, like "
        "Gecko) Version/17.4 Safari/605.1.15 (Applebot/0.1; +http://www.apple.com/go/applebot)",
    };
    const std::string chrome = chromeFull(rng, between(rng, 119, 131));
    switch (rng() % 4) {
    case 0: // Google renders with a current Chrome, and says which
        return format("Mozilla/5.0 (Linux; Android 6.0.1; Nexus 5X Build/MMB29P) "
                      "AppleWebKit/537.36 (KHTML, like Gecko) Chrome/%s Mobile Safari/537.36 "
                      "(compatible; Googlebot/2.1; +http://www.google.com/bot.html)",
                      chrome.c_str());
    case 1:
        return format("Mozilla/5.0 AppleWebKit/537.36 (KHTML, like Gecko; compatible; "
                      "bingbot/2.0; +http://www.bing.com/bingbot.htm) Chrome/%s Safari/537.36",
                      chrome.c_str());
    default:
        return oneOf(rng, fixed);
    }
}

std::string tool(Rng& rng)
{
    switch (rng() % 8) {
    case 0:
        return format("curl/%d.%d.%d", between(rng, 7, 8), between(rng, 0, 88), between(rng, 0, 1));
    case 1:
        return format("python-requests/2.%d.%d", between(rng, 25, 32), between(rng, 0, 3));
    case 2:
        return format("Wget/1.21.%d", between(rng, 1, 4));
    case 3:
        return format("Go-http-client/%s", rng() % 2 ? "1.1" : "2.0");
    case 4:
        return format("okhttp/4.%d.%d", between(rng, 9, 12), between(rng, 0, 3));
    case 5:
        return format("axios/1.%d.%d", between(rng, 4, 7), between(rng, 0, 9));
    case 6:
        return format("Python-urllib/3.%d", between(rng, 8, 12));
    default:
        return format("Java/%d.0.%d", 11 + 6 * between(rng, 0, 2), between(rng, 1, 25));
    }
}

struct Family {
    int weight; // share of the distinct agents, and of their popularity
    std::string (*make)(Rng&);
};

const Family kFamilies[] = {
    {30, chromeDesktop}, {16, chromeAndroid}, {7, edge},    {5, firefox}, {6, safariMac},
    {16, safariIos},     {2, chromeIos},      {3, samsung}, {2, inApp},   {8, bot},
    {2, tool},
};

} // namespace

AgentPool::AgentPool(std::uint64_t seed, int distinctAgents, std::int64_t expectedRows)
{
    if (distinctAgents <= 0)
        return;
    // A stream apart from the visits' own.
    std::seed_seq seq{std::uint32_t(seed), std::uint32_t(seed >> 32), std::uint32_t(0x61676e74)};
    m_rng.seed(seq);

    int totalWeight = 0;
    for (const Family& f : kFamilies)
        totalWeight += f.weight;
    const auto pickFamily = [this](int weights, const auto& weightOf) {
        int pick = int(m_rng() % std::uint64_t(weights));
        std::size_t f = 0;
        while (pick >= weightOf(f))
            pick -= weightOf(f++);
        return f;
    };
    constexpr std::size_t kFamilyCount = std::size(kFamilies);
    std::vector<std::string> byFamily[kFamilyCount];
    std::unordered_set<std::string> seen;
    for (std::int64_t attempts = 0; std::int64_t(seen.size()) < distinctAgents; ++attempts) {
        const std::size_t f =
            pickFamily(totalWeight, [](std::size_t i) { return kFamilies[i].weight; });
        std::string agent = kFamilies[f].make(m_rng);
        // The space of every family is far larger than any pool asked for; this only keeps a
        // huge request from running forever.
        if (attempts > std::int64_t(distinctAgents) * 100)
            agent += format(" (%lld)", static_cast<long long>(attempts));
        if (seen.insert(agent).second)
            byFamily[f].push_back(std::move(agent));
    }
    // The ranks take the families in turn by their weights, so that the most frequent agents
    // mix them as a site's visitors do; Zipf's law then gives the ranks their rows.
    std::vector<std::string> ordered;
    ordered.reserve(seen.size());
    std::size_t taken[kFamilyCount] = {};
    const auto left = [&](std::size_t i) {
        return taken[i] < byFamily[i].size() ? kFamilies[i].weight : 0;
    };
    double total = 0;
    while (ordered.size() < seen.size()) {
        int weights = 0;
        for (std::size_t i = 0; i < kFamilyCount; ++i)
            weights += left(i);
        const std::size_t f = pickFamily(weights, left);
        ordered.push_back(std::move(byFamily[f][taken[f]++]));
        total += 1.0 / double(ordered.size());
        m_cumulativeWeights.push_back(total);
    }
    m_agents = std::move(ordered);
    if (expectedRows >= distinctAgents)
        m_coverageStride = expectedRows / distinctAgents;
}

const std::string& AgentPool::next()
{
    const std::int64_t row = m_row++;
    if (m_coverageStride && row % m_coverageStride == 0 &&
        row / m_coverageStride < std::int64_t(m_agents.size()))
        return m_agents[std::size_t(row / m_coverageStride)];
    const double at = double(m_rng() >> 11) * 0x1.0p-53 * m_cumulativeWeights.back();
    const auto it = std::upper_bound(m_cumulativeWeights.begin(), m_cumulativeWeights.end(), at);
    return m_agents[std::min(std::size_t(it - m_cumulativeWeights.begin()), m_agents.size() - 1)];
}

} // namespace tw::bench
